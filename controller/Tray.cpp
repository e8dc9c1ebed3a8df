// The tray icon's mouse messages, its tip and its pop-up menu: what they
// show is planned from the host's state (TrayRoutines), then applied here.
#include <cstring>

#include "Controller.h"
#include "TrayRoutines.h"
#include "WindowText.h"
#include "resource.h"

namespace {

constexpr char kPopupMenuName[] = "IDR_POPUP";
constexpr UINT kFirstWindowItemPosition = 4;
constexpr UINT kTrayMenuFlags = TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN;  // 0x2A
static_assert(kMenuChecked == MFS_CHECKED && kMenuGrayed == MFS_GRAYED, "menu states");

void SetItem(HMENU menu, const TrayMenuItem& item) {
  const std::wstring text = WideFromShiftJis(item.text.c_str());
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE;
  info.fState = item.state;
  if (item.setText) {
    info.fMask |= MIIM_TYPE;
    info.fType = MFT_STRING;
    info.dwTypeData = const_cast<wchar_t*>(text.c_str());
    info.cch = static_cast<UINT>(text.size());
  }
  if (item.radio) {
    info.fMask |= MIIM_FTYPE;
    info.fType |= MFT_RADIOCHECK;
  }
  SetMenuItemInfoW(menu, item.id, FALSE, &info);
}

void InsertWindowItem(HMENU menu, UINT position, const TrayMenuItem& item) {
  const std::wstring text = WideFromShiftJis(item.text.c_str());
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
  info.fType = MFT_STRING;
  info.fState = item.state;
  info.wID = item.id;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  info.cch = static_cast<UINT>(text.size());
  InsertMenuItemW(menu, position, TRUE, &info);
}

// The host's state as the menu shows it, with the texts it points to.
struct TrayMenuSnapshot {
  const char* titles[kMaxHostWindows] = {};
  int32_t visible[kMaxHostWindows] = {};
  const char* channels[host::kChannelCount] = {};
  TrayMenuState state;
};

void GatherTrayMenuState(const HostViewer& host, const StatusOverlay& overlay,
                         const ControllerSettings& settings, const TrayHabitsState& habits,
                         const NowAndNext& stream, const CallForNext& call, TrayMenuSnapshot* snapshot) {
  const HostWindowList& list = host.WindowList();
  for (int32_t i = 0; i < list.count; ++i) {
    snapshot->titles[i] = list.title[i];
    snapshot->visible[i] = host.IsHostWindowVisible(i);
  }
  for (int i = 0; i < host::kChannelCount; ++i) snapshot->channels[i] = host.ChannelName(i);
  TrayMenuState& state = snapshot->state;
  state.windowCount = list.count;
  state.windowTitles = snapshot->titles;
  state.windowVisible = snapshot->visible;
  state.mainWindowKnown = host.HostMainWindow() != nullptr;
  state.muted = state.mainWindowKnown && host.IsHostMuted();
  state.recording = state.mainWindowKnown && host.IsHostRecording();
  if (state.recording) {
    host.ReadStatusBarNumbers(nullptr, nullptr, &state.recordingHours, &state.recordingMinutes,
                              &state.recordingSeconds);
  }
  state.recordToEndAvailable = state.mainWindowKnown && !state.recording && MinutesToEnd(stream).has_value();
  state.callForNextArmed = call.armed;
  state.callForNextAvailable = ArmCallForNext(stream).armed;
  state.remoteWindowKnown = host.HostRemoteWindow() != nullptr;
  state.busy = host.IsHostBusy() != 0;
  state.currentChannel = host.FindCurrentChannel();
  state.channelNames = snapshot->channels;
  state.overlayUp = overlay.IsUp();
  state.autoDispStatus = settings.autoDispStatus;
  state.options = settings.options;
  state.bossKeyText = FormatHotKey(habits.bossKey);
  state.bossKeyOn = habits.bossKeyOn;
  state.bossKeyTaken = habits.bossKeyOn && !habits.bossKeyRegistered;
}

void ApplyTrayMenuPlan(HMENU tray, const TrayMenuPlan& plan) {
  for (size_t i = 0; i < plan.windowItems.size(); ++i) {
    InsertWindowItem(tray, kFirstWindowItemPosition + static_cast<UINT>(i), plan.windowItems[i]);
  }
  for (const TrayMenuItem& item : plan.changes) SetItem(tray, item);
  // Bold: a double click on the icon runs it.
  SetMenuDefaultItem(tray, IDM_RESTORE_ALL, FALSE);
}

void TrackTrayMenu(HWND window, HMENU tray) {
  POINT cursor = {};
  GetCursorPos(&cursor);
  TrackPopupMenu(tray, kTrayMenuFlags, cursor.x, cursor.y, 0, window, nullptr);
  // The posted message makes the menu close properly when the user clicks
  // elsewhere.
  PostMessageA(window, WM_NULL, 0, 0);
}

}  // namespace

void Controller::OnTrayNotify(HWND window, LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
      KillTimer(window, kClickTimerId);
      habits_.clickPending = false;
      habits_.swallowNextClick = true;
      host_.RestoreAllHostWindows();
      break;
    case WM_RBUTTONDOWN: ShowTrayMenu(window); break;
    case WM_LBUTTONUP:
      RefreshTrayTip();
      OnTrayLeftButtonUp(window);
      break;
    // Enter or Space on the focused icon (the shell sends this once the
    // icon has asked for keyboard notifications).
    case NIN_KEYSELECT:
      RefreshTrayTip();
      if (StillServing()) RunClickAction();
      break;
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
  // The stream's programmes take the place of the programme window's text
  // or the viewer's title; without a present event the tip stays as it was.
  if (settings_.options.Get(Option::kTipFromStream) != 0 && (haveProgramme || haveStatus)) {
    char line[sizeof programme];
    if (ComposeNowAndNextLine(owner_.ReadNowAndNext(), line, ProgrammeTipLimit(mainHidden))) {
      std::memcpy(programme, line, sizeof programme);
      haveProgramme = true;
    }
  }

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
  HMENU menu = LoadMenuA(instance_, kPopupMenuName);
  if (!menu) return;
  if (HMENU tray = GetSubMenu(menu, 0)) {
    TrayMenuSnapshot snapshot;
    GatherTrayMenuState(host_, overlay_, settings_, habits_, owner_.ReadNowAndNext(), callForNext_,
                        &snapshot);
    ApplyTrayMenuPlan(tray, PlanTrayMenu(snapshot.state));
    TrackTrayMenu(window, tray);
  }
  DestroyMenu(menu);
}
