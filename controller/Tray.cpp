// The tray icon: adding and re-adding it, its tip, its mouse messages and
// its pop-up menu. Every Shell_NotifyIconA call goes through NotifyTray.
#include <cstring>

#include "SamplePlugin.h"
#include "TrayRoutines.h"

namespace {

constexpr char kHostMainTitle[] = "Zentu HDTV Player";
// "番組情報"
constexpr char kProgrammeTitle[] = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";
constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";
constexpr char kPopupMenuName[] = "IDR_POPUP";

constexpr int kProgrammeTextControl = 1003;
// Programme text limits (buffer sizes) with and without the status line.
constexpr int kProgrammeLimitWithStatus = 75;
constexpr int kProgrammeLimitAlone = 120;
static_assert(sizeof(NOTIFYICONDATAA::szTip) == kTrayTipBytes + 1, "tray tip size");

// The size of NOTIFYICONDATAA up to and including guidItem.
constexpr DWORD kTrayDataSize = NOTIFYICONDATAA_V3_SIZE;
#if defined(__i386__)
static_assert(kTrayDataSize == 504, "tray data size on 32-bit Windows");
#endif

// Menu positions and identifiers.
constexpr UINT kFirstWindowItemPosition = 4;
constexpr UINT kFirstWindowItemId = 2000;
constexpr UINT kMuteItem = 1012;
constexpr UINT kRecordStartItem = 1017;
constexpr UINT kRecordStopItem = 1018;
constexpr UINT kFirstChannelItem = 1019;
constexpr UINT kChannelUpItem = 1033;
constexpr UINT kChannelDownItem = 1034;
constexpr UINT kOverlayItem = 1032;
constexpr UINT kAutoDispItem = 1035;
constexpr UINT kTrayMenuFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN;  // 0x2A

void SetItemState(HMENU menu, UINT id, UINT state) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = state;
  SetMenuItemInfoA(menu, id, FALSE, &info);
}

void SetItemTextAndState(HMENU menu, UINT id, char* text, UINT state) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_TYPE;
  info.fType = MFT_STRING;
  info.fState = state;
  info.dwTypeData = text;
  info.cch = static_cast<UINT>(std::strlen(text));
  SetMenuItemInfoA(menu, id, FALSE, &info);
}

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

}  // namespace

BOOL CSamplePlugin::NotifyTray(DWORD message) { return Shell_NotifyIconA(message, &trayData); }

void CSamplePlugin::ListenForTaskbarCreated(HWND controller) {
  if (taskbarCreatedMessage == 0) taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  // An elevated host would otherwise never see the shell's broadcast.
  if (taskbarCreatedMessage != 0 && controller) AllowMessageThroughFilter(controller, taskbarCreatedMessage);
}

void CSamplePlugin::AddTrayIcon(HWND controller) {
  ListenForTaskbarCreated(controller);
  std::memset(&trayData, 0, sizeof trayData);
  trayData.cbSize = kTrayDataSize;
  trayData.hWnd = controller;
  trayData.uID = kTrayIconId;
  trayData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  trayData.uCallbackMessage = kTrayCallbackMessage;
  trayData.hIcon = normalTrayIcon;
  CopyTrayTip(kDefaultTrayTip, trayData.szTip, sizeof trayData.szTip);
  tipIsDefault = 1;
  trayIconAdded = 0;
  trayIconPending = 1;
  RetryTrayIconIfPending();
}

void CSamplePlugin::RetryTrayIconIfPending() {
  if (!trayIconPending) return;
  // The shell may not be up yet, or busy: keep asking on every tick, with
  // whatever icon and tip the data holds by now. A shell that answers too
  // late reports a failed NIM_ADD although it added the icon, and refuses
  // every later NIM_ADD because the icon exists: NIM_MODIFY succeeds exactly
  // when the shell holds the icon, which then counts as added.
  if (NotifyTray(NIM_ADD) || NotifyTray(NIM_MODIFY)) {
    trayIconAdded = 1;
    trayIconPending = 0;
  }
}

void CSamplePlugin::OnTaskbarCreated() {
  if (!trayIconAdded && !trayIconPending) return;
  // The notification area was rebuilt and our icon went with it.
  trayIconAdded = 0;
  trayIconPending = 1;
  RetryTrayIconIfPending();
}

void CSamplePlugin::RemoveTrayIcon() {
  if (trayIconAdded || hostWindows.count > 0) NotifyTray(NIM_DELETE);
  trayIconAdded = 0;
  trayIconPending = 0;
}

void CSamplePlugin::OnTrayNotify(HWND controller, LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK: RestoreAllHostWindows(); break;
    case WM_RBUTTONDOWN: ShowTrayMenu(controller); break;
    default: RefreshTrayTip(); break;
  }
}

void CSamplePlugin::RefreshTrayTip() {
  char programme[kProgrammeLimitAlone] = {};
  bool haveProgramme = false;
  int32_t programmeIndex = 0;
  if (QueryHostWindowByTitle(kProgrammeTitle, &programmeIndex) == 0) {
    int32_t unused = 0;
    const int limit = QueryHostWindowByTitle(kHostMainTitle, &unused) == 0 ? kProgrammeLimitWithStatus
                                                                           : kProgrammeLimitAlone;
    GetWindowTextA(GetDlgItem(hostWindows.window[programmeIndex], kProgrammeTextControl), programme, limit);
    haveProgramme = true;
  }

  char status[kPathSize] = {};
  bool haveStatus = false;
  int32_t mainIndex = 0;
  if (QueryHostWindowByTitle(kHostMainTitle, &mainIndex) == 0) {
    HWND statusBar = FindWindowExA(hostWindows.window[mainIndex], nullptr, kStatusBarClass, nullptr);
    if (statusBar) {
      GetWindowTextA(statusBar, status, sizeof status);
      haveStatus = true;
    }
  }

  if (ComposeTrayTip(haveProgramme ? programme : nullptr, haveStatus ? status : nullptr, trayData.szTip,
                     sizeof trayData.szTip)) {
    NotifyTray(NIM_MODIFY);
    tipIsDefault = 0;
  } else if (tipIsDefault == 0) {
    tipIsDefault = 1;
    CopyTrayTip(kDefaultTrayTip, trayData.szTip, sizeof trayData.szTip);
    NotifyTray(NIM_MODIFY);
  }
}

void CSamplePlugin::ShowTrayMenu(HWND controller) {
  RefreshHostWindowVisibility();
  SetForegroundWindow(controller);
  SetFocus(controller);

  // A fresh copy every time: nothing inserted below outlives this display.
  HMENU menu = LoadMenuA(g_moduleInstance, kPopupMenuName);
  if (!menu) return;
  HMENU tray = GetSubMenu(menu, 0);
  if (!tray) {
    DestroyMenu(menu);
    return;
  }

  for (int32_t i = 0; i < hostWindows.count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.fState = IsHostWindowVisible(i) == 1 ? MFS_CHECKED : 0;
    info.wID = kFirstWindowItemId + static_cast<UINT>(i);
    static char emptyTitle[] = "";
    info.dwTypeData = hostWindows.title[i] ? hostWindows.title[i] : emptyTitle;
    info.cch = static_cast<UINT>(std::strlen(info.dwTypeData));
    InsertMenuItemA(tray, kFirstWindowItemPosition + static_cast<UINT>(i), TRUE, &info);
  }

  if (hostMainWindow && IsHostMuted()) SetItemState(tray, kMuteItem, MFS_CHECKED);

  if (hostMainWindow && IsHostRecording()) {
    int32_t hours = 0, minutes = 0, seconds = 0;
    ReadStatusBarNumbers(nullptr, nullptr, &hours, &minutes, &seconds);
    FormatRecordingTime(hours, minutes, seconds, recordingTimeText, sizeof recordingTimeText);
    SetItemTextAndState(tray, kRecordStartItem, recordingTimeText, MFS_CHECKED);
  } else {
    SetItemState(tray, kRecordStopItem, MFS_GRAYED);
  }

  const bool busy = IsHostBusy() != 0;
  const int32_t current = FindCurrentChannel();
  for (int32_t i = 0; i < kChannelCount; ++i) {
    UINT state = 0;
    if (!hostRemoteWindow || busy) state |= MFS_GRAYED;
    if (i == current) state |= MFS_CHECKED;
    const UINT id = kFirstChannelItem + static_cast<UINT>(i);
    if (hostRemoteWindow) {
      if (IsChannelNameBlank(channelNames[i], i)) state |= MFS_GRAYED;
      SetItemTextAndState(tray, id, channelNames[i], state);
    } else {
      SetItemState(tray, id, state);
    }
  }

  if (!hostRemoteWindow || busy) {
    SetItemState(tray, kChannelUpItem, MFS_GRAYED);
    SetItemState(tray, kChannelDownItem, MFS_GRAYED);
  }
  if (displayCountdown > 0) SetItemState(tray, kOverlayItem, MFS_CHECKED);
  if (autoDispStatus != 0) SetItemState(tray, kAutoDispItem, MFS_CHECKED);

  POINT cursor = {};
  GetCursorPos(&cursor);
  {
    ModalLoopScope modal;
    TrackPopupMenu(tray, kTrayMenuFlags, cursor.x, cursor.y, 0, controller, nullptr);
  }
  // The host may have deleted this object inside the menu's loop: only
  // locals from here on.
  PostMessageA(controller, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
