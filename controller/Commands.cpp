// The controller window's command table: every WM_COMMAND the controller
// receives, from its tray menu or from any other sender, runs through here.
#include "Controller.h"
#include "TrayRoutines.h"
#include "WindowText.h"

namespace {

// SelectChannel requests for the next and the previous channel.
constexpr int32_t kNextChannel = -2;
constexpr int32_t kPreviousChannel = -3;

constexpr int32_t kOperationOverlaySeconds = 5;
constexpr int32_t kToggleOverlaySeconds = 8;
constexpr int kQuestionSize = 256;

}  // namespace

void Controller::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  const DecodedCommand command = DecodeControllerCommand(wParam, host_.WindowList().count);
  HWND windowInLParam = reinterpret_cast<HWND>(lParam);
  switch (command.kind) {
    case CommandKind::kRestoreAll: host_.RestoreAllHostWindows(); break;
    case CommandKind::kHideAll: HideAll(); break;
    case CommandKind::kCloseViewer: CloseViewer(window); break;
    case CommandKind::kRestoreWindow: host_.RestoreHostWindow(windowInLParam); break;
    case CommandKind::kHideWindow: host_.HideHostWindow(windowInLParam); break;
    case CommandKind::kToggleMute: host_.SetHostMute(host_.IsHostMuted() ? 0 : 1); break;
    case CommandKind::kMuteOn: host_.SetHostMute(1); break;
    case CommandKind::kMuteOff: host_.SetHostMute(0); break;
    case CommandKind::kRecordStart: StartRecording(); break;
    case CommandKind::kRecordStop: StopRecording(); break;
    case CommandKind::kRecordToEnd: RecordToEnd(); break;
    case CommandKind::kCallForNext: ToggleCallForNext(); break;
    case CommandKind::kFullScreen: host_.ToggleFullScreen(); break;
    case CommandKind::kToggleOverlay: ToggleStatusOverlay(); break;
    case CommandKind::kChannelUp: SelectChannel(kNextChannel); break;
    case CommandKind::kChannelDown: SelectChannel(kPreviousChannel); break;
    case CommandKind::kToggleAutoDisplay:
      settings_.autoDispStatus = ToggledAutoDisplay(settings_.autoDispStatus);
      break;
    case CommandKind::kChannel: SelectChannel(command.index); break;
    case CommandKind::kWindowToggle: host_.ToggleHostWindow(command.index); break;
    case CommandKind::kToggleOption:
    case CommandKind::kSetTrayClick:
    case CommandKind::kToggleBossKey: OnOptionCommand(window, command.kind, command.index); break;
    case CommandKind::kNone: break;
  }
}

// The commands below press the host's controls and then show the overlay:
// the host reacts inside the press, and may delete the plug-in meanwhile.

void Controller::HideAll() {
  host_.HideAllHostWindows();
  // The overlay would otherwise stay over the desktop until the next tick.
  if (StillServing()) overlay_.HideStatusOverlay();
}

void Controller::SelectChannel(int32_t request) {
  if (!host_.SelectChannel(request) || !StillServing()) return;
  ShowStatusOverlay(1, kOperationOverlaySeconds, kOverlayChannel, settings_.autoDispStatus);
}

void Controller::CloseViewer(HWND window) {
  const char* name = nullptr;
  if (host_.IsHostRecording()) {
    name = host::kMainTitle;
  } else if (host_.IsHostBusy()) {
    name = host::kRemoteWindowTitle;
  }
  if (name) {
    char question[kQuestionSize];
    FormatCloseQuestion(name, question, sizeof question);
    const int answer =
        MessageBoxW(window, WideFromShiftJis(question).c_str(),
                    WideFromShiftJis(sjis::kCloseQuestionCaption).c_str(), MB_YESNO | MB_ICONQUESTION);
    // Only an explicit Yes closes a recording viewer: a box that failed, or
    // that ended because its owner went, answers something else. While the
    // box was up the host may have deleted this object or closed its windows.
    if (answer != IDYES || !StillServing()) return;
  }
  // The host ends inside the call, deleting the object meanwhile: it is
  // freed once this message's call returns.
  if (!owner_.QuitThroughHostInterface()) host_.CloseMainWindow();
}

void Controller::StartRecording() {
  if (!host_.PressRecordStart() || !StillServing()) return;
  ShowStatusOverlay(1, kOperationOverlaySeconds, kOverlayRecording, settings_.autoDispStatus);
}

// The length is taken from the stream at the moment of the choice: the menu
// may have stood open across the programme's end.
void Controller::RecordToEnd() {
  const std::optional<int32_t> minutes = MinutesToEnd(owner_.ReadNowAndNext());
  if (!minutes || !host_.PressRecordFor(*minutes) || !StillServing()) return;
  ShowStatusOverlay(1, kOperationOverlaySeconds, kOverlayRecording, settings_.autoDispStatus);
}

// Armed, the windows go at once and come back when the broadcaster switches
// to the programme that was the following one; a second choice disarms.
void Controller::ToggleCallForNext() {
  if (callForNext_.armed) {
    callForNext_ = CallForNext();
    return;
  }
  callForNext_ = ArmCallForNext(owner_.ReadNowAndNext());
  if (callForNext_.armed) HideAll();
}

void Controller::CallForNextStep(const NowAndNext& stream) {
  switch (DecideCallForNext(callForNext_, stream)) {
    case CallStep::kWait: return;
    case CallStep::kDisarm: callForNext_ = CallForNext(); return;
    case CallStep::kFire: break;
  }
  callForNext_ = CallForNext();
  host_.RestoreAllHostWindows();
  if (StillServing()) ShowStatusOverlay(1, kToggleOverlaySeconds, kOverlayAll, 1);
}

void Controller::StopRecording() {
  if (!host_.PressRecordStop() || !StillServing()) return;
  overlay_.MarkRecordingStopped();
  ShowStatusOverlay(1, kOperationOverlaySeconds, kOverlayRecording, settings_.autoDispStatus);
}

void Controller::ToggleStatusOverlay() {
  if (overlay_.IsUp()) {
    overlay_.HideStatusOverlay();
  } else {
    ShowStatusOverlay(1, kToggleOverlaySeconds, kOverlayAll, 1);
  }
}
