// What the plug-in does with the broadcast's own present and following
// programmes, driven by generated streams through InputTsData over the
// stand-in viewer: recording to the end of the programme, the tip, the
// overlay's next-programme line, the notice of a new programme, the call for
// the next programme.
#include <gtest/gtest.h>

#include <string>

#include "OverlayLayout.h"
#include "PluginHarness.h"
#include "TsWriter.h"

using testsupport::MenuSeen;
using testsupport::PluginHarness;
using testsupport::ShellTray;

namespace {

constexpr uint16_t kService = 0x0401;
constexpr UINT kRecordToEnd = 1106;
constexpr UINT kTipFromStream = 1107;
constexpr UINT kOverlayNext = 1108;
constexpr UINT kNotifyEventChange = 1109;
constexpr UINT kCallForNext = 1110;
const std::string kLeft12 =
    "\x82\xa0\x82\xc6"
    "12\x95\xaa";                                                  // あと12分
const std::string kArrow = "\x81\xa8";                             // →
const std::string kNewsText = "\x83\x6a\x83\x85\x81\x5b\x83\x58";  // ニュース
const std::string kDramaText = "\x83\x68\x83\x89\x83\x7d";         // ドラマ

struct Programme {
  uint16_t eventId;
  int hour, minute, durationMinutes;
  const char* name;
  bool durationNotFixed = false;
};

// The stream as the host hands it to the plug-in: a TOT, then the EIT p/f
// sections of a service.
class Broadcast {
 public:
  explicit Broadcast(PluginHarness& harness) : harness_(harness) {}
  // The viewer tuned to kService, the broadcast clock at hour:minute.
  Broadcast(PluginHarness& harness, int hour, int minute) : Broadcast(harness) {
    harness.Plugin().OnServiceChange(1, kService);
    Clock(hour, minute);
  }

  void Clock(int hour, int minute, int second = 0) {
    tsmux::Bytes packets;
    packetizer_.PutSections(0x0014, {tsmux::BuildTot(Day(), hour, minute, second)}, packets);
    Send(packets);
  }

  // A null following programme sends an empty following section.
  void Programmes(uint16_t service, const Programme* present, const Programme* following,
                  uint8_t version = 1) {
    tsmux::Bytes packets;
    for (int number = 0; number < 2; ++number) {
      const Programme* programme = number == 0 ? present : following;
      tsmux::EventInfo event;
      if (programme) event = Event(*programme);
      // Twice, so that every section is followed by a packet of its PID.
      for (int round = 0; round < 2; ++round) {
        packetizer_.PutSections(
            0x0012,
            {tsmux::BuildEitPresentFollowing(service, version, static_cast<uint8_t>(number), 0x7FE0, 0x7FE0,
                                             programme ? &event : nullptr)},
            packets);
      }
    }
    Send(packets);
  }

 private:
  static uint16_t Day() { return tsmux::DateToMjd(2026, 12, 8); }
  static tsmux::EventInfo Event(const Programme& programme) {
    tsmux::EventInfo event;
    event.eventId = programme.eventId;
    event.startMjd = Day();
    event.startHour = programme.hour;
    event.startMinute = programme.minute;
    event.durationSeconds = programme.durationMinutes * 60;
    event.durationNotFixed = programme.durationNotFixed;
    event.name = tsmux::EncodeAribText(programme.name);
    return event;
  }
  void Send(const tsmux::Bytes& packets) {
    harness_.Plugin().InputTsData(packets.data(), static_cast<uint32_t>(packets.size()));
  }

  PluginHarness& harness_;
  tsmux::Packetizer packetizer_;
};

const Programme kNews = {1, 19, 0, 54, "ニュース"};
const Programme kDrama = {2, 20, 0, 54, "ドラマ"};

const testsupport::MenuItem* MenuItemOf(PluginHarness& harness, UINT id, MenuSeen* seen) {
  auto watcher = testsupport::ReadAndCloseMenu(seen);
  harness.Control().ShowTrayMenu(harness.ControllerWindow());
  watcher->Join();
  return seen->Find(id);
}

TEST(BroadcastFollowing, RecordingToTheEndOfTheProgrammeTakesItsMinutesLeft) {
  struct Case {
    const char* name;
    void (*prepare)(Broadcast&, standin::StandInViewer&);
    bool available;
  };
  const Case cases[] = {
      {"twelve minutes left",
       [](Broadcast& b, standin::StandInViewer&) { b.Programmes(kService, &kNews, &kDrama); }, true},
      {"no following section",
       [](Broadcast& b, standin::StandInViewer&) { b.Programmes(kService, &kNews, nullptr); }, true},
      {"end not fixed",
       [](Broadcast& b, standin::StandInViewer&) {
         Programme overrun = kNews;
         overrun.durationNotFixed = true;
         b.Programmes(kService, &overrun, &kDrama);
       },
       false},
      {"no present event",
       [](Broadcast& b, standin::StandInViewer&) { b.Programmes(kService, nullptr, &kDrama); }, false},
      {"another service's programme",
       [](Broadcast& b, standin::StandInViewer&) { b.Programmes(0x0402, &kNews, &kDrama); }, false},
      {"the viewer records",
       [](Broadcast& b, standin::StandInViewer& viewer) {
         b.Programmes(kService, &kNews, &kDrama);
         viewer.SetRecording(true);
       },
       false},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    Broadcast broadcast(harness, 19, 42);
    c.prepare(broadcast, harness.Viewer());
    MenuSeen seen;
    const testsupport::MenuItem* item = MenuItemOf(harness, kRecordToEnd, &seen);
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_EQ(item->grayed, !c.available) << c.name;

    const bool wasRecording = harness.Viewer().IsRecording();
    harness.Viewer().ClearReceived();
    SendMessageA(harness.ControllerWindow(), WM_COMMAND, kRecordToEnd, 0);
    const std::vector<int> sent = harness.Viewer().CommandsTo(standin::Window::kMain);
    if (c.available) {
      EXPECT_EQ(sent, std::vector<int>{1009}) << c.name;
      EXPECT_EQ(harness.Viewer().RecordMinutesAtStart(), "12") << c.name;
      EXPECT_TRUE(harness.Viewer().IsRecording()) << c.name;
    } else {
      EXPECT_TRUE(sent.empty()) << c.name;
      EXPECT_EQ(harness.Viewer().IsRecording(), wasRecording) << c.name;
    }
  }
}

// The tip after a mouse move over the icon, with `hidden` windows hidden.
std::string Tip(ShellTray& tray, PluginHarness& harness, std::initializer_list<HWND> hidden) {
  harness.Control().Tray().AddTrayIcon(harness.ControllerWindow());
  for (HWND window : hidden) harness.Host().HideHostWindow(window);
  tray.Clear();
  SendMessageA(harness.ControllerWindow(), kTrayCallbackMessage, kTrayIconId, WM_MOUSEMOVE);
  const auto modifies = tray.CallsOf(NIM_MODIFY);
  return modifies.empty() ? "<no tip>" : modifies.back().tip;
}

TEST(BroadcastFollowing, TipShowsThePresentAndFollowingProgrammesWhenAsked) {
  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  // A name of 60 kana: the line is cut before the following programme, at a
  // whole character.
  static const std::string kLongName = [] {
    std::string name;
    for (int i = 0; i < 60; ++i) name += "\xe3\x83\x8b";  // ニ in UTF-8
    return name;
  }();
  static const Programme kLong = {1, 19, 0, 54, kLongName.c_str()};
  const std::string kNi = "\x83\x6a";
  std::string cutLong = "19:00-19:54 ";
  while (cutLong.size() + kNi.size() <= 74) cutLong += kNi;
  struct Case {
    const char* name;
    bool on;
    bool mainHidden;
    const Programme* present;
    const Programme* following;
    std::string tip;
  };
  const Case cases[] = {
      {"off: the programme window's text", false, false, &kNews, &kDrama, "Window text"},
      {"off, main hidden", false, true, &kNews, &kDrama, "Window text\r\nS 1 2"},
      {"programme window hidden", true, false, &kNews, &kDrama,
       "19:00-19:54 " + kNewsText + " " + kLeft12 + " " + kArrow + " 20:00 " + kDramaText},
      {"with the status line", true, true, &kNews, &kDrama,
       "19:00-19:54 " + kNewsText + " " + kLeft12 + " " + kArrow + " 20:00 " + kDramaText + "\r\nS 1 2"},
      {"no following section", true, false, &kNews, nullptr, "19:00-19:54 " + kNewsText + " " + kLeft12},
      {"no present event", true, false, nullptr, &kDrama, "Window text"},
      {"a long name", true, true, &kLong, &kDrama, cutLong + "\r\nS 1 2"},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    harness.Viewer().SetProgrammeText("Window text");
    harness.Viewer().SetStatusText("S 1 2");
    Broadcast broadcast(harness, 19, 42);
    broadcast.Programmes(kService, c.present, c.following);
    if (c.on) SendMessageA(harness.ControllerWindow(), WM_COMMAND, kTipFromStream, 0);
    std::initializer_list<HWND> programmeOnly = {harness.Viewer().ProgrammeWindow()};
    std::initializer_list<HWND> both = {harness.Viewer().MainWindow(), harness.Viewer().ProgrammeWindow()};
    EXPECT_EQ(Tip(tray, harness, c.mainHidden ? both : programmeOnly), c.tip) << c.name;
    harness.Stop();
    EXPECT_EQ(harness.Ini().Read("TipFromStream"), c.on ? "1" : "<missing>") << c.name;
  }
}

// The programme item's text as the overlay draws it, read from the stream
// (the stand-in has no programme window here).
TEST(BroadcastFollowing, OverlayAddsTheNextProgrammeWhenAsked) {
  standin::Options withoutProgrammeWindow;
  withoutProgrammeWindow.createProgramme = false;
  const std::string present = "2026/12/08 19:00 \x81\x60 19:54\r\n\x81\x79" + kNewsText + "\x81\x7a";
  const std::string next = "\x8e\x9f";  // 次
  struct Case {
    const char* name;
    bool on;
    const Programme* present;
    const Programme* following;
    std::string text;
  };
  const Case cases[] = {
      {"off", false, &kNews, &kDrama, present},
      {"on", true, &kNews, &kDrama, present + "\r\n" + kLeft12 + " " + next + " 20:00 " + kDramaText},
      {"no following section", true, &kNews, nullptr, present + "\r\n" + kLeft12},
      {"no present event", true, nullptr, &kDrama, ""},
  };
  for (const Case& c : cases) {
    PluginHarness harness(withoutProgrammeWindow);
    ASSERT_TRUE(harness.Create());
    Broadcast broadcast(harness, 19, 42);
    broadcast.Programmes(kService, c.present, c.following);
    if (c.on) SendMessageA(harness.ControllerWindow(), WM_COMMAND, kOverlayNext, 0);
    OverlayContent content;
    ASSERT_TRUE(harness.Control().ReadOverlayContent(kOverlayAll, &content));
    char text[sizeof content.programme + sizeof content.nextProgramme];
    ComposeProgrammeItemText(content.programme, content.nextProgramme, text, sizeof text);
    EXPECT_EQ(std::string(text), c.text) << c.name;
    harness.Stop();
    EXPECT_EQ(harness.Ini().Read("OverlayNext"), c.on ? "1" : "<missing>") << c.name;
  }
}

// The balloons of the icon after each step; the first step is the programme
// on air when the watch starts.
TEST(BroadcastFollowing, ANewProgrammeIsAnnouncedWhileTheViewerIsHidden) {
  ShellTray tray;
  ASSERT_TRUE(tray.Create());
  static const Programme kOther = {7, 20, 0, 30, "ドラマ"};
  struct Case {
    const char* name;
    bool on, hidden;
    void (*change)(Broadcast&, PluginHarness&);
    std::string balloon;  // empty: none
  };
  const std::string dramaLine = "20:00-20:54 " + kDramaText;
  const Case cases[] = {
      {"a new programme", true, true,
       [](Broadcast& b, PluginHarness&) { b.Programmes(kService, &kDrama, nullptr); }, dramaLine},
      {"a new version of the same programme", true, true,
       [](Broadcast& b, PluginHarness&) { b.Programmes(kService, &kNews, &kDrama, 2); }, ""},
      {"another service's programme changes", true, true,
       [](Broadcast& b, PluginHarness&) { b.Programmes(0x0402, &kOther, nullptr); }, ""},
      {"tuned to another service", true, true,
       [](Broadcast& b, PluginHarness& h) {
         b.Programmes(0x0402, &kOther, nullptr);
         h.Plugin().OnServiceChange(2, 0x0402);
       },
       ""},
      {"the viewer is up", true, false,
       [](Broadcast& b, PluginHarness&) { b.Programmes(kService, &kDrama, nullptr); }, ""},
      {"off", false, true, [](Broadcast& b, PluginHarness&) { b.Programmes(kService, &kDrama, nullptr); },
       ""},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    harness.Control().Tray().AddTrayIcon(harness.ControllerWindow());
    if (c.hidden) harness.Host().HideHostWindow(harness.Viewer().MainWindow());
    Broadcast broadcast(harness, 19, 42);
    broadcast.Programmes(kService, &kNews, &kDrama);
    if (c.on) SendMessageA(harness.ControllerWindow(), WM_COMMAND, kNotifyEventChange, 0);
    harness.Tick();
    c.change(broadcast, harness);
    tray.Clear();
    harness.Tick(2);
    std::vector<testsupport::TrayCall> balloons;
    for (const testsupport::TrayCall& call : tray.Calls()) {
      if (call.flags & NIF_INFO) balloons.push_back(call);
    }
    if (c.balloon.empty()) {
      EXPECT_TRUE(balloons.empty()) << c.name;
    } else {
      ASSERT_EQ(balloons.size(), 1u) << c.name;
      EXPECT_EQ(balloons[0].info, c.balloon) << c.name;
      EXPECT_EQ(balloons[0].infoTitle, "\x94\xd4\x91\x67\x8f\xee\x95\xf1") << c.name;  // 番組情報
      EXPECT_EQ(balloons[0].infoFlags, static_cast<DWORD>(NIIF_INFO | 0x80)) << c.name;
    }
    harness.Stop();
    EXPECT_EQ(harness.Ini().Read("NotifyEventChange"), c.on ? "1" : "<missing>") << c.name;
  }
}

bool AnyWindowVisible(PluginHarness& harness) {
  for (HWND window :
       {harness.Viewer().MainWindow(), harness.Viewer().ProgrammeWindow(), harness.Viewer().RemoteWindow()}) {
    if (IsWindowVisible(window)) return true;
  }
  return false;
}

// Armed on News with Drama following: each case changes the stream (or
// chooses again) and ticks; the windows come back, with the whole overlay,
// only when the broadcaster switches to Drama.
TEST(BroadcastFollowing, TheCallForTheNextProgrammeFollowsTheBroadcastersSwitch) {
  static const Programme kNewsRunningOver = {1, 19, 0, 54, "ニュース", true};
  static const Programme kOther = {7, 20, 0, 30, "ドラマ"};
  struct Case {
    const char* name;
    void (*change)(Broadcast&, PluginHarness&);
    bool restored, stillArmed;
  };
  const Case cases[] = {
      {"the next programme starts",
       [](Broadcast& b, PluginHarness&) { b.Programmes(kService, &kDrama, nullptr); }, true, false},
      {"the programme runs over past its end",
       [](Broadcast& b, PluginHarness&) {
         b.Clock(19, 58);
         b.Programmes(kService, &kNewsRunningOver, &kDrama, 2);
       },
       false, true},
      {"the next programme starts on another service",
       [](Broadcast& b, PluginHarness&) { b.Programmes(0x0402, &kDrama, nullptr); }, false, true},
      {"tuned elsewhere",
       [](Broadcast& b, PluginHarness& h) {
         b.Programmes(0x0402, &kOther, &kDrama);
         h.Plugin().OnServiceChange(2, 0x0402);
       },
       false, false},
      {"chosen again",
       [](Broadcast&, PluginHarness& h) { SendMessageA(h.ControllerWindow(), WM_COMMAND, kCallForNext, 0); },
       false, false},
  };
  for (const Case& c : cases) {
    PluginHarness harness;
    ASSERT_TRUE(harness.Create());
    Broadcast broadcast(harness, 19, 42);
    broadcast.Programmes(kService, &kNews, &kDrama);
    SendMessageA(harness.ControllerWindow(), WM_COMMAND, kCallForNext, 0);
    ASSERT_FALSE(AnyWindowVisible(harness)) << c.name;
    MenuSeen armed;
    EXPECT_TRUE(MenuItemOf(harness, kCallForNext, &armed)->checked) << c.name;

    c.change(broadcast, harness);
    harness.Tick();
    EXPECT_EQ(AnyWindowVisible(harness), c.restored) << c.name;
    EXPECT_EQ(harness.Plugin().Overlay().IsUp(), c.restored) << c.name;
    EXPECT_EQ(harness.Plugin().Overlay().ContentFlags(), c.restored ? kOverlayAll : 0) << c.name;
    MenuSeen after;
    EXPECT_EQ(MenuItemOf(harness, kCallForNext, &after)->checked, c.stillArmed) << c.name;
  }
}

TEST(BroadcastFollowing, TheCallIsGreyedWithoutAFollowingProgramme) {
  PluginHarness harness;
  ASSERT_TRUE(harness.Create());
  Broadcast broadcast(harness, 19, 42);
  broadcast.Programmes(kService, &kNews, nullptr);
  MenuSeen seen;
  EXPECT_TRUE(MenuItemOf(harness, kCallForNext, &seen)->grayed);
  SendMessageA(harness.ControllerWindow(), WM_COMMAND, kCallForNext, 0);
  EXPECT_TRUE(AnyWindowVisible(harness));
}

}  // namespace
