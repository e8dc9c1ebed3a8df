#include "AribStringTables.h"

#include "AribStringKanjiCells.h"

namespace arib {
namespace {

constexpr uint16_t kFullWidthSpace = 0x8140;
constexpr uint16_t kGetaMark = 0x81AC;  // 〓, for a character code page 932 cannot show

constexpr SjisChar Sjis(uint16_t code) { return {uint8_t(code >> 8), uint8_t(code)}; }

constexpr OneByteSetTable FullWidthSpaces() {
  OneByteSetTable table{};
  for (auto& entry : table) entry = Sjis(kFullWidthSpace);
  return table;
}

// Full-width forms of the JIS X 0201 Roman set, codes 0x21-0x7E.
constexpr uint16_t kAlphanumericCodes[94] = {
    // ! " # $ % & ' ( ) * + , - . /
    0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C,
    0x8144, 0x815E,
    // 0-9
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257, 0x8258,
    // : ; < = > ? @
    0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197,
    // A-Z
    0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C,
    0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279,
    // [ yen ] ^ _
    0x816D, 0x818F, 0x816E, 0x814F, 0x8151,
    // 0x60 is a full-width space, not a grave accent
    0x8140,
    // a-z
    0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D,
    0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A,
    // { | } overline
    0x816F, 0x8162, 0x8170, 0x8150};

// Codes 0x77-0x7E of the kana sets: iteration marks, then ー 。 「 」 、 ・.
constexpr uint16_t kHiraganaTail[8] = {0x8154, 0x8155, 0x815B, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145};
constexpr uint16_t kKatakanaTail[8] = {0x8152, 0x8153, 0x815B, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145};

constexpr OneByteSetTable BuildAlphanumericTable() {
  OneByteSetTable table = FullWidthSpaces();
  for (std::size_t code = 0x21; code <= 0x7E; ++code) table[code] = Sjis(kAlphanumericCodes[code - 0x21]);
  return table;
}

// Kana of JIS X 0208 row `row` (4 hiragana, 5 katakana) for codes 0x21..last,
// spaces up to 0x76, then the common tail.
constexpr OneByteSetTable BuildKanaTable(uint8_t row, uint8_t last, const uint16_t (&tail)[8]) {
  OneByteSetTable table = FullWidthSpaces();
  for (std::size_t code = 0x21; code <= last; ++code) table[code] = JisToSjis(row, uint8_t(code));
  for (std::size_t i = 0; i < 8; ++i) table[0x77 + i] = Sjis(tail[i]);
  return table;
}

// JIS-to-Shift_JIS arithmetic for every cell, except in `ranges`: there the
// code from `overrides`, else the geta mark.
template <std::size_t RangeCount, std::size_t OverrideCount>
constexpr KanjiCellTable BuildKanjiCells(const CellRange (&ranges)[RangeCount],
                                         const CellOverride (&overrides)[OverrideCount]) {
  auto index = [](uint16_t cell) { return CellIndex(uint8_t(cell >> 8), uint8_t(cell)); };
  KanjiCellTable table{};
  for (int c1 = 0x21; c1 <= 0x7E; ++c1)
    for (int c2 = 0x21; c2 <= 0x7E; ++c2)
      table[index(uint16_t(c1 << 8 | c2))] = JisToSjis(uint8_t(c1), uint8_t(c2));
  for (const CellRange& range : ranges)
    for (std::size_t i = index(range.first); i <= index(range.last); ++i) table[i] = Sjis(kGetaMark);
  for (const CellOverride& entry : overrides) table[index(entry.cell)] = Sjis(entry.sjis);
  return table;
}

// Built at compile time: constexpr fails the build where a runtime
// initialisation would otherwise be chosen silently.
constexpr KanjiCellTable kKanjiSetCellsBuilt =
    BuildKanjiCells(kanji_cells::kKanjiSetRanges, kanji_cells::kKanjiSetOverrides);
constexpr KanjiCellTable kJisPlane1CellsBuilt =
    BuildKanjiCells(kanji_cells::kJisPlane1Ranges, kanji_cells::kJisPlane1Overrides);

// Texts of each range in code order. Brackets, parentheses and angle brackets
// are ASCII; the rest is Shift_JIS.
constexpr const char* kRange7A50[] = {
    "[HV]",
    "[SD]",
    "[P]",
    "[W]",
    "[MV]",
    "[\x8E\xE8]",  // [手]
    "[\x8E\x9A]",  // [字]
    "[\x91\x6F]",  // [双]
    "[\x83\x66]",  // [デ]
    "[S]",
    "[\x93\xF1]",  // [二]
    "[\x91\xBD]",  // [多]
    "[\x89\xF0]",  // [解]
    "[SS]",
    "[B]",
    "[N]",
    "\x81\xA1",    // ■
    "\x81\x9C",    // ●
    "[\x93\x56]",  // [天]
    "[\x8C\xF0]",  // [交]
    "[\x89\x66]",  // [映]
    "[\x96\xB3]",  // [無]
    "[\x97\xBF]",  // [料]
    "_",
    "[\x91\x4F]",  // [前]
    "[\x8C\xE3]",  // [後]
    "[\x8D\xC4]",  // [再]
    "[\x90\x56]",  // [新]
    "[\x8F\x89]",  // [初]
    "[\x8F\x49]",  // [終]
    "[\x90\xB6]",  // [生]
    "[\x94\xCC]",  // [販]
    "[\x90\xBA]",  // [声]
    "[\x90\x81]",  // [吹]
    "[PPV]",
    "(\x94\xE9)",         // (秘)
    "<\x82\xD9\x82\xA9>"  // <ほか>
};

constexpr const char* kRange7D6E[] = {"!!", "!?"};

constexpr const char* kRange7E21[] = {
    // Roman numerals I to X, then XI and XII as two characters
    "\x87\x54", "\x87\x55", "\x87\x56", "\x87\x57", "\x87\x58", "\x87\x59", "\x87\x5A", "\x87\x5B",
    "\x87\x5C", "\x87\x5D", "\x87\x5D\x87\x54", "\x87\x5D\x87\x55", "(17)", "(18)", "(19)", "(20)", "(1)",
    "(2)", "(3)", "(4)", "(5)", "(6)", "(7)", "(8)", "(9)", "(10)", "(11)", "(12)", "(21)", "(22)", "(23)",
    "(24)", "(A)", "(B)", "(C)", "(D)", "(E)", "(F)", "(G)", "(H)", "(I)", "(J)", "(K)", "(L)", "(M)", "(N)",
    "(O)", "(P)", "(Q)", "(R)", "(S)", "(T)", "(U)", "(V)", "(W)", "(X)", "(Y)", "(Z)", "(25)", "(26)",
    "(27)", "(28)", "(29)", "(30)",
    // circled 1 to 16
    "\x87\x40", "\x87\x41", "\x87\x42", "\x87\x43", "\x87\x44", "\x87\x45", "\x87\x46", "\x87\x47",
    "\x87\x48", "\x87\x49", "\x87\x4A", "\x87\x4B", "\x87\x4C", "\x87\x4D", "\x87\x4E", "\x87\x4F", "<1>",
    "<2>", "<3>", "<4>", "<5>", "<6>", "<7>", "<8>", "<9>", "<10>", "<11>", "<12>", "(31)"};

static_assert(sizeof(kRange7A50) / sizeof(kRange7A50[0]) == 0x7A74 - 0x7A50 + 1);
static_assert(sizeof(kRange7D6E) / sizeof(kRange7D6E[0]) == 0x7D6F - 0x7D6E + 1);
static_assert(sizeof(kRange7E21) / sizeof(kRange7E21[0]) == 0x7E7D - 0x7E21 + 1);

template <std::size_t N>
constexpr void FillRange(AdditionalSymbolTextTable& table, int range, const char* const (&texts)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    AdditionalSymbolText& slot = table[std::size_t(range) * kAdditionalSymbolSlotsPerRange + i];
    for (std::size_t j = 0; texts[i][j] != '\0'; ++j) slot[j] = texts[i][j];
  }
}

constexpr AdditionalSymbolTextTable BuildAdditionalSymbolTexts() {
  AdditionalSymbolTextTable table{};
  FillRange(table, 0, kRange7A50);
  FillRange(table, 1, kRange7D6E);
  FillRange(table, 2, kRange7E21);
  return table;
}

}  // namespace

const KanjiCellTable kKanjiSetCells = kKanjiSetCellsBuilt;
const KanjiCellTable kJisPlane1Cells = kJisPlane1CellsBuilt;

const OneByteSetTable kAlphanumericTable = BuildAlphanumericTable();
const OneByteSetTable kHiraganaTable = BuildKanaTable(0x24, 0x73, kHiraganaTail);
const OneByteSetTable kKatakanaTable = BuildKanaTable(0x25, 0x76, kKatakanaTail);

const uint32_t kAdditionalSymbolRanges[4][2] = {{0x7A50, 0x7A74}, {0x7D6E, 0x7D6F}, {0x7E21, 0x7E7D}, {0, 0}};

const AdditionalSymbolTextTable kAdditionalSymbolTexts = BuildAdditionalSymbolTexts();

const char* FindAdditionalSymbolText(uint32_t code) {
  for (std::size_t k = 0; kAdditionalSymbolRanges[k][0] != 0; ++k) {
    if (kAdditionalSymbolRanges[k][0] <= code && code <= kAdditionalSymbolRanges[k][1])
      return kAdditionalSymbolTexts[k * kAdditionalSymbolSlotsPerRange +
                                    (code - kAdditionalSymbolRanges[k][0])]
          .data();
  }
  return nullptr;
}

}  // namespace arib
