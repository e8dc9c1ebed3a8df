// libFuzzer target for DecodeAribString. The first input byte picks the
// destination size; the rest is the coded string, copied to a buffer of
// exactly its length so that the sanitizers see any access past either end.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "AribString.h"

namespace {

bool IsLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsTrailByte(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The output is printable ASCII (replacement texts) and Shift_JIS pairs.
void CheckShiftJis(const char* text) {
  for (const uint8_t* p = reinterpret_cast<const uint8_t*>(text); *p; ++p) {
    if (IsLeadByte(*p)) {
      ++p;
      if (!IsTrailByte(*p)) std::abort();
    } else if (*p < 0x20 || *p > 0x7E) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t destinationSize = uint32_t(data[0]) + 1;
  const uint32_t sourceLength = uint32_t(size - 1);
  std::unique_ptr<uint8_t[]> source(new uint8_t[sourceLength]);
  if (sourceLength) std::memcpy(source.get(), data + 1, sourceLength);
  std::unique_ptr<char[]> destination(new char[destinationSize]);

  DecodeAribString(source.get(), sourceLength, destination.get(), destinationSize);
  if (!std::memchr(destination.get(), '\0', destinationSize)) std::abort();
  CheckShiftJis(destination.get());

  DecodeAribString(source.get(), sourceLength, nullptr, destinationSize);
  return 0;
}
