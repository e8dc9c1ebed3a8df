// Plain routines behind the tray icon and the command table: decoding a
// command identifier, and deciding what the tip and the pop-up menu show
// from a snapshot of the host's state. No Win32 here, so that they compile
// and run anywhere; the window code only applies their plans.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ControllerSettings.h"

enum class CommandKind {
  kNone,
  kRestoreAll,
  kHideAll,
  kCloseViewer,
  kRestoreWindow,  // window handle in lParam
  kHideWindow,     // window handle in lParam
  kToggleMute,
  kMuteOn,
  kMuteOff,
  kRecordStart,
  kRecordStop,
  kFullScreen,
  kToggleOverlay,
  kChannelUp,
  kChannelDown,
  kToggleAutoDisplay,
  kChannel,       // index = channel 0..11
  kWindowToggle,  // index = entry of the host window list
  kToggleOption,  // index = Option
  kSetTrayClick,  // index = TrayClickAction
  kToggleBossKey,
  kRecordToEnd,
  kCallForNext,
};

struct DecodedCommand {
  CommandKind kind;
  int32_t index;
};

// The channel range and the window range compare the whole parameter; the
// other commands its low 16 bits (the high word carries a notification code).
DecodedCommand DecodeControllerCommand(uint64_t wParam, int32_t windowCount);

// The tray tip holds at most this many bytes before its terminating zero.
constexpr size_t kTrayTipBytes = 127;
constexpr char kDefaultTrayTip[] = "Zentu HDTV Player";

// The tip for what is hidden: the programme text (null when the programme
// window is not hidden) and the host status-bar text (null when the main
// window is not hidden or has no status bar), joined by "\r\n"; without a
// programme the line begins with the viewer's title. What does not fit in
// tipSize - 1 bytes is cut after the last whole character. Returns false,
// leaving tip alone, when there is neither.
bool ComposeTrayTip(const char* programme, const char* status, char* tip, size_t tipSize);

// How many bytes of the programme text the tip takes (the size of the read):
// fewer when the status line follows it.
int ProgrammeTipLimit(bool mainWindowHidden);

enum class TrayTipChange { kNone, kComposed, kDefault };
// What a mouse message over the icon does to the tip: a composed tip (into
// `tip`) whenever something is hidden; otherwise the default, once, when the
// tip was composed before; otherwise nothing.
TrayTipChange PlanTrayTip(const char* programme, const char* status, int32_t tipIsDefault, char* tip,
                          size_t tipSize);

// What the shell's SHQueryUserNotificationState reports; 0 when it could not
// be asked.
enum UserNotificationState : int32_t {
  kNoticeStateUnknown = 0,
  kNoticeStateBusy = 2,  // another program runs full screen
  kNoticeStateDirect3dFullScreen = 3,
  kNoticeStatePresentation = 4,
  kNoticeStateAccepts = 5,
};
// A notice is shown unless another program runs full screen or the user
// presents; quiet time is left to the shell.
bool NoticeWelcome(int32_t notificationState);

// The host's state as the pop-up menu shows it, taken when it opens.
struct TrayMenuState {
  int32_t windowCount = 0;                    // listed host windows
  const char* const* windowTitles = nullptr;  // their titles
  const int32_t* windowVisible = nullptr;     // visible at this moment
  bool mainWindowKnown = false;
  bool muted = false;
  bool recording = false;
  int32_t recordingHours = 0, recordingMinutes = 0, recordingSeconds = 0;  // status-bar numbers 7, 8, 9
  bool remoteWindowKnown = false;
  bool busy = false;
  int32_t currentChannel = -1;
  const char* const* channelNames = nullptr;  // the 12 "ch<n>:<name>" slots
  // A recording to the end of the present programme can start: the host is
  // idle and the programme's end is known.
  bool recordToEndAvailable = false;
  // The call for the next programme: armed, or able to be armed (the
  // current service's following programme is known).
  bool callForNextArmed = false;
  bool callForNextAvailable = false;
  bool overlayUp = false;
  int32_t autoDispStatus = 0;
  // The 設定 pop-up.
  Options options;
  std::string bossKeyText;  // the key in use, or the one offered
  bool bossKeyOn = false;
  bool bossKeyTaken = false;  // on, but another program holds the key
};

// Menu item states, as the window system spells them.
constexpr uint32_t kMenuChecked = 0x8;
constexpr uint32_t kMenuGrayed = 0x3;

// One item: its command id, its whole state and, when setText, its text;
// a radio item shows its check as a dot.
struct TrayMenuItem {
  uint32_t id = 0;
  uint32_t state = 0;
  bool setText = false;
  std::string text;
  bool radio = false;
};

struct TrayMenuPlan {
  std::vector<TrayMenuItem> windowItems;  // inserted in this order from position 4
  std::vector<TrayMenuItem> changes;      // set by command id, in this order
};

TrayMenuPlan PlanTrayMenu(const TrayMenuState& state);

// The record item's text while recording: "録画中(%02d:%02d:%02d)" in
// Shift_JIS, of the elapsed hours, minutes and seconds.
void FormatRecordingMenuText(int32_t hours, int32_t minutes, int32_t seconds, char* text, size_t size);

// The question before closing a viewer that records: "「%s」が録画を実行して
// います。\r\nZentuViewを終了してもいいですか?" with the busy window's name.
void FormatCloseQuestion(const char* name, char* text, size_t size);
