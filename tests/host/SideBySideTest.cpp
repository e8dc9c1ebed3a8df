// Two viewers side by side, one per tuner: two processes of the stand-in
// viewer under one Wine server, each with the real plug-in DLL and its video
// inside a utility window. The second one starts behind the first, so that
// the first viewer's utility window is the first of its class on the
// desktop. Each plug-in must list, hide and overlay its own viewer only.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "StandInViewer.h"
#include "WinTestSupport.h"

using namespace testsupport;

namespace {

constexpr char kViewerProgram[] = "ZentuViewStandIn.exe";
constexpr char kOverlayClass[] = "Zentu_TaskTrayStatus_Class";
constexpr char kMainClass[] = "ZentuStandInMain";
constexpr char kVideoClass[] = "ZentuStandInVideo";

// Pumps (the viewers' plug-ins talk to this process's notification area)
// until `done` or about 20 s.
bool PumpUntil(const std::function<bool()>& done) {
  for (int i = 0; i < 2000; ++i) {
    if (done()) return true;
    PumpMessages();
    Sleep(10);
  }
  return done();
}

HWND FindOwnWindow(DWORD process, const char* className, HWND owner = nullptr) {
  for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, className, nullptr)) {
    DWORD windowProcess = 0;
    GetWindowThreadProcessId(window, &windowProcess);
    if (windowProcess == process && (owner == nullptr || GetWindow(window, GW_OWNER) == owner)) return window;
  }
  return nullptr;
}

bool Contains(HWND window, POINT point) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return PtInRect(&rect, point) != FALSE;
}

// One stand-in viewer process and its windows as any program sees them.
class ViewerProcess {
 public:
  bool Start(const char* arguments) {
    std::string command =
        std::string(kViewerProgram) + " ZentuTaskTray.dll --utility --seconds 60 " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
      return false;
    return PumpUntil([&] {
      main = FindOwnWindow(process_.dwProcessId, kMainClass);
      controller = main ? standin::FindPluginController(main) : nullptr;
      utility = FindOwnWindow(process_.dwProcessId, "ZentuUtil32");
      video = utility ? FindWindowExA(utility, nullptr, kVideoClass, nullptr) : nullptr;
      return controller != nullptr && video != nullptr;
    });
  }
  // Closes the viewer as its user would, and waits for the process to end.
  DWORD Close() {
    if (process_.hProcess == nullptr) return 1;
    PostMessageA(main, WM_CLOSE, 0, 0);
    while (MsgWaitForMultipleObjects(1, &process_.hProcess, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      PumpMessages();
    }
    DWORD code = 1;
    GetExitCodeProcess(process_.hProcess, &code);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
    return code;
  }
  ~ViewerProcess() {
    if (process_.hProcess != nullptr && Close() == STILL_ACTIVE) TerminateProcess(process_.hProcess, 1);
  }
  HWND Overlay() const { return FindOwnWindow(process_.dwProcessId, kOverlayClass, controller); }
  bool Shown() const { return IsWindowVisible(main) && !IsIconic(utility); }
  bool Hidden() const { return !IsWindowVisible(main) && IsIconic(utility); }

  HWND main = nullptr, controller = nullptr, utility = nullptr, video = nullptr;

 private:
  PROCESS_INFORMATION process_ = {};
};

TEST(SideBySide, EachPluginListsHidesAndOverlaysOnlyItsOwnViewer) {
  ProgramIni ini;  // the two viewers share the ini file of their folder
  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  auto iconAdded = [&](HWND controller) {
    for (const TrayCall& call : tray.CallsOf(NIM_ADD)) {
      if (call.window == controller) return true;
    }
    return false;
  };
  ViewerProcess first, second;
  ASSERT_TRUE(first.Start("--origin 0,0"));
  ASSERT_TRUE(PumpUntil([&] { return iconAdded(first.controller); }));  // discovered
  ASSERT_TRUE(second.Start("--origin -500,380 --behind"));
  ASSERT_TRUE(PumpUntil([&] { return iconAdded(second.controller); }));
  ASSERT_TRUE(first.Shown() && second.Shown());

  struct Pair {
    const char* name;
    ViewerProcess& own;
    ViewerProcess& other;
  } pairs[] = {{"the first viewer's plug-in", first, second}, {"the second viewer's plug-in", second, first}};
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.name);
    // "表示": the overlay lies over its own viewer's video.
    SendMessageA(pair.own.controller, WM_COMMAND, 1032, 0);
    HWND overlay = pair.own.Overlay();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(IsWindowVisible(overlay));
    RECT placed = {};
    GetWindowRect(overlay, &placed);
    const POINT centre = {(placed.left + placed.right) / 2, (placed.top + placed.bottom) / 2};
    EXPECT_TRUE(Contains(pair.own.video, centre));
    EXPECT_FALSE(Contains(pair.other.video, centre));
    SendMessageA(pair.own.controller, WM_COMMAND, 1032, 0);

    // "全てのウィンドウを隠す" hides every listed window: its own only.
    SendMessageA(pair.own.controller, WM_COMMAND, 1008, 0);
    EXPECT_TRUE(pair.own.Hidden());
    EXPECT_TRUE(pair.other.Shown());
    SendMessageA(pair.own.controller, WM_COMMAND, 1007, 0);
    EXPECT_TRUE(pair.own.Shown());
    EXPECT_TRUE(pair.other.Shown());
  }
  EXPECT_EQ(first.Close(), 0u);
  EXPECT_EQ(second.Close(), 0u);
}

}  // namespace
