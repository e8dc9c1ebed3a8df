// Every place where the plug-in cuts a Shift_JIS text to a byte count, as the
// user sees it: the tip as the shell receives it, the menu's items, the
// overlay's items as the controller reads them off the stand-in viewer. Each
// text is cut where a double-byte character begins; the character goes whole.
#include <gtest/gtest.h>

#include <string>

#include "OverlayLayout.h"
#include "PluginHarness.h"
#include "TrayRoutines.h"
#include "TsWriter.h"

using testsupport::MenuSeen;
using testsupport::PluginHarness;
using testsupport::ShellTray;

namespace {

const std::string kRoku = "\x98\x5e";  // 録: its lead byte is where each cut falls
const std::string kGa = "\x89\xe6";    // 画
std::string A(size_t count) { return std::string(count, 'a'); }

std::string LastTip(const ShellTray& tray) {
  const auto modifies = tray.CallsOf(NIM_MODIFY);
  return modifies.empty() ? "<no tip>" : modifies.back().tip;
}

// The tip after a mouse move over the icon, with `hidden` windows hidden.
std::string TipWith(ShellTray& tray, PluginHarness& harness, std::initializer_list<HWND> hidden) {
  harness.Control().Tray().AddTrayIcon(harness.ControllerWindow());
  for (HWND window : hidden) harness.Host().HideHostWindow(window);
  tray.Clear();
  SendMessageA(harness.ControllerWindow(), kTrayCallbackMessage, kTrayIconId, WM_MOUSEMOVE);
  return LastTip(tray);
}

std::string MenuText(PluginHarness& harness, UINT id) {
  MenuSeen seen;
  auto watcher = testsupport::ReadAndCloseMenu(&seen);
  harness.Control().ShowTrayMenu(harness.ControllerWindow());
  watcher->Join();
  const testsupport::MenuItem* item = seen.Find(id);
  return item ? item->text : "<no item>";
}

OverlayContent Overlay(PluginHarness& harness, int32_t flags) {
  OverlayContent content;
  harness.Control().ReadOverlayContent(flags, &content);
  return content;
}

// Each place shows `text` where the plug-in cuts it, and returns what it shows.
using Shown = std::string (*)(ShellTray& tray, const std::string& text);

std::string TipOfProgrammeAlone(ShellTray& tray, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetProgrammeText(text.c_str());
  return TipWith(tray, harness, {harness.Viewer().ProgrammeWindow()});
}

std::string TipOfProgrammeAndStatus(ShellTray& tray, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetProgrammeText(text.c_str());
  harness.Viewer().SetStatusText("S");
  return TipWith(tray, harness, {harness.Viewer().MainWindow(), harness.Viewer().ProgrammeWindow()});
}

std::string TipOfStatus(ShellTray& tray, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetStatusText(text.c_str());
  return TipWith(tray, harness, {harness.Viewer().MainWindow()});
}

// A programme read that raced with a change of the text may end anywhere.
std::string TipOfCutProgramme(ShellTray&, const std::string& text) {
  char tip[kTrayTipBytes + 1];
  return ComposeTrayTip(text.c_str(), nullptr, tip, sizeof tip) ? tip : "<no tip>";
}

std::string MenuOfWindowTitle(ShellTray&, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create(false)) return "<no harness>";
  HWND owned = CreateWindowExA(0, "STATIC", text.c_str(), WS_POPUP | WS_VISIBLE, 0, 0, 50, 20,
                               harness.Viewer().MainWindow(), nullptr, nullptr, nullptr);
  harness.Host().DiscoverHostWindows();
  std::string seen = MenuText(harness, 2000 + harness.ListIndexOf(owned));
  DestroyWindow(owned);
  return seen;
}

std::string MenuOfChannel(ShellTray&, const std::string& text) {
  standin::Options options;
  options.channelNames[0] = text;
  PluginHarness harness(options);
  if (!harness.Create()) return "<no harness>";
  return MenuText(harness, 1019);
}

std::string OverlayOfChannel(ShellTray&, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetCurrentChannelText(text.c_str());
  return Overlay(harness, kOverlayChannel).channelName;
}

std::string OverlayOfStatus(ShellTray&, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetStatusText(text.c_str());
  return Overlay(harness, kOverlayStatusBar).statusText;
}

std::string OverlayOfProgrammeWindow(ShellTray&, const std::string& text) {
  PluginHarness harness;
  if (!harness.Create()) return "<no harness>";
  harness.Viewer().SetProgrammeText(text.c_str());
  return Overlay(harness, kOverlayProgramme).programme;
}

// The stream's programme always fits the overlay's buffer; a shorter one cuts it.
std::string ProgrammeOfStream(ShellTray&, const std::string& utf8Name) {
  tsmux::EventInfo event{};
  event.startMjd = tsmux::DateToMjd(2026, 12, 8);
  event.startHour = 12;
  event.durationSeconds = 3600;
  event.name = tsmux::EncodeAribText(utf8Name);
  const tsmux::Bytes section = tsmux::BuildEitPresentFollowing(0x0400, 1, 0, 0x7FE0, 0x7FE0, &event);
  char programme[33];
  ComposeProgrammeFromSection(section.data(), section.size(), programme, sizeof programme);
  return programme;
}

TEST(TextCuts, EveryCutKeepsWholeCharacters) {
  ShellTray tray;
  ASSERT_TRUE(tray.Create()) << "another notification area answers first";
  const std::string title = "Zentu HDTV Player\r\n";                        // 19 bytes
  const std::string line1 = "2026/12/08 12:00 \x81\x60 13:00\r\n\x81\x79";  // 29 bytes, up to "【"
  const struct {
    const char* place;
    Shown show;
    std::string text;
    std::string expected;
  } rows[] = {
      {"tip, programme alone (119 bytes)", TipOfProgrammeAlone, A(118) + kRoku + kGa, A(118)},
      {"tip, programme before the status (74)", TipOfProgrammeAndStatus, A(73) + kRoku + kGa,
       A(73) + "\r\nS"},
      {"tip, status up to the tip's end (127)", TipOfStatus, A(107) + kRoku + kGa, title + A(107)},
      {"tip, programme ending in half a character", TipOfCutProgramme, "abc\x98", "abc"},
      {"menu, window title (255)", MenuOfWindowTitle, A(254) + kRoku + kGa, A(254)},
      {"menu, channel name (ch1: and 95)", MenuOfChannel, A(94) + kRoku + kGa, "ch1:" + A(94)},
      {"overlay, channel name (255)", OverlayOfChannel, A(254) + kRoku + kGa, A(254)},
      {"overlay, status text (255)", OverlayOfStatus, A(254) + kRoku + kGa, A(254)},
      {"overlay, programme window (1023)", OverlayOfProgrammeWindow, A(1022) + kRoku + kGa, A(1022)},
      {"programme from the stream (32)", ProgrammeOfStream, "\xe3\x82\x8d\xe3\x81\x8f",
       line1 + "\x82\xeb"},  // ろく in UTF-8
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.show(tray, row.text), row.expected) << row.place;
  }
}

}  // namespace
