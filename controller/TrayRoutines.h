// Plain routines behind the tray icon and the command table: decoding a
// command identifier and composing the texts the tray shows. No Win32 here,
// so that they compile and run anywhere.
#pragma once
#include <cstddef>
#include <cstdint>

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

// Copies the first bytes of text that fit (at most tipSize - 1) with a
// terminating zero; the cut is byte-wise and may split a double-byte character.
void CopyTrayTip(const char* text, char* tip, size_t tipSize);

// The tip for what is hidden: the programme text (null when the programme
// window is not hidden) and the host status-bar text (null when the main
// window is not hidden or has no status bar), joined by "\r\n"; without a
// programme the line begins with the viewer's title. Returns false, leaving
// tip alone, when there is neither.
bool ComposeTrayTip(const char* programme, const char* status, char* tip, size_t tipSize);

// "録画中(%02d:%02d:%02d)" in Shift_JIS.
void FormatRecordingTime(int32_t hours, int32_t minutes, int32_t seconds, char* text, size_t size);

// A channel slot reads "ch<n>:" alone when its button has no text.
bool IsChannelNameBlank(const char* name, int32_t index);

// The question before closing a viewer that records: "「%s」が録画を実行して
// います。\r\nZentuViewを終了してもいいですか?" with the busy window's name.
void FormatCloseQuestion(const char* name, char* text, size_t size);
