// Test support for the tray and command tests: a stand-in notification area
// (a hidden window of the shell's tray class, which Wine's Shell_NotifyIconA
// talks to through WM_COPYDATA), the plug-in object wired to the stand-in
// viewer's windows, and watcher threads that read and answer modal UI.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ModuleState.h"
#include "SamplePlugin.h"
#include "StandInViewer.h"

namespace traytest {

// One Shell_NotifyIconA call as the notification area received it.
struct TrayCall {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND window = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::string tip;                 // Shift_JIS, as the shell got it
  std::vector<uint8_t> iconBits;  // the icon's pixels as the shell got them
};

// The notification area: a hidden top-level window of class "Shell_TrayWnd".
class FakeShellTray {
 public:
  FakeShellTray();
  ~FakeShellTray();
  bool Create();
  void Destroy();
  HWND Window() const { return window_; }

  // Whether WM_COPYDATA succeeds, that is, whether Shell_NotifyIconA does.
  void SetAccepting(bool accept) { accepting_ = accept; }
  // From now on the area keeps its icons as a shell does: adding an icon it
  // holds and changing one it does not hold fail. The next NIM_ADD then adds
  // its icon but reports failure, as a shell that answered too late does.
  void HoldIconsAndAnswerTheNextAddLate() { holding_ = true; lateAdd_ = true; }
  std::vector<TrayCall>& Calls() { return calls_; }
  std::vector<TrayCall> CallsOf(DWORD message) const;
  void Clear() { calls_.clear(); }

  // The pixels that the shell receives for an icon, taken by a scratch
  // NIM_ADD/NIM_DELETE pair of another icon id.
  std::vector<uint8_t> BitsOf(HICON icon);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Answer(const TrayCall& call);
  HWND window_ = nullptr;
  bool accepting_ = true;
  bool holding_ = false;
  bool lateAdd_ = false;
  std::vector<std::pair<HWND, UINT>> held_;
  std::vector<TrayCall> calls_;
};

// The plug-in object created over the stand-in viewer's windows, with the
// viewer's windows discovered (without an ini file) and the controller's
// timer stopped: the tests send the ticks.
class PluginHarness {
 public:
  explicit PluginHarness(const standin::Options& options = standin::Options());
  ~PluginHarness();
  bool Create();

  standin::StandInViewer& Viewer() { return viewer_; }
  CSamplePlugin& Plugin() { return *plugin_; }
  ::Controller& Control() { return plugin_->GetController(); }
  HostViewer& Host() { return plugin_->Host(); }
  // Hands the object over to the caller, who deletes it.
  CSamplePlugin* ReleasePlugin() { return plugin_.release(); }
  HWND ControllerWindow() const { return controller_; }
  int ListIndexOf(HWND window) const;
  // Messages the controller window received (WM_NULL posts, WM_COMMAND ...).
  std::vector<MSG>& ControllerMessages();
  // One monitoring tick, as the timer would send it.
  void Tick() { SendMessageA(controller_, WM_TIMER, kMonitorTimerId, 0); }

  // Lets queued messages through, without waiting.
  static void PumpMessages();

 private:
  standin::StandInViewer viewer_;
  std::unique_ptr<CSamplePlugin> plugin_;
  HWND controller_ = nullptr;
};

// A thread that waits for a top-level window of a class (and caption) that
// the UI thread is about to show modally, then runs an action on it.
class ModalWatcher {
 public:
  // The action runs on the watcher thread once the window is found.
  ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> action);
  ~ModalWatcher();  // joins
  bool Found() const { return found_; }
  void Join();
  void StopAndJoin();  // for windows that must not appear

 private:
  static DWORD WINAPI Run(void* self);
  std::string class_;
  std::string caption_;
  bool hasCaption_;
  std::function<void(HWND)> action_;
  HANDLE thread_ = nullptr;
  volatile bool found_ = false;
  volatile bool stop_ = false;
};

// A message box as the watcher saw it.
struct MessageBoxSeen {
  bool shown = false;
  std::string text;
  HWND owner = nullptr;
  LONG style = 0;
};

// Answers the next message box with the caption with `answer` (IDYES/IDNO).
std::unique_ptr<ModalWatcher> AnswerMessageBox(const char* caption, int answer, MessageBoxSeen* seen);

// One menu item as read from the open pop-up menu.
struct MenuItem {
  UINT id = 0;
  std::string text;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
  std::vector<MenuItem> submenu;
};
struct MenuSeen {
  bool shown = false;
  RECT rect = {};  // the menu window on the screen
  std::vector<MenuItem> items;
  const MenuItem* Find(UINT id) const;  // searches the sub-menus too
};

// Reads the next pop-up menu that opens, then closes it with Escape.
std::unique_ptr<ModalWatcher> ReadAndCloseMenu(MenuSeen* seen);

// Shift_JIS texts used by the tests.
extern const char kRecordingText[];        // "録画中"
extern const char kProgrammeListTitle[];   // "番組情報"
extern const char kCloseCaption[];         // "ZentuViewの終了"

}  // namespace traytest
