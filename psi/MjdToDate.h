// Modified Julian Date to calendar date.
#pragma once
#include <cstdint>

// Converts a 16-bit MJD (days after 1858-11-17) to the Gregorian year, month
// and day. Any of the out pointers may be null.
void MjdToDate(uint16_t mjd, int32_t* year, int32_t* month, int32_t* day);

// Two BCD digits in one byte: high nibble * 10 + low nibble.
inline int32_t BcdToInt(uint8_t value) { return (value >> 4) * 10 + (value & 0x0F); }
