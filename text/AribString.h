// ARIB STD-B24 8-unit coded strings to Shift_JIS (code page 932).
#pragma once
#include <cstdint>

// Decodes `sourceLength` coded bytes (stopping early at a 0x00 byte) into a
// NUL-terminated Shift_JIS string in `destination` (`destinationSize` bytes,
// at least 1). A null destination decodes and writes nothing. Keeps no state
// between calls and never reads or writes outside the two buffers.
void DecodeAribString(const uint8_t* source, uint32_t sourceLength, char* destination,
                      uint32_t destinationSize);
