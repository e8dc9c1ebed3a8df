#include "TrayIcon.h"

#include <cstring>

#include "ShiftJisCut.h"
#include "TrayRoutines.h"
#include "WindowText.h"

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

// Code page 932 has no character outside the basic plane, so a cut never
// splits a pair.
template <size_t N>
void CopyWide(const char* text, wchar_t (&out)[N]) {
  const std::wstring wide = WideFromShiftJis(text);
  const size_t length = wide.size() < N - 1 ? wide.size() : N - 1;
  wide.copy(out, length);
  out[length] = L'\0';
}

// NIIF_RESPECT_QUIET_TIME (Windows 7): the shell holds the notice back
// during the user's first hour and quiet time. Older shells ignore it.
constexpr DWORD kNoticeRespectsQuietTime = 0x80;

}  // namespace

TrayIcon::TrayIcon() : data_{} {}

TrayIcon::~TrayIcon() { FreeLoadedIcons(); }

void TrayIcon::Prepare(HINSTANCE instance) {
  instance_ = instance;
  LoadIcons();
  taskbarCreatedMessage_ = RegisterWindowMessageA("TaskbarCreated");
}

// The tray shows small icons: an image drawn at that size stays sharp where
// LoadIconA's 32-pixel one would be scaled down.
void TrayIcon::LoadIcons() {
  const int width = GetSystemMetrics(SM_CXSMICON);
  const int height = GetSystemMetrics(SM_CYSMICON);
  HICON normal = static_cast<HICON>(LoadImageA(instance_, kNormalIconName, IMAGE_ICON, width, height, 0));
  HICON recording =
      static_cast<HICON>(LoadImageA(instance_, kRecordingIconName, IMAGE_ICON, width, height, 0));
  const bool showingRecording = data_.hIcon != nullptr && data_.hIcon == recordingIcon_;
  const bool showingNormal = data_.hIcon != nullptr && data_.hIcon == normalIcon_;
  FreeLoadedIcons();
  normalIcon_ = normal;
  recordingIcon_ = recording;
  iconsLoaded_ = true;
  loadedWidth_ = width;
  loadedHeight_ = height;
  if (showingRecording) data_.hIcon = recordingIcon_;
  if (showingNormal) data_.hIcon = normalIcon_;
}

void TrayIcon::FreeLoadedIcons() {
  if (!iconsLoaded_) return;
  if (normalIcon_) DestroyIcon(normalIcon_);
  if (recordingIcon_) DestroyIcon(recordingIcon_);
  normalIcon_ = recordingIcon_ = nullptr;
  iconsLoaded_ = false;
}

void TrayIcon::OnDisplayChange() {
  if (!iconsLoaded_ ||
      (GetSystemMetrics(SM_CXSMICON) == loadedWidth_ && GetSystemMetrics(SM_CYSMICON) == loadedHeight_))
    return;
  LoadIcons();
  if (added_) Modify();
}

void TrayIcon::UseIcons(HICON normal, HICON recording) {
  FreeLoadedIcons();
  normalIcon_ = normal;
  recordingIcon_ = recording;
}

// The data keeps its texts in Shift_JIS like every text of the plug-in; the
// shell is given them in UTF-16 (WindowText.h).
BOOL TrayIcon::NotifyTray(DWORD message) {
  NOTIFYICONDATAW wide = {};
  wide.cbSize = NOTIFYICONDATAW_V3_SIZE;
  wide.hWnd = data_.hWnd;
  wide.uID = data_.uID;
  wide.uFlags = data_.uFlags;
  wide.uCallbackMessage = data_.uCallbackMessage;
  wide.hIcon = data_.hIcon;
  wide.dwState = data_.dwState;
  wide.dwStateMask = data_.dwStateMask;
  wide.uTimeout = data_.uTimeout;  // or uVersion: the two share their place
  wide.dwInfoFlags = data_.dwInfoFlags;
  CopyWide(data_.szTip, wide.szTip);
  CopyWide(data_.szInfo, wide.szInfo);
  CopyWide(data_.szInfoTitle, wide.szInfoTitle);
  return Shell_NotifyIconW(message, &wide);
}

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
  modifyPending_ = 0;
  RetryTrayIconIfPending();
}

void TrayIcon::RetryTrayIconIfPending() {
  if (!pending_) return;
  // The shell may not be up yet, or busy: keep asking on every tick, with
  // whatever icon and tip the data holds by now. A shell that answers too
  // late reports a failed NIM_ADD although it added the icon, and refuses
  // every later NIM_ADD because the icon exists: NIM_MODIFY succeeds exactly
  // when the shell holds the icon, which then counts as added. After a
  // NIM_ADD that timed out (Windows waits four seconds) the shell is not
  // asked again before the next tick.
  SetLastError(ERROR_SUCCESS);
  if (NotifyTray(NIM_ADD) || (GetLastError() != ERROR_TIMEOUT && NotifyTray(NIM_MODIFY))) {
    added_ = 1;
    pending_ = 0;
    modifyPending_ = 0;
    if (answerKeyboard_) SendVersion();
  }
}

void TrayIcon::CallShellOnce() {
  if (pending_) {
    RetryTrayIconIfPending();
  } else if (modifyPending_) {
    Modify();
  }
}

void TrayIcon::Modify() { modifyPending_ = NotifyTray(NIM_MODIFY) ? 0 : 1; }

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
  // The notification area was rebuilt and our icon went with it; the
  // small-icon size may have changed meanwhile.
  if (iconsLoaded_) LoadIcons();
  added_ = 0;
  pending_ = 1;
  RetryTrayIconIfPending();
}

void TrayIcon::RemoveTrayIcon() {
  NotifyTray(NIM_DELETE);
  added_ = 0;
  pending_ = 0;
  modifyPending_ = 0;
}

void TrayIcon::WantImage(bool recording) {
  HICON wanted = recording ? recordingIcon_ : normalIcon_;
  if (wanted == data_.hIcon) return;
  data_.hIcon = wanted;
  // An icon still to be added gets the image with its NIM_ADD.
  if (added_) modifyPending_ = 1;
}

void TrayIcon::ShowImage(bool recording) {
  WantImage(recording);
  CallShellOnce();
}

void TrayIcon::SetComposedTip(const char* tip) {
  char composed[sizeof data_.szTip];
  sjis::CopyShiftJisTruncated(composed, sizeof composed, tip);
  const bool same = tipIsDefault_ == 0 && std::strcmp(composed, data_.szTip) == 0;
  tipIsDefault_ = 0;
  if (same) return;
  std::memcpy(data_.szTip, composed, sizeof composed);
  Modify();
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
  Modify();
}
