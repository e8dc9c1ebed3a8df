// The host's state read off its controls, and the host driven through them:
// channel buttons on the remote window, the mute check box, recording, full
// screen and closing.
#include <cstdio>
#include <cstring>

#include "HostViewer.h"
#include "WindowText.h"

namespace {

// A handle of a window that no longer exists counts as not found.
HWND Live(HWND window) { return window != nullptr && IsWindow(window) ? window : nullptr; }

void SendCommand(HWND window, int id) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool IsControlDisabled(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  return control != nullptr && (GetWindowLongA(control, GWL_STYLE) & WS_DISABLED) != 0;
}

HWND FindStatusBar(HWND main) {
  if (main == nullptr) return nullptr;
  return FindWindowExA(main, nullptr, host::kStatusBarClass, nullptr);
}

// A buffer size as the reads take it; none when not positive.
size_t Capacity(int size) { return size > 0 ? static_cast<size_t>(size) : 0; }

}  // namespace

bool HostViewer::SelectChannel(int32_t request) {
  if (IsHostRecording()) return false;
  HWND remote = Live(remoteWindow_);
  if (remote == nullptr || IsControlDisabled(remote, host::kBusyControl)) return false;
  int32_t current = request >= 0 ? request : FindCurrentChannel();
  int32_t index = hosttext::PlanChannelSelection(channelNames_, request, current);
  if (index < 0) return false;
  SendCommand(remote, host::kChannelButtonIds[index]);
  return true;
}

int32_t HostViewer::FindCurrentChannel() const {
  HWND remote = Live(remoteWindow_);
  if (remote == nullptr) return -1;
  char text[hosttext::kCurrentChannelTextMax + 1] = "";
  ReadWholeWindowText(GetDlgItem(remote, host::kCurrentChannelControl), text, sizeof text);
  return hosttext::FindChannelSlot(channelNames_, text);
}

int32_t HostViewer::IsHostRecording() const {
  if (mainWindow_ == nullptr) return 0;
  char text[256] = "";
  ReadWholeWindowText(GetDlgItem(mainWindow_, host::kRecordingTextControl), text, sizeof text);
  return hosttext::IsRecordingText(text) ? 1 : 0;
}

int32_t HostViewer::IsHostBusy() const {
  if (IsHostRecording()) return 1;
  HWND remote = Live(remoteWindow_);
  return remote != nullptr && IsControlDisabled(remote, host::kBusyControl) ? 1 : 0;
}

int32_t HostViewer::IsHostMuted() const {
  if (mainWindow_ == nullptr) return 0;
  return SendDlgItemMessageA(mainWindow_, host::kMuteCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

// Sets the check box, then tells the host as if the user had clicked it.
void HostViewer::SetHostMute(int32_t on) {
  HWND main = mainWindow_;
  if (main == nullptr || IsHostMuted() == on) return;
  SendDlgItemMessageA(main, host::kMuteCheckBox, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendCommand(main, host::kMuteCheckBox);
}

int32_t HostViewer::ReadStatusBarNumbers(int32_t* number4, int32_t* number5, int32_t* number7,
                                         int32_t* number8, int32_t* number9) const {
  char text[256] = "";
  if (!ReadStatusBarText(text, sizeof text)) return 0;
  hosttext::StatusNumbers numbers = hosttext::ScanStatusNumbers(text);
  if (number4) *number4 = numbers.number4;
  if (number5) *number5 = numbers.number5;
  if (number7) *number7 = numbers.number7;
  if (number8) *number8 = numbers.number8;
  if (number9) *number9 = numbers.number9;
  return 1;
}

bool HostViewer::ReadStatusBarText(char* text, int size) const {
  HWND statusBar = FindStatusBar(mainWindow_);
  if (statusBar == nullptr) return false;
  ReadWholeWindowText(statusBar, text, Capacity(size));
  return true;
}

bool HostViewer::ReadCurrentChannelName(char* text, int size) const {
  if (remoteWindow_ == nullptr) return false;
  ReadWholeWindowText(GetDlgItem(remoteWindow_, host::kCurrentChannelControl), text, Capacity(size));
  return true;
}

bool HostViewer::ReadProgrammeWindow(char* text, int size) const {
  int32_t index = -1;
  if (QueryHostWindowByTitle(host::kProgrammeListTitle, &index) == kTitleNotListed) return false;
  HWND window = list_.window[index];
  // A listed window that has since been destroyed counts as not listed.
  if (!IsWindow(window)) return false;
  char title[1024] = "";
  ReadWholeWindowText(window, title, sizeof title);
  const bool switched = std::strstr(title, host::kNextProgrammeMark) != nullptr;
  if (switched) SendCommand(window, host::kProgrammeToggleCommand);
  ReadWholeWindowText(GetDlgItem(window, host::kProgrammeTextControl), text, Capacity(size));
  if (switched) SendCommand(window, host::kProgrammeToggleCommand);
  return true;
}

void HostViewer::ReadProgrammeText(int32_t index, char* text, int size) const {
  if (index < 0 || index >= list_.count) return;
  ReadWholeWindowText(GetDlgItem(list_.window[index], host::kProgrammeTextControl), text, Capacity(size));
}

bool HostViewer::PressRecordStart() {
  HWND main = mainWindow_;
  if (main == nullptr) return false;
  if (IsHostRecording()) {
    SendCommand(main, host::kRecordRestartCommand);
  } else {
    SetDlgItemTextA(main, host::kRecordMinutesControl, host::kRecordMinutes);
    SendCommand(main, host::kRecordToggleCommand);
  }
  return true;
}

bool HostViewer::PressRecordFor(int32_t minutes) {
  HWND main = mainWindow_;
  if (main == nullptr || minutes < 1 || IsHostRecording()) return false;
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(minutes));
  SetDlgItemTextA(main, host::kRecordMinutesControl, text);
  SendCommand(main, host::kRecordToggleCommand);
  return true;
}

bool HostViewer::PressRecordStop() {
  if (mainWindow_ == nullptr || !IsHostRecording()) return false;
  SendCommand(mainWindow_, host::kRecordToggleCommand);
  return true;
}

void HostViewer::ToggleFullScreen() {
  HWND video = videoWindow_;
  if (!video) return;
  const LONG style = GetWindowLongA(video, GWL_STYLE);
  const int show = (style & WS_VISIBLE) == 0 ? PrepareShow(video) : -1;
  HWND zOrder = nullptr;
  if (style & WS_THICKFRAME) {
    // Windowed: remember whether it was topmost, then keep it on top.
    fullScreenTopmost_ = (GetWindowLongA(video, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0;
    zOrder = HWND_TOPMOST;
  } else if (fullScreenTopmost_ == 0) {
    // Leaving full screen: give back the place it had before.
    zOrder = HWND_NOTOPMOST;
  }
  if (show >= 0) ShowWindow(video, show);
  if (zOrder != nullptr) SetWindowPos(video, zOrder, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SendCommand(video, host::kFullScreenCommand);
}

void HostViewer::CloseMainWindow() {
  if (mainWindow_) SendMessageA(mainWindow_, WM_CLOSE, 0, 0);
}
