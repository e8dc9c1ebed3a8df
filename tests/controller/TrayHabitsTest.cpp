// The tray habits, each off by default: minimising to the tray, a single
// click on the icon, the boss key, and the 設定 pop-up that keeps them in
// the ini file. In-process over the stand-in viewer's windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PluginHarness.h"

using testsupport::MenuSeen;
using testsupport::PluginHarness;
using testsupport::PumpMessages;
using testsupport::ShellTray;

namespace {

using IniKeys = std::map<std::string, std::string>;

// The plug-in over the stand-in viewer, its ini file holding `keys` first.
std::unique_ptr<PluginHarness> Start(const IniKeys& keys) {
  auto harness = std::make_unique<PluginHarness>();
  for (const auto& [key, value] : keys) harness->Ini().Write(key.c_str(), value.c_str());
  EXPECT_TRUE(harness->Create());
  return harness;
}

int VisibleWindows(PluginHarness& harness) {
  int visible = 0;
  for (int i = 0; i < harness.Host().WindowList().count; ++i)
    visible += harness.Host().IsHostWindowVisible(i);
  return visible;
}

void Send(PluginHarness& harness, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  SendMessageA(harness.ControllerWindow(), message, wParam, lParam);
}

// Pumps until `done` or about two seconds have passed.
template <typename Done>
void PumpUntil(Done done) {
  for (int i = 0; i < 400 && !done(); ++i) {
    PumpMessages();
    Sleep(5);
  }
}

TEST(TrayHabits, MinimisingTheMainWindowHidesAllWhenAsked) {
  const struct {
    const char* name;
    const char* minimizeToTray;
    bool event;  // Windows' minimise event; else the monitoring tick finds it
    bool hides;
  } rows[] = {
      {"on: the event", "1", true, true},
      {"on: the tick, for a desktop without the event", "1", false, true},
      {"off: the event", "0", true, false},
      {"off: the tick", "0", false, false},
      {"out of range: the default", "7", true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto harness = Start({{"MinimizeToTray", row.minimizeToTray}});
    HWND main = harness->Viewer().MainWindow();
    ShowWindow(main, SW_MINIMIZE);
    if (row.event) {
      // Wine raises no such event for ShowWindow; Windows does.
      NotifyWinEvent(EVENT_SYSTEM_MINIMIZESTART, main, OBJID_WINDOW, CHILDID_SELF);
      PumpMessages();
    } else {
      harness->Tick();
    }
    EXPECT_EQ(VisibleWindows(*harness) == 0, row.hides);
    EXPECT_EQ(IsWindowVisible(main) == FALSE, row.hides);
    Send(*harness, WM_COMMAND, 1007);  // 全てのウィンドウを復元
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(IsIconic(main) == FALSE, row.hides);  // back as it was before the minimise
  }
}

TEST(TrayHabits, ASingleClickAndTheKeyboardRunTheChosenAction) {
  constexpr LPARAM kDown = WM_LBUTTONDOWN, kUp = WM_LBUTTONUP, kDouble = WM_LBUTTONDBLCLK,
                   kKey = NIN_KEYSELECT;
  const struct {
    const char* name;
    const char* trayClick;  // null: no key
    bool hiddenBefore;
    std::vector<LPARAM> messages;
    bool visibleAfter;
  } rows[] = {
      {"no key: a click does nothing", nullptr, true, {kDown, kUp}, false},
      {"0: Enter does nothing", "0", true, {kKey}, false},
      {"-1: the default", "-1", true, {kDown, kUp}, false},
      {"1: a click restores", "1", true, {kDown, kUp}, true},
      {"1: Enter restores", "1", true, {kKey}, true},
      {"1: a double click restores", "1", true, {kDown, kUp, kDouble, kUp}, true},
      {"2: a click hides", "2", false, {kDown, kUp}, false},
      {"2: a click restores", "2", true, {kDown, kUp}, true},
      {"2: Space hides", "2", false, {kKey}, false},
      {"2: a double click restores, not toggled twice", "2", true, {kDown, kUp, kDouble, kUp}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ShellTray tray;
    ASSERT_TRUE(tray.Create());
    auto harness = row.trayClick ? Start({{"TrayClick", row.trayClick}}) : Start({});
    harness->Control().Tray().AddTrayIcon(harness->ControllerWindow());
    const bool keyboard = row.trayClick != nullptr && (row.trayClick[0] == '1' || row.trayClick[0] == '2');
    EXPECT_EQ(tray.CountOf(NIM_SETVERSION), keyboard ? 1u : 0u);
    if (row.hiddenBefore) Send(*harness, WM_COMMAND, 1008);  // 全てのウィンドウを隠す
    for (LPARAM message : row.messages) Send(*harness, kTrayCallbackMessage, 0, message);
    Send(*harness, WM_TIMER, kClickTimerId);  // the double-click time runs out
    EXPECT_EQ(VisibleWindows(*harness) == harness->Host().WindowList().count, row.visibleAfter);
    EXPECT_EQ(VisibleWindows(*harness) == 0, !row.visibleAfter);
  }
}

void PressBossKey() {
  INPUT keys[6] = {};
  const WORD codes[3] = {VK_CONTROL, VK_MENU, 'Z'};
  for (int i = 0; i < 3; ++i) {
    keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = keys[5 - i].ki.wVk = codes[i];
    keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(6, keys, sizeof(INPUT));
}

TEST(TrayHabits, TheBossKeyHidesAndMutesThenBringsBack) {
  const struct {
    const char* name;
    IniKeys keys;
    bool mutedBefore;
    bool mutedWhileHidden;
  } rows[] = {
      {"mutes, and unmutes", {{"BossKey", "ctrl+alt+z"}}, false, true},
      {"BossKeyMute 0: the sound stays", {{"BossKey", "Ctrl+Alt+Z"}, {"BossKeyMute", "0"}}, false, false},
      {"muted already: stays muted", {{"BossKey", "Alt+Ctrl+Z"}}, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto harness = Start(row.keys);
    PluginHarness& h = *harness;
    h.Viewer().SetMuted(row.mutedBefore);
    PressBossKey();
    PumpUntil([&h] { return VisibleWindows(h) == 0; });
    EXPECT_EQ(VisibleWindows(h), 0);
    EXPECT_EQ(h.Viewer().IsMuted(), row.mutedWhileHidden);
    PressBossKey();
    PumpUntil([&h] { return VisibleWindows(h) > 0; });
    EXPECT_EQ(VisibleWindows(h), h.Host().WindowList().count);
    EXPECT_EQ(h.Viewer().IsMuted(), row.mutedBefore);
  }
}

// The 設定 pop-up shows each option as it stands; an option changed from it
// (or by any sender) survives a restart, and one left alone is never
// written, even where its stored text could not be read.
TEST(TrayHabits, SettingsShowInTheMenuAndSurviveARestart) {
  const std::string bossKeyItem = "\x83\x7b\x83\x58\x83\x4c\x81\x5b (Ctrl+Alt+Z)";  // ボスキー (Ctrl+Alt+Z)
  const std::string bossKeyTaken =
      "\x83\x7b\x83\x58\x83\x4c\x81\x5b (\x8e\x67\x97\x70\x92\x86)";  // ボスキー (使用中)
  const struct {
    const char* name;
    bool keyTakenElsewhere;
    std::vector<WPARAM> commands;
    std::vector<UINT> checked;  // of 1100 to 1105
    const std::string& bossKeyText;
    IniKeys iniAfter;
  } steps[] = {
      {"unreadable values: the defaults, nothing written",
       false,
       {},
       {1101, 1105},
       bossKeyItem,
       {{"MinimizeToTray", "7"}, {"TrayClick", "-1"}, {"BossKey", "Ctrl+"}, {"BossKeyMute", "<missing>"}}},
      {"each changed from the menu",
       false,
       {1100, 1103, 1104, 1105},
       {1100, 1103, 1104},
       bossKeyItem,
       {{"MinimizeToTray", "1"}, {"TrayClick", "2"}, {"BossKey", "Ctrl+Alt+Z"}, {"BossKeyMute", "0"}}},
      {"after a restart",
       false,
       {},
       {1100, 1103, 1104},
       bossKeyItem,
       {{"MinimizeToTray", "1"}, {"TrayClick", "2"}, {"BossKey", "Ctrl+Alt+Z"}, {"BossKeyMute", "0"}}},
      {"the key held by another program",
       true,
       {1008},
       {1100, 1103},
       bossKeyTaken,
       {{"BossKey", "Ctrl+Alt+Z"}}},
  };
  PluginHarness harness;
  harness.Ini().Write("MinimizeToTray", "7");
  harness.Ini().Write("TrayClick", "-1");
  harness.Ini().Write("BossKey", "Ctrl+");
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.keyTakenElsewhere) {
      ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'Z'));
    }
    ASSERT_TRUE(harness.Create());
    for (WPARAM command : step.commands) Send(harness, WM_COMMAND, command);
    // The plug-in still works.
    if (step.keyTakenElsewhere) {
      EXPECT_EQ(VisibleWindows(harness), 0);
    }
    MenuSeen seen;
    auto watcher = testsupport::ReadAndCloseMenu(&seen);
    harness.Control().ShowTrayMenu(harness.ControllerWindow());
    watcher->Join();
    for (UINT id = 1100; id <= 1105; ++id) {
      ASSERT_NE(seen.Find(id), nullptr) << id;
      EXPECT_EQ(seen.Find(id)->checked, std::count(step.checked.begin(), step.checked.end(), id) == 1) << id;
      EXPECT_EQ(seen.Find(id)->radio, id >= 1101 && id <= 1103) << id;
    }
    EXPECT_EQ(seen.Find(1104)->text, step.bossKeyText);
    EXPECT_EQ(seen.Find(1104)->grayed, step.keyTakenElsewhere);
    EXPECT_TRUE(seen.Find(1007)->isDefault);
    harness.Stop();
    if (step.keyTakenElsewhere) UnregisterHotKey(nullptr, 7);
    for (const auto& [key, value] : step.iniAfter) EXPECT_EQ(harness.Ini().Read(key.c_str()), value) << key;
  }
}

}  // namespace
