// The controller window's life: creation, start-up from the ini file,
// shutdown, its dialog procedure, and what the overlay shows.
#include "Controller.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "IniFile.h"
#include "IniPath.h"
#include "resource.h"

namespace {

constexpr char kKeyWindowX[] = "WindowX";
constexpr char kKeyWindowY[] = "WindowY";
constexpr char kKeyWindowMin[] = "WindowMin";
constexpr char kKeyNoCard[] = "NoCard";
constexpr char kKeyNoCardRec[] = "NoCardRec";
constexpr char kKeyAutoDispStatus[] = "AutoDispStatus";
constexpr char kKeyBossKey[] = "BossKey";
constexpr int kIniValueSize = 100;

// The current controller (see CurrentController).
std::atomic<const Controller*> g_current{nullptr};

// Saved position: taken only when all three keys hold text.
bool ReadSavedPosition(ControllerSettings& settings, const IniFile& ini) {
  char x[kIniValueSize], y[kIniValueSize], minimisedText[kIniValueSize];
  ini.ReadText(kKeyWindowX, x, sizeof x);
  if (x[0] == '\0') return false;
  ini.ReadText(kKeyWindowY, y, sizeof y);
  if (y[0] == '\0') return false;
  ini.ReadText(kKeyWindowMin, minimisedText, sizeof minimisedText);
  if (minimisedText[0] == '\0') return false;
  settings.rememberedRect = ScreenRect{ParseIniInteger(x), ParseIniInteger(y), 0, 0};
  settings.minimised = ParseIniInteger(minimisedText);
  return true;
}

// ShowWindow(SW_MINIMIZE) would show the hidden window: a window created with
// WS_MINIMIZE is minimised and stays hidden, so the template gets the style.
HWND CreateControllerDialog(HINSTANCE instance, HWND owner, bool minimised, LPARAM param) {
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDD_CONTROLLER), MAKEINTRESOURCEA(5));  // RT_DIALOG
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  const auto* bytes = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
  constexpr size_t kStyleOffset = 12;  // DLGTEMPLATEEX: version, signature, help id, extended style, style
  const DWORD size = found ? SizeofResource(instance, found) : 0;
  if (bytes == nullptr || size < kStyleOffset + sizeof(DWORD)) return nullptr;
  std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));  // templates are DWORD-aligned
  std::memcpy(copy.data(), bytes, size);
  if (minimised) {
    DWORD style;
    std::memcpy(&style, reinterpret_cast<BYTE*>(copy.data()) + kStyleOffset, sizeof style);
    style |= WS_MINIMIZE;
    std::memcpy(reinterpret_cast<BYTE*>(copy.data()) + kStyleOffset, &style, sizeof style);
  }
  return CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), owner,
                                    ControllerDialogProc, param);
}

// Moves the hidden window to the saved spot; a minimised one gets it as the
// place it restores to, without being shown.
void MoveToSavedPosition(HWND window, const ScreenRect& saved) {
  if (!IsIconic(window)) {
    SetWindowPos(window, nullptr, saved.left, saved.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) return;
  // The normal rectangle counts from the corner of the monitor's work area.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromPoint(POINT{saved.left, saved.top}, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  OffsetRect(&placement.rcNormalPosition, saved.left - monitor.rcWork.left - placement.rcNormalPosition.left,
             saved.top - monitor.rcWork.top - placement.rcNormalPosition.top);
  placement.showCmd = SW_HIDE;  // leaves a hidden window hidden
  SetWindowPlacement(window, &placement);
}

void ReadOptions(ControllerSettings& settings, const IniFile& ini, HWND window) {
  settings.noCard = ini.ReadInt(kKeyNoCard, 0);
  settings.noCardRec = ini.ReadInt(kKeyNoCardRec, 1);
  settings.autoDispStatus = ini.ReadInt(kKeyAutoDispStatus, 1);
  char text[kIniValueSize];
  for (int i = 0; i < kOptionCount; ++i) {
    ini.ReadText(kOptionSpecs[i].key, text, sizeof text);
    settings.options.value[i] = ParseOptionValue(text, kOptionSpecs[i]);
  }
  ini.ReadText(kKeyBossKey, text, sizeof text);
  settings.options.bossKey = text;
  SendDlgItemMessageA(window, IDC_NOCARDREC, BM_SETCHECK, settings.noCardRec != 0 ? 1 : 0, 0);
  SendDlgItemMessageA(window, IDC_NOCARD, BM_SETCHECK, settings.noCard != 0 ? 1 : 0, 0);
}

// Only what the user changed: an untouched ini file stays as it is.
void SaveChangedOptions(const Options& options, const IniFile& ini) {
  for (int i = 0; i < kOptionCount; ++i) {
    if (options.changed[i]) ini.WriteInt(kOptionSpecs[i].key, options.value[i]);
  }
  if (options.bossKeyChanged) ini.WriteText(kKeyBossKey, options.bossKey.c_str());
}

void SavePosition(const ControllerSettings& settings, const IniFile& ini) {
  if (settings.positionValid != 1) return;
  ini.WriteInt(kKeyWindowX, settings.rememberedRect.left);
  ini.WriteInt(kKeyWindowY, settings.rememberedRect.top);
  ini.WriteInt(kKeyWindowMin, settings.minimised);
}

// The controller a window was created for, kept in its window data: the
// window's messages concern that object, whichever one is current.
Controller* ControllerOf(HWND window) {
  return reinterpret_cast<Controller*>(GetWindowLongPtrA(window, DWLP_USER));
}

}  // namespace

Controller::Controller(HostViewer& host, StatusOverlay& overlay, RemotePanel& panel, ControllerOwner& owner)
    : host_(host), overlay_(overlay), panel_(panel), owner_(owner) {}

Controller::~Controller() {
  const Controller* self = this;
  g_current.compare_exchange_strong(self, nullptr);
  // A window left behind (its thread never destroyed it) must not reach
  // this object any more.
  if (window_ != nullptr && IsWindow(window_)) SetWindowLongPtrA(window_, DWLP_USER, 0);
}

const Controller* CurrentController() { return g_current; }

HWND Controller::CreateControllerWindow(HINSTANCE instance, HWND hostMainWindow) {
  instance_ = instance;
  // The dialog template names its own class: a copy of the system dialog
  // class without menu. A second registration fails harmlessly.
  WNDCLASSA dialogClass = {};
  if (GetClassInfoA(instance, "#32770", &dialogClass)) {
    dialogClass.lpszMenuName = nullptr;
    dialogClass.lpszClassName = kControllerClass;
    dialogClass.hInstance = instance;
    RegisterClassA(&dialogClass);
  }
  // The ini file is picked before the window exists: it says whether the
  // window starts minimised.
  LocateHostIniFile(settings_.iniPath, sizeof settings_.iniPath);
  positionSaved_ = ReadSavedPosition(settings_, IniFile(settings_.iniPath));
  // The template has no WS_VISIBLE: the window is never shown, nor activated.
  HWND window = CreateControllerDialog(instance, hostMainWindow, positionSaved_ && settings_.minimised != 0,
                                       reinterpret_cast<LPARAM>(this));
  window_ = window;
  return window;
}

void Controller::DestroyControllerWindow() {
  HWND window = window_;
  if (window == nullptr) return;
  if (IsWindow(window)) {
    DestroyWindow(window);
  } else {
    OnControllerDestroy(window);
  }
}

void Controller::OnControllerInit(HWND window) {
  window_ = window;
  const IniFile ini(settings_.iniPath);
  if (positionSaved_) MoveToSavedPosition(window, settings_.rememberedRect);
  ReadOptions(settings_, ini, window);
  tray_.Prepare(instance_);
  monitor_.timerId = SetTimer(window, kMonitorTimerId, kMonitorPeriodMs, nullptr);
  overlay_.CreateStatusOverlay(instance_, window, this);
  panel_.CreateRemotePanel(instance_, window, overlay_.GreyBrush());
  StartTrayHabits(window);
}

void Controller::OnControllerDestroy(HWND window) {
  EndTrayHabits(window);
  panel_.DestroyRemotePanel();
  overlay_.DestroyStatusOverlay();
  const IniFile ini(settings_.iniPath);
  if (host_.WindowList().count > 0) {
    tray_.RemoveTrayIcon();
    host_.SaveHostWindowVisibility(ini);
  }
  if (monitor_.timerId != 0) {
    KillTimer(window, monitor_.timerId);
    monitor_.timerId = 0;
  }
  SavePosition(settings_, ini);
  ini.WriteInt(kKeyAutoDispStatus, settings_.autoDispStatus);
  SaveChangedOptions(settings_.options, ini);
  owner_.StopStreamInformation();
  if (window_ == window) window_ = nullptr;
}

void Controller::ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted) {
  overlay_.ShowStatusOverlay(show, seconds, contentFlags, permitted, host_.HostVideoWindow());
}

bool Controller::ReadOverlayContent(int32_t contentFlags, OverlayContent* content) {
  // The overlay paints outside the controller's own messages.
  const OwnerCall call(owner_);
  if (contentFlags & kOverlayChannel) {
    content->channelKnown = host_.ReadCurrentChannelName(content->channelName, sizeof content->channelName);
  }
  if (contentFlags & kOverlayStatusBar) {
    content->statusKnown = host_.ReadStatusBarText(content->statusText, sizeof content->statusText);
    // The status text is shown up to the end of its fourth number.
    if (const char* end = hosttext::FindEndOfFourthNumber(content->statusText)) {
      content->statusText[end - content->statusText] = '\0';
    }
  }
  if (contentFlags & kOverlayProgramme) {
    // The programme window is switched for the read: the host reacts to it.
    const bool fromWindow = host_.ReadProgrammeWindow(content->programme, sizeof content->programme);
    if (!StillServing()) return false;
    if (!fromWindow) owner_.ComposeBroadcastProgramme(content->programme, sizeof content->programme);
    if (settings_.options.Get(Option::kOverlayNext) != 0 && content->programme[0] != '\0') {
      ComposeNextProgrammeLine(owner_.ReadNowAndNext(), content->nextProgramme,
                               sizeof content->nextProgramme);
    }
  }
  if (contentFlags & kOverlayRecording) {
    content->hostBusy = host_.IsHostBusy();
    content->hostRecording = host_.IsHostRecording();
    content->recordingTimeKnown =
        content->hostRecording &&
        host_.ReadStatusBarNumbers(&content->number4, &content->number5, &content->number7, &content->number8,
                                   nullptr) != 0;
  }
  return true;
}

// One handler per message.
INT_PTR Controller::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    // FALSE: the dialog manager would focus a control, which activates the
    // hidden window.
    case WM_INITDIALOG: OnControllerInit(window); return 0;
    case WM_DESTROY: OnControllerDestroy(window); return 0;
    case WM_CLOSE: OnClose(window); return 0;
    case WM_COMMAND: OnCommand(window, wParam, lParam); return 0;
    case WM_TIMER:
      if (monitor_.timerId != 0 && wParam == monitor_.timerId) OnMonitorTick(window);
      if (wParam == kClickTimerId) OnClickTimer(window);
      return 0;
    case kTrayCallbackMessage: OnTrayNotify(window, lParam); return 0;
    case kOwnerMinimisedMessage: OnOwnerMinimised(); return 0;
    case WM_HOTKEY:
      if (wParam == kBossKeyHotKeyId) OnBossKey();
      return 0;
    // A dpi-aware host hears of a new dpi by WM_DPICHANGED, others by
    // WM_SETTINGCHANGE: either may change the small-icon size.
    case WM_DPICHANGED:
    case WM_SETTINGCHANGE: tray_.OnDisplayChange(); return 0;
    default: break;
  }
  if (tray_.TaskbarCreatedMessage() != 0 && message == tray_.TaskbarCreatedMessage())
    tray_.OnTaskbarCreated();
  // kEndOwnerMessage has no handler: it only makes a call, whose end
  // carries out the deletion the host asked for on another thread. Any
  // other message does the same should that one be lost.
  return 0;
}

INT_PTR CALLBACK ControllerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam != 0) {
    auto* created = reinterpret_cast<Controller*>(lParam);
    g_current = created;
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    created->Owner().OnControllerCreated(window);
  }
  Controller* controller = ControllerOf(window);
  if (controller == nullptr) return 0;
  // Whatever the message leads to may hand control to the host, which may
  // delete the object (and unload the library) before this returns: the
  // object stays until the call ends, and the call's end carries the
  // deletion out. Nothing of the controller is touched after it.
  const OwnerCall call(controller->Owner());
  // The window's life is followed even while no controller is current.
  if (message == WM_NCDESTROY) controller->Owner().OnControllerWindowGone();
  if (g_current.load() == nullptr) return 0;
  return controller->OnMessage(window, message, wParam, lParam);
}
