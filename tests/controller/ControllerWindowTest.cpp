// The controller window in-process over a stand-in host main window: its
// start-up from the ini file, the monitoring tick, shutdown and bad input.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PluginHarness.h"
#include "PsiCollector.h"

using testsupport::ProgramIni;
using testsupport::ShellTray;
using testsupport::StartOfLongSection;

namespace {

class Controller : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ResetModule(); }
  void TearDown() override { Stop(); }

  CSamplePlugin& Start() {
    host_ = std::make_unique<standin::StandInViewer>();
    EXPECT_TRUE(host_->Create());
    plugin_ = std::make_unique<CSamplePlugin>();
    EXPECT_EQ(plugin_->Create(host_->MainWindow()), 1);
    return *plugin_;
  }
  // The host closes: its main window goes first, then the object.
  void Stop() {
    if (host_) DestroyWindow(host_->MainWindow());
    plugin_.reset();
    host_.reset();
  }
  HWND ControllerWindow() const { return plugin_->GetController().Window(); }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) SendMessageA(ControllerWindow(), WM_TIMER, kMonitorTimerId, 0);
  }
  RECT WindowRect() const {
    RECT rect{};
    GetWindowRect(ControllerWindow(), &rect);
    return rect;
  }
  bool Checked(int id) const { return IsDlgButtonChecked(ControllerWindow(), id) == BST_CHECKED; }
  // Where the window stands when no position is saved.
  RECT TemplateRect() {
    Start();
    RECT rect = WindowRect();
    Stop();
    ini_.Clear();
    return rect;
  }

  ProgramIni ini_;
  std::unique_ptr<standin::StandInViewer> host_;
  std::unique_ptr<CSamplePlugin> plugin_;
};

// ---- Creation ----

TEST_F(Controller, CreatedHiddenAsOwnDialogClassOwnedByTheHost) {
  CSamplePlugin& plugin = Start();
  HWND controller = ControllerWindow();
  ASSERT_NE(controller, nullptr);
  char className[64] = {};
  GetClassNameA(controller, className, sizeof className);
  EXPECT_STREQ(className, "Zentu_TaskTray_Class");
  EXPECT_EQ(GetWindow(controller, GW_OWNER), host_->MainWindow());
  EXPECT_FALSE(IsWindowVisible(controller));
  char caption[64] = {};
  GetWindowTextA(controller, caption, sizeof caption);
  EXPECT_STREQ(caption, testsupport::kControllerCaption);
  EXPECT_EQ(CurrentController(), &plugin.GetController());
  EXPECT_EQ(plugin.Host().HostMainWindow(), host_->MainWindow());
  EXPECT_EQ(plugin.GetController().Monitor().timerId, kMonitorTimerId);
  EXPECT_NE(plugin.GetController().Tray().NormalIcon(), nullptr);
  EXPECT_NE(plugin.GetController().Tray().RecordingIcon(), nullptr);
  EXPECT_NE(plugin.GetController().Tray().NormalIcon(), plugin.GetController().Tray().RecordingIcon());
  EXPECT_EQ(plugin.Host().WindowList().count, 0);  // no tray icon before discovery
  EXPECT_STREQ(plugin.GetController().Settings().iniPath, ini_.Path().c_str());  // beside the executable
}

// What the controller window's thread delivers to the window: whether it
// was shown or activated.
struct ShownOrActivated {
  static HHOOK g_hook;
  static std::vector<std::string> g_seen;
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    char className[64] = {};
    if (code == HC_ACTION && GetClassNameA(sent->hwnd, className, sizeof className) &&
        std::string(className) == "Zentu_TaskTray_Class" && sent->wParam != 0) {
      if (sent->message == WM_SHOWWINDOW) g_seen.push_back("WM_SHOWWINDOW");
      if (sent->message == WM_ACTIVATE) g_seen.push_back("WM_ACTIVATE");
      if (sent->message == WM_NCACTIVATE) g_seen.push_back("WM_NCACTIVATE");
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
  }
};
HHOOK ShownOrActivated::g_hook = nullptr;
std::vector<std::string> ShownOrActivated::g_seen;

TEST_F(Controller, NeverShownNorActivatedFromCreateOnWhateverTheSavedState) {
  const char* const savedMinimised[] = {nullptr, "0", "1"};
  for (const char* minimised : savedMinimised) {
    SCOPED_TRACE(minimised ? minimised : "unset");
    ini_.Clear();
    if (minimised) {
      ini_.Write("WindowX", "150");
      ini_.Write("WindowY", "120");
      ini_.Write("WindowMin", minimised);
    }
    ShownOrActivated::g_seen.clear();
    ShownOrActivated::g_hook =
        SetWindowsHookExA(WH_CALLWNDPROC, ShownOrActivated::Record, nullptr, GetCurrentThreadId());
    ASSERT_NE(ShownOrActivated::g_hook, nullptr);
    Start();
    Tick(3);
    UnhookWindowsHookEx(ShownOrActivated::g_hook);
    EXPECT_EQ(ShownOrActivated::g_seen, std::vector<std::string>());
    EXPECT_FALSE(IsWindowVisible(ControllerWindow()));
    EXPECT_EQ(IsIconic(ControllerWindow()) != 0, minimised && minimised[0] == '1');
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    ASSERT_TRUE(GetWindowPlacement(ControllerWindow(), &placement));
    // Where it restores to (no taskbar here: workspace is screen).
    EXPECT_EQ(placement.rcNormalPosition.left, minimised ? 150 : WindowRect().left);
    Stop();
    EXPECT_EQ(ini_.Read("WindowMin"), minimised ? minimised : "0");
  }
}

TEST_F(Controller, DefaultsWithoutIniFile) {
  const RECT reference = TemplateRect();
  CSamplePlugin& plugin = Start();
  EXPECT_EQ(plugin.GetController().Settings().noCard, 0);
  EXPECT_EQ(plugin.GetController().Settings().noCardRec, 1);
  EXPECT_EQ(plugin.GetController().Settings().autoDispStatus, 1);
  EXPECT_FALSE(Checked(1015));
  EXPECT_TRUE(Checked(1016));
  EXPECT_EQ(WindowRect().left, reference.left);
  EXPECT_EQ(WindowRect().top, reference.top);
  EXPECT_FALSE(IsIconic(ControllerWindow()));
}

struct CheckBoxCase {
  const char* noCard;     // nullptr: key missing
  const char* noCardRec;  // nullptr: key missing
  bool noCardChecked;
  bool noCardRecChecked;
};

TEST_F(Controller, CheckBoxesShowTheIniOptions) {
  const CheckBoxCase cases[] = {
      {"1", nullptr, true, true}, {"0", "0", false, false},   {nullptr, "0", false, false},
      {"5", "2", true, true},     {"abc", "x", false, false},
  };
  for (const CheckBoxCase& c : cases) {
    ini_.Clear();
    if (c.noCard) ini_.Write("NoCard", c.noCard);
    if (c.noCardRec) ini_.Write("NoCardRec", c.noCardRec);
    Start();
    EXPECT_EQ(Checked(1015), c.noCardChecked) << (c.noCard ? c.noCard : "-");
    EXPECT_EQ(Checked(1016), c.noCardRecChecked) << (c.noCardRec ? c.noCardRec : "-");
    Stop();
    // The options are only read, never written back.
    EXPECT_EQ(ini_.Read("NoCard"), c.noCard ? c.noCard : "<missing>");
  }
}

// ---- Settings written at shutdown ----

TEST_F(Controller, ShutdownBeforeTheFirstTickWritesNoPosition) {
  Start();
  Stop();
  EXPECT_EQ(ini_.Read("AutoDispStatus"), "1");
  EXPECT_EQ(ini_.Read("WindowX"), "<missing>");
  EXPECT_EQ(ini_.Read("WindowY"), "<missing>");
  EXPECT_EQ(ini_.Read("WindowMin"), "<missing>");
}

TEST_F(Controller, AutoDispStatusIsWrittenBackAsHeld) {
  ini_.Write("AutoDispStatus", "0");
  EXPECT_EQ(Start().GetController().Settings().autoDispStatus, 0);
  Stop();
  EXPECT_EQ(ini_.Read("AutoDispStatus"), "0");

  ini_.Write("AutoDispStatus", "7");
  EXPECT_EQ(Start().GetController().Settings().autoDispStatus, 7);
  Stop();
  EXPECT_EQ(ini_.Read("AutoDispStatus"), "7");
}

TEST_F(Controller, TwoPositionKeysDoNotMoveTheWindowButATickRecordsAllThree) {
  const RECT reference = TemplateRect();
  ini_.Write("WindowX", "300");
  ini_.Write("WindowY", "310");
  CSamplePlugin& plugin = Start();
  EXPECT_EQ(WindowRect().left, reference.left);
  EXPECT_EQ(WindowRect().top, reference.top);
  EXPECT_EQ(plugin.GetController().Settings().rememberedRect.left, 0);
  Tick();
  const RECT now = WindowRect();
  Stop();
  EXPECT_EQ(ini_.Read("WindowX"), std::to_string(now.left));
  EXPECT_EQ(ini_.Read("WindowY"), std::to_string(now.top));
  EXPECT_EQ(ini_.Read("WindowMin"), "0");
}

TEST_F(Controller, PositionSurvivesARestart) {
  Start();
  SetWindowPos(ControllerWindow(), nullptr, 210, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Tick();
  Stop();
  EXPECT_EQ(ini_.Read("WindowX"), "210");
  EXPECT_EQ(ini_.Read("WindowY"), "220");
  EXPECT_EQ(ini_.Read("WindowMin"), "0");

  CSamplePlugin& plugin = Start();
  EXPECT_EQ(WindowRect().left, 210);
  EXPECT_EQ(WindowRect().top, 220);
  EXPECT_EQ(plugin.GetController().Settings().rememberedRect.left, 210);
  EXPECT_EQ(plugin.GetController().Settings().minimised, 0);
}

TEST_F(Controller, MinimisedStateSurvivesARestartWithTheLastPosition) {
  ini_.Write("WindowX", "150");
  ini_.Write("WindowY", "120");
  ini_.Write("WindowMin", "1");
  CSamplePlugin& plugin = Start();
  EXPECT_TRUE(IsIconic(ControllerWindow()));
  EXPECT_FALSE(IsWindowVisible(ControllerWindow()));
  EXPECT_EQ(plugin.GetController().Settings().minimised, 1);
  Tick(2);
  EXPECT_EQ(plugin.GetController().Settings().minimised, 1);
  EXPECT_EQ(plugin.GetController().Settings().rememberedRect.left, 150);
  Stop();
  EXPECT_EQ(ini_.Read("WindowX"), "150");
  EXPECT_EQ(ini_.Read("WindowY"), "120");
  EXPECT_EQ(ini_.Read("WindowMin"), "1");

  Start();
  EXPECT_TRUE(IsIconic(ControllerWindow()));
}

// ---- Bad ini values ----

// The saved position's texts read as atoi reads them, clamped to 32 bits.
TEST_F(Controller, PositionTextsConvertLikeAtoiAndClamp) {
  const struct {
    const char *x, *y, *minimised;
    int32_t left, top, minimisedValue;
    bool movedThere;  // the window itself stands at (left, top)
  } rows[] = {
      {"letters", " -12abc", "junk", 0, -12, 0, true},
      {"99999999999999999999", "-99999999999", "4294967297", INT32_MAX, INT32_MIN, INT32_MAX, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.x);
    ini_.Write("WindowX", row.x);
    ini_.Write("WindowY", row.y);
    ini_.Write("WindowMin", row.minimised);
    CSamplePlugin& plugin = Start();
    EXPECT_EQ(plugin.GetController().Settings().rememberedRect.left, row.left);
    EXPECT_EQ(plugin.GetController().Settings().rememberedRect.top, row.top);
    EXPECT_EQ(plugin.GetController().Settings().minimised, row.minimisedValue);
    EXPECT_EQ(IsIconic(ControllerWindow()) != 0, row.minimisedValue != 0);
    if (row.movedThere) {
      EXPECT_EQ(WindowRect().left, row.left);
      EXPECT_EQ(WindowRect().top, row.top);
    }
    Stop();
    ini_.Clear();
  }
}

TEST_F(Controller, EmptyPositionValueCountsAsMissing) {
  const RECT reference = TemplateRect();
  ini_.Write("WindowX", "400");
  ini_.Write("WindowY", "");
  ini_.Write("WindowMin", "1");
  Start();
  EXPECT_EQ(WindowRect().left, reference.left);
  EXPECT_FALSE(IsIconic(ControllerWindow()));
}

// ---- Monitoring tick ----

TEST_F(Controller, TicksOfAnotherTimerAreIgnored) {
  CSamplePlugin& plugin = Start();
  SendMessageA(ControllerWindow(), WM_TIMER, 999, 0);
  SendMessageA(ControllerWindow(), WM_TIMER, 0, 0);
  EXPECT_EQ(plugin.GetController().Settings().positionValid, 0);
  EXPECT_EQ(plugin.GetController().Monitor().discoveryCountdown, 3);
}

TEST_F(Controller, OverlayCountdownHidesAndClearsOnTheLastTick) {
  CSamplePlugin& plugin = Start();
  plugin.Overlay().ShowStatusOverlay(1, 2, kOverlayAll, 1, host_->MainWindow());
  plugin.Overlay().MarkRecordingStopped();
  Tick();
  EXPECT_EQ(plugin.Overlay().DisplayCountdown(), 1);
  EXPECT_EQ(plugin.Overlay().ContentFlags(), kOverlayAll);
  Tick();
  EXPECT_EQ(plugin.Overlay().DisplayCountdown(), 0);
  EXPECT_EQ(plugin.Overlay().ContentFlags(), 0);
  EXPECT_EQ(plugin.Overlay().RecordingStopped(), 0);
  ASSERT_NE(plugin.Overlay().Window(), nullptr);
  EXPECT_FALSE(IsWindowVisible(plugin.Overlay().Window()));
  Tick();
  EXPECT_EQ(plugin.Overlay().DisplayCountdown(), 0);
}

TEST_F(Controller, TrayIconFollowsRecordingWithOneModifyPerChange) {
  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  CSamplePlugin& plugin = Start();
  Tick(3);
  ASSERT_GE(plugin.Host().WindowList().count, 1);
  EXPECT_EQ(plugin.GetController().Tray().Data().hIcon, plugin.GetController().Tray().NormalIcon());
  tray.Clear();

  host_->SetRecordingText(standin::kRecordingText);
  Tick();
  EXPECT_EQ(plugin.GetController().Tray().Data().hIcon, plugin.GetController().Tray().RecordingIcon());
  EXPECT_EQ(tray.CountOf(NIM_MODIFY), 1u);
  Tick(2);
  EXPECT_EQ(tray.CountOf(NIM_MODIFY), 1u);  // steady state: nothing sent

  host_->SetRecordingText("Recording");
  Tick();
  EXPECT_EQ(tray.CountOf(NIM_MODIFY), 1u);

  host_->SetRecordingText("");
  Tick();
  EXPECT_EQ(plugin.GetController().Tray().Data().hIcon, plugin.GetController().Tray().NormalIcon());
  EXPECT_EQ(tray.CountOf(NIM_MODIFY), 2u);
}

// ---- Shutdown ----

TEST_F(Controller, ShutdownReleasesEverythingAndWritesTheSettings) {
  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  CSamplePlugin& plugin = Start();
  Tick(3);
  ASSERT_GE(plugin.Host().WindowList().count, 1);
  HWND overlay = plugin.Overlay().Window();
  HWND panel = plugin.Panel().Window();
  HWND controller = ControllerWindow();
  ASSERT_NE(overlay, nullptr);
  ASSERT_NE(panel, nullptr);
  tray.Clear();

  DestroyWindow(host_->MainWindow());
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_FALSE(IsWindow(overlay));
  EXPECT_FALSE(IsWindow(panel));
  EXPECT_EQ(plugin.Overlay().Window(), nullptr);
  EXPECT_EQ(plugin.Panel().Window(), nullptr);
  EXPECT_EQ(tray.CountOf(NIM_DELETE), 1u);
  EXPECT_EQ(plugin.Host().WindowList().count, 0);
  EXPECT_EQ(plugin.GetController().Monitor().timerId, 0u);
  EXPECT_EQ(plugin.Collector(), nullptr);
  EXPECT_EQ(CurrentController(), &plugin.GetController());  // kept after shutdown
  EXPECT_EQ(ini_.Read("Zentu HDTV Player_View"), "1");
  EXPECT_EQ(ini_.Read("AutoDispStatus"), "1");
  EXPECT_NE(ini_.Read("WindowX"), "<missing>");

  // The object goes on answering the host without stream information.
  const std::vector<uint8_t> packet = StartOfLongSection(0x0010);
  EXPECT_EQ(plugin.InputTsData(packet.data(), 188), 1);
  EXPECT_EQ(plugin.OnServiceChange(1, 0x0420), 1);
  EXPECT_EQ(plugin.CurrentServiceId(), 0x0420);
}

// ---- Messages and bad input ----

TEST_F(Controller, MessagesBeforeInitDialogAreIgnored) {
  HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const UINT messages[] = {WM_DESTROY, WM_TIMER, WM_COMMAND, WM_CLOSE, kTrayCallbackMessage};
  for (UINT message : messages) {
    EXPECT_EQ(
        ControllerDialogProc(window, message, message == WM_TIMER ? kMonitorTimerId : 1035, WM_RBUTTONDOWN),
        0);
  }
  EXPECT_EQ(ControllerDialogProc(window, WM_INITDIALOG, 0, 0), 0);
  EXPECT_EQ(CurrentController(), nullptr);
  EXPECT_EQ(GetFileAttributesA(ini_.Path().c_str()), INVALID_FILE_ATTRIBUTES);
  DestroyWindow(window);
}

struct SendContext {
  HWND target;
  std::vector<WPARAM> commands;
};

TEST_F(Controller, CommandsFromAnotherThreadRunOnTheWindowsThread) {
  CSamplePlugin& plugin = Start();
  SendContext context{ControllerWindow(), {2, 1015, 1016, 0xFFFF, 1035}};
  testsupport::RunOnOtherThreadPumping([&context] {
    for (WPARAM id : context.commands) SendMessageA(context.target, WM_COMMAND, id, 0);
    PostMessageA(context.target, WM_CLOSE, 0, 0);
  });
  testsupport::PumpMessages();
  // Only 1035 is a command: it turns the overlay option off.
  EXPECT_EQ(plugin.GetController().Settings().autoDispStatus, 0);
  EXPECT_TRUE(IsWindow(ControllerWindow()));  // closing never destroys it
  EXPECT_FALSE(IsWindowVisible(ControllerWindow()));
  EXPECT_FALSE(Checked(1015));
  Stop();
  EXPECT_EQ(ini_.Read("AutoDispStatus"), "0");
}

TEST_F(Controller, StreamingThreadSurvivesTheTeardown) {
  CSamplePlugin& plugin = Start();
  std::vector<uint8_t> stream;
  for (uint16_t pid : {0x0010, 0x0011, 0x0012, 0x0014, 0x0100}) {
    const std::vector<uint8_t> packet = StartOfLongSection(pid);
    stream.insert(stream.end(), packet.begin(), packet.end());
  }
  std::atomic<bool> torn{false};
  std::atomic<int> rounds{0};
  std::thread streaming([&] {
    int after = 0;
    while (after < 200) {
      plugin.InputTsData(stream.data(), static_cast<uint32_t>(stream.size()));
      plugin.OnServiceChange(rounds % 3, 0x0400 + rounds % 5);
      ++rounds;
      if (torn) ++after;
    }
  });
  while (rounds < 50) Sleep(1);
  DestroyWindow(host_->MainWindow());
  torn = true;
  streaming.join();
  EXPECT_EQ(plugin.Collector(), nullptr);
  EXPECT_EQ(plugin.InputTsData(stream.data(), static_cast<uint32_t>(stream.size())), 1);
}

}  // namespace
