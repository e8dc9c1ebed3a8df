// Constant tables of the ARIB string decoder (internal to text/).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace arib {

// One Shift_JIS character as lead and trail byte.
struct SjisChar {
  uint8_t lead;
  uint8_t trail;
};

// JIS X 0208 row/cell bytes (0x21-0x7E each) to Shift_JIS.
constexpr SjisChar JisToSjis(uint8_t c1, uint8_t c2) {
  uint8_t trail = (c1 & 1) ? uint8_t(c2 + 0x1F + (c2 >= 0x60 ? 1 : 0)) : uint8_t(c2 + 0x7E);
  uint8_t lead = uint8_t((c1 + 1) / 2 + (c1 < 0x5F ? 0x70 : 0xB0));
  return {lead, trail};
}

// Cells (row and cell bytes 0x21-0x7E) of the two-byte sets that are not
// converted by the arithmetic alone, listed in AribStringKanjiCells.h.
struct CellRange {
  uint16_t first;  // c1 << 8 | c2, inclusive, in row-major cell order
  uint16_t last;
};
struct CellOverride {
  uint16_t cell;
  uint16_t sjis;
};

// Shift_JIS for every cell of a 94x94 set, indexed by CellIndex.
constexpr int kCellsPerRow = 94;
using KanjiCellTable = std::array<SjisChar, std::size_t{kCellsPerRow} * kCellsPerRow>;
constexpr std::size_t CellIndex(uint8_t c1, uint8_t c2) {
  return std::size_t(c1 - 0x21) * kCellsPerRow + std::size_t(c2 - 0x21);
}

// The Kanji set (rows 0x7A-0x7E, the additional symbols, are looked up
// before this table and hold the geta mark here) and the JIS-compatible
// Kanji plane 1. Every entry is a character of code page 932.
extern const KanjiCellTable kKanjiSetCells;
extern const KanjiCellTable kJisPlane1Cells;

// A one-byte graphic set: 128 entries indexed by the 7-bit character code.
// Entries 0x00-0x20 and 0x7F hold the full-width space.
using OneByteSetTable = std::array<SjisChar, 128>;

extern const OneByteSetTable kAlphanumericTable;
extern const OneByteSetTable kHiraganaTable;
extern const OneByteSetTable kKatakanaTable;

// Additional symbols: (first code, last code) pairs of 14-bit codes
// ((byte1 & 0x7F) << 8 | (byte2 & 0x7F)), ended by a pair whose first code is 0.
extern const uint32_t kAdditionalSymbolRanges[4][2];

// Replacement texts: 100 slots per range, slot k * 100 + (code - first code of
// range k); each a NUL-terminated Shift_JIS string of 1 to 6 bytes, or empty.
constexpr int kAdditionalSymbolSlotsPerRange = 100;
constexpr int kAdditionalSymbolRangeCount = 3;
constexpr int kAdditionalSymbolTextSize = 7;
using AdditionalSymbolText = std::array<char, kAdditionalSymbolTextSize>;
using AdditionalSymbolTextTable = std::array<AdditionalSymbolText, std::size_t{kAdditionalSymbolRangeCount} *
                                                                       kAdditionalSymbolSlotsPerRange>;
extern const AdditionalSymbolTextTable kAdditionalSymbolTexts;

// The replacement text of an additional-symbol code, or null if no range
// holds it.
const char* FindAdditionalSymbolText(uint32_t code);

}  // namespace arib
