// Shared by the table fuzzers: the collector's table work on arbitrary
// bytes, and the check that a decoded field lies inside its bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "PsiCollector.h"
#include "SectionDecoders.h"

// The section work of `pid` on the input once as given, once with table_id
// and section_length made to fit it so that the table body is reached.
inline void TakeAsSection(uint16_t pid, uint8_t table, const uint8_t* data, size_t size) {
  PsiCollector collector;
  for (uint16_t id = 0x0400; id < 0x0404; ++id) collector.FindOrAddService(id);
  collector.TakeSection(pid, data, size);
  if (size >= 3 && size <= 4098) {
    std::vector<uint8_t> section(data, data + size);
    section[0] = table;
    section[1] = static_cast<uint8_t>((section[1] & 0xF0) | ((size - 3) >> 8));
    section[2] = static_cast<uint8_t>(size - 3);
    collector.TakeSection(pid, section.data(), section.size());
  }
}

inline void CheckInside(const ByteField& field, const uint8_t* data, size_t size) {
  if (field.size == 0) return;
  if (field.data < data || field.size > size || field.data > data + (size - field.size)) __builtin_trap();
}
