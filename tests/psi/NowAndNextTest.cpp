// The present and following events as the plug-in reads them out of real EIT
// sections and a TOT clock: minutes left, the lines the user sees, and the
// decisions on programme changes and on calls for the next programme.
#include <gtest/gtest.h>

#include <string>

#include "NowAndNext.h"
#include "PsiTestStreams.h"

using namespace psitest;

namespace {

const uint16_t kDay = tsmux::DateToMjd(2026, 12, 8);
constexpr uint16_t kService = 0x0401;

// Byte offsets in an EIT p/f section of the first event's start and duration.
constexpr size_t kStartMjdAt = 16, kStartTimeAt = 18, kDurationAt = 21;

tsmux::EventInfo Event(uint16_t eventId, int hour, int minute, int durationMinutes, const std::string& name) {
  tsmux::EventInfo event;
  event.eventId = eventId;
  event.startMjd = kDay;
  event.startHour = hour;
  event.startMinute = minute;
  event.durationSeconds = durationMinutes * 60;
  event.name = tsmux::EncodeAribText(name);
  return event;
}

Bytes Section(const tsmux::EventInfo& event, uint8_t number) { return Eit(kService, number, 1, &event); }

// The clock read at `hour:minute:second` of the same day, `tickMs` after it.
NowAndNext Read(const Bytes& present, const Bytes& following, int hour, int minute, int second = 0,
                bool clockSet = true) {
  EventSectionCopies copies;
  copies.present = present;
  copies.following = following;
  copies.clockSet = clockSet;
  copies.year = 2026, copies.month = 12, copies.day = 8;
  copies.hour = hour, copies.minute = minute, copies.second = second;
  copies.totCount = 1;
  BroadcastClock clock;
  return ReadNowAndNext(kService, copies, clock, 0);
}

Bytes Patched(Bytes section, size_t at, std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) section[at++] = b;
  return section;
}

TEST(NowAndNext, MinutesToTheEndOfThePresentEvent) {
  const Bytes news = Section(Event(1, 19, 0, 54, "ニュース"), 0);
  struct Case {
    const char* name;
    Bytes present;
    int hour, minute, second;
    bool clockSet;
    int expected;  // -1: no recording length
  };
  const Case cases[] = {
      {"twelve minutes", news, 19, 42, 0, true, 12},
      {"a second over eleven rounds up", news, 19, 42, 1, true, 12},
      {"the last half minute", news, 19, 53, 30, true, 1},
      {"at the end: at least one", news, 19, 54, 0, true, 1},
      {"running over", news, 20, 10, 0, true, 1},
      {"clock set back before the start", news, 18, 0, 0, true, 54},
      {"clock unknown", news, 19, 42, 0, false, -1},
      {"no present event", Bytes(), 19, 42, 0, true, -1},
      {"duration not fixed", Patched(news, kDurationAt, {0xFF, 0xFF, 0xFF}), 19, 42, 0, true, -1},
      {"start not fixed", Patched(news, kStartTimeAt, {0xFF, 0xFF, 0xFF}), 19, 42, 0, true, -1},
      {"date not fixed", Patched(news, kStartMjdAt, {0xFF, 0xFF}), 19, 42, 0, true, -1},
      {"hour 25", Patched(news, kStartTimeAt, {0x25, 0x00, 0x00}), 19, 42, 0, true, -1},
      {"duration minute 61", Patched(news, kDurationAt, {0x00, 0x61, 0x00}), 19, 42, 0, true, -1},
      {"cut section", Bytes(news.begin(), news.begin() + 20), 19, 42, 0, true, -1},
  };
  for (const Case& c : cases) {
    const std::optional<int32_t> minutes =
        MinutesToEnd(Read(c.present, Bytes(), c.hour, c.minute, c.second, c.clockSet));
    EXPECT_EQ(minutes.value_or(-1), c.expected) << c.name;
  }
}

std::string Line(const NowAndNext& stream, bool (*compose)(const NowAndNext&, char*, size_t),
                 size_t size = 128) {
  std::string text(size, '\x7f');
  compose(stream, text.data(), size);
  return text.c_str();
}

TEST(NowAndNext, LinesTheUserSees) {
  const Bytes news = Section(Event(1, 19, 0, 54, "ニュース"), 0);
  const Bytes drama = Section(Event(2, 20, 0, 54, "ドラマ"), 1);
  const std::string left =
      "\x82\xa0\x82\xc6"
      "12\x95\xaa";                                              // あと12分
  const std::string arrow = "\x81\xa8";                          // →
  const std::string next = "\x8e\x9f";                           // 次
  const std::string notFixed = "\x96\xa2\x92\xe8";               // 未定
  const std::string kNews = "\x83\x6a\x83\x85\x81\x5b\x83\x58";  // ニュース
  const std::string kDrama = "\x83\x68\x83\x89\x83\x7d";         // ドラマ
  struct Case {
    const char* name;
    Bytes present, following;
    std::string tip, overlay;
  };
  const Case cases[] = {
      {"both", news, drama, "19:00-19:54 " + kNews + " " + left + " " + arrow + " 20:00 " + kDrama,
       left + " " + next + " 20:00 " + kDrama},
      {"no following section", news, Bytes(), "19:00-19:54 " + kNews + " " + left, left},
      {"following repeats the present", news, Section(Event(1, 19, 0, 54, "ニュース"), 1),
       "19:00-19:54 " + kNews + " " + left, left},
      {"no present event", Bytes(), drama, "", ""},
      {"duration not fixed", Patched(news, kDurationAt, {0xFF, 0xFF, 0xFF}), drama,
       "19:00-" + notFixed + " " + kNews + " " + arrow + " 20:00 " + kDrama, next + " 20:00 " + kDrama},
      {"start not fixed", Patched(news, kStartTimeAt, {0xFF, 0xFF, 0xFF}),
       Patched(drama, kStartTimeAt, {0xFF, 0xFF, 0xFF}),
       notFixed + "-" + notFixed + " " + kNews + " " + arrow + " " + notFixed + " " + kDrama,
       next + " " + notFixed + " " + kDrama},
      {"minute 60", Patched(news, kStartTimeAt, {0x19, 0x60, 0x00}), drama,
       notFixed + "-" + notFixed + " " + kNews + " " + arrow + " 20:00 " + kDrama, next + " 20:00 " + kDrama},
      // The clock stands before the start: the whole duration is left.
      {"across midnight", Section(Event(1, 23, 30, 60, "ドラマ"), 0), Bytes(),
       "23:30-00:30 " + kDrama +
           " \x82\xa0\x82\xc6"
           "60\x95\xaa",
       "\x82\xa0\x82\xc6"
       "60\x95\xaa"},
  };
  for (const Case& c : cases) {
    const NowAndNext stream = Read(c.present, c.following, 19, 42);
    EXPECT_EQ(Line(stream, ComposeNowAndNextLine), c.tip) << c.name;
    EXPECT_EQ(Line(stream, ComposeNextProgrammeLine), c.overlay) << c.name;
  }
}

// A stream of one service with a present event of `eventId` (0: none).
NowAndNext OnService(uint16_t serviceId, uint16_t eventId) {
  NowAndNext stream;
  stream.serviceKnown = true;
  stream.serviceId = serviceId;
  stream.present.known = eventId != 0;
  stream.present.eventId = eventId;
  return stream;
}

TEST(NowAndNext, AChangeOfProgrammeIsANewEventOnTheSameService) {
  const struct {
    uint16_t service, event;
    bool change;
  } steps[] = {
      {1, 10, false},                                  // the first sight
      {1, 10, false},                                  // the same event again
      {1, 11, true},  {1, 11, false}, {2, 20, false},  // tuned elsewhere
      {2, 0, false},                                   // no present event for a while
      {2, 21, true},  {1, 11, false},                  // back again: another tuning
  };
  ProgrammeChangeWatch watch;
  int step = 0;
  for (const auto& s : steps) EXPECT_EQ(watch.Observe(OnService(s.service, s.event)), s.change) << step++;
}

TEST(NowAndNext, TheCallFiresOnTheBroadcastersSwitchToTheAwaitedEvent) {
  NowAndNext armedOn = OnService(1, 10);
  armedOn.following.known = true;
  armedOn.following.eventId = 11;
  const CallForNext call = ArmCallForNext(armedOn);
  ASSERT_TRUE(call.armed);
  NowAndNext unknownFollowing = OnService(1, 10);
  EXPECT_FALSE(ArmCallForNext(unknownFollowing).armed);
  const struct {
    const char* name = nullptr;
    NowAndNext stream;
    CallStep step = CallStep::kWait;
  } rows[] = {
      {"still the programme armed on", OnService(1, 10), CallStep::kWait},
      {"no present event", OnService(1, 0), CallStep::kWait},
      {"another programme than the awaited", OnService(1, 12), CallStep::kWait},
      {"the awaited programme", OnService(1, 11), CallStep::kFire},
      {"its event id on another service", OnService(2, 11), CallStep::kDisarm},
      {"no service", NowAndNext(), CallStep::kDisarm},
  };
  for (const auto& row : rows) EXPECT_EQ(DecideCallForNext(call, row.stream), row.step) << row.name;
  EXPECT_EQ(DecideCallForNext(CallForNext(), OnService(1, 11)), CallStep::kWait);
}

TEST(NowAndNext, TheClockRunsOnBetweenTotsAndTakesEachNewOne) {
  const int64_t seven = BroadcastSeconds(2026, 12, 8, 19, 0, 0);
  EXPECT_EQ(BroadcastSeconds(2026, 12, 9, 0, 0, 0) - BroadcastSeconds(2026, 12, 8, 23, 59, 59), 1);
  EXPECT_EQ(BroadcastSeconds(1858, 11, 17, 0, 0, 0), 0);  // MJD 0
  const struct {
    const char* name;
    uint32_t totCount;
    int64_t totSeconds;
    uint64_t tickMs;  // of the observation and of the reading
    int64_t now;
  } steps[] = {
      {"the first TOT", 1, seven, 1000, seven},
      {"read again 4.9 s later", 1, seven, 5900, seven + 4},
      {"the same TOT seen later is not a new moment", 1, seven, 9000, seven + 8},
      {"a new TOT", 2, seven + 10, 11000, seven + 10},
      {"a TOT set back", 3, seven - 3600, 12000, seven - 3600},
      {"a tick from before the TOT", 3, seven - 3600, 11000, seven - 3600},
  };
  BroadcastClock clock;
  EXPECT_FALSE(clock.Now(0).has_value());
  for (const auto& step : steps) {
    clock.Observe(step.totCount, step.totSeconds, step.tickMs);
    EXPECT_EQ(clock.Now(step.tickMs).value_or(-1), step.now) << step.name;
  }
}

}  // namespace
