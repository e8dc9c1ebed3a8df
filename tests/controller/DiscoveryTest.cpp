// Discovery as the viewer sees it: the controller window created through
// Create, driven by its monitoring timer, and torn down with the main window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PluginHarness.h"

namespace {

// "番組情報", "リモコンっぽい物"
const std::string kProgrammeName = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";
const std::string kRemoteName = "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8";

class DiscoveryTest : public ::testing::Test {
 protected:
  void Start() { ASSERT_TRUE(harness.Create(false)); }
  HostViewer& Host() { return harness.Host(); }
  standin::StandInViewer& Viewer() { return harness.Viewer(); }
  bool Visible(HWND window) const { return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }
  testsupport::PluginHarness harness;
};

}  // namespace

TEST_F(DiscoveryTest, ThirdTimerTickDiscoversTheViewer) {
  Start();
  harness.Tick(2);
  EXPECT_EQ(Host().WindowList().count, 0);
  EXPECT_EQ(Host().HostRemoteWindow(), nullptr);
  harness.Tick();
  ASSERT_EQ(Host().WindowList().count, 4);
  EXPECT_EQ(Host().HostRemoteWindow(), Viewer().RemoteWindow());
  EXPECT_EQ(Host().HostVideoWindow(), Viewer().VideoWindow());
  // Owned by the main window but hidden, or owned by the controller: not listed.
  EXPECT_EQ(harness.ListIndexOf(harness.ControllerWindow()), -1);
  EXPECT_EQ(harness.ListIndexOf(harness.Plugin().Overlay().Window()), -1);
  EXPECT_EQ(harness.ListIndexOf(harness.Plugin().Panel().Window()), -1);
  // Discovery ends with the tray icon for the controller window.
  const TrayIcon& tray = harness.Control().Tray();
  EXPECT_EQ(tray.Data().hWnd, harness.ControllerWindow());
  EXPECT_EQ(tray.Data().uID, kTrayIconId);
  EXPECT_EQ(tray.TipIsDefault(), 1);
  EXPECT_TRUE(tray.Added() || tray.Pending());
  harness.Tick();
  EXPECT_EQ(Host().WindowList().count, 4);  // discovery runs once
}

TEST_F(DiscoveryTest, ClosingTheViewerSavesEachWindowsVisibility) {
  Start();
  harness.Tick(3);
  ShowWindow(Viewer().RemoteWindow(), SW_HIDE);  // closed by the user
  harness.Tick();                                // the timer notices
  DestroyWindow(Viewer().MainWindow());
  EXPECT_EQ(Host().WindowList().count, 0);
  EXPECT_EQ(harness.Ini().Read("Zentu HDTV Player_View"), "1");
  EXPECT_EQ(harness.Ini().Read((kRemoteName + "_View").c_str()), "0");
  EXPECT_EQ(harness.Ini().Read((kProgrammeName + "_View").c_str()), "1");
  EXPECT_EQ(harness.Ini().Read("Video_View"), "1");
}

TEST_F(DiscoveryTest, SavedHiddenMainWindowIsHiddenOnTheThirdTick) {
  harness.Ini().Write("Zentu HDTV Player_View", "0");
  Start();
  harness.Tick(2);
  EXPECT_TRUE(Visible(Viewer().MainWindow()));
  harness.Tick();
  EXPECT_FALSE(Visible(Viewer().MainWindow()));
  EXPECT_TRUE(Visible(Viewer().RemoteWindow()));
  EXPECT_EQ(Host().QueryHostWindowByTitle("Zentu HDTV Player", nullptr), 0);
}

// The windows saved as hidden wait for the tray icon: while the shell refuses
// it they stay on the screen and the icon is asked for on every tick. A
// change of image that the shell refuses is sent again on the next tick. One
// row per tick: what the shell does, the calls it gets, whether the main
// window (saved hidden) is on the screen.
TEST_F(DiscoveryTest, SavedHiddenWindowsWaitForTheTrayIcon) {
  testsupport::ShellTray tray;
  ASSERT_TRUE(tray.Create()) << "another notification area answers first";
  harness.Ini().Write("Zentu HDTV Player_View", "0");
  Start();
  harness.Tick(2);
  constexpr DWORD kNoRefusal = ~0u;
  const struct {
    const char* tick;
    bool accepting;
    bool busy;
    DWORD refuseNext;
    std::vector<DWORD> calls;  // a refused NIM_ADD asks NIM_MODIFY whether it came through
    bool mainVisible;
  } rows[] = {
      {"discovery, refused", false, false, kNoRefusal, {NIM_ADD, NIM_MODIFY}, true},
      {"refused again", false, false, kNoRefusal, {NIM_ADD, NIM_MODIFY}, true},
      {"accepted", true, false, kNoRefusal, {NIM_ADD}, false},
      {"nothing owed", true, false, kNoRefusal, {}, false},
      {"busy, the new image refused", true, true, NIM_MODIFY, {NIM_MODIFY}, false},
      {"the new image again", true, true, kNoRefusal, {NIM_MODIFY}, false},
      {"nothing owed", true, true, kNoRefusal, {}, false},
  };
  std::vector<uint8_t> lastBits;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tick);
    tray.SetAccepting(row.accepting);
    if (row.refuseNext != kNoRefusal) tray.RefuseNext(row.refuseNext);
    Viewer().SetBusy(row.busy);
    tray.Clear();
    harness.Tick();
    std::vector<DWORD> calls;
    for (const testsupport::TrayCall& call : tray.Calls()) calls.push_back(call.message);
    EXPECT_EQ(calls, row.calls);
    EXPECT_EQ(Visible(Viewer().MainWindow()), row.mainVisible);
    if (!tray.Calls().empty()) lastBits = tray.Calls().back().iconBits;
  }
  EXPECT_EQ(lastBits, tray.BitsOf(harness.Control().Tray().RecordingIcon()));  // the resent image
}
