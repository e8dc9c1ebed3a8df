// The host viewer's windows: discovery, hiding and restoring, visibility and
// the per-title visibility keys of the ini file.
#include <cstring>
#include <new>

#include "HostText.h"
#include "SamplePlugin.h"

namespace {

constexpr char kIniSection[] = "TaskTray";
constexpr char kUtilityClass[] = "ZentuUtil32";
constexpr size_t kViewKeySize = kHostTitleSize + 8;  // title, "_View" and a zero

char* NewTitle(const char* text) {
  char* title = new (std::nothrow) char[kHostTitleSize];
  if (title) hosttext::CopyShiftJisTruncated(title, kHostTitleSize, text);
  return title;
}

// Live visibility of a window by its hide style; a window that no longer
// exists is not visible.
int32_t LiveVisibility(HWND window, int32_t hideStyle) {
  if (!IsWindow(window)) return 0;
  if (hideStyle == kHideByMinimise) return IsIconic(window) ? 0 : 1;
  return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
}

bool AppendEntry(HostWindowList& list, HWND window, char* title, int32_t hideStyle) {
  if (list.count >= kMaxHostWindows || title == nullptr) {
    delete[] title;
    return false;
  }
  list.window[list.count] = window;
  list.hideStyle[list.count] = hideStyle;
  list.visible[list.count] = 1;
  list.title[list.count] = title;
  ++list.count;
  return true;
}

int32_t FindEntry(const HostWindowList& list, HWND window) {
  for (int32_t i = 0; i < list.count; ++i) {
    if (list.window[i] == window) return i;
  }
  return -1;
}

}  // namespace

void CSamplePlugin::DiscoverHostWindows(HWND controllerWindowHandle) {
  if (hostWindows.count != 0 || hostMainWindow == nullptr) return;

  // Entry 0: the main window under its fixed name, listed even when hidden.
  if (!AppendEntry(hostWindows, hostMainWindow, NewTitle(hosttext::kMainTitle), kHideByShow)) return;
  hostWindows.visible[0] = (GetWindowLongA(hostMainWindow, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;

  // Every visible top-level window the main window owns, in Z-order. Once
  // the table is full the rest is not listed, but the remote and video
  // windows are still recognised.
  bool videoFound = false;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetWindow(window, GW_OWNER) != hostMainWindow) continue;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    char text[kHostTitleSize] = "";
    GetWindowTextA(window, text, sizeof text);
    hosttext::TitleRole role = hosttext::ApplyHostTitleRules(text);
    if (role == hosttext::TitleRole::Remote) hostRemoteWindow = window;
    if (role == hosttext::TitleRole::Video) {
      hostVideoWindow = window;
      videoFound = true;
    }
    if (hostWindows.count < kMaxHostWindows) AppendEntry(hostWindows, window, NewTitle(text), kHideByShow);
  }

  // No owned video window: the utility window and its child "Video".
  if (!videoFound && hostWindows.count < kMaxHostWindows) {
    HWND utility = FindWindowA(kUtilityClass, nullptr);
    if (utility != nullptr) {
      AppendEntry(hostWindows, utility, NewTitle(hosttext::kUtilityTitle), kHideByMinimise);
      for (HWND child = GetWindow(utility, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[kHostTitleSize] = "";
        GetWindowTextA(child, text, sizeof text);
        if (std::strcmp(text, hosttext::kVideoTitle) == 0) {
          hostVideoWindow = child;
          break;
        }
      }
    }
  }

  // Windows that were hidden when the viewer last closed are hidden again.
  // Without an ini path (the host's path was too long) there is nothing to
  // read: an empty path would name a file in the Windows folder.
  for (int32_t i = 0; i < hostWindows.count && iniPath[0] != '\0'; ++i) {
    char key[kViewKeySize];
    hosttext::FormatViewKey(key, sizeof key, hostWindows.title[i]);
    if (GetPrivateProfileIntA(kIniSection, key, 1, iniPath) == 0) HideHostWindow(hostWindows.window[i]);
  }

  if (hostRemoteWindow != nullptr) {
    for (int i = 0; i < kChannelCount; ++i) {
      char text[kChannelNameSize] = "";
      GetDlgItemTextA(hostRemoteWindow, static_cast<int>(channelButtonIds[i]), text, sizeof text);
      hosttext::FormatChannelSlot(channelNames[i], i + 1, text);
    }
  }

  AddTrayIcon(controllerWindowHandle);
}

void CSamplePlugin::HideHostWindow(HWND window) {
  int32_t index = FindEntry(hostWindows, window);
  if (index < 0) return;
  ShowWindow(window, hostWindows.hideStyle[index] == kHideByMinimise ? SW_MINIMIZE : SW_HIDE);
  hostWindows.visible[index] = 0;
}

void CSamplePlugin::RestoreHostWindow(HWND window) {
  int32_t index = FindEntry(hostWindows, window);
  if (index < 0) return;
  ShowWindow(window, hostWindows.hideStyle[index] == kHideByMinimise ? SW_RESTORE : SW_SHOW);
  hostWindows.visible[index] = 1;
}

void CSamplePlugin::HideAllHostWindows() {
  for (int32_t i = 0; i < hostWindows.count; ++i) {
    HideHostWindow(hostWindows.window[i]);
    hostWindows.visible[i] = 0;
  }
}

void CSamplePlugin::RestoreAllHostWindows() {
  for (int32_t i = 0; i < hostWindows.count; ++i) {
    RestoreHostWindow(hostWindows.window[i]);
    hostWindows.visible[i] = 1;
  }
}

void CSamplePlugin::RefreshHostWindowVisibility() {
  for (int32_t i = 0; i < hostWindows.count; ++i) {
    hostWindows.visible[i] = LiveVisibility(hostWindows.window[i], hostWindows.hideStyle[i]);
  }
}

int32_t CSamplePlugin::IsHostWindowVisible(int32_t index) {
  if (index < 0 || index >= hostWindows.count) return 0;
  return LiveVisibility(hostWindows.window[index], hostWindows.hideStyle[index]);
}

int32_t CSamplePlugin::QueryHostWindowByTitle(const char* title, int32_t* outIndex) {
  if (title == nullptr) return kTitleNotListed;
  for (int32_t i = 0; i < hostWindows.count; ++i) {
    if (hostWindows.title[i] == nullptr || std::strcmp(hostWindows.title[i], title) != 0) continue;
    if (outIndex) *outIndex = i;
    return LiveVisibility(hostWindows.window[i], hostWindows.hideStyle[i]);
  }
  return kTitleNotListed;
}

// Teardown: one "%s_View" key per entry, then the list is emptied.
void CSamplePlugin::SaveHostWindowVisibility() {
  for (int32_t i = 0; i < hostWindows.count; ++i) {
    if (hostWindows.title[i] != nullptr && iniPath[0] != '\0') {
      char key[kViewKeySize];
      char value[16];
      hosttext::FormatViewKey(key, sizeof key, hostWindows.title[i]);
      wsprintfA(value, "%d", hostWindows.visible[i]);
      WritePrivateProfileStringA(kIniSection, key, value, iniPath);
    }
    delete[] hostWindows.title[i];
    hostWindows.title[i] = nullptr;
  }
  hostWindows.count = 0;
}
