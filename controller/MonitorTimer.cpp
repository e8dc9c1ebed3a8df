// The one-second heartbeat of the controller window.
#include "Controller.h"
#include "IniFile.h"

void Controller::OnMonitorTick(HWND window) {
  overlay_.TickStatusOverlay();
  host_.RefreshHostWindowVisibility();
  bool shellCalled = false;
  if (!TickDiscovery(window, &shellCalled)) return;
  RecordPosition(window);
  SwitchTrayImage();
  // One call to the shell per tick at most (discovery's add is this tick's):
  // this thread waits for each as long as the shell takes to answer.
  if (!shellCalled) tray_.CallShellOnce();
  if (!HideSavedHiddenOnceIconShown()) return;
  // A host or a desktop that raises no minimise event is served here.
  OnOwnerMinimised();
  if (StillServing()) WatchBroadcast();
}

// The watch follows the programme whether or not a notice is due, so that a
// change seen while the viewer was up is not announced later.
void Controller::WatchBroadcast() {
  const bool notify = settings_.options.Get(Option::kNotifyEventChange) != 0;
  if (!notify) programmeWatch_ = ProgrammeChangeWatch();
  if (!notify && !callForNext_.armed) return;
  const NowAndNext stream = owner_.ReadNowAndNext();
  if (callForNext_.armed) {
    CallForNextStep(stream);
    if (!StillServing()) return;
  }
  if (!notify || !programmeWatch_.Observe(stream)) return;
  int32_t mainIndex = 0;
  const bool viewerHidden = host_.QueryHostWindowByTitle(host::kMainTitle, &mainIndex) == 0;
  if (!viewerHidden || !tray_.Added() || !NoticeWelcome(TrayIcon::QueryNotificationState())) return;
  char text[256];
  ComposeEventLine(stream.present, text, sizeof text);
  tray_.ShowNotice(sjis::kProgrammeInformation, text);
}

// Discovery runs once, when the countdown from construction runs out; the
// tray icon is asked for with it.
bool Controller::TickDiscovery(HWND window, bool* shellCalled) {
  if (monitor_.discoveryCountdown <= 0) return true;
  --monitor_.discoveryCountdown;
  if (monitor_.discoveryCountdown != 0) return true;
  const bool discovered = host_.DiscoverHostWindows();
  if (!StillServing()) return false;
  if (!discovered) return true;
  tray_.AddTrayIcon(window);
  *shellCalled = true;
  monitor_.savedHiddenPending = true;
  return HideSavedHiddenOnceIconShown();
}

// The windows saved as hidden are hidden once the shell holds the icon:
// without it the user could not bring them back. The host reacts to the
// hiding, possibly by deleting the plug-in.
bool Controller::HideSavedHiddenOnceIconShown() {
  if (!monitor_.savedHiddenPending || !tray_.Added()) return true;
  monitor_.savedHiddenPending = false;
  host_.HideWindowsSavedHidden(IniFile(settings_.iniPath));
  return StillServing();
}

// A minimised window keeps the rectangle it had before.
void Controller::RecordPosition(HWND window) {
  settings_.positionValid = 1;
  if (GetWindowLongA(window, GWL_STYLE) & WS_MINIMIZE) {
    settings_.minimised = 1;
    return;
  }
  RECT rect;
  if (GetWindowRect(window, &rect))
    settings_.rememberedRect = ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
  settings_.minimised = 0;
}

// The recording image while the host is busy; only once the icon exists.
void Controller::SwitchTrayImage() {
  if (host_.WindowList().count <= 0) return;
  tray_.WantImage(host_.IsHostBusy() != 0);
}
