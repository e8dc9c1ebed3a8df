// The controller window's settings and remembered position, and the plain
// routines behind them: no window needed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kIniPathSize = 256;

struct ScreenRect {
  int32_t left, top, right, bottom;
};

// The plug-in's own options beyond the dialog's, each a whole number kept
// under its key in section "TaskTray". Each is off by default, and written
// at shutdown only once the user has changed it: an untouched ini file
// stays as it is.
enum class Option : int32_t {
  kMinimizeToTray,
  kTrayClick,
  kBossKeyMute,
  kTipFromStream,
  kOverlayNext,
  kNotifyEventChange,
  kCount
};
constexpr int kOptionCount = static_cast<int>(Option::kCount);

struct OptionSpec {
  const char* key;
  int32_t defaultValue;
  int32_t maxValue;  // the values run from 0 to this
};
inline constexpr OptionSpec kOptionSpecs[kOptionCount] = {
    {"MinimizeToTray", 0, 1},     // minimising the main window hides all windows
    {"TrayClick", 0, 2},          // a single left click: nothing, restore all, hide or restore all
    {"BossKeyMute", 1, 1},        // the boss key mutes the viewer too
    {"TipFromStream", 0, 1},      // the tip shows the broadcast's present and following programmes
    {"OverlayNext", 0, 1},        // the overlay's programme item adds the next programme and the time left
    {"NotifyEventChange", 0, 1},  // a notice when the programme changes while the viewer is hidden
};

// What a single left click on the icon does ("TrayClick").
enum TrayClickAction : int32_t { kClickDoesNothing = 0, kClickRestoresAll = 1, kClickTogglesAll = 2 };

// A global key: modifier bits as RegisterHotKey takes them, and a virtual
// key code.
constexpr uint32_t kHotKeyAlt = 0x1, kHotKeyCtrl = 0x2, kHotKeyShift = 0x4, kHotKeyWin = 0x8;
struct HotKey {
  uint32_t modifiers = 0;
  uint32_t virtualKey = 0;
};

// "Ctrl+Alt+Z": modifiers (Ctrl, Alt, Shift, Win, in any order and case)
// joined by '+' to one key: a letter, a digit or F1 to F24. A key other
// than F1 to F24 needs a modifier. False for anything else.
bool ParseHotKey(const char* text, HotKey* key);
// The key as the menu and the ini file show it, modifiers in the order
// Ctrl, Alt, Shift, Win.
std::string FormatHotKey(const HotKey& key);
// The key the boss key item offers when the ini file names none.
inline constexpr HotKey kDefaultBossKey = {kHotKeyCtrl | kHotKeyAlt, 'Z'};

struct Options {
  Options() {
    for (int i = 0; i < kOptionCount; ++i) value[i] = kOptionSpecs[i].defaultValue;
  }
  int32_t value[kOptionCount] = {};
  bool changed[kOptionCount] = {};
  // "BossKey": the key text as read; off while it is empty or unreadable.
  std::string bossKey;
  bool bossKeyChanged = false;

  int32_t Get(Option option) const { return value[static_cast<int>(option)]; }
  void Set(Option option, int32_t newValue) {
    value[static_cast<int>(option)] = newValue;
    changed[static_cast<int>(option)] = true;
  }
};

// An option's stored text: a whole number from 0 to its maximum, else the
// default ("7", "-1", "", "1x" all give the default).
int32_t ParseOptionValue(const char* text, const OptionSpec& spec);

// Everything the controller keeps in the ini file ("NoCard" and "NoCardRec"
// are only shown, in the dialog's check boxes).
struct ControllerSettings {
  char iniPath[kIniPathSize] = "";  // empty when it could not be built
  int32_t noCard = 0;
  int32_t noCardRec = 0;
  int32_t autoDispStatus = 0;  // whether operations show the overlay
  int32_t positionValid = 0;   // a tick has recorded the position
  ScreenRect rememberedRect = {0, 0, 0, 0};
  int32_t minimised = 0;
  Options options;
};

// Decimal text to integer as atoi reads it (leading blanks, sign, digits,
// anything else ends the number; no number gives 0), but values beyond the
// 32-bit range are clamped instead of overflowing.
int32_t ParseIniInteger(const char* text);

// The "上記操作を行ったら表示を行う" toggle: 1 from 0, 0 from anything else.
inline int32_t ToggledAutoDisplay(int32_t value) { return value == 0 ? 1 : 0; }
