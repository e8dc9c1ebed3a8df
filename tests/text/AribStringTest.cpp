// DecodeAribString: ARIB 8-unit coded strings to Shift_JIS.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AribString.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kAa = "\x88\x9F";  // 亜
const std::string kFullWidthSpace = "\x81\x40";
const std::string kGeta = "\x81\xAC";  // 〓

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Decodes from a heap copy of exactly the source's size into a heap buffer of
// exactly `destinationSize` bytes, so that the address sanitizer sees any
// access past either end. Checks the terminator and returns the text.
std::string Decode(const Bytes& source, uint32_t destinationSize = 256) {
  std::unique_ptr<uint8_t[]> input(new uint8_t[source.size()]);
  if (!source.empty()) std::memcpy(input.get(), source.data(), source.size());
  std::unique_ptr<char[]> output(new char[destinationSize]);
  std::memset(output.get(), 0x55, destinationSize);
  DecodeAribString(input.get(), uint32_t(source.size()), output.get(), destinationSize);
  const void* terminator = std::memchr(output.get(), '\0', destinationSize);
  EXPECT_NE(terminator, nullptr) << "destination not terminated";
  if (!terminator) return std::string();
  return std::string(output.get());
}

// Escape sequences used below.
const Bytes kDesignateG0Kanji = {0x1B, 0x24, 0x42};
const Bytes kDesignateG1Hiragana = {0x1B, 0x29, 0x30};
const Bytes kDesignateG2Kanji = {0x1B, 0x24, 0x2A, 0x42};
const Bytes kDesignateG3AdditionalSymbols = {0x1B, 0x2B, 0x3B};
const Bytes kLockingShift1 = {0x0E};
const Bytes kLockingShift3 = {0x1B, 0x6F};
const Bytes kSingleShift2 = {0x19};
const Bytes kSingleShift3 = {0x1D};

TEST(AribStringBasics, EmptySourceYieldsEmptyString) {
  EXPECT_EQ(Decode({}), "");
  EXPECT_EQ(Decode({0x00, 0x30, 0x21}), "");
}

TEST(AribStringBasics, StopsAtFirstZeroByte) {
  EXPECT_EQ(Decode({0x30, 0x21, 0x00, 0x30, 0x21}), kAa);
  // Also where a character or an escape sequence needs more bytes.
  EXPECT_EQ(Decode({0x30, 0x21, 0x30, 0x00, 0x21}), kAa);
  EXPECT_EQ(Decode({0x30, 0x21, 0x1B, 0x24, 0x00, 0x30, 0x21}), kAa);
  EXPECT_EQ(Decode({0x30, 0x21, 0x19, 0x00, 0x30, 0x21}), kAa);
}

TEST(AribStringBasics, ControlBytesAndSpaceProduceNothing) {
  EXPECT_EQ(Decode({0x30, 0x21, 0x20, 0x30, 0x21}), kAa + kAa);
  Bytes source = {0x30, 0x21};
  for (int b = 0x01; b <= 0x20; ++b)
    if (b != 0x0E && b != 0x0F && b != 0x19 && b != 0x1B && b != 0x1D) source.push_back(uint8_t(b));
  for (int b = 0x7F; b <= 0xA0; ++b) source.push_back(uint8_t(b));
  source.insert(source.end(), {0x30, 0x21});
  EXPECT_EQ(Decode(source), kAa + kAa);
}

TEST(AribStringKanji, DesignatedOrInitialKanjiConverts) {
  EXPECT_EQ(Decode(Concat({kDesignateG0Kanji, {0x30, 0x21}})), kAa);
  EXPECT_EQ(Decode({0x30, 0x21}), kAa);
}

TEST(AribStringKanji, ArithmeticEdges) {
  EXPECT_EQ(Decode({0x21, 0x21}), kFullWidthSpace);
  EXPECT_EQ(Decode({0x31, 0x5F}), "\x89\x7E");  // 円: odd row, trail below 0x7F
  EXPECT_EQ(Decode({0x31, 0x60}), "\x89\x80");  // 園: odd row, trail skips 0x7F
  EXPECT_EQ(Decode({0x5E, 0x7E}), "\x9F\xFC");  // 滌: last lead below 0xA0
  EXPECT_EQ(Decode({0x5F, 0x21}), "\xE0\x40");  // 漾: first lead from 0xE0
  EXPECT_EQ(Decode({0x74, 0x26}), "\xEA\xA4");  // 熙: last JIS X 0208 kanji
}

TEST(AribStringKanji, GrBytesLoseTheirHighBit) {
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, {0xB0, 0xA1}})), kAa);
}

TEST(AribStringKanji, BytesOutsideTheCodeTableProduceNothing) {
  // A second byte outside 0x21-0x7E is no JIS X 0208 cell: no output, both
  // bytes consumed.
  EXPECT_EQ(Decode({0x30, 0x20, 0x30, 0x21}), kAa);
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, {0xB0, 0x21, 0xB0, 0xA1}})), kAa);
  // A single shift passes raw bytes: 0xA0 0x82 would otherwise become two NUL
  // bytes, 0x30 0x1F a Shift_JIS trail byte 0x3E.
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, kSingleShift2, {0xA0, 0x82}, {0x30, 0x21}})), kAa);
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, kSingleShift2, {0x30, 0x1F}, {0x30, 0x21}})), kAa);
}

TEST(AribStringOneByteSets, AlphanumericTableIsFullWidth) {
  Bytes source = kLockingShift1;
  for (int code = 0x21; code <= 0x7E; ++code) source.push_back(uint8_t(code));
  const std::string expected =
      // ！ ” ＃ ＄ ％ ＆ ’ （ ） ＊ ＋ ， － ． ／
      "\x81\x49\x81\x68\x81\x94\x81\x90\x81\x93\x81\x95\x81\x66\x81\x69\x81\x6A\x81\x96\x81\x7B"
      "\x81\x43\x81\x7C\x81\x44\x81\x5E"
      // ０-９
      "\x82\x4F\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56\x82\x57\x82\x58"
      // ： ； ＜ ＝ ＞ ？ ＠
      "\x81\x46\x81\x47\x81\x83\x81\x81\x81\x84\x81\x48\x81\x97"
      // Ａ-Ｚ
      "\x82\x60\x82\x61\x82\x62\x82\x63\x82\x64\x82\x65\x82\x66\x82\x67\x82\x68\x82\x69\x82\x6A"
      "\x82\x6B\x82\x6C\x82\x6D\x82\x6E\x82\x6F\x82\x70\x82\x71\x82\x72\x82\x73\x82\x74\x82\x75"
      "\x82\x76\x82\x77\x82\x78\x82\x79"
      // ［ ￥ ］ ＾ ＿, then a full-width space for 0x60
      "\x81\x6D\x81\x8F\x81\x6E\x81\x4F\x81\x51\x81\x40"
      // ａ-ｚ
      "\x82\x81\x82\x82\x82\x83\x82\x84\x82\x85\x82\x86\x82\x87\x82\x88\x82\x89\x82\x8A\x82\x8B"
      "\x82\x8C\x82\x8D\x82\x8E\x82\x8F\x82\x90\x82\x91\x82\x92\x82\x93\x82\x94\x82\x95\x82\x96"
      "\x82\x97\x82\x98\x82\x99\x82\x9A"
      // ｛ ｜ ｝ ￣
      "\x81\x6F\x81\x62\x81\x70\x81\x50";
  EXPECT_EQ(Decode(source, 1024), expected);
}

TEST(AribStringOneByteSets, HiraganaTable) {
  EXPECT_EQ(Decode({0xA2}), "\x82\xA0");                // あ, initial GR = G2 = hiragana
  EXPECT_EQ(Decode({0xA1, 0xF3}), "\x82\x9F\x82\xF1");  // ぁ ん
  EXPECT_EQ(Decode({0xF4, 0xF5, 0xF6}), kFullWidthSpace + kFullWidthSpace + kFullWidthSpace);
  // ゝ ゞ ー 。 「 」 、 ・
  EXPECT_EQ(Decode({0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}),
            "\x81\x54\x81\x55\x81\x5B\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45");
  EXPECT_EQ(Decode({0xFF}), kFullWidthSpace);  // entry 0x7F
}

TEST(AribStringOneByteSets, KatakanaTable) {
  // ァ, ミ and ム around the Shift_JIS gap at 0x7F, ヶ
  EXPECT_EQ(Decode({0x1B, 0x7C, 0xA1, 0xDF, 0xE0, 0xF6}), "\x83\x40\x83\x7E\x83\x80\x83\x96");
  // ヽ ヾ ー 。 「 」 、 ・
  EXPECT_EQ(Decode({0x1B, 0x7C, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE}),
            "\x81\x52\x81\x53\x81\x5B\x81\x42\x81\x75\x81\x76\x81\x41\x81\x45");
}

TEST(AribStringOneByteSets, SetsWithoutOutputConsumeOneByteEach) {
  // Mosaic A-D, proportional sets and JIS X 0201 katakana. If a character took
  // two bytes, the locking shift after it would be swallowed.
  for (uint8_t finalByte : {0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x49}) {
    EXPECT_EQ(Decode({0x1B, 0x28, finalByte, 0x21, 0x0E, 0x41}), "\x82\x60")
        << "final byte " << int(finalByte);
    EXPECT_EQ(Decode({0x1B, 0x2A, finalByte, 0xA1, 0xA2, 0x30, 0x21}), kAa)
        << "final byte " << int(finalByte);
  }
}

TEST(AribStringDesignation, OneByteFormIntoG1) {
  EXPECT_EQ(Decode(Concat({kDesignateG1Hiragana, kLockingShift1, {0x22}})), "\x82\xA0");
}

TEST(AribStringDesignation, SetSizeBelongsToTheSetNotTheSequence) {
  EXPECT_EQ(Decode({0x1B, 0x29, 0x42, 0x0E, 0x30, 0x21}), kAa);         // Kanji, one-byte form
  EXPECT_EQ(Decode({0x1B, 0x24, 0x29, 0x4A, 0x0E, 0x41}), "\x82\x60");  // alphanumeric, two-byte form
}

TEST(AribStringDesignation, DrcsFormsUseTheSameFinalBytes) {
  EXPECT_EQ(Decode({0x1B, 0x28, 0x20, 0x4A, 0x41}), "\x82\x60");              // G0 := alphanumeric
  EXPECT_EQ(Decode({0x1B, 0x24, 0x28, 0x20, 0x30, 0x22}), "\x82\xA0");        // G0 := hiragana
  EXPECT_EQ(Decode({0x1B, 0x24, 0x29, 0x20, 0x42, 0x0E, 0x30, 0x21}), kAa);   // G1 := Kanji
  EXPECT_EQ(Decode({0x1B, 0x2B, 0x20, 0x30, 0x1B, 0x6F, 0x22}), "\x82\xA0");  // G3 := hiragana
}

TEST(AribStringDesignation, UnknownFinalByteLeavesRegister) {
  EXPECT_EQ(Decode({0x1B, 0x28, 0x40, 0x30, 0x21}), kAa);
  EXPECT_EQ(Decode({0x1B, 0x24, 0x40, 0x30, 0x21}), kAa);
  EXPECT_EQ(Decode({0x1B, 0x28, 0x20, 0x40, 0x30, 0x21}), kAa);
}

TEST(AribStringDesignation, TwoByteFormIntoG0WithoutSpaceConsumesOnlyTwoBytes) {
  // ESC 0x24 is consumed; 0x28 0x41 is then one Kanji character, one that
  // JIS X 0208 leaves unassigned.
  EXPECT_EQ(Decode({0x1B, 0x24, 0x28, 0x41}), kGeta);
}

TEST(AribStringDesignation, UnknownEscapeConsumesTwoBytes) {
  EXPECT_EQ(Decode({0x1B, 0x40, 0x30, 0x21}), kAa);
}

TEST(AribStringInvocation, InvocationRefersToTheRegister) {
  // GL holds G1; designating hiragana into G1 changes what GL bytes produce.
  EXPECT_EQ(Decode({0x0E, 0x41, 0x1B, 0x29, 0x30, 0x22}), "\x82\x60\x82\xA0");
}

TEST(AribStringInvocation, LockingShifts) {
  EXPECT_EQ(Decode({0x0E, 0x41, 0x0F, 0x30, 0x21}), "\x82\x60" + kAa);          // LS1, LS0
  EXPECT_EQ(Decode({0x1B, 0x6E, 0x22}), "\x82\xA0");                            // LS2
  EXPECT_EQ(Decode({0x1B, 0x6F, 0x22}), "\x83\x41");                            // LS3
  EXPECT_EQ(Decode({0x1B, 0x7E, 0xC1}), "\x82\x60");                            // LS1R
  EXPECT_EQ(Decode({0x1B, 0x7C, 0xA2, 0x1B, 0x7D, 0xA2}), "\x83\x41\x82\xA0");  // LS3R, LS2R
}

TEST(AribStringSingleShift, AffectsOneCharacterOnly) {
  EXPECT_EQ(Decode(Concat({kSingleShift3, {0x22}, {0x30, 0x21}})), "\x83\x41" + kAa);
  EXPECT_EQ(Decode(Concat({kSingleShift2, {0x22}, {0x30, 0x21}})), "\x82\xA0" + kAa);
}

TEST(AribStringSingleShift, IntoTwoByteSet) {
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, kSingleShift2, {0x30, 0x21}, {0xB0, 0xA1}})), kAa + kAa);
}

TEST(AribStringSingleShift, ByteWithHighBitInOneByteSetProducesNothing) {
  EXPECT_EQ(Decode(Concat({kSingleShift2, {0xA2}, {0x30, 0x21}})), kAa);
  EXPECT_EQ(Decode(Concat({kSingleShift3, {0xFF}, {0x30, 0x21}})), kAa);
}

TEST(AribStringSingleShift, LowBytesAddressTheTable) {
  EXPECT_EQ(Decode(Concat({kSingleShift2, {0x20}, {0x30, 0x21}})), kFullWidthSpace + kAa);
}

struct SymbolCase {
  uint16_t code;
  const char* text;
};

// Every range and sub-range with its edges, and codes just outside.
const SymbolCase kSymbolCases[] = {
    {0x7A4F, ""},
    {0x7A50, "[HV]"},
    {0x7A55, "[\x8E\xE8]"},  // [手]
    {0x7A56, "[\x8E\x9A]"},  // [字]
    {0x7A5F, "[N]"},
    {0x7A60, "\x81\xA1"},  // ■
    {0x7A61, "\x81\x9C"},  // ●
    {0x7A67, "_"},
    {0x7A68, "[\x91\x4F]"},  // [前]
    {0x7A72, "[PPV]"},
    {0x7A73, "(\x94\xE9)"},          // (秘)
    {0x7A74, "<\x82\xD9\x82\xA9>"},  // <ほか>
    {0x7A75, ""},
    {0x7D6D, ""},
    {0x7D6E, "!!"},
    {0x7D6F, "!?"},
    {0x7D70, ""},
    {0x7E20, ""},
    {0x7E21, "\x87\x54"},          // Ⅰ
    {0x7E2A, "\x87\x5D"},          // Ⅹ
    {0x7E2B, "\x87\x5D\x87\x54"},  // ⅩⅠ
    {0x7E2C, "\x87\x5D\x87\x55"},  // ⅩⅡ
    {0x7E2D, "(17)"},
    {0x7E30, "(20)"},
    {0x7E31, "(1)"},
    {0x7E3C, "(12)"},
    {0x7E3D, "(21)"},
    {0x7E40, "(24)"},
    {0x7E41, "(A)"},
    {0x7E5A, "(Z)"},
    {0x7E5B, "(25)"},
    {0x7E60, "(30)"},
    {0x7E61, "\x87\x40"},  // ①
    {0x7E70, "\x87\x4F"},  // ⑯
    {0x7E71, "<1>"},
    {0x7E7C, "<12>"},
    {0x7E7D, "(31)"},
    {0x7E7E, ""},
};

TEST(AribStringAdditionalSymbols, RangesAndEdgesInGl) {
  for (const SymbolCase& c : kSymbolCases) {
    const Bytes code = {uint8_t(c.code >> 8), uint8_t(c.code)};
    EXPECT_EQ(Decode(Concat({kDesignateG3AdditionalSymbols, kLockingShift3, code})), c.text)
        << std::hex << c.code;
  }
}

TEST(AribStringAdditionalSymbols, RangesAndEdgesInGr) {
  for (const SymbolCase& c : kSymbolCases) {
    const Bytes code = {uint8_t(c.code >> 8 | 0x80), uint8_t(c.code | 0x80)};
    EXPECT_EQ(Decode(Concat({kDesignateG3AdditionalSymbols, {0x1B, 0x7C}, code})), c.text)
        << std::hex << c.code;
  }
}

TEST(AribStringAdditionalSymbols, EveryCodeOfEveryRangeHasAText) {
  const uint16_t ranges[][2] = {{0x7A50, 0x7A74}, {0x7D6E, 0x7D6F}, {0x7E21, 0x7E7D}};
  for (const auto& range : ranges) {
    for (uint16_t code = range[0]; code <= range[1]; ++code) {
      const std::string text =
          Decode(Concat({kDesignateG3AdditionalSymbols, kSingleShift3, {uint8_t(code >> 8), uint8_t(code)}}));
      EXPECT_GE(text.size(), 1u) << std::hex << code;
      EXPECT_LE(text.size(), 6u) << std::hex << code;
    }
  }
}

TEST(AribStringAdditionalSymbols, ExamplesFromBroadcastTitles) {
  EXPECT_EQ(Decode(Concat({kDesignateG3AdditionalSymbols, kLockingShift3, {0x7A, 0x50}})), "[HV]");
  EXPECT_EQ(Decode(Concat({kDesignateG3AdditionalSymbols, kLockingShift3, {0x7A, 0x75}})), "");
}

// Kanji-set rows 0x7A-0x7E are the additional symbols; converting them by
// arithmetic gave wrong kanji and lead bytes 0xEF that are no Shift_JIS.
TEST(AribStringKanjiAdditionalSymbolRows, AreLookedUpNotConverted) {
  EXPECT_EQ(Decode({0x7A, 0x56}), "[\x8E\x9A]");  // [字], not 橳
  EXPECT_EQ(Decode({0x7D, 0x6E}), "!!");
  EXPECT_EQ(Decode({0x7E, 0x21}), "\x87\x54");  // Ⅰ
  EXPECT_EQ(Decode(Concat({kDesignateG2Kanji, {0xFA, 0xD0}})), "[HV]");
  // The JIS-compatible plane 1 has kanji there: 腠, which code page 932 lacks.
  EXPECT_EQ(Decode({0x1B, 0x24, 0x39, 0x7A, 0x50, 0x30, 0x21}), kGeta + kAa);
}

TEST(AribStringKanjiAdditionalSymbolRows, CodesInNoRangeProduceNothing) {
  EXPECT_EQ(Decode({0x7A, 0x21, 0x7B, 0x30, 0x7C, 0x40, 0x7D, 0x21, 0x7E, 0x7E, 0x30, 0x21}), kAa);
}

// Plane 2 of the JIS-compatible Kanji set has no Shift_JIS characters: each
// one shows as the geta mark instead of an unrelated plane-1 kanji.
TEST(AribStringJisKanjiPlane2, EachCharacterIsAGetaMark) {
  EXPECT_EQ(Decode({0x1B, 0x24, 0x3A, 0x30, 0x21, 0x21, 0x21}), kGeta + kGeta);
  EXPECT_EQ(Decode({0x1B, 0x24, 0x2A, 0x3A, 0xB0, 0xA1, 0x1B, 0x24, 0x42, 0x30, 0x21}), kGeta + kAa);
}

TEST(AribStringDestinationSize, CharactersThatDoNotFitAreDropped) {
  const Bytes fourKanji = {0x30, 0x21, 0x30, 0x21, 0x30, 0x21, 0x30, 0x21};
  std::unique_ptr<char[]> output(new char[6]);
  std::memset(output.get(), 0x55, 6);
  DecodeAribString(fourKanji.data(), uint32_t(fourKanji.size()), output.get(), 6);
  EXPECT_EQ(std::string(output.get()), kAa + kAa);
  EXPECT_EQ(output[5], 0x55) << "the sixth byte stays unwritten";
}

TEST(AribStringDestinationSize, SizeOneYieldsEmptyString) {
  EXPECT_EQ(Decode({0x30, 0x21}, 1), "");
  EXPECT_EQ(Decode({0x0E, 0x41}, 3), "");  // 0 + 2 + 1 is not below 3
  EXPECT_EQ(Decode({0x0E, 0x41}, 4), "\x82\x60");
}

TEST(AribStringDestinationSize, ShorterCharacterAfterDroppedLongerOne) {
  // 亜 亜 [HV] !!: below 10 bytes, [HV] (4 + 4 + 1 < size) is dropped and !!
  // (4 + 2 + 1 < size) still fits.
  const Bytes source = Concat({{0x30, 0x21, 0x30, 0x21},
                               kDesignateG3AdditionalSymbols,
                               kSingleShift3,
                               {0x7A, 0x50},
                               kSingleShift3,
                               {0x7D, 0x6E}});
  EXPECT_EQ(Decode(source, 7), kAa + kAa);
  EXPECT_EQ(Decode(source, 8), kAa + kAa + "!!");
  EXPECT_EQ(Decode(source, 9), kAa + kAa + "!!");
  EXPECT_EQ(Decode(source, 10), kAa + kAa + "[HV]");
  EXPECT_EQ(Decode(source, 11), kAa + kAa + "[HV]");
  EXPECT_EQ(Decode(source, 12), kAa + kAa + "[HV]!!");
}

// A destination that takes nothing is left as it is: a null one with any
// size (a write through it would fault), and a real one of size 0.
TEST(AribStringDestinationSize, DestinationsThatTakeNothingAreNotWritten) {
  const Bytes source = {0x30, 0x21, 0x0E, 0x41};
  const struct {
    bool null;
    uint32_t size;
  } rows[] = {{true, 100}, {true, 0}, {false, 0}};
  for (const auto& row : rows) {
    char output[4] = {0x55, 0x55, 0x55, 0x55};
    DecodeAribString(source.data(), uint32_t(source.size()), row.null ? nullptr : output, row.size);
    EXPECT_EQ(std::string(output, sizeof output), std::string(4, 0x55)) << row.null << " " << row.size;
  }
}

// Every sequence cut at every byte stops there: nothing after the prefix, and
// no read past the end (the address sanitizer build checks the reads).
TEST(AribStringTruncation, EveryCutOfEverySequence) {
  const Bytes prefix = {0x30, 0x21};
  const Bytes sequences[] = {
      kDesignateG0Kanji,
      {0x1B, 0x28, 0x4A},
      {0x1B, 0x28, 0x20, 0x4A},
      {0x1B, 0x24, 0x28, 0x20, 0x42},
      {0x1B, 0x24, 0x29, 0x42},
      {0x1B, 0x24, 0x29, 0x20, 0x42},
      {0x1B, 0x6E},
      {0x30, 0x21},
      {0x1B, 0x24, 0x2A, 0x42, 0xB0, 0xA1},
      {0x19, 0x22},
      {0x1B, 0x24, 0x2B, 0x42, 0x1D, 0x30, 0x21},
      {0x1B, 0x2B, 0x3B, 0x1D, 0x7A, 0x50},
      {0x1B, 0x24, 0x3A, 0x30, 0x21},
      {0x1B, 0x24, 0x39, 0x7A, 0x50},
      {0x7A, 0x50},
      {0x76, 0x47},
  };
  for (const Bytes& sequence : sequences) {
    const Bytes whole = Concat({prefix, sequence});
    for (size_t cut = prefix.size(); cut < whole.size(); ++cut) {
      const Bytes truncated(whole.data(), whole.data() + cut);
      // A cut after a complete escape sequence leaves nothing but the prefix
      // either; a cut inside a character drops that character.
      EXPECT_EQ(Decode(truncated), kAa)
          << "cut at " << cut << " of sequence starting " << std::hex << int(sequence[0]);
    }
  }
}

TEST(AribStringTruncation, TwoByteFormIntoG0CutBeforeItsThirdByte) {
  EXPECT_EQ(Decode({0x30, 0x21, 0x1B, 0x24, 0x28}), kAa);
}

}  // namespace
