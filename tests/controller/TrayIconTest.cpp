// The tray icon as the notification area sees it: adding, re-adding after
// the shell restarts or refused, removing, mouse messages and the tip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "PluginHarness.h"

using testsupport::PluginHarness;
using testsupport::ShellTray;
using testsupport::TrayCall;

namespace {

constexpr char kDefaultTip[] = "Zentu HDTV Player";

HICON MakeIcon(uint8_t pattern) {
  uint8_t andBits[32];
  uint8_t xorBits[32];
  std::memset(andBits, 0, sizeof andBits);
  std::memset(xorBits, pattern, sizeof xorBits);
  return CreateIcon(GetModuleHandleA(nullptr), 16, 16, 1, 1, andBits, xorBits);
}

class TrayIcon : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tray.Create()) << "another notification area answers first";
    ASSERT_TRUE(harness.Create());
    normal = MakeIcon(0x00);
    recording = MakeIcon(0xFF);
    Plugin().GetController().Tray().UseIcons(normal, recording);
  }
  void TearDown() override {
    DestroyIcon(normal);
    DestroyIcon(recording);
  }
  CSamplePlugin& Plugin() { return harness.Plugin(); }
  standin::StandInViewer& Viewer() { return harness.Viewer(); }
  void AddIcon() {
    Plugin().GetController().Tray().AddTrayIcon(harness.ControllerWindow());
    tray.Clear();
  }

  ShellTray tray;
  PluginHarness harness;
  HICON normal = nullptr;
  HICON recording = nullptr;
};

// ---- Adding and removing ----

TEST_F(TrayIcon, AddSendsTheWholeIconDataOnce) {
  Plugin().GetController().Tray().AddTrayIcon(harness.ControllerWindow());
  ASSERT_EQ(tray.Calls().size(), 1u);
  const TrayCall add = tray.Calls()[0];  // a copy: BitsOf adds calls
  EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.window, harness.ControllerWindow());
  EXPECT_EQ(add.id, 102u);
  EXPECT_EQ(add.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(add.callbackMessage, 0x8064u);
  EXPECT_EQ(add.tip, kDefaultTip);
  EXPECT_EQ(add.iconBits, tray.BitsOf(normal));
  EXPECT_NE(add.iconBits, tray.BitsOf(recording));
  EXPECT_EQ(Plugin().GetController().Tray().Data().cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V3_SIZE));
  EXPECT_EQ(Plugin().GetController().Tray().TipIsDefault(), 1);
  EXPECT_EQ(Plugin().GetController().Tray().Added(), 1);
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 0);
}

TEST_F(TrayIcon, ModifyAndDeleteUseTheSameData) {
  AddIcon();
  Plugin().GetController().Tray().ShowImage(true);
  Plugin().GetController().Tray().RemoveTrayIcon();
  ASSERT_EQ(tray.Calls().size(), 2u);
  EXPECT_EQ(tray.Calls()[0].message, static_cast<DWORD>(NIM_MODIFY));
  const std::vector<uint8_t> modifiedBits = tray.Calls()[0].iconBits;
  EXPECT_EQ(modifiedBits, tray.BitsOf(recording));
  EXPECT_EQ(tray.Calls()[1].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_EQ(tray.Calls()[1].id, 102u);
  EXPECT_EQ(tray.Calls()[1].window, harness.ControllerWindow());
}

// ---- The shell restarting or refusing ----

TEST_F(TrayIcon, TaskbarCreatedAddsTheIconAgainWithItsCurrentLook) {
  AddIcon();
  EXPECT_EQ(Plugin().GetController().Tray().TaskbarCreatedMessage(),
            RegisterWindowMessageA("TaskbarCreated"));
  // The icon switched to recording and the tip was composed before the restart.
  Plugin().GetController().Tray().ShowImage(true);
  Plugin().GetController().Tray().SetComposedTip("composed");
  tray.Clear();
  SendMessageA(harness.ControllerWindow(), Plugin().GetController().Tray().TaskbarCreatedMessage(), 0, 0);
  ASSERT_EQ(tray.Calls().size(), 1u);
  const TrayCall again = tray.Calls()[0];
  EXPECT_EQ(again.message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(again.id, 102u);
  EXPECT_EQ(again.callbackMessage, 0x8064u);
  EXPECT_EQ(again.tip, "composed");
  EXPECT_EQ(again.iconBits, tray.BitsOf(recording));
}

TEST_F(TrayIcon, TaskbarCreatedBeforeTheIconExistsAddsNothing) {
  SendMessageA(harness.ControllerWindow(), Plugin().GetController().Tray().TaskbarCreatedMessage(), 0, 0);
  Plugin().GetController().Tray().OnTaskbarCreated();
  EXPECT_TRUE(tray.Calls().empty());
}

TEST_F(TrayIcon, RefusedAddIsRetriedOnEveryTickUntilAccepted) {
  tray.SetAccepting(false);
  Plugin().GetController().Tray().AddTrayIcon(harness.ControllerWindow());
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 1);
  EXPECT_EQ(Plugin().GetController().Tray().Added(), 0);
  Plugin().GetController().OnMonitorTick(harness.ControllerWindow());
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), 2u);
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 1);

  tray.SetAccepting(true);
  Plugin().GetController().OnMonitorTick(harness.ControllerWindow());
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), 3u);
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 0);
  EXPECT_EQ(Plugin().GetController().Tray().Added(), 1);
  EXPECT_EQ(tray.CallsOf(NIM_ADD).back().tip, kDefaultTip);

  Plugin().GetController().OnMonitorTick(harness.ControllerWindow());
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), 3u);
}

TEST_F(TrayIcon, AddThatTheShellAnsweredTooLateCountsAsAdded) {
  tray.HoldIconsAndAnswerTheNextAddLate();
  Plugin().GetController().Tray().AddTrayIcon(harness.ControllerWindow());
  for (int i = 0; i < 5; ++i) Plugin().GetController().OnMonitorTick(harness.ControllerWindow());
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), 1u);
  EXPECT_EQ(Plugin().GetController().Tray().Added(), 1);
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 0);
}

TEST_F(TrayIcon, RestartThatRefusesIsRetriedLater) {
  AddIcon();
  tray.SetAccepting(false);
  Plugin().GetController().Tray().OnTaskbarCreated();
  EXPECT_EQ(Plugin().GetController().Tray().Pending(), 1);
  tray.SetAccepting(true);
  Plugin().GetController().Tray().RetryTrayIconIfPending();
  EXPECT_EQ(Plugin().GetController().Tray().Added(), 1);
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), 2u);
}

TEST_F(TrayIcon, RemovingStopsTheRetries) {
  tray.SetAccepting(false);
  Plugin().GetController().Tray().AddTrayIcon(harness.ControllerWindow());
  Plugin().GetController().Tray().RemoveTrayIcon();
  tray.Clear();
  tray.SetAccepting(true);
  Plugin().GetController().Tray().RetryTrayIconIfPending();
  Plugin().GetController().Tray().OnTaskbarCreated();
  EXPECT_TRUE(tray.Calls().empty());
}

// ---- The image's size ----

// The shell gets the icon drawn at the small-icon size of the dpi the program
// runs at: this program runs at 96 dpi, and again at 144 as
// controller_tray_icon_144dpi.
TEST(TrayIconSize, IsTheSmallIconSizeOfTheDpi) {
  const struct {
    int dpi;
    UINT size;
  } rows[] = {{96, 16}, {144, 24}};
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const auto* row =
      std::find_if(std::begin(rows), std::end(rows), [dpi](const auto& r) { return r.dpi == dpi; });
  ASSERT_NE(row, std::end(rows)) << dpi << " dpi";
  ASSERT_EQ(static_cast<UINT>(GetSystemMetrics(SM_CXSMICON)), row->size);

  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  PluginHarness harness;
  ASSERT_TRUE(harness.Create());
  harness.Control().Tray().AddTrayIcon(harness.ControllerWindow());
  ASSERT_EQ(tray.CallsOf(NIM_ADD).size(), 1u);
  EXPECT_EQ(tray.CallsOf(NIM_ADD)[0].iconWidth, row->size);
  EXPECT_EQ(tray.CallsOf(NIM_ADD)[0].iconHeight, row->size);
}

// ---- Mouse messages ----

TEST_F(TrayIcon, DoubleClickRestoresAllWhileButtonMessagesOnlyRefreshTheTip) {
  AddIcon();
  Plugin().Host().HideAllHostWindows();
  for (LPARAM mouse :
       {LPARAM(WM_LBUTTONDOWN), LPARAM(WM_LBUTTONUP), LPARAM(WM_MOUSEMOVE), LPARAM(WM_RBUTTONUP)}) {
    SendMessageA(harness.ControllerWindow(), kTrayCallbackMessage, kTrayIconId, mouse);
  }
  EXPECT_FALSE(IsWindowVisible(Viewer().MainWindow()));
  EXPECT_EQ(tray.CallsOf(NIM_MODIFY).size(), 1u);  // the same composed tip is sent once
  SendMessageA(harness.ControllerWindow(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONDBLCLK);
  for (int i = 0; i < Plugin().Host().WindowList().count; ++i)
    EXPECT_TRUE(IsWindowVisible(Plugin().Host().WindowList().window[i]));
}

// ---- The tip ----

class TrayTip : public TrayIcon {
 protected:
  void Hide(HWND window) { Plugin().Host().HideHostWindow(window); }
  std::string PluginTip() { return Plugin().GetController().Tray().Data().szTip; }
  std::string LastModifyTip() {
    auto modifies = tray.CallsOf(NIM_MODIFY);
    return modifies.empty() ? std::string("<none>") : modifies.back().tip;
  }
};

TEST_F(TrayTip, BothHiddenGivesProgrammeStatusCutAt127Bytes) {
  AddIcon();
  Viewer().SetProgrammeText(std::string(100, 'P').c_str());
  Viewer().SetStatusText(std::string(80, 'S').c_str());
  Hide(Viewer().MainWindow());
  Hide(Viewer().ProgrammeWindow());
  Plugin().GetController().RefreshTrayTip();
  const std::string expected = (std::string(74, 'P') + "\r\n" + std::string(80, 'S')).substr(0, 127);
  EXPECT_EQ(PluginTip(), expected);
  EXPECT_EQ(LastModifyTip(), expected);
  EXPECT_EQ(Plugin().GetController().Tray().TipIsDefault(), 0);
}

TEST_F(TrayTip, OnlyMainHiddenGivesTheTitleAndTheStatus) {
  AddIcon();
  Viewer().SetStatusText("25.3dB 0 0 0 00:00 0 01:05:09");
  Hide(Viewer().MainWindow());
  Plugin().GetController().RefreshTrayTip();
  EXPECT_EQ(LastModifyTip(), "Zentu HDTV Player\r\n25.3dB 0 0 0 00:00 0 01:05:09");
}

TEST_F(TrayTip, OnlyProgrammeHiddenGivesUpTo119Bytes) {
  AddIcon();
  Viewer().SetProgrammeText(std::string(200, 'Q').c_str());
  Hide(Viewer().ProgrammeWindow());
  Plugin().GetController().RefreshTrayTip();
  EXPECT_EQ(PluginTip(), std::string(119, 'Q'));
  EXPECT_EQ(LastModifyTip(), std::string(119, 'Q'));
}

TEST_F(TrayTip, AllVisibleReturnsToTheDefaultOnceThenSendsNothing) {
  AddIcon();
  Plugin().GetController().RefreshTrayTip();  // default already: nothing to send
  EXPECT_TRUE(tray.Calls().empty());
  Hide(Viewer().MainWindow());
  Plugin().GetController().RefreshTrayTip();
  Plugin().Host().RestoreAllHostWindows();
  tray.Clear();
  Plugin().GetController().RefreshTrayTip();
  Plugin().GetController().RefreshTrayTip();
  ASSERT_EQ(tray.Calls().size(), 1u);
  EXPECT_EQ(tray.Calls()[0].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(tray.Calls()[0].tip, kDefaultTip);
  EXPECT_EQ(Plugin().GetController().Tray().TipIsDefault(), 1);
}

}  // namespace
