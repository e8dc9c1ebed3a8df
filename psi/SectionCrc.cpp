#include "SectionCrc.h"

#include <array>

namespace {

// Eight 256-entry tables: table[k][x] is the CRC of byte x followed by k zero
// bytes, so eight bytes are folded in at once, still one lookup per byte.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t value = i << 24;
    for (int bit = 0; bit < 8; ++bit) value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
    tables[0][i] = value;
  }
  for (size_t k = 1; k < tables.size(); ++k) {
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t previous = tables[k - 1][i];
      tables[k][i] = (previous << 8) ^ tables[0][previous >> 24];
    }
  }
  return tables;
}

const CrcTables kCrcTables = MakeCrcTables();

uint32_t BigEndian32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

uint32_t SectionCrc32(const uint8_t* data, size_t length) {
  const auto& t = kCrcTables;
  uint32_t crc = 0xFFFFFFFFu;
  for (; length >= 8; data += 8, length -= 8) {
    const uint32_t high = crc ^ BigEndian32(data);
    const uint32_t low = BigEndian32(data + 4);
    crc = t[7][high >> 24] ^ t[6][(high >> 16) & 0xFF] ^ t[5][(high >> 8) & 0xFF] ^ t[4][high & 0xFF] ^
          t[3][low >> 24] ^ t[2][(low >> 16) & 0xFF] ^ t[1][(low >> 8) & 0xFF] ^ t[0][low & 0xFF];
  }
  for (; length > 0; ++data, --length) crc = (crc << 8) ^ t[0][((crc >> 24) ^ *data) & 0xFF];
  return crc;
}
