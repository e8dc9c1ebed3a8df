#include "TrayRoutines.h"

#include "HostText.h"
#include "ShiftJisCut.h"
#include "ShiftJisTexts.h"
#include "resource.h"

namespace {

// Commands that the controller takes from nobody's menu: a window handle in
// lParam restores or hides that window; mute on and off.
constexpr uint16_t kRestoreWindowCommand = 1010;
constexpr uint16_t kHideWindowCommand = 1011;
constexpr uint16_t kMuteOnCommand = 1013;
constexpr uint16_t kMuteOffCommand = 1014;
constexpr uint64_t kFirstWindowCommand = 2000;

CommandKind KindOfLowWord(uint16_t id) {
  switch (id) {
    case IDM_RESTORE_ALL: return CommandKind::kRestoreAll;
    case IDM_HIDE_ALL: return CommandKind::kHideAll;
    case IDM_CLOSE_VIEWER: return CommandKind::kCloseViewer;
    case kRestoreWindowCommand: return CommandKind::kRestoreWindow;
    case kHideWindowCommand: return CommandKind::kHideWindow;
    case IDM_MUTE: return CommandKind::kToggleMute;
    case kMuteOnCommand: return CommandKind::kMuteOn;
    case kMuteOffCommand: return CommandKind::kMuteOff;
    case IDM_RECORD_START: return CommandKind::kRecordStart;
    case IDM_RECORD_STOP: return CommandKind::kRecordStop;
    case IDM_FULL_SCREEN: return CommandKind::kFullScreen;
    case IDM_SHOW_STATUS: return CommandKind::kToggleOverlay;
    case IDM_CHANNEL_UP: return CommandKind::kChannelUp;
    case IDM_CHANNEL_DOWN: return CommandKind::kChannelDown;
    case IDM_AUTO_DISP_STATUS: return CommandKind::kToggleAutoDisplay;
    case IDM_MINIMIZE_TO_TRAY:
    case IDM_BOSS_KEY_MUTE:
    case IDM_TIP_FROM_STREAM:
    case IDM_OVERLAY_NEXT:
    case IDM_NOTIFY_EVENT_CHANGE: return CommandKind::kToggleOption;
    case IDM_TRAY_CLICK_NONE:
    case IDM_TRAY_CLICK_RESTORE:
    case IDM_TRAY_CLICK_TOGGLE: return CommandKind::kSetTrayClick;
    case IDM_BOSS_KEY: return CommandKind::kToggleBossKey;
    case IDM_RECORD_TO_END: return CommandKind::kRecordToEnd;
    case IDM_CALL_FOR_NEXT: return CommandKind::kCallForNext;
    default: return CommandKind::kNone;  // 2, 1015, 1016 and the rest
  }
}

// The options that one item turns on and off.
struct ToggleItem {
  uint16_t id;
  Option option;
};
constexpr ToggleItem kToggleItems[] = {
    {IDM_MINIMIZE_TO_TRAY, Option::kMinimizeToTray},       {IDM_BOSS_KEY_MUTE, Option::kBossKeyMute},
    {IDM_TIP_FROM_STREAM, Option::kTipFromStream},         {IDM_OVERLAY_NEXT, Option::kOverlayNext},
    {IDM_NOTIFY_EVENT_CHANGE, Option::kNotifyEventChange},
};

// Programme text limits (read sizes) with and without the status line.
constexpr int kProgrammeLimitWithStatus = 75;
constexpr int kProgrammeLimitAlone = 120;

}  // namespace

DecodedCommand DecodeControllerCommand(uint64_t wParam, int32_t windowCount) {
  if (wParam >= IDM_CH1 && wParam <= IDM_CH12) {
    return {CommandKind::kChannel, static_cast<int32_t>(wParam - IDM_CH1)};
  }
  if (windowCount > 0 && wParam >= kFirstWindowCommand &&
      wParam - kFirstWindowCommand < static_cast<uint64_t>(windowCount)) {
    return {CommandKind::kWindowToggle, static_cast<int32_t>(wParam - kFirstWindowCommand)};
  }
  const uint16_t id = static_cast<uint16_t>(wParam & 0xFFFF);
  const CommandKind kind = KindOfLowWord(id);
  if (kind == CommandKind::kSetTrayClick) return {kind, id - IDM_TRAY_CLICK_NONE};
  if (kind == CommandKind::kToggleOption) {
    for (const ToggleItem& item : kToggleItems) {
      if (item.id == id) return {kind, static_cast<int32_t>(item.option)};
    }
  }
  return {kind, 0};
}

bool ComposeTrayTip(const char* programme, const char* status, char* tip, size_t tipSize) {
  if (!programme && !status) return false;
  if (tipSize == 0) return true;
  // Each part is cut on its own, so that a part that ends in half a
  // character cannot pair its lead byte with the line break.
  size_t length = sjis::CopyShiftJisTruncated(tip, tipSize, programme ? programme : kDefaultTrayTip);
  if (status) {
    length += sjis::CopyShiftJisTruncated(tip + length, tipSize - length, "\r\n");
    sjis::CopyShiftJisTruncated(tip + length, tipSize - length, status);
  }
  return true;
}

void FormatRecordingMenuText(int32_t hours, int32_t minutes, int32_t seconds, char* text, size_t size) {
  sjis::FormatShiftJisTruncated(text, size, sjis::kRecordingTimeFormat, hours, minutes, seconds);
}

void FormatCloseQuestion(const char* name, char* text, size_t size) {
  sjis::FormatShiftJisTruncated(text, size, sjis::kCloseQuestionFormat, name);
}

bool NoticeWelcome(int32_t notificationState) {
  switch (notificationState) {
    case kNoticeStateBusy:
    case kNoticeStateDirect3dFullScreen:
    case kNoticeStatePresentation: return false;
    default: return true;
  }
}

int ProgrammeTipLimit(bool mainWindowHidden) {
  return mainWindowHidden ? kProgrammeLimitWithStatus : kProgrammeLimitAlone;
}

TrayTipChange PlanTrayTip(const char* programme, const char* status, int32_t tipIsDefault, char* tip,
                          size_t tipSize) {
  if (ComposeTrayTip(programme, status, tip, tipSize)) return TrayTipChange::kComposed;
  if (tipIsDefault != 0) return TrayTipChange::kNone;
  sjis::CopyShiftJisTruncated(tip, tipSize, kDefaultTrayTip);
  return TrayTipChange::kDefault;
}

namespace {

uint32_t CheckedIf(bool on) { return on ? kMenuChecked : 0u; }

// The 設定 pop-up: each item shows its option as it stands.
void PlanSettingsMenu(const TrayMenuState& state, std::vector<TrayMenuItem>& changes) {
  const Options& options = state.options;
  changes.push_back({IDM_MINIMIZE_TO_TRAY, CheckedIf(options.Get(Option::kMinimizeToTray) != 0), false, ""});
  for (int32_t action = kClickDoesNothing; action <= kClickTogglesAll; ++action) {
    changes.push_back({static_cast<uint32_t>(IDM_TRAY_CLICK_NONE + action),
                       CheckedIf(options.Get(Option::kTrayClick) == action), false, "", true});
  }
  char text[64];
  if (state.bossKeyTaken) {
    changes.push_back({IDM_BOSS_KEY, kMenuGrayed, true, sjis::kBossKeyTakenItem});
  } else {
    sjis::FormatShiftJisTruncated(text, sizeof text, sjis::kBossKeyItemFormat, state.bossKeyText.c_str());
    changes.push_back({IDM_BOSS_KEY, CheckedIf(state.bossKeyOn), true, text});
  }
  changes.push_back({IDM_BOSS_KEY_MUTE, CheckedIf(options.Get(Option::kBossKeyMute) != 0), false, ""});
  changes.push_back({IDM_TIP_FROM_STREAM, CheckedIf(options.Get(Option::kTipFromStream) != 0), false, ""});
  changes.push_back({IDM_OVERLAY_NEXT, CheckedIf(options.Get(Option::kOverlayNext) != 0), false, ""});
  changes.push_back(
      {IDM_NOTIFY_EVENT_CHANGE, CheckedIf(options.Get(Option::kNotifyEventChange) != 0), false, ""});
}

}  // namespace

TrayMenuPlan PlanTrayMenu(const TrayMenuState& state) {
  TrayMenuPlan plan;
  for (int32_t i = 0; i < state.windowCount; ++i) {
    const char* title = state.windowTitles[i] ? state.windowTitles[i] : "";
    plan.windowItems.push_back({static_cast<uint32_t>(kFirstWindowCommand + static_cast<uint64_t>(i)),
                                state.windowVisible[i] == 1 ? kMenuChecked : 0u, true, title});
  }
  std::vector<TrayMenuItem>& changes = plan.changes;
  if (state.mainWindowKnown && state.muted) changes.push_back({IDM_MUTE, kMenuChecked, false, ""});
  if (state.mainWindowKnown && state.recording) {
    char text[100];
    FormatRecordingMenuText(state.recordingHours, state.recordingMinutes, state.recordingSeconds, text,
                            sizeof text);
    changes.push_back({IDM_RECORD_START, kMenuChecked, true, text});
  } else {
    changes.push_back({IDM_RECORD_STOP, kMenuGrayed, false, ""});
  }
  if (!state.recordToEndAvailable) changes.push_back({IDM_RECORD_TO_END, kMenuGrayed, false, ""});
  if (state.callForNextArmed) {
    changes.push_back({IDM_CALL_FOR_NEXT, kMenuChecked, false, ""});
  } else if (!state.callForNextAvailable) {
    changes.push_back({IDM_CALL_FOR_NEXT, kMenuGrayed, false, ""});
  }
  const bool channelsGrayed = !state.remoteWindowKnown || state.busy;
  for (int32_t i = 0; i < host::kChannelCount; ++i) {
    uint32_t itemState = channelsGrayed ? kMenuGrayed : 0u;
    if (i == state.currentChannel) itemState |= kMenuChecked;
    // Without a remote window the items keep their texts "CH1" to "CH12".
    const bool named = state.remoteWindowKnown;
    if (named && hosttext::IsChannelSlotUnnamed(state.channelNames[i], i + 1)) itemState |= kMenuGrayed;
    changes.push_back(
        {static_cast<uint32_t>(IDM_CH1 + i), itemState, named, named ? state.channelNames[i] : ""});
  }
  if (channelsGrayed) {
    changes.push_back({IDM_CHANNEL_UP, kMenuGrayed, false, ""});
    changes.push_back({IDM_CHANNEL_DOWN, kMenuGrayed, false, ""});
  }
  if (state.overlayUp) changes.push_back({IDM_SHOW_STATUS, kMenuChecked, false, ""});
  if (state.autoDispStatus != 0) changes.push_back({IDM_AUTO_DISP_STATUS, kMenuChecked, false, ""});
  PlanSettingsMenu(state, changes);
  return plan;
}
