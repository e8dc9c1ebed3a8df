// The controller window's command table: every WM_COMMAND the controller
// receives, from its tray menu or from any other sender, runs through here.
#include "SamplePlugin.h"
#include "TrayRoutines.h"

namespace {

// SelectChannel requests for the next and the previous channel.
constexpr int32_t kNextChannel = -2;
constexpr int32_t kPreviousChannel = -3;

// Host main window controls and commands.
constexpr int kHostRecordMinutes = 1015;
constexpr WORD kHostRecordToggle = 1009;
constexpr WORD kHostRecordExtend = 1016;
// Host remote window control that is disabled while the host is busy.
constexpr int kRemoteBusyControl = 1018;
// Host video window command that switches full screen.
constexpr WORD kVideoFullScreen = 40001;

constexpr int32_t kRecordOverlaySeconds = 5;
constexpr int32_t kToggleOverlaySeconds = 8;

constexpr char kHostMainTitle[] = "Zentu HDTV Player";
// "リモコンっぽい物"
constexpr char kHostRemoteTitle[] = "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8";
// "ZentuViewの終了"
constexpr char kCloseQuestionCaption[] = "ZentuView\x82\xcc\x8f\x49\x97\xb9";

bool RemoteWindowBusy(HWND remote) {
  if (!remote) return false;
  HWND control = GetDlgItem(remote, kRemoteBusyControl);
  return control && (GetWindowLongA(control, GWL_STYLE) & WS_DISABLED) != 0;
}

// The host interface's seventh slot quits the host; it takes no arguments
// besides the object itself.
using HostQuitFunction = void(ZENTU_THISCALL*)(void* self);

void CallHostQuit(void* hostInterface) {
  void** vtable = *static_cast<void***>(hostInterface);
  auto quit = reinterpret_cast<HostQuitFunction>(vtable[kHostQuitSlot]);
  quit(hostInterface);
}

}  // namespace

void CSamplePlugin::OnCommand(HWND controller, WPARAM wParam, LPARAM lParam) {
  const DecodedCommand command = DecodeControllerCommand(wParam, hostWindows.count);
  HWND windowInLParam = reinterpret_cast<HWND>(lParam);
  switch (command.kind) {
    case CommandKind::kRestoreAll: RestoreAllHostWindows(); break;
    case CommandKind::kHideAll:
      // The overlay would otherwise stay over the desktop until the next tick.
      HideAllHostWindows();
      HideStatusOverlay();
      break;
    case CommandKind::kCloseViewer: CloseViewer(controller); break;
    case CommandKind::kRestoreWindow: RestoreHostWindow(windowInLParam); break;
    case CommandKind::kHideWindow: HideHostWindow(windowInLParam); break;
    case CommandKind::kToggleMute: SetHostMute(IsHostMuted() ? 0 : 1); break;
    case CommandKind::kMuteOn: SetHostMute(1); break;
    case CommandKind::kMuteOff: SetHostMute(0); break;
    case CommandKind::kRecordStart: StartRecording(); break;
    case CommandKind::kRecordStop: StopRecording(); break;
    case CommandKind::kFullScreen: ToggleFullScreen(); break;
    case CommandKind::kToggleOverlay: ToggleStatusOverlay(); break;
    case CommandKind::kChannelUp: SelectChannel(kNextChannel); break;
    case CommandKind::kChannelDown: SelectChannel(kPreviousChannel); break;
    case CommandKind::kToggleAutoDisplay: autoDispStatus = autoDispStatus == 0 ? 1 : 0; break;
    case CommandKind::kChannel: SelectChannel(command.index); break;
    case CommandKind::kWindowToggle: ToggleHostWindowByIndex(command.index); break;
    case CommandKind::kNone: break;
  }
}

void CSamplePlugin::ToggleHostWindowByIndex(int32_t index) {
  if (index < 0 || index >= hostWindows.count) return;
  HWND window = hostWindows.window[index];
  if (IsHostWindowVisible(index) == 1) {
    HideHostWindow(window);
  } else {
    RestoreHostWindow(window);
  }
}

void CSamplePlugin::CloseViewer(HWND controller) {
  const char* name = nullptr;
  if (IsHostRecording()) {
    name = kHostMainTitle;
  } else if (RemoteWindowBusy(hostRemoteWindow)) {
    name = kHostRemoteTitle;
  }
  if (name) {
    char question[kPathSize];
    FormatCloseQuestion(name, question, sizeof question);
    const CSamplePlugin* self = this;
    const uint32_t serial = Serial();
    int answer = 0;
    {
      ModalLoopScope modal;
      answer = MessageBoxA(controller, question, kCloseQuestionCaption, MB_YESNO | MB_ICONQUESTION);
    }
    // Only an explicit Yes closes a recording viewer: a box that failed, or
    // that ended because its owner went, answers something else. While the
    // box was up the host may have deleted this object or closed its windows:
    // the object is checked before it is touched again.
    if (answer != IDYES || !IsLive(self, serial) || DeletionRequested()) return;
    if (controllerWindow != controller || !IsWindow(controller)) return;
  }
  // Without a host interface the quit slot cannot be reached; closing the
  // main window is the remaining way out.
  if (sdkVersion == kSdkVersionWithQuit && hostInterface) {
    CallHostQuit(hostInterface);
  } else if (hostMainWindow) {
    SendMessageA(hostMainWindow, WM_CLOSE, 0, 0);
  }
}

void CSamplePlugin::StartRecording() {
  if (!hostMainWindow) return;
  if (IsHostRecording()) {
    SendMessageA(hostMainWindow, WM_COMMAND, kHostRecordExtend, 0);
  } else {
    SetDlgItemTextA(hostMainWindow, kHostRecordMinutes, "30");
    SendMessageA(hostMainWindow, WM_COMMAND, kHostRecordToggle, 0);
  }
  ShowStatusOverlay(1, kRecordOverlaySeconds, kOverlayRecording, autoDispStatus);
}

void CSamplePlugin::StopRecording() {
  if (!hostMainWindow || !IsHostRecording()) return;
  SendMessageA(hostMainWindow, WM_COMMAND, kHostRecordToggle, 0);
  recordingStopped = 1;
  ShowStatusOverlay(1, kRecordOverlaySeconds, kOverlayRecording, autoDispStatus);
}

void CSamplePlugin::ToggleStatusOverlay() {
  if (displayCountdown > 0) {
    HideStatusOverlay();
  } else {
    ShowStatusOverlay(1, kToggleOverlaySeconds, kOverlayAll, 1);
  }
}

void CSamplePlugin::ToggleFullScreen() {
  HWND video = hostVideoWindow;
  if (!video) return;
  if ((GetWindowLongA(video, GWL_STYLE) & WS_VISIBLE) == 0) RestoreHostWindow(video);
  if (GetWindowLongA(video, GWL_STYLE) & WS_THICKFRAME) {
    // Windowed: remember whether it was topmost, then keep it on top.
    fullScreenTopmost = (GetWindowLongA(video, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
    SetWindowPos(video, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  } else if (fullScreenTopmost == 0) {
    // Leaving full screen: give back the place it had before.
    SetWindowPos(video, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  }
  SendMessageA(video, WM_COMMAND, kVideoFullScreen, 0);
}
