#include "TrayRoutines.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint64_t kFirstChannelCommand = 1019;
constexpr uint64_t kLastChannelCommand = 1030;
constexpr uint64_t kFirstWindowCommand = 2000;

// "録画中(%02d:%02d:%02d)"
constexpr char kRecordingTimeFormat[] = "\x98\x5e\x89\xe6\x92\x86(%02d:%02d:%02d)";

CommandKind KindOfLowWord(uint16_t id) {
  switch (id) {
    case 1007: return CommandKind::kRestoreAll;
    case 1008: return CommandKind::kHideAll;
    case 1009: return CommandKind::kCloseViewer;
    case 1010: return CommandKind::kRestoreWindow;
    case 1011: return CommandKind::kHideWindow;
    case 1012: return CommandKind::kToggleMute;
    case 1013: return CommandKind::kMuteOn;
    case 1014: return CommandKind::kMuteOff;
    case 1017: return CommandKind::kRecordStart;
    case 1018: return CommandKind::kRecordStop;
    case 1031: return CommandKind::kFullScreen;
    case 1032: return CommandKind::kToggleOverlay;
    case 1033: return CommandKind::kChannelUp;
    case 1034: return CommandKind::kChannelDown;
    case 1035: return CommandKind::kToggleAutoDisplay;
    default: return CommandKind::kNone;  // 2, 1015, 1016 and the rest
  }
}

// "「%s」が録画を実行しています。\r\nZentuViewを終了してもいいですか?"
constexpr char kCloseQuestionFormat[] =
    "\x81\x75%s\x81\x76\x82\xaa\x98\x5e\x89\xe6\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42"
    "\r\nZentuView"
    "\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xe0\x82\xa2\x82\xa2\x82\xc5\x82\xb7\x82\xa9?";

}  // namespace

DecodedCommand DecodeControllerCommand(uint64_t wParam, int32_t windowCount) {
  if (wParam >= kFirstChannelCommand && wParam <= kLastChannelCommand) {
    return {CommandKind::kChannel, static_cast<int32_t>(wParam - kFirstChannelCommand)};
  }
  if (windowCount > 0 && wParam >= kFirstWindowCommand &&
      wParam - kFirstWindowCommand < static_cast<uint64_t>(windowCount)) {
    return {CommandKind::kWindowToggle, static_cast<int32_t>(wParam - kFirstWindowCommand)};
  }
  return {KindOfLowWord(static_cast<uint16_t>(wParam & 0xFFFF)), 0};
}

void CopyTrayTip(const char* text, char* tip, size_t tipSize) {
  if (tipSize == 0) return;
  size_t length = std::strlen(text);
  if (length > tipSize - 1) length = tipSize - 1;
  std::memcpy(tip, text, length);
  tip[length] = '\0';
}

bool ComposeTrayTip(const char* programme, const char* status, char* tip, size_t tipSize) {
  if (!programme && !status) return false;
  // Programme (< 120 bytes) + "\r\n" + status (< 256 bytes) fit; longer
  // inputs are cut here the same way the tip is.
  char text[512];
  std::snprintf(text, sizeof text, "%s%s%s", programme ? programme : kDefaultTrayTip, status ? "\r\n" : "",
                status ? status : "");
  CopyTrayTip(text, tip, tipSize);
  return true;
}

void FormatRecordingTime(int32_t hours, int32_t minutes, int32_t seconds, char* text, size_t size) {
  std::snprintf(text, size, kRecordingTimeFormat, hours, minutes, seconds);
}

bool IsChannelNameBlank(const char* name, int32_t index) {
  char blank[16];
  std::snprintf(blank, sizeof blank, "ch%d:", index + 1);
  return std::strcmp(name, blank) == 0;
}

void FormatCloseQuestion(const char* name, char* text, size_t size) {
  std::snprintf(text, size, kCloseQuestionFormat, name);
}
