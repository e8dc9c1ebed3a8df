// The tray pop-up menu as the user sees it: a watcher thread reads the open
// menu's items (texts, ids, check marks, grays) and closes it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "PluginHarness.h"

using testsupport::MenuItem;
using testsupport::MenuSeen;
using testsupport::PluginHarness;

namespace {

// Shift_JIS menu texts.
const char kProgrammeListTitle[] = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";  // 番組情報
const char kCloseText[] = "ZentuView\x82\xcc\x8f\x49\x97\xb9";          // ZentuViewの終了
const char kOperations[] = "\x91\x80\x8d\xec";                          // 操作
const char kRecordStart[] = "\x98\x5e\x89\xe6\x8a\x4a\x8e\x6e";         // 録画開始
const char kRecordingTime[] = "\x98\x5e\x89\xe6\x92\x86(01:05:09)";     // 録画中(01:05:09)
const char kHideAll[] =
    "\x91\x53\x82\xc4\x82\xcc\x83\x45\x83\x42\x83\x93\x83\x68\x83\x45\x82\xf0\x89\x42\x82\xb7";

standin::Options NamedChannels() {
  standin::Options options;
  for (int i = 0; i < standin::kChannelCount; ++i)
    options.channelNames[i] = "Station" + std::to_string(i + 1);
  options.channelNames[2].clear();  // CH3 has no channel
  return options;
}

class TrayMenu : public ::testing::Test {
 protected:
  explicit TrayMenu(const standin::Options& options = NamedChannels()) : harness(options) {}
  void SetUp() override {
    ASSERT_TRUE(harness.Create());
    HMENU probe = LoadMenuA(GetModuleHandleA(nullptr), "IDR_POPUP");
    if (!probe) GTEST_SKIP() << "menu resource not linked";
    DestroyMenu(probe);
  }
  CSamplePlugin& Plugin() { return harness.Plugin(); }
  standin::StandInViewer& Viewer() { return harness.Viewer(); }
  MenuSeen Show() {
    MenuSeen seen;
    auto watcher = testsupport::ReadAndCloseMenu(&seen);
    Plugin().GetController().ShowTrayMenu(harness.ControllerWindow());
    watcher->Join();
    return seen;
  }
  PluginHarness harness;
};

TEST_F(TrayMenu, TopLevelHoldsTheWindowItemsBetweenTheSeparators) {
  const MenuSeen seen = Show();
  ASSERT_TRUE(seen.shown);
  const auto& items = seen.items;
  const int windows = Plugin().Host().WindowList().count;
  ASSERT_EQ(static_cast<int>(items.size()), 9 + windows);
  EXPECT_EQ(items[0].id, 1009u);
  EXPECT_EQ(items[0].text, kCloseText);
  EXPECT_TRUE(items[1].separator);
  EXPECT_EQ(items[2].text, kOperations);
  EXPECT_FALSE(items[2].submenu.empty());
  EXPECT_TRUE(items[3].separator);
  for (int i = 0; i < windows; ++i) {
    EXPECT_EQ(items[4 + i].id, 2000u + i);
    EXPECT_EQ(items[4 + i].text, Plugin().Host().WindowList().title[i]);
    EXPECT_TRUE(items[4 + i].checked);
  }
  EXPECT_EQ(items[4].text, "Zentu HDTV Player");
  EXPECT_TRUE(items[4 + windows].separator);
  EXPECT_EQ(items[5 + windows].id, 1008u);
  EXPECT_EQ(items[5 + windows].text, kHideAll);
  EXPECT_EQ(items[6 + windows].id, 1007u);
  EXPECT_TRUE(items[7 + windows].separator);
  EXPECT_FALSE(items[8 + windows].submenu.empty());
}

TEST_F(TrayMenu, OpensAboveAndLeftOfTheCursor) {
  ASSERT_TRUE(SetCursorPos(700, 600));
  const MenuSeen seen = Show();
  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.rect.right, 700);
  EXPECT_EQ(seen.rect.bottom, 600);
  EXPECT_LT(seen.rect.left, 700);
  EXPECT_LT(seen.rect.top, 600);
}

TEST_F(TrayMenu, WindowItemIsCheckedExactlyWhenTheWindowIsVisibleNow) {
  ShowWindow(Viewer().RemoteWindow(), SW_HIDE);  // the stored flag still says visible
  const MenuSeen seen = Show();
  const int remote = harness.ListIndexOf(Viewer().RemoteWindow());
  ASSERT_NE(seen.Find(2000 + remote), nullptr);
  EXPECT_FALSE(seen.Find(2000 + remote)->checked);
  EXPECT_TRUE(seen.Find(2000)->checked);
}

TEST_F(TrayMenu, WindowDestroyedAfterDiscoveryKeepsItsUncheckedItem) {
  const int programme = harness.ListIndexOf(Viewer().ProgrammeWindow());
  DestroyWindow(Viewer().ProgrammeWindow());
  Plugin().GetController().RefreshTrayTip();
  const MenuSeen seen = Show();
  ASSERT_NE(seen.Find(2000 + programme), nullptr);
  EXPECT_EQ(seen.Find(2000 + programme)->text, kProgrammeListTitle);
  EXPECT_FALSE(seen.Find(2000 + programme)->checked);
}

TEST_F(TrayMenu, TwoMenusInARowShowTheSameItems) {
  const MenuSeen first = Show();
  const MenuSeen second = Show();
  ASSERT_TRUE(first.shown && second.shown);
  ASSERT_EQ(first.items.size(), second.items.size());
  for (size_t i = 0; i < first.items.size(); ++i) {
    EXPECT_EQ(first.items[i].text, second.items[i].text);
    EXPECT_EQ(first.items[i].submenu.size(), second.items[i].submenu.size());
    if (first.items[i].submenu.empty()) {
      EXPECT_EQ(first.items[i].id, second.items[i].id);
    }
  }
}

TEST_F(TrayMenu, RightButtonOpensItAndClosingWithoutChoicePostsNullOnly) {
  MenuSeen seen;
  auto watcher = testsupport::ReadAndCloseMenu(&seen);
  SendMessageA(harness.ControllerWindow(), kTrayCallbackMessage, kTrayIconId, WM_RBUTTONDOWN);
  watcher->Join();
  EXPECT_TRUE(seen.shown);
  testsupport::PumpMessages();
  bool sawNull = false;
  for (const MSG& m : harness.ControllerMessages()) {
    EXPECT_NE(m.message, static_cast<UINT>(WM_COMMAND));
    if (m.message == WM_NULL) sawNull = true;
  }
  EXPECT_TRUE(sawNull);
  EXPECT_TRUE(Viewer().Received().empty());
}

TEST_F(TrayMenu, IdleViewerShowsRecordStartAndGraysStop) {
  Viewer().SetMuted(true);
  const MenuSeen seen = Show();
  ASSERT_NE(seen.Find(1017), nullptr);
  EXPECT_EQ(seen.Find(1017)->text, kRecordStart);
  EXPECT_FALSE(seen.Find(1017)->checked);
  EXPECT_FALSE(seen.Find(1017)->grayed);
  EXPECT_TRUE(seen.Find(1018)->grayed);
  EXPECT_TRUE(seen.Find(1012)->checked);  // mute mark
}

TEST_F(TrayMenu, RecordingViewerShowsTheRecordingTime) {
  Viewer().SetRecording(true);
  Viewer().SetStatusText("25.3dB 0 0 0 00:00 0 01:05:09");
  const MenuSeen seen = Show();
  ASSERT_NE(seen.Find(1017), nullptr);
  EXPECT_EQ(seen.Find(1017)->text, kRecordingTime);
  EXPECT_TRUE(seen.Find(1017)->checked);
  EXPECT_FALSE(seen.Find(1018)->grayed);
  // Recording makes the host busy: no tuning.
  EXPECT_TRUE(seen.Find(1019)->grayed);
  EXPECT_TRUE(seen.Find(1033)->grayed);
}

TEST_F(TrayMenu, ChannelItemsCarryNamesGraysAndTheCurrentMark) {
  Viewer().SetCurrentChannelText("Station5");
  const MenuSeen seen = Show();
  for (int i = 0; i < host::kChannelCount; ++i) {
    const MenuItem* item = seen.Find(1019 + i);
    ASSERT_NE(item, nullptr) << i;
    if (i == 2) {
      EXPECT_EQ(item->text, "ch3:");
      EXPECT_TRUE(item->grayed);
    } else {
      EXPECT_EQ(item->text, "ch" + std::to_string(i + 1) + ":Station" + std::to_string(i + 1));
      EXPECT_FALSE(item->grayed) << i;
    }
    EXPECT_EQ(item->checked, i == 4) << i;
  }
  EXPECT_FALSE(seen.Find(1033)->grayed);
  EXPECT_FALSE(seen.Find(1034)->grayed);
}

TEST_F(TrayMenu, BusyRemoteGraysTuningButKeepsTheRecordingItemsIdle) {
  Viewer().SetCurrentChannelText("Station2");
  Viewer().SetBusy(true);
  const MenuSeen seen = Show();
  for (int i = 0; i < host::kChannelCount; ++i) EXPECT_TRUE(seen.Find(1019 + i)->grayed) << i;
  EXPECT_TRUE(seen.Find(1020)->checked);  // current channel, grayed and checked
  EXPECT_TRUE(seen.Find(1033)->grayed);
  EXPECT_TRUE(seen.Find(1034)->grayed);
  EXPECT_EQ(seen.Find(1017)->text, kRecordStart);
  EXPECT_TRUE(seen.Find(1018)->grayed);
}

TEST_F(TrayMenu, OverlayAndAutoDisplayMarks) {
  Plugin().GetController().Settings().autoDispStatus = 0;
  MenuSeen seen = Show();
  EXPECT_FALSE(seen.Find(1032)->checked);
  EXPECT_FALSE(seen.Find(1035)->checked);
  Plugin().GetController().Settings().autoDispStatus = 2;
  Plugin().GetController().ShowStatusOverlay(1, 3, kOverlayChannel, 1);
  seen = Show();
  EXPECT_TRUE(seen.Find(1032)->checked);
  EXPECT_TRUE(seen.Find(1035)->checked);
}

class TrayMenuWithoutRemote : public TrayMenu {
 protected:
  static standin::Options WithoutRemote() {
    standin::Options options = NamedChannels();
    options.createRemote = false;
    return options;
  }
  TrayMenuWithoutRemote() : TrayMenu(WithoutRemote()) {}
};

TEST_F(TrayMenuWithoutRemote, WithoutHostWindowsTheResourceTextsStay) {
  Plugin().Host().SetHostMainWindow(nullptr);
  Viewer().SetMuted(true);
  const MenuSeen seen = Show();
  for (int i = 0; i < host::kChannelCount; ++i) {
    EXPECT_EQ(seen.Find(1019 + i)->text, "CH" + std::to_string(i + 1));
    EXPECT_TRUE(seen.Find(1019 + i)->grayed);
  }
  EXPECT_TRUE(seen.Find(1033)->grayed);
  EXPECT_FALSE(seen.Find(1012)->checked);
  EXPECT_TRUE(seen.Find(1018)->grayed);
}

TEST_F(TrayMenu, EmptyListGivesNoWindowItems) {
  Plugin().Host().SaveHostWindowVisibility(IniFile(""));  // empties the list
  const MenuSeen seen = Show();
  ASSERT_EQ(seen.items.size(), 9u);
  EXPECT_TRUE(seen.items[3].separator);
  EXPECT_TRUE(seen.items[4].separator);
}

}  // namespace
