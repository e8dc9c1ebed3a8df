// The controller's command table against the stand-in viewer: what the host
// receives and in which order, the close question, full screen, decoding.
#include <gtest/gtest.h>

#include <cstdio>

#include "PluginHarness.h"

using standin::Window;
using testsupport::PluginHarness;

namespace {

class CommandTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(harness.Create()); }
  CSamplePlugin& Plugin() { return harness.Plugin(); }
  standin::StandInViewer& Viewer() { return harness.Viewer(); }
  void Command(WPARAM wParam, LPARAM lParam = 0) {
    harness.Control().OnCommand(harness.ControllerWindow(), wParam, lParam);
  }
  PluginHarness harness;
};

bool Received(const standin::StandInViewer& viewer, Window window, UINT message) {
  for (const auto& r : viewer.Received()) {
    if (r.window == window && r.message == message) return true;
  }
  return false;
}

// "ZentuViewの終了"
constexpr char kCloseCaption[] = "ZentuView\x82\xcc\x8f\x49\x97\xb9";

std::string CloseQuestion(const char* name) {
  char text[256];
  // "「%s」が録画を実行しています。\r\nZentuViewを終了してもいいですか?"
  std::snprintf(
      text, sizeof text,
      "\x81\x75%s\x81\x76\x82\xaa\x98\x5e\x89\xe6\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82\xc4\x82\xa2"
      "\x82\xdc\x82\xb7\x81\x42\r\nZentuView\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xe0\x82\xa2"
      "\x82\xa2\x82\xc5\x82\xb7\x82\xa9?",
      name);
  return text;
}

// ---- Recording ----

using RecordCommands = CommandTable;

TEST_F(RecordCommands, StartWhileIdleWritesThirtyMinutesBeforePressingRecord) {
  Command(1017);
  EXPECT_EQ(Viewer().CommandsTo(Window::kMain), std::vector<int>{1009});
  EXPECT_EQ(Viewer().RecordMinutesAtStart(), "30");  // the text was there when 1009 arrived
  EXPECT_TRUE(Viewer().IsRecording());
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 5);
  EXPECT_EQ(Plugin().Overlay().ContentFlags() & kOverlayRecording, kOverlayRecording);
}

TEST_F(RecordCommands, StartWhileRecordingSendsTheRestartCommandOnly) {
  Viewer().SetRecording(true);
  Viewer().ClearReceived();
  Command(1017);
  EXPECT_EQ(Viewer().CommandsTo(Window::kMain), std::vector<int>{1016});
  EXPECT_EQ(Viewer().RecordRestartCount(), 1);
}

TEST_F(RecordCommands, StopWhileIdleSendsNothingAndShowsNoOverlay) {
  Command(1018);
  EXPECT_TRUE(Viewer().Received().empty());
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 0);
  EXPECT_EQ(Plugin().Overlay().RecordingStopped(), 0);
}

TEST_F(RecordCommands, StopWhileRecordingPressesRecordAndMarksTheStop) {
  Viewer().SetRecording(true);
  Viewer().ClearReceived();
  Command(1018);
  EXPECT_EQ(Viewer().CommandsTo(Window::kMain), std::vector<int>{1009});
  EXPECT_FALSE(Viewer().IsRecording());
  EXPECT_EQ(Plugin().Overlay().RecordingStopped(), 1);
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 5);
}

TEST_F(RecordCommands, WithoutPermissionTheHostIsDrivenButNoOverlayShows) {
  Plugin().GetController().Settings().autoDispStatus = 0;
  Command(1017);
  EXPECT_EQ(Viewer().CommandsTo(Window::kMain), std::vector<int>{1009});
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 0);
  Viewer().ClearReceived();
  Command(1018);
  EXPECT_EQ(Viewer().CommandsTo(Window::kMain), std::vector<int>{1009});
  EXPECT_EQ(Plugin().Overlay().RecordingStopped(), 1);  // stays set until the overlay next hides
}

// ---- Closing the viewer ----

// Whether the close command asks (and with which window's name), and how it
// closes the viewer, by the host's state, the answer and the host's SDK.
TEST(CloseCommand, AsksWhileBusyAndClosesOnlyOnYes) {
  const char* const main = "Zentu HDTV Player";
  const char* const remote = standin::kRemoteTitle;
  struct Case {
    const char* name;
    void (*prepare)(standin::StandInViewer&);
    int answer;
    uint32_t sdk;
    bool hostInterface;
    const char* asked;  // the busy window's name in the question; null: no question
    bool wmClose;       // closed by WM_CLOSE to the main window
    int quits;          // closed through the host interface
  };
  const auto idle = [](standin::StandInViewer&) {};
  const auto recording = [](standin::StandInViewer& v) { v.SetRecording(true); };
  const Case cases[] = {
      {"idle", idle, IDNO, 0x10300, true, nullptr, true, 0},
      {"recording, No", recording, IDNO, 0x10300, true, main, false, 0},
      {"recording in English, Yes", [](standin::StandInViewer& v) { v.SetRecordingText("Recording"); }, IDYES,
       0x10300, true, main, true, 0},
      {"busy remote, No", [](standin::StandInViewer& v) { v.SetBusy(true); }, IDNO, 0x10300, true, remote,
       false, 0},
      {"recording, box dismissed", recording, IDCANCEL, 0x10400, true, main, false, 0},
      {"recording, Yes, SDK with the quit slot", recording, IDYES, 0x10400, true, main, false, 1},
      {"idle, SDK with the quit slot", idle, IDNO, 0x10400, true, nullptr, false, 1},
      {"idle, quit SDK without an interface", idle, IDNO, 0x10400, false, nullptr, true, 0},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    standin::HostInterface host;
    harness.Plugin().Init(c.hostInterface ? host.Object() : nullptr, c.sdk);
    c.prepare(harness.Viewer());
    harness.Viewer().ClearReceived();
    testsupport::MessageBoxAnswerer answerer(kCloseCaption, c.answer);
    harness.Control().OnCommand(harness.ControllerWindow(), 1009, 0);
    answerer.Stop();
    ASSERT_EQ(answerer.Count(), c.asked ? 1 : 0) << c.name;
    if (c.asked) {
      EXPECT_EQ(answerer.Last().text, CloseQuestion(c.asked)) << c.name;
      EXPECT_EQ(answerer.Last().owner, harness.ControllerWindow()) << c.name;
    }
    EXPECT_EQ(Received(harness.Viewer(), Window::kMain, WM_CLOSE), c.wmClose) << c.name;
    EXPECT_EQ(host.QuitCount(), c.quits) << c.name;
    EXPECT_EQ(host.OtherSlotCalls(), 0) << c.name;
  }
}

CSamplePlugin* g_pluginToDelete = nullptr;
HWND g_windowToDestroy = nullptr;

// Run by the question's own message loop: the host deletes the object, or
// its window goes, while the box is up.
void CALLBACK DeletePluginFromTheMessageLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_pluginToDelete->ScalarDeletingDestructor(1);
}

void CALLBACK DestroyWindowFromTheMessageLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  DestroyWindow(g_windowToDestroy);
}

// A question that ends because its owner or the object went keeps the
// viewer running, and the object is not used after the question.
TEST(CloseCommand, QuestionEndedByTheHostKeepsTheViewerRunning) {
  struct Case {
    const char* name;
    void (*disturb)(PluginHarness&);
  };
  const Case cases[] = {
      {"its owner destroyed",
       [](PluginHarness& harness) {
         g_windowToDestroy = harness.ControllerWindow();
         SetTimer(nullptr, 0, 10, DestroyWindowFromTheMessageLoop);
       }},
      {"object deleted",
       [](PluginHarness& harness) {
         g_pluginToDelete = harness.ReleasePlugin();
         SetTimer(nullptr, 0, 10, DeletePluginFromTheMessageLoop);
       }},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    standin::HostInterface host;
    harness.Plugin().Init(host.Object(), 0x10400);
    harness.Viewer().SetRecording(true);
    harness.Viewer().ClearReceived();
    HWND controller = harness.ControllerWindow();
    ::Controller* control = &harness.Control();
    c.disturb(harness);
    control->OnCommand(controller, 1009, 0);
    EXPECT_EQ(host.QuitCount(), 0) << c.name;
    EXPECT_TRUE(harness.Viewer().Received().empty()) << c.name;
    EXPECT_TRUE(IsWindow(harness.Viewer().MainWindow())) << c.name;
  }
}

// ---- Full screen ----

using FullScreenCommand = CommandTable;

bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(FullScreenCommand, WindowedVideoGoesTopmostThenLeavesTheBandOnReturn) {
  HWND video = Viewer().VideoWindow();
  ASSERT_TRUE(GetWindowLongA(video, GWL_STYLE) & WS_THICKFRAME);
  ASSERT_FALSE(IsTopmost(video));
  Command(1031);
  EXPECT_TRUE(IsTopmost(video));
  EXPECT_EQ(Plugin().Host().FullScreenTopmost(), 0);
  EXPECT_EQ(Viewer().CommandsTo(Window::kVideo), std::vector<int>{40001});
  EXPECT_TRUE(Viewer().IsFullScreen());
  Command(1031);
  EXPECT_FALSE(IsTopmost(video));
  EXPECT_FALSE(Viewer().IsFullScreen());
  EXPECT_EQ(Viewer().CommandsTo(Window::kVideo), (std::vector<int>{40001, 40001}));
}

TEST_F(FullScreenCommand, VideoThatWasTopmostStaysTopmost) {
  HWND video = Viewer().VideoWindow();
  SetWindowPos(video, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  Command(1031);
  EXPECT_EQ(Plugin().Host().FullScreenTopmost(), 1);
  Command(1031);
  EXPECT_TRUE(IsTopmost(video));
}

TEST_F(FullScreenCommand, HiddenVideoIsRestoredFirst) {
  HWND video = Viewer().VideoWindow();
  Plugin().Host().HideHostWindow(video);
  ASSERT_FALSE(IsWindowVisible(video));
  Command(1031);
  EXPECT_TRUE(IsWindowVisible(video));
  EXPECT_EQ(Viewer().CommandsTo(Window::kVideo), std::vector<int>{40001});
}

TEST(FullScreenWithoutVideo, NothingHappens) {
  standin::Options options;
  options.createVideo = false;
  PluginHarness harness(options);
  ASSERT_TRUE(harness.Create());
  ASSERT_EQ(harness.Host().HostVideoWindow(), nullptr);
  harness.Viewer().ClearReceived();
  harness.Control().OnCommand(harness.ControllerWindow(), 1031, 0);
  EXPECT_TRUE(harness.Viewer().Received().empty());
}

// ---- Identifier decoding and small commands ----

using CommandDecoding = CommandTable;

TEST_F(CommandDecoding, AutoDisplayToggleNormalisesOddValues) {
  Command(1035);
  EXPECT_EQ(Plugin().GetController().Settings().autoDispStatus, 0);
  Command(1035);
  EXPECT_EQ(Plugin().GetController().Settings().autoDispStatus, 1);
  Plugin().GetController().Settings().autoDispStatus = 5;  // as read from a hand-edited ini file
  Command(1035);
  EXPECT_EQ(Plugin().GetController().Settings().autoDispStatus, 0);
  Command(1035);
  EXPECT_EQ(Plugin().GetController().Settings().autoDispStatus, 1);
}

TEST_F(CommandDecoding, HideAllTakesTheOverlayDownAtOnce) {
  Command(1032);
  ASSERT_TRUE(IsWindowVisible(Plugin().Overlay().Window()));
  Command(1008);  // "全てのウィンドウを隠す"
  EXPECT_FALSE(IsWindowVisible(Plugin().Overlay().Window()));
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 0);
  EXPECT_EQ(Plugin().Overlay().ContentFlags(), 0);
}

TEST_F(CommandDecoding, OverlayToggleShowsEverythingEvenWithoutPermissionThenHides) {
  Plugin().GetController().Settings().autoDispStatus = 0;
  Command(1032);
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 8);
  EXPECT_EQ(Plugin().Overlay().ContentFlags(), kOverlayAll);
  Plugin().Overlay().MarkRecordingStopped();
  Command(1032);
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 0);
  EXPECT_EQ(Plugin().Overlay().ContentFlags(), 0);
  EXPECT_EQ(Plugin().Overlay().RecordingStopped(), 0);
}

TEST_F(CommandDecoding, ChannelOverlayFollowsTheAutoDisplaySetting) {
  Plugin().GetController().Settings().autoDispStatus = 0;
  Command(1019);  // CH1
  EXPECT_EQ(Viewer().CommandsTo(Window::kRemote), std::vector<int>{1006});
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 0);
  Plugin().GetController().Settings().autoDispStatus = 1;
  Command(1022);  // CH4
  EXPECT_EQ(Plugin().Overlay().DisplayCountdown(), 5);
  EXPECT_EQ(Plugin().Overlay().ContentFlags() & kOverlayChannel, kOverlayChannel);
}

// ---- Per-window toggles and window handles in lParam ----

using WindowCommands = CommandTable;

TEST_F(WindowCommands, MainWindowItemHidesAndShowsTheMainWindowItself) {
  Command(2000);
  EXPECT_FALSE(IsWindowVisible(Viewer().MainWindow()));
  EXPECT_EQ(Plugin().Host().WindowList().visible[0], 0);
  Command(2000);
  EXPECT_TRUE(IsWindowVisible(Viewer().MainWindow()));
  EXPECT_EQ(Plugin().Host().WindowList().visible[0], 1);
}

TEST_F(WindowCommands, ToggleFollowsTheLiveStateNotTheStoredFlag) {
  const int remote = harness.ListIndexOf(Viewer().RemoteWindow());
  ShowWindow(Viewer().RemoteWindow(), SW_HIDE);  // hidden by someone else
  Command(2000 + remote);
  EXPECT_TRUE(IsWindowVisible(Viewer().RemoteWindow()));
}

TEST_F(WindowCommands, HandlesInLParamMustBeListed) {
  HWND stranger = CreateWindowA("STATIC", "stranger", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
  Command(1011, reinterpret_cast<LPARAM>(stranger));
  EXPECT_TRUE(IsWindowVisible(stranger));
  Command(1011, 0);
  Command(1011, 12345);
  Command(1011, reinterpret_cast<LPARAM>(Viewer().RemoteWindow()));
  EXPECT_FALSE(IsWindowVisible(Viewer().RemoteWindow()));
  Command(1010, reinterpret_cast<LPARAM>(Viewer().RemoteWindow()));
  EXPECT_TRUE(IsWindowVisible(Viewer().RemoteWindow()));
  DestroyWindow(stranger);
}

TEST_F(WindowCommands, WindowsDestroyedAfterDiscoveryAreHarmless) {
  const int programme = harness.ListIndexOf(Viewer().ProgrammeWindow());
  HWND gone = Viewer().ProgrammeWindow();
  DestroyWindow(gone);
  Command(2000 + programme);
  Command(2000 + programme);
  Command(1008);
  Command(1007);
  Command(1011, reinterpret_cast<LPARAM>(gone));
  EXPECT_TRUE(IsWindowVisible(Viewer().MainWindow()));
}

}  // namespace
