// The tray habits users of other viewers rely on, each off by default:
// minimising to the tray, a single click on the icon, a boss key. The hook
// and the hot key belong to the controller window and go with its teardown,
// however the plug-in ends.
#include "Controller.h"

namespace {

// Out of context: Windows calls this on the thread that set the hook, from
// its message loop, so the controller window is this thread's. Only the
// host's main window owns a controller window.
void CALLBACK OnMinimiseStart(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
  if (event != EVENT_SYSTEM_MINIMIZESTART || object != OBJID_WINDOW || window == nullptr) return;
  for (HWND controller = FindWindowExA(nullptr, nullptr, kControllerClass, nullptr); controller != nullptr;
       controller = FindWindowExA(nullptr, controller, kControllerClass, nullptr)) {
    if (GetWindow(controller, GW_OWNER) == window) SendMessageA(controller, kOwnerMinimisedMessage, 0, 0);
  }
}

// A held key fires once, not once per repeat.
constexpr UINT kHotKeyNoRepeat = 0x4000;  // MOD_NOREPEAT
static_assert(kHotKeyAlt == MOD_ALT && kHotKeyCtrl == MOD_CONTROL && kHotKeyShift == MOD_SHIFT &&
                  kHotKeyWin == MOD_WIN,
              "hot key modifiers");

}  // namespace

void Controller::StartTrayHabits(HWND window) {
  const Options& options = settings_.options;
  habits_.bossKeyOn = ParseHotKey(options.bossKey.c_str(), &habits_.bossKey);
  if (!habits_.bossKeyOn) habits_.bossKey = kDefaultBossKey;
  SetBossKeyRegistered(window, habits_.bossKeyOn);
  SetMinimiseHook(options.Get(Option::kMinimizeToTray) != 0);
  tray_.AnswerKeyboard(options.Get(Option::kTrayClick) != kClickDoesNothing);
}

void Controller::EndTrayHabits(HWND window) {
  SetMinimiseHook(false);
  SetBossKeyRegistered(window, false);
  KillTimer(window, kClickTimerId);
  habits_.clickPending = false;
}

// An option chosen from the 設定 pop-up (or sent by anyone) takes effect at
// once, and is written at shutdown.
void Controller::OnOptionCommand(HWND window, CommandKind kind, int32_t index) {
  Options& options = settings_.options;
  switch (kind) {
    case CommandKind::kToggleOption: {
      const auto option = static_cast<Option>(index);
      options.Set(option, options.Get(option) != 0 ? 0 : 1);
      if (option == Option::kMinimizeToTray) SetMinimiseHook(options.Get(option) != 0);
      break;
    }
    case CommandKind::kSetTrayClick:
      options.Set(Option::kTrayClick, index);
      tray_.AnswerKeyboard(index != kClickDoesNothing);
      break;
    case CommandKind::kToggleBossKey:
      habits_.bossKeyOn = !habits_.bossKeyOn;
      options.bossKey = habits_.bossKeyOn ? FormatHotKey(habits_.bossKey) : "";
      options.bossKeyChanged = true;
      SetBossKeyRegistered(window, habits_.bossKeyOn);
      break;
    default: break;
  }
}

void Controller::SetMinimiseHook(bool on) {
  if (on && habits_.minimiseHook == nullptr) {
    habits_.minimiseHook = SetWinEventHook(EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZESTART, nullptr,
                                           &OnMinimiseStart, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  } else if (!on && habits_.minimiseHook != nullptr) {
    UnhookWinEvent(habits_.minimiseHook);
    habits_.minimiseHook = nullptr;
  }
}

// A key that another program holds leaves the plug-in as it is; the menu
// shows the key as taken.
void Controller::SetBossKeyRegistered(HWND window, bool on) {
  if (habits_.bossKeyRegistered) UnregisterHotKey(window, kBossKeyHotKeyId);
  habits_.bossKeyRegistered =
      on && RegisterHotKey(window, kBossKeyHotKeyId, habits_.bossKey.modifiers | kHotKeyNoRepeat,
                           habits_.bossKey.virtualKey);
}

// The hook's message, and the tick's check for a host or a desktop that
// raises no event. The main window is marked to come back restored.
void Controller::OnOwnerMinimised() {
  HWND main = host_.HostMainWindow();
  if (settings_.options.Get(Option::kMinimizeToTray) == 0 || host_.WindowList().count == 0 ||
      main == nullptr || !IsIconic(main) || !IsWindowVisible(main))
    return;
  host_.MarkMainWindowMinimisedToTray();
  HideAll();
}

bool Controller::AnyListedWindowVisible() const {
  for (int32_t i = 0; i < host_.WindowList().count; ++i) {
    if (host_.IsHostWindowVisible(i) == 1) return true;
  }
  return false;
}

void Controller::HideOrRestoreAll() {
  if (AnyListedWindowVisible()) {
    HideAll();
  } else {
    host_.RestoreAllHostWindows();
  }
}

// A double click's first button-up waits for the double-click time: the
// double click restores all, and its single click must not run as well.
void Controller::OnTrayLeftButtonUp(HWND window) {
  if (habits_.swallowNextClick) {
    habits_.swallowNextClick = false;
    return;
  }
  if (settings_.options.Get(Option::kTrayClick) == kClickDoesNothing) return;
  habits_.clickPending = SetTimer(window, kClickTimerId, GetDoubleClickTime(), nullptr) != 0;
}

void Controller::OnClickTimer(HWND window) {
  KillTimer(window, kClickTimerId);
  if (!habits_.clickPending) return;
  habits_.clickPending = false;
  RunClickAction();
}

void Controller::RunClickAction() {
  switch (settings_.options.Get(Option::kTrayClick)) {
    case kClickRestoresAll: host_.RestoreAllHostWindows(); break;
    case kClickTogglesAll: HideOrRestoreAll(); break;
    default: break;
  }
}

// The first press hides every listed window and mutes the viewer (unless it
// was muted already); the next brings them back, and unmutes only what it
// muted.
void Controller::OnBossKey() {
  if (AnyListedWindowVisible()) {
    const bool mute = settings_.options.Get(Option::kBossKeyMute) != 0 && host_.IsHostMuted() == 0;
    HideAll();
    if (!StillServing() || !mute) return;
    habits_.mutedByBossKey = true;
    host_.SetHostMute(1);
  } else {
    host_.RestoreAllHostWindows();
    if (!StillServing() || !habits_.mutedByBossKey) return;
    habits_.mutedByBossKey = false;
    host_.SetHostMute(0);
  }
}
