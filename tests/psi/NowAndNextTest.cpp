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
  const Bytes news = Section(Event(1, 19, 0, 54, "News"), 0);
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

}  // namespace
