// The overlay's geometry, its texts and the programme text read from real
// EIT sections.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "OverlayLayout.h"
#include "SectionDecoders.h"
#include "TsWriter.h"

namespace {

// Shift_JIS pieces of the programme text.
const std::string kWaveDash = "\x81\x60";      // ～
const std::string kOpenBracket = "\x81\x79";   // 【
const std::string kCloseBracket = "\x81\x7A";  // 】
// Latin letters decode to their full-width forms: "News" and "Drama".
const std::string kWideNews = "\x82\x6D\x82\x85\x82\x97\x82\x93";
const std::string kWideDrama = "\x82\x63\x82\x92\x82\x81\x82\x8D\x82\x81";
const std::string kWideA = "\x82\x60";

tsmux::EventInfo MakeEvent(int hour, int minute, int second, int durationSeconds, const std::string& name) {
  tsmux::EventInfo event{};
  event.eventId = 0x1234;
  event.startMjd = tsmux::DateToMjd(2026, 12, 8);
  event.startHour = hour;
  event.startMinute = minute;
  event.startSecond = second;
  event.durationSeconds = durationSeconds;
  event.name = tsmux::EncodeAribText(name);
  event.text = tsmux::EncodeAribText("Text");
  return event;
}

tsmux::Bytes PresentSection(const tsmux::EventInfo& event) {
  return tsmux::BuildEitPresentFollowing(0x0401, 1, 0, 0x7FE0, 0x7FE0, &event);
}

std::string Compose(const tsmux::Bytes& section, bool* ok = nullptr) {
  char text[1024];
  std::memset(text, 'x', sizeof text);
  const bool result = ComposeProgrammeFromSection(section.data(), section.size(), text, sizeof text);
  if (ok) *ok = result;
  return text;
}

// Offset of the first short event descriptor in a section built above: its
// tag, length, language code and name length stand before the event name.
size_t ShortEventOffset(const tsmux::Bytes& section) {
  const EitFirstEvent event = DecodeFirstEvent(section.data(), section.size());
  if (!event.hasShortEvent) return 0;
  return static_cast<size_t>(event.shortEvent.eventName.data - section.data()) - 6;
}

}  // namespace

// ---- Placement over the video window ----

TEST(OverlayPlacement, HdVideoAtOrigin) {
  const OverlayPlacement p = PlaceOverlayOverVideo(0, 0, 1280, 720);
  EXPECT_EQ(18, p.x);
  EXPECT_EQ(10, p.y);
  EXPECT_EQ(1244, p.width);
  EXPECT_EQ(144, p.height);
}

TEST(OverlayPlacement, FollowsTheVideoWindowOrigin) {
  const OverlayPlacement p = PlaceOverlayOverVideo(100, 50, 640, 360);
  EXPECT_EQ(100 + 9, p.x);
  EXPECT_EQ(50 + 72 / 14, p.y);
  EXPECT_EQ(640 - 18, p.width);
  EXPECT_EQ(72, p.height);
}

TEST(OverlayPlacement, NarrowVideoHasNoMargin) {
  const OverlayPlacement p = PlaceOverlayOverVideo(10, 20, 69, 69);
  EXPECT_EQ(10, p.x);
  EXPECT_EQ(69, p.width);
  EXPECT_EQ(13, p.height);
  EXPECT_EQ(20, p.y);  // (69/5)/14 = 0
}

// ---- Item rectangles ----

// The overlay stays up only over a video window that can be seen.
TEST(OverlayRules, TicksAndRequestsFollowTheVideoWindowOnTheScreen) {
  AnchorState onScreen, hidden, minimised, gone;
  onScreen.exists = hidden.exists = minimised.exists = true;
  onScreen.visible = minimised.visible = true;
  minimised.minimised = true;
  const struct {
    int32_t countdown = 0;
    AnchorState anchor;
    OverlayTick tick = OverlayTick::kNothing;
  } ticks[] = {
      {0, onScreen, OverlayTick::kNothing}, {-1, gone, OverlayTick::kNothing},
      {1, onScreen, OverlayTick::kHide},    {2, onScreen, OverlayTick::kPlace},
      {5, hidden, OverlayTick::kHide},      {5, minimised, OverlayTick::kHide},
      {5, gone, OverlayTick::kHide},
  };
  for (const auto& row : ticks) {
    EXPECT_EQ(row.tick, DecideOverlayTick(row.countdown, row.anchor)) << row.countdown;
  }
  const struct {
    int32_t show = 0, permitted = 0;
    bool videoKnown = false;
    AnchorState video;
    int32_t countdown = 0;
    OverlayRequest request = OverlayRequest::kIgnore;
  } requests[] = {
      {0, 1, true, onScreen, 3, OverlayRequest::kHide}, {1, 0, true, onScreen, 3, OverlayRequest::kIgnore},
      {1, 1, false, gone, 3, OverlayRequest::kHide},    {1, 1, false, gone, 0, OverlayRequest::kIgnore},
      {1, 1, true, hidden, 3, OverlayRequest::kIgnore}, {1, 1, true, minimised, 0, OverlayRequest::kIgnore},
      {1, 1, true, onScreen, 0, OverlayRequest::kShow},
  };
  for (const auto& row : requests) {
    EXPECT_EQ(row.request,
              DecideOverlayRequest(row.show, row.permitted, row.videoKnown, row.video, row.countdown));
  }
}

TEST(OverlayItems, DivisionsTruncateInTheWrittenOrder) {
  // (H/8)*12 is not 12*H/8: 100/8 = 12, so 144 and not 150.
  EXPECT_EQ(144, OverlayTextColumn(100));
  EXPECT_EQ(540 + 144, OverlayClockColumn(100));
}

TEST(OverlayItems, RectanglesForAnHdOverlay) {
  const int32_t h = 144, right = 1244;
  const OverlayItemLayout channel = ChannelItemLayout(h);
  EXPECT_EQ(0, channel.erase.left);
  EXPECT_EQ(324, channel.erase.right);
  EXPECT_EQ(40, channel.erase.bottom);
  EXPECT_EQ(36, channel.fontHeight);
  EXPECT_EQ(kOverlayGreen, channel.colour);

  const OverlayItemLayout programme = ProgrammeItemLayout(h, right);
  EXPECT_EQ(216, programme.erase.left);
  EXPECT_EQ(31, programme.erase.top);
  EXPECT_EQ(right, programme.erase.right);
  EXPECT_EQ(91, programme.erase.bottom);
  EXPECT_EQ(28, programme.fontHeight);
  EXPECT_EQ(216, programme.originX);
  EXPECT_EQ(31, programme.originY);

  const OverlayItemLayout recording = RecordingItemLayout(h, kOverlayRed);
  EXPECT_EQ(39, recording.erase.top);
  EXPECT_EQ(172, recording.erase.right);
  EXPECT_EQ(101, recording.erase.bottom);
  EXPECT_EQ(39, recording.originY);
  EXPECT_EQ(kOverlayRed, recording.colour);
  EXPECT_EQ(39 + 28 + 3, RecordingTimeLineY(h));

  const OverlayItemLayout clock = ClockItemLayout(h, right);
  EXPECT_EQ(993, clock.erase.left);
  EXPECT_EQ(right, clock.erase.right);
  EXPECT_EQ(30, clock.erase.bottom);
  EXPECT_EQ(993, clock.originX);
}

TEST(OverlayItems, StatusBarDivisorIsLimitedToTwoToTen) {
  int32_t d = 0;
  ASSERT_TRUE(StatusBarWidthDivisor(144, 20, &d));  // 777/20 = 38, 54/38 = 1
  EXPECT_EQ(2, d);
  ASSERT_TRUE(StatusBarWidthDivisor(144, 100, &d));  // 777/100 = 7, 54/7 = 7
  EXPECT_EQ(7, d);
  ASSERT_TRUE(StatusBarWidthDivisor(144, 200, &d));  // 3, 54/3 = 18
  EXPECT_EQ(10, d);
}

TEST(OverlayItems, StatusBarWithoutDefinedDivisorIsSkipped) {
  int32_t d = -1;
  EXPECT_FALSE(StatusBarWidthDivisor(144, 0, &d));    // empty text
  EXPECT_FALSE(StatusBarWidthDivisor(144, 778, &d));  // 777/778 = 0
  EXPECT_FALSE(StatusBarWidthDivisor(10, 255, &d));   // 54/255 = 0
  EXPECT_FALSE(StatusBarWidthDivisor(0, 5, &d));      // no height
  EXPECT_EQ(-1, d);
  OverlayItemLayout layout{};
  EXPECT_FALSE(StatusBarItemLayout(144, 0, &layout));
}

TEST(OverlayItems, StatusBarRectangleGrowsWithTheText) {
  OverlayItemLayout layout{};
  ASSERT_TRUE(StatusBarItemLayout(144, 100, &layout));
  EXPECT_EQ(216, layout.erase.left);
  EXPECT_EQ(216 + 2 * ((104 * 144) / 7), layout.erase.right);
  EXPECT_EQ(144 / 7 + 4, layout.erase.bottom);
  EXPECT_EQ(24, layout.fontHeight);
}

// ---- End time ----

TEST(OverlayEventEnd, WrapsPastMidnightOnce) {
  int32_t hour = -1, minute = -1;
  ComputeEventEnd(23, 30, 0, 1, 0, 0, &hour, &minute);
  EXPECT_EQ(0, hour);
  EXPECT_EQ(30, minute);
}

TEST(OverlayEventEnd, SecondsCarryIntoTheMinute) {
  int32_t hour = -1, minute = -1;
  ComputeEventEnd(10, 59, 30, 0, 0, 30, &hour, &minute);
  EXPECT_EQ(11, hour);
  EXPECT_EQ(0, minute);
  ComputeEventEnd(10, 20, 29, 0, 0, 30, &hour, &minute);
  EXPECT_EQ(10, hour);
  EXPECT_EQ(20, minute);
}

TEST(OverlayEventEnd, MinuteAndSecondCarriesReachTheNextDay) {
  int32_t hour = -1, minute = -1;
  ComputeEventEnd(23, 59, 59, 0, 0, 1, &hour, &minute);
  EXPECT_EQ(0, hour);
  EXPECT_EQ(0, minute);
  ComputeEventEnd(22, 45, 0, 1, 30, 0, &hour, &minute);
  EXPECT_EQ(0, hour);
  EXPECT_EQ(15, minute);
}

// ---- Programme text from a stored EIT section ----

TEST(OverlayProgramme, LateEventEndsAfterMidnightWithLeadingSpace) {
  bool ok = false;
  const std::string text = Compose(PresentSection(MakeEvent(23, 30, 0, 3600, "News")), &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(
      "2026/12/08 23:30 " + kWaveDash + "  0:30\r\n" + kOpenBracket + kWideNews + kCloseBracket + "\r\n",
      text);
}

TEST(OverlayProgramme, ShortEventCarriesSeconds) {
  const std::string text = Compose(PresentSection(MakeEvent(10, 59, 30, 30, "News")));
  EXPECT_EQ(0u, text.find("2026/12/08 10:59 " + kWaveDash + " 11:00\r\n")) << text;
}

TEST(OverlayProgramme, KanjiNameDecodesToShiftJis) {
  // ニュース
  const std::string text =
      Compose(PresentSection(MakeEvent(9, 0, 0, 600, "\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9")));
  EXPECT_NE(std::string::npos, text.find(kOpenBracket + "\x83\x6A\x83\x85\x81\x5B\x83\x58" + kCloseBracket))
      << text;
}

TEST(OverlayProgramme, TwoLineCutDropsTheFinalBreak) {
  char text[1024];
  const tsmux::Bytes section = PresentSection(MakeEvent(20, 0, 0, 1800, "Drama"));
  ASSERT_TRUE(ComposeProgrammeFromSection(section.data(), section.size(), text, sizeof text));
  CutAfterSecondLine(text);
  EXPECT_EQ("2026/12/08 20:00 " + kWaveDash + " 20:30\r\n" + kOpenBracket + kWideDrama + kCloseBracket,
            std::string(text));
}

TEST(OverlayProgramme, SectionWithoutEventGivesNoText) {
  const tsmux::Bytes empty = tsmux::BuildEitPresentFollowing(0x0401, 1, 0, 0x7FE0, 0x7FE0, nullptr);
  bool ok = true;
  EXPECT_EQ("", Compose(empty, &ok));
  EXPECT_FALSE(ok);
}

TEST(OverlayProgramme, EmptyEventNameGivesNoText) {
  tsmux::EventInfo event = MakeEvent(9, 0, 0, 600, "");
  bool ok = true;
  EXPECT_EQ("", Compose(PresentSection(event), &ok));
  EXPECT_FALSE(ok);
}

TEST(OverlayProgramme, NoShortEventDescriptorGivesNoText) {
  tsmux::Bytes section = PresentSection(MakeEvent(9, 0, 0, 600, "News"));
  const size_t at = ShortEventOffset(section);
  ASSERT_NE(0u, at);
  section[at] = 0x4E;  // now an extended event descriptor
  EXPECT_EQ("", Compose(section));
}

// ---- Bad input: nothing read outside the section ----

TEST(OverlayProgrammeBadInput, NameLengthPastTheSectionGivesNoText) {
  tsmux::Bytes section = PresentSection(MakeEvent(9, 0, 0, 600, "News"));
  const size_t at = ShortEventOffset(section);
  ASSERT_NE(0u, at);
  section[at + 5] = 0xFF;
  bool ok = true;
  EXPECT_EQ("", Compose(section, &ok));
  EXPECT_FALSE(ok);
}

TEST(OverlayProgrammeBadInput, DescriptorLoopPastTheSectionGivesNoText) {
  tsmux::Bytes section = PresentSection(MakeEvent(9, 0, 0, 600, "News"));
  section[24] = static_cast<uint8_t>((section[24] & 0xF0) | 0x0F);
  section[25] = 0xFF;
  EXPECT_EQ("", Compose(section));
}

TEST(OverlayProgrammeBadInput, EveryTruncationStaysInside) {
  const tsmux::Bytes whole = PresentSection(MakeEvent(9, 0, 0, 600, "News"));
  for (size_t length = 0; length < whole.size(); ++length) {
    // An exactly sized heap copy, so that a sanitizer build sees any overread.
    std::vector<uint8_t> cut(whole.data(), whole.data() + length);
    char text[1024];
    const bool ok = ComposeProgrammeFromSection(length ? cut.data() : nullptr, length, text, sizeof text);
    if (!ok) {
      EXPECT_STREQ("", text) << length;
    }
  }
}

TEST(OverlayProgrammeBadInput, LongNameIsCutToItsBuffer) {
  // 230 letters code as 233 bytes (after ESC ( J) but decode to 460 bytes of
  // full-width letters: the name is cut to the n + 20 bytes given.
  const tsmux::EventInfo event = MakeEvent(9, 0, 0, 600, std::string(230, 'A'));
  const size_t n = event.name.size();
  bool ok = false;
  const std::string text = Compose(PresentSection(event), &ok);
  ASSERT_TRUE(ok);
  const size_t open = text.find(kOpenBracket);
  const size_t close = text.rfind(kCloseBracket);
  ASSERT_NE(std::string::npos, open);
  ASSERT_NE(std::string::npos, close);
  const std::string name = text.substr(open + 2, close - open - 2);
  EXPECT_LE(name.size(), n + 19);
  EXPECT_GE(name.size(), n);
  EXPECT_EQ(0u, name.find(kWideA + kWideA));
}

TEST(OverlayProgrammeBadInput, SmallDestinationIsCutNotOverrun) {
  const tsmux::Bytes section = PresentSection(MakeEvent(9, 0, 0, 600, "News"));
  char text[12];
  std::memset(text, 'x', sizeof text);
  ComposeProgrammeFromSection(section.data(), section.size(), text, 10);
  EXPECT_EQ('\0', text[9]);
  EXPECT_EQ('x', text[10]);
}

// ---- Small texts ----

TEST(OverlayTexts, CutKeepsAtMostTwoLines) {
  char three[] = "a\r\nb\r\nc";
  CutAfterSecondLine(three);
  EXPECT_STREQ("a\r\nb", three);
  char two[] = "a\r\nb";
  CutAfterSecondLine(two);
  EXPECT_STREQ("a\r\nb", two);
  char emptySecond[] = "a\r\n\r\nz";
  CutAfterSecondLine(emptySecond);
  EXPECT_STREQ("a\r\n", emptySecond);
  char none[] = "";
  CutAfterSecondLine(none);
  EXPECT_STREQ("", none);
}

// The clock, and the recording-time line: set length before the elapsed time.
TEST(OverlayTexts, ClockAndRecordingTimeLine) {
  const struct {
    int32_t numbers[4];
    const char* line;
  } rows[] = {
      {{0, 30, 0, 12}, "00:30/00:12"},
      {{1, 2, 3, 4}, "01:02/03:04"},
      {{123, 0, 5, 60}, "123:00/05:60"},
  };
  char text[32];
  for (const auto& row : rows) {
    FormatRecordingTimeLine(row.numbers[0], row.numbers[1], row.numbers[2], row.numbers[3], text,
                            sizeof text);
    EXPECT_STREQ(row.line, text);
  }
  FormatOverlayClock(9, 5, 0, text, sizeof text);
  EXPECT_STREQ("09:05:00", text);
}

TEST(OverlayTexts, StoppedMarkerWinsOverBusyInGreen) {
  EXPECT_STREQ("\x98\x5E\x89\xE6\x92\xE2\x8E\x7E", RecordingLabel(1, 1));  // 録画停止
  EXPECT_EQ(kOverlayGreen, RecordingLabelColour(1, 1));
  EXPECT_STREQ("\x98\x5E\x89\xE6\x92\x86", RecordingLabel(1, 0));  // 録画中
  EXPECT_EQ(kOverlayRed, RecordingLabelColour(1, 0));
  EXPECT_STREQ("", RecordingLabel(0, 0));
  EXPECT_EQ(kOverlayBlack, RecordingLabelColour(0, 0));
}

TEST(OverlayTexts, NextProgrammeIsAThirdLineOnlyUnderAProgramme) {
  const std::string two = "2026/12/08 19:00 \x81\x60 19:54\r\nNews";
  const struct {
    const char* name;
    std::string programme, next;
    size_t size;
    std::string expected;
  } rows[] = {
      {"no next line", two + "\r\n", "", 1024, two},
      {"a third line", two + "\r\n", "next", 1024, two + "\r\nnext"},
      {"three lines given", two + "\r\nmore\r\n", "next", 1024, two + "\r\nnext"},
      {"one line with its break", "Only\r\n", "next", 1024, "Only\r\nnext"},
      {"no programme", "", "next", 1024, ""},
      {"cut in the next line", two, "\x83\x6a\x83\x6a", two.size() + 2 + 3 + 1, two + "\r\n\x83\x6a"},
      {"no room for the break", two, "next", two.size() + 2, two},
  };
  for (const auto& row : rows) {
    std::vector<char> text(row.size, '\x7f');
    ComposeProgrammeItemText(row.programme.c_str(), row.next.c_str(), text.data(), text.size());
    EXPECT_EQ(std::string(text.data()), row.expected) << row.name;
  }
  const OverlayItemLayout twoLines = ProgrammeItemLayoutForLines(100, 500, 2);
  const OverlayItemLayout threeLines = ProgrammeItemLayoutForLines(100, 500, 3);
  EXPECT_EQ(twoLines.erase.bottom, ProgrammeItemLayout(100, 500).erase.bottom);
  EXPECT_EQ(threeLines.erase.bottom, twoLines.erase.bottom + 24);
  EXPECT_EQ(threeLines.originY, twoLines.originY);
}
