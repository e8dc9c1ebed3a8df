#include "AribString.h"

#include <array>
#include <cstring>

#include "AribStringTables.h"

namespace {

using arib::SjisChar;

// Code-set numbers held by the graphic registers.
enum CodeSet : uint8_t {
  kKanji = 0,
  kAlphanumeric = 1,
  kHiragana = 2,
  kKatakana = 3,
  // Sets without output: one byte per character.
  kMosaicA = 4,
  kMosaicB = 5,
  kMosaicC = 6,
  kMosaicD = 7,
  kProportionalAlphanumeric = 8,
  kProportionalHiragana = 9,
  kProportionalKatakana = 10,
  kJisX0201Katakana = 11,
  kJisKanjiPlane1 = 12,
  kJisKanjiPlane2 = 13,
  kAdditionalSymbols = 14,
  kUnknownSet = 0xFF,
};

constexpr std::array<uint8_t, 256> BuildFinalByteSets() {
  std::array<uint8_t, 256> sets{};
  for (auto& set : sets) set = kUnknownSet;
  sets[0x42] = kKanji;
  sets[0x4A] = kAlphanumeric;
  sets[0x30] = kHiragana;
  sets[0x31] = kKatakana;
  sets[0x32] = kMosaicA;
  sets[0x33] = kMosaicB;
  sets[0x34] = kMosaicC;
  sets[0x35] = kMosaicD;
  sets[0x36] = kProportionalAlphanumeric;
  sets[0x37] = kProportionalHiragana;
  sets[0x38] = kProportionalKatakana;
  sets[0x49] = kJisX0201Katakana;
  sets[0x39] = kJisKanjiPlane1;
  sets[0x3A] = kJisKanjiPlane2;
  sets[0x3B] = kAdditionalSymbols;
  return sets;
}
constexpr std::array<uint8_t, 256> kFinalByteSets = BuildFinalByteSets();

enum ByteClass : uint8_t {
  kSkip,  // control bytes, space, 0x7F-0xA0: consumed, no output
  kEnd,   // 0x00
  kLockingShift0,
  kLockingShift1,
  kSingleShift2,
  kSingleShift3,
  kEscape,
  kGlCharacter,
  kGrCharacter,
};

constexpr std::array<uint8_t, 256> BuildByteClasses() {
  std::array<uint8_t, 256> classes{};
  for (std::size_t b = 0x21; b <= 0x7E; ++b) classes[b] = kGlCharacter;
  for (std::size_t b = 0xA1; b <= 0xFF; ++b) classes[b] = kGrCharacter;
  classes[0x00] = kEnd;
  classes[0x0F] = kLockingShift0;
  classes[0x0E] = kLockingShift1;
  classes[0x19] = kSingleShift2;
  classes[0x1D] = kSingleShift3;
  classes[0x1B] = kEscape;
  return classes;
}
constexpr std::array<uint8_t, 256> kByteClasses = BuildByteClasses();

// Rows 0x7A-0x7E of the Kanji set hold the broadcaster's additional symbols,
// replaced by texts. In the JIS-compatible plane 1 they are kanji.
constexpr uint8_t kFirstAdditionalSymbolRow = 0x7A;
constexpr SjisChar kGetaMark = {0x81, 0xAC};  // 〓

const arib::OneByteSetTable* const kOneByteSetTables[3] = {&arib::kAlphanumericTable, &arib::kHiraganaTable,
                                                           &arib::kKatakanaTable};

// Destination writer: a character is written only if it and the terminator
// fit; with size 0 (no destination) nothing is ever written.
struct Output {
  char* destination;
  uint32_t size;
  uint32_t position;

  void Put(SjisChar character) {
    if (size - position > 3) {
      destination[position] = char(character.lead);
      destination[position + 1] = char(character.trail);
      position += 2;
    }
  }

  void PutText(const char* text) {
    const uint32_t length = uint32_t(std::strlen(text));
    if (length + 1 < size - position) {
      std::memcpy(destination + position, text, length);
      position += length;
    }
  }
};

struct Registers {
  uint8_t g[4] = {kKanji, kAlphanumeric, kHiragana, kKatakana};
  uint8_t gl = 0;  // register invoked into GL
  uint8_t gr = 2;  // register invoked into GR
};

inline bool IsGraphic94(uint8_t c) { return uint8_t(c - 0x21) < 0x5E; }

inline void PutAdditionalSymbol(uint8_t c1, uint8_t c2, Output& out) {
  if (const char* text = arib::FindAdditionalSymbolText(uint32_t(c1 & 0x7F) << 8 | (c2 & 0x7F)))
    out.PutText(text);
}

// One character of `set` starting at p[0], with `available` (>= 1) bytes left.
// `offset` is taken off every byte (0x80 for GR). Returns the bytes consumed,
// or 0 when the character is cut by the end of the source.
inline uint32_t DecodeCharacter(uint8_t set, const uint8_t* p, uint32_t available, uint8_t offset,
                                Output& out) {
  switch (set) {
    case kAlphanumeric:
    case kHiragana:
    case kKatakana: {
      const uint8_t c = uint8_t(p[0] - offset);
      // Only a byte after a single shift can be 0x80 or more: no table entry.
      if (c < 0x80) out.Put((*kOneByteSetTables[set - kAlphanumeric])[c]);
      return 1;
    }
    case kKanji:
    case kJisKanjiPlane1:
    case kJisKanjiPlane2:
    case kAdditionalSymbols: {
      if (available < 2 || p[1] == 0) return 0;
      const uint8_t c1 = uint8_t(p[0] - offset);
      const uint8_t c2 = uint8_t(p[1] - offset);
      const bool graphic = IsGraphic94(c1) && IsGraphic94(c2);
      // The additional symbols: their own set, or the kanji set's rows from
      // kFirstAdditionalSymbolRow on.
      if (set == kAdditionalSymbols || (graphic && set == kKanji && c1 >= kFirstAdditionalSymbolRow)) {
        PutAdditionalSymbol(c1, c2, out);
      } else if (!graphic) {
        // Not a character of a 94x94 set: nothing.
      } else if (set == kJisKanjiPlane2) {
        out.Put(kGetaMark);  // plane 2 has no Shift_JIS counterpart
      } else {
        // Each cell's code page 932 character, or the geta mark where there
        // is none (rows 85-86 hold the broadcaster's additional kanji).
        const arib::KanjiCellTable& cells = set == kKanji ? arib::kKanjiSetCells : arib::kJisPlane1Cells;
        out.Put(cells[arib::CellIndex(c1, c2)]);
      }
      return 2;
    }
    default:  // sets without output
      return 1;
  }
}

inline void Designate(Registers& registers, int index, uint8_t finalByte) {
  const uint8_t set = kFinalByteSets[finalByte];
  if (set != kUnknownSet) registers.g[index] = set;
}

// An escape sequence starting at p[0] (ESC). Returns the bytes consumed, or 0
// when the sequence is cut by the end of the source or by a 0x00 byte.
uint32_t DecodeEscape(const uint8_t* p, uint32_t available, Registers& registers) {
  auto byteAt = [&](uint32_t i) -> int { return i < available && p[i] != 0 ? p[i] : -1; };
  const int b1 = byteAt(1);
  if (b1 < 0) return 0;
  switch (b1) {
    case 0x6E: registers.gl = 2; return 2;  // LS2
    case 0x6F: registers.gl = 3; return 2;  // LS3
    case 0x7E: registers.gr = 1; return 2;  // LS1R
    case 0x7D: registers.gr = 2; return 2;  // LS2R
    case 0x7C: registers.gr = 3; return 2;  // LS3R
    case 0x28:
    case 0x29:
    case 0x2A:
    case 0x2B: {  // one-byte form: G0-G3
      const int b2 = byteAt(2);
      if (b2 < 0) return 0;
      if (b2 != 0x20) {
        Designate(registers, b1 - 0x28, uint8_t(b2));
        return 3;
      }
      const int finalByte = byteAt(3);  // DRCS form
      if (finalByte < 0) return 0;
      Designate(registers, b1 - 0x28, uint8_t(finalByte));
      return 4;
    }
    case 0x24: {  // two-byte form
      const int b2 = byteAt(2);
      if (b2 < 0) return 0;
      if (b2 < 0x28 || b2 > 0x2B) {
        Designate(registers, 0, uint8_t(b2));
        return 3;
      }
      const int b3 = byteAt(3);
      if (b3 < 0) return 0;
      if (b3 == 0x20) {
        const int finalByte = byteAt(4);
        if (finalByte < 0) return 0;
        Designate(registers, b2 - 0x28, uint8_t(finalByte));
        return 5;
      }
      if (b2 == 0x28) return 2;  // ESC 0x24 only; 0x28 is read as a character
      Designate(registers, b2 - 0x28, uint8_t(b3));
      return 4;
    }
    default: return 2;
  }
}

}  // namespace

void DecodeAribString(const uint8_t* source, uint32_t sourceLength, char* destination,
                      uint32_t destinationSize) {
  Output out{destination, destination ? destinationSize : 0, 0};
  Registers registers;
  if (!source) sourceLength = 0;

  uint32_t position = 0;
  while (position < sourceLength) {
    const uint8_t* p = source + position;
    const uint32_t available = sourceLength - position;
    uint32_t used;
    switch (kByteClasses[p[0]]) {
      case kGlCharacter: used = DecodeCharacter(registers.g[registers.gl], p, available, 0, out); break;
      case kGrCharacter: used = DecodeCharacter(registers.g[registers.gr], p, available, 0x80, out); break;
      case kSkip: used = 1; break;
      case kLockingShift0:
        registers.gl = 0;
        used = 1;
        break;
      case kLockingShift1:
        registers.gl = 1;
        used = 1;
        break;
      case kSingleShift2:
      case kSingleShift3: {
        const uint8_t set = registers.g[p[0] == 0x19 ? 2 : 3];
        used = 0;
        if (available >= 2 && p[1] != 0) {
          used = DecodeCharacter(set, p + 1, available - 1, 0, out);
          if (used) ++used;
        }
        break;
      }
      case kEscape: used = DecodeEscape(p, available, registers); break;
      default:  // 0x00
        used = 0;
        break;
    }
    if (used == 0) break;
    position += used;
  }
  if (out.size > 0) destination[out.position] = '\0';
}
