// The controller's plain settings routines, natively.
#include <gtest/gtest.h>

#include <climits>

#include "ControllerSettings.h"

namespace {

TEST(ControllerSettings, ParseIniIntegerReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("  -7x"), -7);
  EXPECT_EQ(ParseIniInteger("+5"), 5);
  EXPECT_EQ(ParseIniInteger("abc"), 0);
  EXPECT_EQ(ParseIniInteger(""), 0);
  EXPECT_EQ(ParseIniInteger(nullptr), 0);
  EXPECT_EQ(ParseIniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("-99999999999999999999999"), INT32_MIN);
}

TEST(ControllerSettings, OptionValuesOutsideTheirRangeGiveTheDefault) {
  const OptionSpec trayClick = kOptionSpecs[static_cast<int>(Option::kTrayClick)];
  const OptionSpec bossKeyMute = kOptionSpecs[static_cast<int>(Option::kBossKeyMute)];
  const struct {
    const char* text;
    int32_t trayClick, bossKeyMute;
  } rows[] = {{"0", 0, 0},  {"2", 2, 1},  {"1", 1, 1},  {"3", 0, 1},          {"-1", 0, 1}, {"", 0, 1},
              {" 1", 0, 1}, {"1x", 0, 1}, {"+1", 0, 1}, {"9999999999", 0, 1}, {"00", 0, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(ParseOptionValue(row.text, trayClick), row.trayClick) << row.text;
    EXPECT_EQ(ParseOptionValue(row.text, bossKeyMute), row.bossKeyMute) << row.text;
  }
  EXPECT_EQ(ParseOptionValue(nullptr, trayClick), 0);
}

TEST(ControllerSettings, HotKeyTextsReadAndWriteBack) {
  const struct {
    const char* text = nullptr;
    bool readable = false;
    uint32_t modifiers = 0, virtualKey = 0;
    const char* written = "";
  } rows[] = {
      {"Ctrl+Alt+Z", true, kHotKeyCtrl | kHotKeyAlt, 'Z', "Ctrl+Alt+Z"},
      {"alt+control+z", true, kHotKeyCtrl | kHotKeyAlt, 'Z', "Ctrl+Alt+Z"},
      {"Win+Shift+5", true, kHotKeyWin | kHotKeyShift, '5', "Shift+Win+5"},
      {"F12", true, 0, 0x7B, "F12"},
      {"Ctrl+F1", true, kHotKeyCtrl, 0x70, "Ctrl+F1"},
      {"F24", true, 0, 0x87, "F24"},
      {"Ctrl+", false},
      {"Z", false},  // a letter alone would take it from every program
      {"F25", false},
      {"F0", false},
      {"F01", false},
      {"Ctrl+Ctrl+Z", false},
      {"Hyper+Z", false},
      {"Ctrl+ZZ", false},
      {"Ctrl++Z", false},
      {"", false},
  };
  for (const auto& row : rows) {
    HotKey key{99, 99};
    EXPECT_EQ(ParseHotKey(row.text, &key), row.readable) << row.text;
    if (!row.readable) {
      EXPECT_EQ(key.modifiers, 99u) << row.text;  // untouched
      continue;
    }
    EXPECT_EQ(key.modifiers, row.modifiers) << row.text;
    EXPECT_EQ(key.virtualKey, row.virtualKey) << row.text;
    EXPECT_EQ(FormatHotKey(key), row.written) << row.text;
  }
  EXPECT_FALSE(ParseHotKey(nullptr, nullptr));
}

}  // namespace
