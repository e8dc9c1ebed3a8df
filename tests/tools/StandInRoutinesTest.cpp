// What the stand-in viewer program shows: its line-up, its status bar as the
// plug-in reads it, and its programme window beside the overlay's own
// reading of the same EIT section.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "AribString.h"
#include "EventTimes.h"
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

// Each time field of an EIT event decided on its own: a start or duration
// sent as all ones, or bytes that are no date or time, read 未定 where the
// overlay and the programme window show them; the end needs both the start
// time and the duration.
TEST(ProgrammeTimes, FieldsThatAreNotFixedReadUndecided) {
  const std::string kNot = "\x96\xA2\x92\xE8";  // 未定
  const std::string kTo = " \x81\x60 ";         // ～
  const struct {
    const char* what;
    const char* times;  // start MJD, start hhmmss, duration hhmmss as sent; EFC6 is 2026-12-08
    const char* fixed;
    std::string line;
  } rows[] = {
      {"all fixed", "EFC6 210000 013000", "date start duration", "2026/12/08 21:00" + kTo + "22:30"},
      {"largest in range", "EFC6 235959 235959", "date start duration", "2026/12/08 23:59" + kTo + "23:59"},
      {"start all ones", "FFFF FFFFFF 013000", "duration", kNot + kTo + kNot},
      {"duration all ones", "EFC6 210000 FFFFFF", "date start", "2026/12/08 21:00" + kTo + kNot},
      {"both all ones", "FFFF FFFFFF FFFFFF", "", kNot + kTo + kNot},
      {"start minute not BCD", "EFC6 210A00 013000", "date duration", "2026/12/08 " + kNot + kTo + kNot},
      {"duration second not BCD", "EFC6 210000 0130A0", "date start", "2026/12/08 21:00" + kTo + kNot},
      {"start hour 24", "EFC6 240000 013000", "date duration", "2026/12/08 " + kNot + kTo + kNot},
      {"duration minute 60", "EFC6 210000 006000", "date start", "2026/12/08 21:00" + kTo + kNot},
      {"duration of 24 hours", "EFC6 210000 240000", "date start", "2026/12/08 21:00" + kTo + kNot},
      {"MJD FFFF, time fixed", "FFFF 210000 013000", "start duration", kNot + " 21:00" + kTo + "22:30"},
  };
  tsmux::EventInfo event;
  event.name = tsmux::EncodeAribText("News");
  tsmux::Bytes section = tsmux::BuildEitPresentFollowing(0x0401, 1, 0, 0x7FE0, 0x7FE0, &event);
  section.resize(section.size() - 4);  // the CRC, written again for each row
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    tsmux::Bytes sent = section;
    size_t at = 16;  // after the event_id
    for (const char* hex = row.times; *hex; hex += hex[0] == ' ' ? 1 : 2) {
      if (*hex != ' ') sent[at++] = static_cast<uint8_t>(std::stoi(std::string(hex, 2), nullptr, 16));
    }
    tsmux::FinishSection(sent);
    const EitFirstEvent decoded = DecodeFirstEvent(sent.data(), sent.size());
    std::string fixed = std::string(EventStartDate(decoded) ? " date" : "") +
                        (EventStartTime(decoded) ? " start" : "") +
                        (EventDuration(decoded) ? " duration" : "");
    EXPECT_EQ(fixed.empty() ? fixed : fixed.substr(1), row.fixed);

    char overlay[1024];
    ASSERT_TRUE(ComposeProgrammeFromSection(sent.data(), sent.size(), overlay, sizeof overlay));
    // "【Ｎｅｗｓ】" in Shift_JIS.
    EXPECT_EQ(overlay, row.line + "\r\n\x81\x79\x82\x6D\x82\x85\x82\x97\x82\x93\x81\x7A\r\n");
    EXPECT_EQ(standin::ProgrammeWindowText(sent.data(), sent.size()).find(row.line + "\r\n"), 0u);
  }
}
