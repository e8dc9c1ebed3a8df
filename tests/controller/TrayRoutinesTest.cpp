// The plain routines behind the tray and the command table.
#include <gtest/gtest.h>

#include <string>

#include "TrayRoutines.h"

namespace {

DecodedCommand Decode(uint64_t wParam, int32_t windows = 4) {
  return DecodeControllerCommand(wParam, windows);
}

TEST(CommandIdentifiers, LowWordSelectsTheSingleCommands) {
  EXPECT_EQ(Decode(1007).kind, CommandKind::kRestoreAll);
  EXPECT_EQ(Decode(0x00010000u | 1007).kind, CommandKind::kRestoreAll);  // notification code in the high word
  EXPECT_EQ(Decode(0x12340000u | 1009).kind, CommandKind::kCloseViewer);
  EXPECT_EQ(Decode(1035).kind, CommandKind::kToggleAutoDisplay);
  EXPECT_EQ(Decode(1034).kind, CommandKind::kChannelDown);
}

TEST(CommandIdentifiers, ChannelRangeNeedsAnEmptyHighWord) {
  EXPECT_EQ(Decode(1019).kind, CommandKind::kChannel);
  EXPECT_EQ(Decode(1019).index, 0);
  EXPECT_EQ(Decode(1030).index, 11);
  EXPECT_EQ(Decode(0x00010000u | 1020).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(0x100000000ull | 1020).kind, CommandKind::kNone);  // 64-bit parameter
}

TEST(CommandIdentifiers, WindowRangeEndsAtTheCount) {
  EXPECT_EQ(Decode(2000).kind, CommandKind::kWindowToggle);
  EXPECT_EQ(Decode(2003).index, 3);
  EXPECT_EQ(Decode(2004).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(2000, 0).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(2000, -1).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(0x00010000u | 2000).kind, CommandKind::kNone);
}

TEST(CommandIdentifiers, EverythingElseIsNothing) {
  for (uint64_t id : {0ull, 2ull, 1006ull, 1015ull, 1016ull, 1036ull, 1999ull, 40001ull, 0xFFFFull}) {
    EXPECT_EQ(Decode(id).kind, CommandKind::kNone) << id;
  }
}

TEST(TrayTexts, TipJoinsProgrammeAndStatus) {
  char tip[128] = "old";
  EXPECT_FALSE(ComposeTrayTip(nullptr, nullptr, tip, sizeof tip));
  EXPECT_STREQ(tip, "old");
  ASSERT_TRUE(ComposeTrayTip("News", "25.3dB", tip, sizeof tip));
  EXPECT_STREQ(tip, "News\r\n25.3dB");
  ASSERT_TRUE(ComposeTrayTip(nullptr, "25.3dB", tip, sizeof tip));
  EXPECT_STREQ(tip, "Zentu HDTV Player\r\n25.3dB");
  ASSERT_TRUE(ComposeTrayTip("News", nullptr, tip, sizeof tip));
  EXPECT_STREQ(tip, "News");
  ASSERT_TRUE(ComposeTrayTip("", nullptr, tip, sizeof tip));  // a hidden programme window with no text
  EXPECT_STREQ(tip, "");
}

TEST(TrayTexts, TipIsCutAt127BytesBeforeAHalfCharacter) {
  char tip[128];
  const std::string programme(74, 'P');
  std::string status;
  for (int i = 0; i < 40; ++i) status += "\x98\x5e";  // "録"
  ASSERT_TRUE(ComposeTrayTip(programme.c_str(), status.c_str(), tip, sizeof tip));
  // 74 + 2 + 51 bytes would end in a lone lead byte: the 26th "録" goes whole.
  EXPECT_EQ(std::string(tip), (programme + "\r\n" + status).substr(0, kTrayTipBytes - 1));
  ASSERT_TRUE(ComposeTrayTip("abc", nullptr, tip, 3));
  EXPECT_STREQ(tip, "ab");
}

TEST(TrayTexts, RecordingMenuText) {
  char text[100];
  FormatRecordingMenuText(1, 5, 9, text, sizeof text);
  EXPECT_STREQ(text, "\x98\x5e\x89\xe6\x92\x86(01:05:09)");
  FormatRecordingMenuText(123, 0, 0, text, sizeof text);
  EXPECT_STREQ(text, "\x98\x5e\x89\xe6\x92\x86(123:00:00)");
}

TEST(TrayTexts, CloseQuestionNamesTheBusyWindow) {
  char text[256];
  FormatCloseQuestion("Zentu HDTV Player", text, sizeof text);
  EXPECT_EQ(
      std::string(text),
      "\x81\x75Zentu HDTV Player\x81\x76\x82\xaa\x98\x5e\x89\xe6\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82\xc4"
      "\x82\xa2\x82\xdc\x82\xb7\x81\x42\r\nZentuView\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xe0\x82"
      "\xa2\x82\xa2\x82\xc5\x82\xb7\x82\xa9?");
}

// What a mouse message does to the tip, by what is hidden and whether the
// tip was composed before.
TEST(TrayPlans, TipByWhatIsHidden) {
  const struct {
    const char* programme;
    const char* status;
    int32_t tipIsDefault;
    TrayTipChange change;
    const char* tip;
  } rows[] = {
      {"News", "25.3dB", 1, TrayTipChange::kComposed, "News\r\n25.3dB"},
      {nullptr, "25.3dB", 0, TrayTipChange::kComposed, "Zentu HDTV Player\r\n25.3dB"},
      {"News", nullptr, 0, TrayTipChange::kComposed, "News"},
      {nullptr, nullptr, 0, TrayTipChange::kDefault, "Zentu HDTV Player"},  // once, after a composed tip
      {nullptr, nullptr, 1, TrayTipChange::kNone, "untouched"},
  };
  for (const auto& row : rows) {
    char tip[128] = "untouched";
    EXPECT_EQ(PlanTrayTip(row.programme, row.status, row.tipIsDefault, tip, sizeof tip), row.change)
        << row.tip;
    EXPECT_STREQ(tip, row.tip);
  }
  EXPECT_EQ(ProgrammeTipLimit(true), 75);
  EXPECT_EQ(ProgrammeTipLimit(false), 120);
}

// The pop-up menu's items, one row per state of the host.
TEST(TrayPlans, MenuByTheHostsState) {
  const char* const titles[] = {"Zentu HDTV Player", "Video"};
  const int32_t visible[] = {1, 0};
  const char* const names[12] = {
      "ch1:A", "ch2:", "ch3:C", "ch4:", "ch5:", "ch6:", "ch7:", "ch8:", "ch9:", "ch10:", "ch11:", "ch12:"};
  auto find = [](const TrayMenuPlan& plan, uint32_t id) -> const TrayMenuItem* {
    for (const TrayMenuItem& item : plan.changes) {
      if (item.id == id) return &item;
    }
    return nullptr;
  };
  TrayMenuState state;
  state.windowCount = 2;
  state.windowTitles = titles;
  state.windowVisible = visible;
  state.mainWindowKnown = state.remoteWindowKnown = true;
  state.channelNames = names;
  state.currentChannel = 2;

  struct Row {
    const char* name;
    void (*change)(TrayMenuState&);
    uint32_t recordStart, recordStop, ch1, ch2, ch3, channelUp, mute;
  };
  const uint32_t none = ~0u;  // the item is left as the resource has it
  const Row rows[] = {
      {"idle", [](TrayMenuState&) {}, none, kMenuGrayed, 0, kMenuGrayed, kMenuChecked, none, none},
      {"muted", [](TrayMenuState& s) { s.muted = true; }, none, kMenuGrayed, 0, kMenuGrayed, kMenuChecked,
       none, kMenuChecked},
      {"recording",
       [](TrayMenuState& s) {
         s.recording = s.busy = true;
         s.recordingHours = 1, s.recordingMinutes = 5, s.recordingSeconds = 9;
       },
       kMenuChecked, none, kMenuGrayed, kMenuGrayed, kMenuGrayed | kMenuChecked, kMenuGrayed, none},
      {"busy remote", [](TrayMenuState& s) { s.busy = true; }, none, kMenuGrayed, kMenuGrayed, kMenuGrayed,
       kMenuGrayed | kMenuChecked, kMenuGrayed, none},
      {"no remote", [](TrayMenuState& s) { s.remoteWindowKnown = false, s.currentChannel = -1; }, none,
       kMenuGrayed, kMenuGrayed, kMenuGrayed, kMenuGrayed, kMenuGrayed, none},
      {"no main window", [](TrayMenuState& s) { s.mainWindowKnown = false, s.muted = s.recording = true; },
       none, kMenuGrayed, 0, kMenuGrayed, kMenuChecked, none, none},
  };
  for (const Row& row : rows) {
    TrayMenuState rowState = state;
    row.change(rowState);
    const TrayMenuPlan plan = PlanTrayMenu(rowState);
    auto stateOf = [&](uint32_t id) { return find(plan, id) ? find(plan, id)->state : none; };
    EXPECT_EQ(stateOf(1017), row.recordStart) << row.name;
    EXPECT_EQ(stateOf(1018), row.recordStop) << row.name;
    EXPECT_EQ(stateOf(1019), row.ch1) << row.name;
    EXPECT_EQ(stateOf(1020), row.ch2) << row.name;
    EXPECT_EQ(stateOf(1021), row.ch3) << row.name;
    EXPECT_EQ(stateOf(1033), row.channelUp) << row.name;
    EXPECT_EQ(stateOf(1012), row.mute) << row.name;
    // Channel texts only with a remote window; the recording time while recording.
    EXPECT_EQ(find(plan, 1019)->setText, rowState.remoteWindowKnown) << row.name;
    if (row.recordStart == kMenuChecked) {
      EXPECT_EQ(find(plan, 1017)->text, "\x98\x5e\x89\xe6\x92\x86(01:05:09)");
    }
    ASSERT_EQ(plan.windowItems.size(), 2u);
    EXPECT_EQ(plan.windowItems[0].id, 2000u);
    EXPECT_EQ(plan.windowItems[0].state, kMenuChecked);
    EXPECT_EQ(plan.windowItems[1].state, 0u);
  }
  state.overlayUp = true;
  state.autoDispStatus = 2;
  const TrayMenuPlan marks = PlanTrayMenu(state);
  EXPECT_EQ(find(marks, 1032)->state, kMenuChecked);
  EXPECT_EQ(find(marks, 1035)->state, kMenuChecked);
}

TEST(TrayPlans, NoticesStepAsideForFullScreenAndPresentations) {
  const struct {
    int32_t state;
    bool welcome;
  } rows[] = {{kNoticeStateUnknown, true},
              {1, true},  // not present: the shell decides
              {kNoticeStateBusy, false},
              {kNoticeStateDirect3dFullScreen, false},
              {kNoticeStatePresentation, false},
              {kNoticeStateAccepts, true},
              {6, true},
              {7, true}};
  for (const auto& row : rows) EXPECT_EQ(NoticeWelcome(row.state), row.welcome) << row.state;
}

}  // namespace
