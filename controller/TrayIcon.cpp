#include "TrayIcon.h"

#include <cstring>

#include "ShiftJisCut.h"
#include "TrayRoutines.h"

namespace {

constexpr char kNormalIconName[] = "IDR_MAINFRAME";
constexpr char kRecordingIconName[] = "IDR_MAINFRAME2";
static_assert(sizeof(NOTIFYICONDATAA::szTip) == kTrayTipBytes + 1, "tray tip size");

// The size of NOTIFYICONDATAA up to and including guidItem.
constexpr DWORD kTrayDataSize = NOTIFYICONDATAA_V3_SIZE;
#if defined(__i386__)
static_assert(kTrayDataSize == 504, "tray data size on 32-bit Windows");
#endif

// ChangeWindowMessageFilterEx exists from Windows 7 on; it is looked up at
// run time so that the library imports nothing newer than it needs.
using MessageFilterExFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
constexpr DWORD kMessageFilterAllow = 1;

void AllowMessageThroughFilter(HWND window, UINT message) {
  HMODULE user32 = GetModuleHandleA("user32.dll");
  if (!user32) return;
  auto filter = reinterpret_cast<MessageFilterExFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  if (filter) filter(window, message, kMessageFilterAllow, nullptr);
}

// NIIF_RESPECT_QUIET_TIME (Windows 7): the shell holds the notice back
// during the user's first hour and quiet time. Older shells ignore it.
constexpr DWORD kNoticeRespectsQuietTime = 0x80;

}  // namespace

TrayIcon::TrayIcon() : data_{} {}

void TrayIcon::Prepare(HINSTANCE instance) {
  normalIcon_ = LoadIconA(instance, kNormalIconName);
  recordingIcon_ = LoadIconA(instance, kRecordingIconName);
  taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
}

void TrayIcon::UseIcons(HICON normal, HICON recording) {
  normalIcon_ = normal;
  recordingIcon_ = recording;
}

BOOL TrayIcon::NotifyTray(DWORD message) { return Shell_NotifyIconA(message, &data_); }

void TrayIcon::ListenForTaskbarCreated(HWND owner) {
  if (taskbarCreatedMessage_ == 0) taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
  // An elevated host would otherwise never see the shell's broadcast.
  if (taskbarCreatedMessage_ != 0 && owner) AllowMessageThroughFilter(owner, taskbarCreatedMessage_);
}

void TrayIcon::AddTrayIcon(HWND owner) {
  ListenForTaskbarCreated(owner);
  std::memset(&data_, 0, sizeof data_);
  data_.cbSize = kTrayDataSize;
  data_.hWnd = owner;
  data_.uID = kTrayIconId;
  data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data_.uCallbackMessage = kTrayCallbackMessage;
  data_.hIcon = normalIcon_;
  sjis::CopyShiftJisTruncated(data_.szTip, sizeof data_.szTip, kDefaultTrayTip);
  tipIsDefault_ = 1;
  added_ = 0;
  pending_ = 1;
  RetryTrayIconIfPending();
}

void TrayIcon::RetryTrayIconIfPending() {
  if (!pending_) return;
  // The shell may not be up yet, or busy: keep asking on every tick, with
  // whatever icon and tip the data holds by now. A shell that answers too
  // late reports a failed NIM_ADD although it added the icon, and refuses
  // every later NIM_ADD because the icon exists: NIM_MODIFY succeeds exactly
  // when the shell holds the icon, which then counts as added.
  if (NotifyTray(NIM_ADD) || NotifyTray(NIM_MODIFY)) {
    added_ = 1;
    pending_ = 0;
    if (answerKeyboard_) SendVersion();
  }
}

void TrayIcon::AnswerKeyboard(bool on) {
  answerKeyboard_ = on;
  if (on && added_) SendVersion();
}

// The shell's version-3 behaviour: mouse messages as before, plus keyboard
// selection. The field shares its place with the balloon timeout, so it is
// cleared again for the data's later uses.
void TrayIcon::SendVersion() {
  data_.uVersion = NOTIFYICON_VERSION;
  NotifyTray(NIM_SETVERSION);
  data_.uVersion = 0;
}

void TrayIcon::OnTaskbarCreated() {
  if (!added_ && !pending_) return;
  // The notification area was rebuilt and our icon went with it.
  added_ = 0;
  pending_ = 1;
  RetryTrayIconIfPending();
}

void TrayIcon::RemoveTrayIcon() {
  NotifyTray(NIM_DELETE);
  added_ = 0;
  pending_ = 0;
}

void TrayIcon::ShowImage(bool recording) {
  HICON wanted = recording ? recordingIcon_ : normalIcon_;
  if (wanted == data_.hIcon) return;
  data_.hIcon = wanted;
  NotifyTray(NIM_MODIFY);
}

void TrayIcon::SetComposedTip(const char* tip) {
  sjis::CopyShiftJisTruncated(data_.szTip, sizeof data_.szTip, tip);
  NotifyTray(NIM_MODIFY);
  tipIsDefault_ = 0;
}

void TrayIcon::ShowNotice(const char* title, const char* text) {
  if (!added_) return;
  data_.uFlags |= NIF_INFO;
  data_.dwInfoFlags = NIIF_INFO | kNoticeRespectsQuietTime;
  sjis::CopyShiftJisTruncated(data_.szInfoTitle, sizeof data_.szInfoTitle, title);
  sjis::CopyShiftJisTruncated(data_.szInfo, sizeof data_.szInfo, text);
  NotifyTray(NIM_MODIFY);
  data_.uFlags &= ~static_cast<UINT>(NIF_INFO);
  data_.dwInfoFlags = 0;
  data_.szInfoTitle[0] = data_.szInfo[0] = '\0';
}

int32_t TrayIcon::QueryNotificationState() {
  using QueryFunction = HRESULT(WINAPI*)(int*);
  HMODULE shell32 = GetModuleHandleA("shell32.dll");
  if (!shell32) return kNoticeStateUnknown;
  auto query = reinterpret_cast<QueryFunction>(
      reinterpret_cast<void*>(GetProcAddress(shell32, "SHQueryUserNotificationState")));
  int state = kNoticeStateUnknown;
  if (!query || FAILED(query(&state))) return kNoticeStateUnknown;
  return state;
}

void TrayIcon::SetDefaultTip() {
  tipIsDefault_ = 1;
  sjis::CopyShiftJisTruncated(data_.szTip, sizeof data_.szTip, kDefaultTrayTip);
  NotifyTray(NIM_MODIFY);
}
