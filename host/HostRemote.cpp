// Driving the host viewer through its controls: channel buttons on the
// remote window, the mute check box, and reading the recording text, the
// busy control and the status bar.
#include "HostText.h"
#include "SamplePlugin.h"

namespace {

constexpr int kRecordingTextControl = 1012;
constexpr int kMuteCheckBox = 1034;
constexpr int kCurrentChannelControl = 1021;
constexpr int kBusyControl = 1018;
constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";

// A handle of a window that no longer exists counts as not found.
HWND Live(HWND window) { return window != nullptr && IsWindow(window) ? window : nullptr; }

void SendCommand(HWND window, int id) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool IsControlDisabled(HWND window, int id) {
  HWND control = GetDlgItem(window, id);
  return control != nullptr && (GetWindowLongA(control, GWL_STYLE) & WS_DISABLED) != 0;
}

}  // namespace

void CSamplePlugin::SelectChannel(int32_t request) {
  if (IsHostRecording()) return;
  HWND remote = Live(hostRemoteWindow);
  if (remote == nullptr || IsControlDisabled(remote, kBusyControl)) return;
  int32_t current = request >= 0 ? request : FindCurrentChannel();
  int32_t index = hosttext::PlanChannelSelection(channelNames, request, current);
  if (index < 0) return;
  SendCommand(remote, static_cast<int>(channelButtonIds[index]));
  ShowStatusOverlay(1, 5, kOverlayChannel, autoDispStatus);
}

int32_t CSamplePlugin::FindCurrentChannel() {
  HWND remote = Live(hostRemoteWindow);
  if (remote == nullptr) return -1;
  char text[hosttext::kCurrentChannelTextMax + 1] = "";
  GetDlgItemTextA(remote, kCurrentChannelControl, text, sizeof text);
  return hosttext::FindChannelSlot(channelNames, text);
}

void CSamplePlugin::StepChannelIndex(int32_t* index, int32_t request) {
  if (index) hosttext::StepChannel(index, request);
}

int32_t CSamplePlugin::IsHostRecording() {
  if (hostMainWindow == nullptr) return 0;
  char text[256] = "";
  GetDlgItemTextA(hostMainWindow, kRecordingTextControl, text, sizeof text);
  return hosttext::IsRecordingText(text) ? 1 : 0;
}

int32_t CSamplePlugin::IsHostBusy() {
  if (IsHostRecording()) return 1;
  HWND remote = Live(hostRemoteWindow);
  return remote != nullptr && IsControlDisabled(remote, kBusyControl) ? 1 : 0;
}

int32_t CSamplePlugin::IsHostMuted() {
  if (hostMainWindow == nullptr) return 0;
  return SendDlgItemMessageA(hostMainWindow, kMuteCheckBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

// Sets the check box, then tells the host as if the user had clicked it.
void CSamplePlugin::SetHostMute(int32_t on) {
  if (IsHostMuted() == on) return;
  if (hostMainWindow == nullptr) return;
  SendDlgItemMessageA(hostMainWindow, kMuteCheckBox, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
  SendCommand(hostMainWindow, kMuteCheckBox);
}

HWND CSamplePlugin::FindHostStatusBar() {
  if (hostMainWindow == nullptr) return nullptr;
  return FindWindowExA(hostMainWindow, nullptr, kStatusBarClass, nullptr);
}

int32_t CSamplePlugin::ReadStatusBarNumbers(int32_t* number4, int32_t* number5, int32_t* number7,
                                            int32_t* number8, int32_t* number9) {
  HWND statusBar = FindHostStatusBar();
  if (statusBar == nullptr) return 0;
  char text[256] = "";
  GetWindowTextA(statusBar, text, sizeof text);
  hosttext::StatusNumbers numbers = hosttext::ScanStatusNumbers(text);
  if (number4) *number4 = numbers.number4;
  if (number5) *number5 = numbers.number5;
  if (number7) *number7 = numbers.number7;
  if (number8) *number8 = numbers.number8;
  if (number9) *number9 = numbers.number9;
  return 1;
}
