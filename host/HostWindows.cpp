// The host viewer's windows: discovery, hiding and restoring, visibility and
// the per-title visibility keys of the ini file.
#include <cstring>
#include <new>

#include "HostViewer.h"
#include "ShiftJisCut.h"
#include "WindowText.h"

namespace {

constexpr size_t kViewKeySize = hosttext::kTitleSize + 8;  // title, "_View" and a zero

char* NewTitle(const char* text) {
  char* title = new (std::nothrow) char[hosttext::kTitleSize];
  if (title) sjis::CopyShiftJisTruncated(title, hosttext::kTitleSize, text);
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

int HideCommandOf(int32_t hideStyle) { return hideStyle == kHideByMinimise ? SW_MINIMIZE : SW_HIDE; }
int ShowCommandOf(int32_t hideStyle) { return hideStyle == kHideByMinimise ? SW_RESTORE : SW_SHOW; }

// Show commands decided from the list, issued afterwards: each ShowWindow
// runs the host's window procedure, and the host may delete the plug-in
// (this list included) while it reacts.
struct ShowCommands {
  HWND window[kMaxHostWindows] = {};
  int command[kMaxHostWindows] = {};
  int32_t count = 0;
  void Add(HWND target, int showCommand) {
    if (count >= kMaxHostWindows) return;
    window[count] = target;
    command[count] = showCommand;
    ++count;
  }
  void Issue() const {
    for (int32_t i = 0; i < count; ++i) ShowWindow(window[i], command[i]);
  }
};

// Several viewers may run side by side, one per tuner: only a window of
// this process is this viewer's.
HWND FindOwnTopLevelWindow(const char* className) {
  const DWORD self = GetCurrentProcessId();
  for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
       window = FindWindowExA(nullptr, window, className, nullptr)) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == self) return window;
  }
  return nullptr;
}

HWND FindVideoChild(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[hosttext::kTitleSize] = "";
    ReadWholeWindowText(child, text, sizeof text);
    if (std::strcmp(text, host::kVideoTitle) == 0) return child;
  }
  return nullptr;
}

}  // namespace

HostViewer::HostViewer() : list_{}, channelNames_{} {}

HostViewer::~HostViewer() { FreeTitles(); }

void HostViewer::FreeTitles() {
  for (int32_t i = 0; i < list_.count; ++i) {
    delete[] list_.title[i];
    list_.title[i] = nullptr;
  }
  list_.count = 0;
}

bool HostViewer::DiscoverHostWindows() {
  if (list_.count != 0 || mainWindow_ == nullptr) return false;
  if (!ListMainWindow()) return false;
  const bool videoFound = ListOwnedWindows();
  if (!videoFound && list_.count < kMaxHostWindows) ListUtilityWindow();
  if (remoteWindow_ != nullptr) ReadChannelNames();
  return true;
}

// Entry 0: the main window under its fixed name, listed even when hidden.
bool HostViewer::ListMainWindow() {
  if (!AppendEntry(list_, mainWindow_, NewTitle(host::kMainTitle), kHideByShow)) return false;
  list_.visible[0] = (GetWindowLongA(mainWindow_, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0;
  return true;
}

// Every visible top-level window the main window owns, in Z-order. Once the
// table is full the rest is not listed, but the remote and video windows are
// still recognised.
bool HostViewer::ListOwnedWindows() {
  bool videoFound = false;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
       window = GetWindow(window, GW_HWNDNEXT)) {
    if (GetWindow(window, GW_OWNER) != mainWindow_) continue;
    if ((GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) == 0) continue;
    char text[hosttext::kTitleSize] = "";
    ReadWholeWindowText(window, text, sizeof text);
    hosttext::TitleRole role = hosttext::ApplyHostTitleRules(text);
    if (role == hosttext::TitleRole::kRemote) remoteWindow_ = window;
    if (role == hosttext::TitleRole::kVideo) {
      videoWindow_ = window;
      videoFound = true;
    }
    if (list_.count < kMaxHostWindows) AppendEntry(list_, window, NewTitle(text), kHideByShow);
  }
  return videoFound;
}

// No owned video window: the utility window and its child "Video".
void HostViewer::ListUtilityWindow() {
  HWND utility = FindOwnTopLevelWindow(host::kUtilityClass);
  if (utility == nullptr) return;
  AppendEntry(list_, utility, NewTitle(host::kUtilityListTitle), kHideByMinimise);
  HWND video = FindVideoChild(utility);
  if (video != nullptr) videoWindow_ = video;
}

void HostViewer::ReadChannelNames() {
  for (int i = 0; i < host::kChannelCount; ++i) {
    char text[hosttext::kChannelSlotSize] = "";
    ReadWholeWindowText(GetDlgItem(remoteWindow_, host::kChannelButtonIds[i]), text, sizeof text);
    hosttext::FormatChannelSlot(channelNames_[i], i + 1, text);
  }
}

// Windows that were hidden when the viewer last closed are hidden again.
// Hiding runs the host's window procedures: nothing of this object is
// touched afterwards.
void HostViewer::HideWindowsSavedHidden(const IniFile& ini) {
  ShowCommands hides;
  for (int32_t i = 0; i < list_.count && ini.Usable(); ++i) {
    char key[kViewKeySize];
    hosttext::FormatViewKey(key, sizeof key, list_.title[i]);
    if (ini.ReadInt(key, 1) == 0) hides.Add(list_.window[i], PrepareHide(list_.window[i]));
  }
  hides.Issue();
}

int HostViewer::PrepareHide(HWND window) {
  const int32_t index = FindEntry(list_, window);
  if (index < 0) return -1;
  list_.visible[index] = 0;
  return HideCommandOf(list_.hideStyle[index]);
}

int HostViewer::PrepareShow(HWND window) {
  const int32_t index = FindEntry(list_, window);
  if (index < 0) return -1;
  list_.visible[index] = 1;
  return ShowCommandAt(index);
}

// A main window hidden on its way to the tray comes back as it was before it
// was minimised: SW_RESTORE shows a hidden minimised window restored.
int HostViewer::ShowCommandAt(int32_t index) {
  if (index == 0 && mainMinimisedToTray_) {
    mainMinimisedToTray_ = false;
    return SW_RESTORE;
  }
  return ShowCommandOf(list_.hideStyle[index]);
}

void HostViewer::HideHostWindow(HWND window) {
  const int command = PrepareHide(window);
  if (command >= 0) ShowWindow(window, command);
}

void HostViewer::RestoreHostWindow(HWND window) {
  const int command = PrepareShow(window);
  if (command >= 0) ShowWindow(window, command);
}

void HostViewer::HideAllHostWindows() {
  ShowCommands hides;
  for (int32_t i = 0; i < list_.count; ++i) {
    hides.Add(list_.window[i], HideCommandOf(list_.hideStyle[i]));
    list_.visible[i] = 0;
  }
  hides.Issue();
}

void HostViewer::RestoreAllHostWindows() {
  ShowCommands shows;
  for (int32_t i = 0; i < list_.count; ++i) {
    shows.Add(list_.window[i], ShowCommandAt(i));
    list_.visible[i] = 1;
  }
  shows.Issue();
}

void HostViewer::ToggleHostWindow(int32_t index) {
  if (index < 0 || index >= list_.count) return;
  HWND window = list_.window[index];
  if (IsHostWindowVisible(index) == 1) {
    HideHostWindow(window);
  } else {
    RestoreHostWindow(window);
  }
}

void HostViewer::RefreshHostWindowVisibility() {
  for (int32_t i = 0; i < list_.count; ++i) {
    list_.visible[i] = LiveVisibility(list_.window[i], list_.hideStyle[i]);
  }
}

int32_t HostViewer::IsHostWindowVisible(int32_t index) const {
  if (index < 0 || index >= list_.count) return 0;
  return LiveVisibility(list_.window[index], list_.hideStyle[index]);
}

int32_t HostViewer::QueryHostWindowByTitle(const char* title, int32_t* outIndex) const {
  if (title == nullptr) return kTitleNotListed;
  for (int32_t i = 0; i < list_.count; ++i) {
    if (list_.title[i] == nullptr || std::strcmp(list_.title[i], title) != 0) continue;
    if (outIndex) *outIndex = i;
    return LiveVisibility(list_.window[i], list_.hideStyle[i]);
  }
  return kTitleNotListed;
}

void HostViewer::SaveHostWindowVisibility(const IniFile& ini) {
  for (int32_t i = 0; i < list_.count; ++i) {
    if (list_.title[i] != nullptr) {
      char key[kViewKeySize];
      hosttext::FormatViewKey(key, sizeof key, list_.title[i]);
      ini.WriteInt(key, list_.visible[i]);
    }
  }
  FreeTitles();
}
