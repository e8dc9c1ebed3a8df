// CRC-32/MPEG-2 (polynomial 0x04C11DB7, MSB first, initial 0xFFFFFFFF, no
// final inversion). Over a whole section including its CRC_32 field the
// result is 0 when the section is intact.
#pragma once
#include <cstddef>
#include <cstdint>

uint32_t SectionCrc32(const uint8_t* data, size_t length);
