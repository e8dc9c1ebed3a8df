// The controller window's life: creation, start-up from the ini file,
// shutdown, its dialog procedure, and what the overlay shows.
#include "Controller.h"

#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "IniFile.h"
#include "IniPath.h"
#include "ModuleState.h"
#include "resource.h"

namespace {

constexpr char kKeyWindowX[] = "WindowX";
constexpr char kKeyWindowY[] = "WindowY";
constexpr char kKeyWindowMin[] = "WindowMin";
constexpr char kKeyNoCard[] = "NoCard";
constexpr char kKeyNoCardRec[] = "NoCardRec";
constexpr char kKeyAutoDispStatus[] = "AutoDispStatus";
constexpr int kIniValueSize = 100;

// Every controller alive in this module, by address and serial, so that code
// that resumes after a modal loop can tell whether its object still exists
// without touching it.
std::mutex g_liveMutex;
std::vector<std::pair<const Controller*, uint32_t>> g_liveControllers;
uint32_t g_lastSerial = 0;

uint32_t RegisterLive(const Controller* controller) {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  g_liveControllers.emplace_back(controller, ++g_lastSerial);
  return g_lastSerial;
}

void UnregisterLive(const Controller* controller) {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  for (auto it = g_liveControllers.begin(); it != g_liveControllers.end(); ++it) {
    if (it->first == controller) {
      g_liveControllers.erase(it);
      return;
    }
  }
}

// Saved position: applied only when all three keys hold text.
void RestoreSavedPosition(ControllerSettings& settings, const IniFile& ini, HWND window) {
  char x[kIniValueSize], y[kIniValueSize], minimisedText[kIniValueSize];
  ini.ReadText(kKeyWindowX, x, sizeof x);
  if (x[0] == '\0') return;
  ini.ReadText(kKeyWindowY, y, sizeof y);
  if (y[0] == '\0') return;
  ini.ReadText(kKeyWindowMin, minimisedText, sizeof minimisedText);
  if (minimisedText[0] == '\0') return;

  const int32_t left = ParseIniInteger(x);
  const int32_t top = ParseIniInteger(y);
  settings.rememberedRect = ScreenRect{left, top, 0, 0};
  settings.minimised = ParseIniInteger(minimisedText);
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (settings.minimised != 0) ShowWindow(window, SW_MINIMIZE);
}

void ReadOptions(ControllerSettings& settings, const IniFile& ini, HWND window) {
  settings.noCard = ini.ReadInt(kKeyNoCard, 0);
  settings.noCardRec = ini.ReadInt(kKeyNoCardRec, 1);
  settings.autoDispStatus = ini.ReadInt(kKeyAutoDispStatus, 1);
  SendDlgItemMessageA(window, IDC_NOCARDREC, BM_SETCHECK, settings.noCardRec != 0 ? 1 : 0, 0);
  SendDlgItemMessageA(window, IDC_NOCARD, BM_SETCHECK, settings.noCard != 0 ? 1 : 0, 0);
}

void SavePosition(const ControllerSettings& settings, const IniFile& ini) {
  if (settings.positionValid != 1) return;
  ini.WriteInt(kKeyWindowX, settings.rememberedRect.left);
  ini.WriteInt(kKeyWindowY, settings.rememberedRect.top);
  ini.WriteInt(kKeyWindowMin, settings.minimised);
}

// The object that owns a controller window, kept in its window data: the
// window's own end concerns that object, whichever one is current.
Controller* OwnerOf(HWND window) {
  return reinterpret_cast<Controller*>(GetWindowLongPtrA(window, DWLP_USER));
}

}  // namespace

Controller::Controller(HostViewer& host, StatusOverlay& overlay, RemotePanel& panel, ControllerOwner& owner)
    : host_(host), overlay_(overlay), panel_(panel), owner_(owner), serial_(RegisterLive(this)) {}

Controller::~Controller() {
  Controller* self = this;
  Module().current.compare_exchange_strong(self, nullptr);
  // A window left behind (its thread never destroyed it) must not reach
  // this object any more.
  if (window_ != nullptr && IsWindow(window_)) SetWindowLongPtrA(window_, DWLP_USER, 0);
  UnregisterLive(this);
}

bool Controller::IsLive(const Controller* controller, uint32_t serial) {
  std::lock_guard<std::mutex> lock(g_liveMutex);
  for (const auto& live : g_liveControllers) {
    if (live.first == controller && live.second == serial) return true;
  }
  return false;
}

bool HostCallGuard::StillServing() const {
  if (!Alive()) return false;
  return controller_->window_ == window_ && window_ != nullptr && IsWindow(window_);
}

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
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_CONTROLLER), hostMainWindow,
                                   ControllerDialogProc, reinterpret_cast<LPARAM>(this));
  window_ = window;
  if (window != nullptr) ShowWindow(window, SW_HIDE);
  return window;
}

void Controller::DestroyControllerWindow() {
  HWND window = window_;
  if (window == nullptr || !IsWindow(window)) return;
  Controller* previous = Module().current.exchange(this);
  // A deletion that waited for the window frees this object inside the call;
  // only the pointers' values are used afterwards.
  DestroyWindow(window);
  Controller* expected = this;
  if (Module().current.compare_exchange_strong(expected, previous)) return;
  // This controller went with its window and its destructor cleared the
  // current one; the one that was current before it is again.
  expected = nullptr;
  if (previous != this) Module().current.compare_exchange_strong(expected, previous);
}

void Controller::OnControllerInit(HWND window) {
  window_ = window;
  if (instance_ == nullptr) instance_ = Module().instance;
  LocateHostIniFile(settings_.iniPath, sizeof settings_.iniPath);
  const IniFile ini(settings_.iniPath);
  RestoreSavedPosition(settings_, ini, window);
  ReadOptions(settings_, ini, window);
  tray_.Prepare(instance_);
  monitor_.timerId = SetTimer(window, kMonitorTimerId, kMonitorPeriodMs, nullptr);
  overlay_.CreateStatusOverlay(instance_, window, this);
  panel_.CreateRemotePanel(instance_, window, overlay_.GreyBrush());
}

void Controller::OnControllerDestroy(HWND window) {
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
  owner_.StopStreamInformation();
  if (window_ == window) window_ = nullptr;
}

void Controller::ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted) {
  overlay_.ShowStatusOverlay(show, seconds, contentFlags, permitted, host_.HostVideoWindow());
}

bool Controller::ReadOverlayContent(int32_t contentFlags, OverlayContent* content) {
  // The overlay paints outside the controller's own messages.
  PluginFrameScope frame;
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
    const HostCallGuard guard(*this);
    const bool fromWindow = host_.ReadProgrammeWindow(content->programme, sizeof content->programme);
    if (!guard.Alive()) return false;
    if (!fromWindow) owner_.ComposeBroadcastProgramme(content->programme, sizeof content->programme);
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

INT_PTR CALLBACK ControllerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Whatever a message leads to may hand control to the host, which may
  // delete the object and free the library before this returns.
  PluginFrameScope frame;
  if (message == WM_INITDIALOG) {
    auto* created = reinterpret_cast<Controller*>(lParam);
    Module().current = created;
    if (created != nullptr) {
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      created->Owner().OnControllerCreated(window);
    }
  }
  // A deletion asked for on another thread is finished on this one: when
  // its message arrives, or at the next tick should that message have been
  // lost. The window and the object are gone afterwards.
  if (message == kDestroyControllerMessage || message == WM_TIMER) {
    Controller* owner = OwnerOf(window);
    if (owner != nullptr && owner->Owner().FinishRequestedDeletion()) return 0;
    if (message == kDestroyControllerMessage) return 0;
  }
  // The window's last message.
  if (message == WM_NCDESTROY) {
    if (Controller* owner = OwnerOf(window)) owner->Owner().OnControllerWindowGone();
    return 0;
  }

  Controller* controller = Module().current;
  if (controller == nullptr) return 0;

  switch (message) {
    case WM_INITDIALOG: controller->OnControllerInit(window); return 1;
    case WM_DESTROY: controller->OnControllerDestroy(window); return 0;
    case WM_CLOSE: controller->OnClose(window); return 0;
    case WM_COMMAND: controller->OnCommand(window, wParam, lParam); return 0;
    case WM_TIMER:
      if (controller->Monitor().timerId != 0 && wParam == controller->Monitor().timerId) {
        controller->OnMonitorTick(window);
      }
      return 0;
    case kTrayCallbackMessage: controller->OnTrayNotify(window, lParam); return 0;
    default: break;
  }
  if (controller->Tray().TaskbarCreatedMessage() != 0 &&
      message == controller->Tray().TaskbarCreatedMessage()) {
    controller->Tray().OnTaskbarCreated();
  }
  return 0;
}
