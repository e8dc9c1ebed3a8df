// The tray icon's mouse messages, its tip and its pop-up menu: what they
// show is planned from the host's state (TrayRoutines), then applied here.
#include <cstring>

#include "Controller.h"
#include "ModuleState.h"
#include "ShiftJisCut.h"
#include "TrayRoutines.h"
#include "resource.h"

namespace {

constexpr char kPopupMenuName[] = "IDR_POPUP";
constexpr UINT kFirstWindowItemPosition = 4;
constexpr UINT kTrayMenuFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN;  // 0x2A
static_assert(kMenuChecked == MFS_CHECKED && kMenuGrayed == MFS_GRAYED, "menu states");

void SetItem(HMENU menu, const TrayMenuItem& item) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = item.state;
  if (item.setText) {
    info.fMask |= MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<char*>(item.text.c_str());
    info.cch = static_cast<UINT>(item.text.size());
  }
  SetMenuItemInfoA(menu, item.id, FALSE, &info);
}

void InsertWindowItem(HMENU menu, UINT position, const TrayMenuItem& item) {
  MENUITEMINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
  info.fType = MFT_STRING;
  info.fState = item.state;
  info.wID = item.id;
  info.dwTypeData = const_cast<char*>(item.text.c_str());
  info.cch = static_cast<UINT>(item.text.size());
  InsertMenuItemA(menu, position, TRUE, &info);
}

}  // namespace

void Controller::OnTrayNotify(HWND window, LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK: host_.RestoreAllHostWindows(); break;
    case WM_RBUTTONDOWN: ShowTrayMenu(window); break;
    default: RefreshTrayTip(); break;
  }
}

void Controller::RefreshTrayTip() {
  int32_t mainIndex = 0;
  const bool mainHidden = host_.QueryHostWindowByTitle(host::kMainTitle, &mainIndex) == 0;
  char programme[128] = {};
  bool haveProgramme = false;
  int32_t programmeIndex = 0;
  if (host_.QueryHostWindowByTitle(host::kProgrammeListTitle, &programmeIndex) == 0) {
    host_.ReadProgrammeText(programmeIndex, programme, ProgrammeTipLimit(mainHidden));
    haveProgramme = true;
  }
  char status[256] = {};
  const bool haveStatus = mainHidden && host_.ReadStatusBarText(status, sizeof status);

  char tip[sizeof tray_.Data().szTip];
  switch (PlanTrayTip(haveProgramme ? programme : nullptr, haveStatus ? status : nullptr,
                      tray_.TipIsDefault(), tip, sizeof tip)) {
    case TrayTipChange::kComposed: tray_.SetComposedTip(tip); break;
    case TrayTipChange::kDefault: tray_.SetDefaultTip(); break;
    case TrayTipChange::kNone: break;
  }
}

void Controller::ShowTrayMenu(HWND window) {
  host_.RefreshHostWindowVisibility();
  // A menu of a window that is not in the foreground does not close when
  // the user clicks elsewhere.
  SetForegroundWindow(window);
  SetFocus(window);

  // A fresh copy every time: nothing inserted below outlives this display.
  HMENU menu = LoadMenuA(Module().instance, kPopupMenuName);
  if (!menu) return;
  HMENU tray = GetSubMenu(menu, 0);
  if (!tray) {
    DestroyMenu(menu);
    return;
  }

  const HostWindowList& list = host_.WindowList();
  const char* titles[kMaxHostWindows];
  int32_t visible[kMaxHostWindows];
  for (int32_t i = 0; i < list.count; ++i) {
    titles[i] = list.title[i];
    visible[i] = host_.IsHostWindowVisible(i);
  }
  const char* channels[hosttext::kChannels];
  for (int i = 0; i < hosttext::kChannels; ++i) channels[i] = host_.ChannelName(i);
  TrayMenuState state;
  state.windowCount = list.count;
  state.windowTitles = titles;
  state.windowVisible = visible;
  state.mainWindowKnown = host_.HostMainWindow() != nullptr;
  state.muted = state.mainWindowKnown && host_.IsHostMuted();
  state.recording = state.mainWindowKnown && host_.IsHostRecording();
  if (state.recording) {
    host_.ReadStatusBarNumbers(nullptr, nullptr, &state.recordingHours, &state.recordingMinutes,
                               &state.recordingSeconds);
  }
  state.remoteWindowKnown = host_.HostRemoteWindow() != nullptr;
  state.busy = host_.IsHostBusy() != 0;
  state.currentChannel = host_.FindCurrentChannel();
  state.channelNames = channels;
  state.overlayUp = overlay_.IsUp();
  state.autoDispStatus = settings_.autoDispStatus;

  const TrayMenuPlan plan = PlanTrayMenu(state);
  for (size_t i = 0; i < plan.windowItems.size(); ++i) {
    InsertWindowItem(tray, kFirstWindowItemPosition + static_cast<UINT>(i), plan.windowItems[i]);
  }
  for (const TrayMenuItem& item : plan.changes) {
    SetItem(tray, item);
    if (item.id == IDM_RECORD_START && item.setText) {
      sjis::CopyShiftJisTruncated(recordingTimeText_, sizeof recordingTimeText_, item.text.c_str());
    }
  }

  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenu(tray, kTrayMenuFlags, cursor.x, cursor.y, 0, window, nullptr);
  // The host may have deleted this object inside the menu's loop: only
  // locals from here on. The posted message makes the menu close properly
  // when the user clicks elsewhere.
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
