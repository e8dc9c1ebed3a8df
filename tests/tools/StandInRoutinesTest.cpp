// What the stand-in viewer program shows: its line-up, its status bar as the
// plug-in reads it, and its programme window beside the overlay's own
// reading of the same EIT section.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AribString.h"
#include "HostText.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "StandInRoutines.h"
#include "TsWriter.h"

using standin::kChannelCount;
using Names = std::vector<std::string>;

TEST(StandInLineUp, ChannelsNameTheWholeLineUp) {
  const Names untouched(kChannelCount, "old");
  Names twelve;
  for (int i = 1; i <= kChannelCount; ++i) twelve.push_back(std::to_string(i));
  const struct {
    std::string list;
    bool ok;
    Names names;
  } rows[] = {
      {"A,,C", true, {"A", "", "C", "", "", "", "", "", "", "", "", ""}},
      {"", true, Names(kChannelCount, "")},
      {"1,2,3,4,5,6,7,8,9,10,11,12", true, twelve},
      {"1,2,3,4,5,6,7,8,9,10,11,12,13", false, untouched},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.list);
    std::string names[kChannelCount];
    std::copy(untouched.begin(), untouched.end(), names);
    EXPECT_EQ(standin::ParseChannelLineUp(row.list, names), row.ok);
    EXPECT_EQ(Names(names, names + kChannelCount), row.names);
  }
}

#ifdef ZENTU_SAMPLE_DIR
// Button i reports service 0x0400 + i: the default line-up is the names the
// sample stream's SDT gives those services.
TEST(StandInLineUp, DefaultNamesTheSampleStreamsServices) {
  FILE* file = std::fopen(ZENTU_SAMPLE_DIR "/sample.ts", "rb");
  ASSERT_NE(file, nullptr);
  PsiCollector collector;
  uint8_t packet[kTsPacketSize];
  while (std::fread(packet, 1, sizeof packet, file) == sizeof packet) collector.IntakePacket(packet);
  std::fclose(file);
  Names named(kChannelCount);
  for (const ServiceSnapshot& service : collector.Snapshot().services) {
    const int i = service.serviceId - 0x0400;
    if (i < 0 || i >= kChannelCount) continue;
    char name[128];
    DecodeAribString(service.serviceName.data(), static_cast<uint32_t>(service.serviceName.size()), name,
                     sizeof name);
    named[i] = name;
  }
  EXPECT_EQ(Names(standin::kSampleStreamLineUp, standin::kSampleStreamLineUp + kChannelCount), named);
}
#endif

// The overlay reads numbers 4, 5, 7 and 8, the tray menu 7, 8 and 9, and the
// overlay shows the text up to its fourth number.
TEST(StandInStatusText, ThePluginReadsTheSetLengthAndTheElapsedTime) {
  const struct {
    bool recording;
    long minutes, elapsed;
    std::vector<int32_t> numbers;  // 4, 5, 7, 8, 9
  } rows[] = {{false, 30, 754, {0, 0, 0, 0, 0}}, {true, 90, 3725, {1, 30, 1, 2, 5}}};
  for (const auto& row : rows) {
    const std::string text = standin::FormatStatusText(row.recording, row.minutes, row.elapsed);
    SCOPED_TRACE(text);
    const hosttext::StatusNumbers read = hosttext::ScanStatusNumbers(text.c_str());
    EXPECT_EQ((std::vector<int32_t>{read.number4, read.number5, read.number7, read.number8, read.number9}),
              row.numbers);
    EXPECT_EQ(hosttext::FindEndOfFourthNumber(text.c_str()) - text.c_str(), 12);  // "25.3dB 0 0 0"
  }
}

// The window holds the event text as a third line; the two lines the overlay
// shows of it are what the overlay composes from the broadcast itself.
TEST(StandInProgrammeText, ShowsTimesNameAndTextAsTheOverlayReadsThem) {
  const struct {
    int hour, minute, duration;
    std::string name, text, expected;
  } rows[] = {
      {23, 30, 3600, "天気予報", "歌",
       "2026/04/01 23:30 \x81\x60  0:30\r\n\x81\x79\x93\x56\x8b\x43\x97\x5c\x95\xf1\x81\x7a\r\n\x89\xcc"},
      {9, 5, 600, "", "歌", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.expected);
    tsmux::EventInfo event;
    event.startMjd = tsmux::DateToMjd(2026, 4, 1);
    event.startHour = row.hour;
    event.startMinute = row.minute;
    event.durationSeconds = row.duration;
    event.name = tsmux::EncodeAribText(row.name);
    event.text = tsmux::EncodeAribText(row.text);
    const tsmux::Bytes section = tsmux::BuildEitPresentFollowing(0x0401, 1, 0, 0x7FE0, 0x7FE0, &event);
    std::string window = standin::ProgrammeWindowText(section.data(), section.size());
    EXPECT_EQ(window, row.expected);

    char broadcast[1024];
    ComposeProgrammeFromSection(section.data(), section.size(), broadcast, sizeof broadcast);
    CutAfterSecondLine(broadcast);
    CutAfterSecondLine(&window[0]);
    EXPECT_STREQ(window.c_str(), broadcast);
  }
}
