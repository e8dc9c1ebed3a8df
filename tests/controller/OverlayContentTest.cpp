// What the controller hands the overlay to draw: the items read from the
// stand-in viewer's windows, and the programme from its programme window or
// else from the stream.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "PluginHarness.h"
#include "PsiCollector.h"
#include "TsWriter.h"

using testsupport::PluginHarness;

namespace {

class OverlayContentTest : public ::testing::Test {
 protected:
  explicit OverlayContentTest(const standin::Options& options = standin::Options()) : harness(options) {}
  void SetUp() override { ASSERT_TRUE(harness.Create()); }

  OverlayContent Read(int32_t flags) {
    OverlayContent content;
    harness.Control().ReadOverlayContent(flags, &content);
    return content;
  }

  // Feeds the collector a TOT and the present EIT section of a service.
  void StreamProgramme(uint16_t serviceId, const std::string& name, int hour, int minute) {
    tsmux::Packetizer packetizer;
    tsmux::Bytes packets;
    packetizer.PutSections(0x0014, {tsmux::BuildTot(tsmux::DateToMjd(2026, 12, 8), hour, minute, 0)},
                           packets);
    tsmux::EventInfo event{};
    event.eventId = 1;
    event.startMjd = tsmux::DateToMjd(2026, 12, 8);
    event.startHour = hour;
    event.startMinute = minute;
    event.durationSeconds = 3600;
    event.name = tsmux::EncodeAribText(name);
    // Twice, so that every section is followed by a packet of its PID.
    for (int round = 0; round < 2; ++round) {
      packetizer.PutSections(
          0x0012, {tsmux::BuildEitPresentFollowing(serviceId, 1, 0, 0x7FE0, 0x7FE0, &event)}, packets);
    }
    harness.Plugin().InputTsData(packets.data(), static_cast<uint32_t>(packets.size()));
  }

  PluginHarness harness;
};

// The stand-in without a programme window: the programme comes from the stream.
class BroadcastProgrammeTest : public OverlayContentTest {
 protected:
  static standin::Options WithoutProgrammeWindow() {
    standin::Options options;
    options.createProgramme = false;
    return options;
  }
  BroadcastProgrammeTest() : OverlayContentTest(WithoutProgrammeWindow()) {}
};

TEST_F(OverlayContentTest, ItemsAreReadFromTheHostsWindows) {
  struct Case {
    const char* name;
    void (*prepare)(standin::StandInViewer&);
    bool busy, recording, timeKnown;
  };
  const Case cases[] = {
      {"idle", [](standin::StandInViewer&) {}, false, false, false},
      {"busy", [](standin::StandInViewer& v) { v.SetBusy(true); }, true, false, false},
      {"recording", [](standin::StandInViewer& v) { v.SetRecording(true); }, true, true, true},
  };
  for (const Case& c : cases) {
    harness.Viewer().SetBusy(false);
    harness.Viewer().SetRecording(false);
    harness.Viewer().SetCurrentChannelText("CH-TEST");
    harness.Viewer().SetStatusText("25.3dB 0 0 0 12 34 x 56 78 9");
    c.prepare(harness.Viewer());
    const OverlayContent content = Read(kOverlayAll);
    EXPECT_TRUE(content.channelKnown) << c.name;
    EXPECT_STREQ(content.channelName, "CH-TEST") << c.name;
    EXPECT_TRUE(content.statusKnown) << c.name;
    EXPECT_STREQ(content.statusText, "25.3dB 0 0 0") << c.name;  // cut after the fourth number
    EXPECT_EQ(content.hostBusy != 0, c.busy) << c.name;
    EXPECT_EQ(content.hostRecording != 0, c.recording) << c.name;
    EXPECT_EQ(content.recordingTimeKnown, c.timeKnown) << c.name;
    if (c.timeKnown) {
      EXPECT_EQ(content.number4, 12);
      EXPECT_EQ(content.number5, 34);
      EXPECT_EQ(content.number7, 78);
      EXPECT_EQ(content.number8, 9);
    }
  }
  // Items without their flag are not read.
  const OverlayContent none = Read(0);
  EXPECT_FALSE(none.channelKnown);
  EXPECT_FALSE(none.statusKnown);
}

TEST_F(OverlayContentTest, NextProgrammeWindowIsSwitchedForTheReadAndBack) {
  harness.Viewer().SetProgrammeText("Present\r\nprogramme");
  SendMessageA(harness.Viewer().ProgrammeWindow(), WM_COMMAND, standin::kCommandProgrammeToggle, 0);
  ASSERT_TRUE(harness.Viewer().IsShowingNextProgramme());
  harness.Viewer().ClearReceived();
  const OverlayContent content = Read(kOverlayProgramme);
  EXPECT_EQ((std::vector<int>{1021, 1021}), harness.Viewer().CommandsTo(standin::Window::kProgramme));
  EXPECT_TRUE(harness.Viewer().IsShowingNextProgramme());
  EXPECT_STREQ(content.programme, "Present\r\nprogramme");
}

TEST_F(OverlayContentTest, VanishedProgrammeWindowFallsBackToTheStream) {
  ASSERT_GE(harness.ListIndexOf(harness.Viewer().ProgrammeWindow()), 0);
  DestroyWindow(harness.Viewer().ProgrammeWindow());
  harness.Plugin().OnServiceChange(1, 0x0401);
  EXPECT_STREQ(Read(kOverlayProgramme).programme, "");  // no section yet
  StreamProgramme(0x0401, "News", 21, 0);
  EXPECT_NE(std::string(Read(kOverlayProgramme).programme).find("21:00"), std::string::npos);
}

TEST_F(BroadcastProgrammeTest, OnlyTheCurrentServicesProgramme) {
  StreamProgramme(0x0401, "News", 21, 0);
  harness.Plugin().OnServiceChange(1, 0x0402);
  EXPECT_STREQ(Read(kOverlayProgramme).programme, "");
  harness.Plugin().OnServiceChange(1, 0x0401);
  EXPECT_NE(std::string(Read(kOverlayProgramme).programme).find("21:00"), std::string::npos);
}

TEST_F(BroadcastProgrammeTest, ReadWhileAnotherThreadStreamsAndChangesServices) {
  std::atomic<bool> stop{false};
  std::thread streamer([&] {
    tsmux::Packetizer packetizer;
    for (int round = 0; !stop.load(); ++round) {
      tsmux::Bytes packets;
      const uint16_t service = static_cast<uint16_t>(0x0400 + round % 3);
      tsmux::EventInfo event{};
      event.startMjd = tsmux::DateToMjd(2026, 12, 8);
      event.startHour = round % 24;
      event.durationSeconds = 1800;
      event.name = tsmux::EncodeAribText(round % 2 ? "News" : "Drama");
      packetizer.PutSections(0x0014, {tsmux::BuildTot(event.startMjd, 12, 0, 0)}, packets);
      packetizer.PutSections(0x0012, {tsmux::BuildEitPresentFollowing(service, round & 31, 0, 1, 1, &event)},
                             packets);
      harness.Plugin().InputTsData(packets.data(), static_cast<uint32_t>(packets.size()));
      harness.Plugin().OnServiceChange(1, service);
    }
  });
  int read = 0;
  for (int i = 0; i < 300 || (read == 0 && i < 1000000); ++i)
    read += Read(kOverlayProgramme).programme[0] != '\0';
  stop = true;
  streamer.join();
  EXPECT_GT(read, 0);
}

}  // namespace
