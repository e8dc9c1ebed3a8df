// ParseNit on arbitrary bytes: once as given, once with table_id and
// section_length made to fit the input so that the table body is reached.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "PsiCollector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PsiCollector collector;
  for (uint16_t id = 0x0400; id < 0x0404; ++id) collector.FindOrAddService(id);
  collector.ParseNit(data, size);
  if (size >= 3 && size <= 4098) {
    std::vector<uint8_t> section(data, data + size);
    section[0] = 0x40;
    section[1] = static_cast<uint8_t>((section[1] & 0xF0) | ((size - 3) >> 8));
    section[2] = static_cast<uint8_t>(size - 3);
    collector.ParseNit(section.data(), section.size());
  }
  return 0;
}
