// The text routines that read the host's titles, channel buttons and status
// bar, with real Shift_JIS byte strings.
#include "HostText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace hosttext;

namespace {

// "番組情報", "リモコンっぽい物", "次番組"
const std::string kProgramme = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";
const std::string kRemote = "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8";
const std::string kNext = "\x8e\x9f\x94\xd4\x91\x67";

std::string Apply(const std::string& title, TitleRole* role) {
  char buffer[kTitleSize] = {};
  std::strncpy(buffer, title.c_str(), sizeof buffer - 1);
  *role = ApplyHostTitleRules(buffer);
  return buffer;
}

struct Slots {
  char slot[host::kChannelCount][kChannelSlotSize] = {};
  explicit Slots(const char* const names[host::kChannelCount]) {
    for (int i = 0; i < host::kChannelCount; ++i) FormatChannelSlot(slot[i], i + 1, names[i]);
  }
};

const char* const kEightNamed[host::kChannelCount] = {"Toto", "E",   "ZT1", "ZT2", "ZT3", "ZT4",
                                                      "ZT5",  "ZT6", "",    "",    "",    ""};

}  // namespace

TEST(HostTitleRules, ProgrammeTitlesBecomeTheShortName) {
  TitleRole role;
  EXPECT_EQ(Apply("Zentu - " + kProgramme + " - " + kNext, &role), kProgramme);
  EXPECT_EQ(role, TitleRole::kProgramme);
  EXPECT_EQ(Apply(kProgramme + " extra words", &role), kProgramme);
  EXPECT_EQ(role, TitleRole::kProgramme);
  EXPECT_EQ(Apply("Zentu - " + kProgramme, &role), "Zentu - " + kProgramme);  // the closing " -" is missing
  EXPECT_EQ(role, TitleRole::kOther);
}

TEST(HostTitleRules, RemoteTitleIsCutAfterItsName) {
  TitleRole role;
  EXPECT_EQ(Apply(kRemote + " (2)", &role), kRemote);
  EXPECT_EQ(role, TitleRole::kRemote);
  EXPECT_EQ(Apply(kRemote.substr(0, 14), &role), kRemote.substr(0, 14));
  EXPECT_EQ(role, TitleRole::kOther);
}

TEST(HostTitleRules, OnlyTheExactVideoTitleIsTheVideoWindow) {
  TitleRole role;
  EXPECT_EQ(Apply("Video", &role), "Video");
  EXPECT_EQ(role, TitleRole::kVideo);
  for (const char* other : {"Video ", "video", "VIDEO", "Vide", ""}) {
    EXPECT_EQ(Apply(other, &role), other);
    EXPECT_EQ(role, TitleRole::kOther) << other;
  }
}

TEST(HostRecordingText, OnlyTheTwoExactTextsMeanRecording) {
  EXPECT_TRUE(IsRecordingText("Recording"));
  EXPECT_TRUE(IsRecordingText("\x98\x5e\x89\xe6\x92\x86"));
  EXPECT_FALSE(IsRecordingText("Recording "));
  EXPECT_FALSE(IsRecordingText("recording"));
  EXPECT_FALSE(IsRecordingText("\x98\x5e\x89\xe6"));
  EXPECT_FALSE(IsRecordingText(""));
}

TEST(HostChannelSlots, FormattedFromNumberAndButtonText) {
  char slot[kChannelSlotSize];
  FormatChannelSlot(slot, 3, "ZT1");
  EXPECT_STREQ(slot, "ch3:ZT1");
  FormatChannelSlot(slot, 12, "");
  EXPECT_STREQ(slot, "ch12:");
}

// Unnamed only when the slot is its own channel's "ch<n>:" and nothing more.
TEST(HostChannelSlots, UnnamedIsExactlyItsOwnPrefix) {
  const struct {
    const char* slot;
    int channelNumber;
    bool unnamed;
  } rows[] = {
      {"ch3:", 3, true},     {"ch12:", 12, true}, {"ch3: ", 3, false},
      {"ch1:ZT1", 1, false}, {"ch3:", 4, false},  {"ch12:", 1, false},
      {"ch1:", 12, false},   {"ch1", 1, false},   {"", 1, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsChannelSlotUnnamed(row.slot, row.channelNumber), row.unnamed)
        << '"' << row.slot << "\" of channel " << row.channelNumber;
  }
}

TEST(HostChannelSlots, OverLongNamesAreCutInsideTheSlot) {
  char slot[kChannelSlotSize + 8];
  std::memset(slot, 'Z', sizeof slot);
  FormatChannelSlot(slot, 10, std::string(99, 'A').c_str());
  EXPECT_EQ(std::strlen(slot), kChannelSlotSize - 1);
  EXPECT_EQ(std::string(slot, 5), "ch10:");
  for (size_t i = kChannelSlotSize; i < sizeof slot; ++i) EXPECT_EQ(slot[i], 'Z') << "written past the slot";

  // 49 double-byte characters: the cut never leaves half a character.
  std::string wide;
  for (int i = 0; i < 49; ++i) wide += "\x83\x65";
  FormatChannelSlot(slot, 1, wide.c_str());  // "ch1:" + 94 bytes fits exactly
  EXPECT_EQ(std::strlen(slot), 4u + 94u);
  FormatChannelSlot(slot, 10, (std::string("x") + wide).c_str());  // 5 + 1 + 98 > 99
  size_t length = std::strlen(slot);
  EXPECT_LE(length, kChannelSlotSize - 1);
  EXPECT_EQ((length - 6) % 2, 0u) << "a lead byte was left without its trail byte";
}

TEST(HostCurrentChannel, FoundByColonAndSubstring) {
  const char* const names[host::kChannelCount] = {"Toto G", "Toto E", "TV", "TVK", "", "",
                                                  "",       "",       "",   "",    "", ""};
  Slots slots(names);
  EXPECT_EQ(FindChannelSlot(slots.slot, "Toto E"), 1);
  EXPECT_EQ(FindChannelSlot(slots.slot, "Toto"), 0);  // beginning of two names: the lower index
  EXPECT_EQ(FindChannelSlot(slots.slot, "TV"), 2);
  EXPECT_EQ(FindChannelSlot(slots.slot, "HK"), -1);  // not at the start of a name
  EXPECT_EQ(FindChannelSlot(slots.slot, ""), 0);     // ":" is in every slot
  EXPECT_EQ(FindChannelSlot(slots.slot, "BS1"), -1);
}

TEST(HostCurrentChannel, LowerIndexWinsEvenOverAnExactName) {
  const char* const names[host::kChannelCount] = {"", "Toto TV2", "Toto TV", "", "", "",
                                                  "", "",         "",        "", "", ""};
  Slots slots(names);
  EXPECT_EQ(FindChannelSlot(slots.slot, "Toto TV"), 1);
}

TEST(HostCurrentChannel, OverLongCurrentTextIsCutTo98Bytes) {
  std::string name(97, 'N');
  const char* const names[host::kChannelCount] = {"", "", "", "", "", "", "", "", "", "", "", ""};
  Slots slots(names);
  FormatChannelSlot(slots.slot[4], 5, name.c_str());  // "ch5:" + 95 bytes
  EXPECT_EQ(FindChannelSlot(slots.slot, std::string(95, 'N').c_str()), 4);
  EXPECT_EQ(FindChannelSlot(slots.slot, std::string(300, 'N').c_str()), -1);
}

TEST(HostChannelPlan, NextAndPreviousSkipUnnamedButtonsAndWrap) {
  Slots slots(kEightNamed);
  EXPECT_EQ(PlanChannelSelection(slots.slot, -2, 7), 0);  // next from CH8 is CH1
  EXPECT_EQ(PlanChannelSelection(slots.slot, -3, 0), 7);  // previous from CH1 is CH8
  EXPECT_EQ(PlanChannelSelection(slots.slot, -2, 2), 3);
  EXPECT_EQ(PlanChannelSelection(slots.slot, -3, 2), 1);
  EXPECT_EQ(PlanChannelSelection(slots.slot, -2, -1), -1);  // current channel unknown
}

TEST(HostChannelPlan, DirectRequestsPressOnlyNamedButtons) {
  Slots slots(kEightNamed);
  EXPECT_EQ(PlanChannelSelection(slots.slot, 2, -1), 2);
  EXPECT_EQ(PlanChannelSelection(slots.slot, 8, -1), -1);  // no fallback to a neighbour
  EXPECT_EQ(PlanChannelSelection(slots.slot, 12, -1), -1);
}

TEST(HostChannelPlan, OneNamedChannelIsItsOwnNeighbour) {
  const char* const names[host::kChannelCount] = {"", "", "", "", "", "ONLY", "", "", "", "", "", ""};
  Slots slots(names);
  EXPECT_EQ(PlanChannelSelection(slots.slot, -2, 5), 5);
  EXPECT_EQ(PlanChannelSelection(slots.slot, -3, 5), 5);
  const char* const none[host::kChannelCount] = {"", "", "", "", "", "", "", "", "", "", "", ""};
  Slots empty(none);
  EXPECT_EQ(PlanChannelSelection(empty.slot, -2, 0), -1);
}

TEST(HostStatusNumbers, PositionsCountRunsOfDigitsAndPoints) {
  const char* text = "25.3dB 1 2 3 10 20 x 30 40 50";
  StatusNumbers numbers = ScanStatusNumbers(text);
  EXPECT_EQ(numbers.number4, 10);
  EXPECT_EQ(numbers.number5, 20);
  EXPECT_EQ(numbers.number7, 40);
  EXPECT_EQ(numbers.number8, 50);
  EXPECT_EQ(numbers.number9, 0);
  const char* end = FindEndOfFourthNumber(text);
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(std::string(text, end), "25.3dB 1 2 3");
}

TEST(HostStatusNumbers, ColonsSeparateAndMinusIsNotPartOfANumber) {
  StatusNumbers numbers = ScanStatusNumbers("-1 -2 -3 -4 12.5:07 9 01:02:03 77 88");
  EXPECT_EQ(numbers.number4, 12);
  EXPECT_EQ(numbers.number5, 7);
  EXPECT_EQ(numbers.number7, 1);
  EXPECT_EQ(numbers.number8, 2);
  EXPECT_EQ(numbers.number9, 3);
}

TEST(HostStatusNumbers, TextsWithoutEnoughNumbers) {
  StatusNumbers numbers = ScanStatusNumbers("no numbers at all");
  EXPECT_EQ(numbers.number4 | numbers.number5 | numbers.number7 | numbers.number8 | numbers.number9, 0);
  numbers = ScanStatusNumbers("");
  EXPECT_EQ(numbers.number4, 0);
  EXPECT_EQ(FindEndOfFourthNumber(""), nullptr);
  EXPECT_EQ(FindEndOfFourthNumber(nullptr), nullptr);
  EXPECT_EQ(FindEndOfFourthNumber("1 2 3"), nullptr);
  EXPECT_EQ(FindEndOfFourthNumber("1 2 3 4"), nullptr);     // the fourth ends the text
  EXPECT_EQ(FindEndOfFourthNumber("1 2 3 4.5."), nullptr);  // points belong to the number
  const char* text = "1 2 3 4 ";
  EXPECT_EQ(FindEndOfFourthNumber(text), text + 7);
}

TEST(HostStatusNumbers, HugeNumbersSaturate) {
  StatusNumbers numbers = ScanStatusNumbers("0 0 0 0 99999999999999999999 2147483647");
  EXPECT_EQ(numbers.number4, 2147483647);
  EXPECT_EQ(numbers.number5, 2147483647);
}
