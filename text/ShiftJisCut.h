// Cutting a Shift_JIS (code page 932) text to a byte count without leaving
// half a double-byte character, which Windows shows as a broken character.
// Every text the plug-in cuts to fit a buffer goes through this one routine.
#pragma once
#include <cstddef>

namespace sjis {

// Lead bytes of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
inline bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Copies the longest run of whole characters of `text` (null reads as empty)
// that fits in size - 1 bytes, and a zero. A lead byte and the byte after it
// are one character; a lead byte that ends the text has lost its other half
// and is left out. Returns the number of bytes copied; writes nothing when
// size is 0.
size_t CopyShiftJisTruncated(char* destination, size_t size, const char* text);

// snprintf, but what does not fit is cut as CopyShiftJisTruncated cuts it.
size_t FormatShiftJisTruncated(char* destination, size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace sjis
