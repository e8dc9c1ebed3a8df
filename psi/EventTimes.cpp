#include "EventTimes.h"

#include "MjdToDate.h"

namespace {

constexpr uint16_t kMjdNotFixed = 0xFFFF;

bool IsBcd(uint8_t value) { return (value >> 4) <= 9 && (value & 0x0F) <= 9; }

// hh mm ss in BCD; all ones (not fixed) fails the BCD test.
std::optional<EventClock> ClockFromBcd(const uint8_t (&digits)[3]) {
  for (uint8_t value : digits) {
    if (!IsBcd(value)) return std::nullopt;
  }
  const EventClock clock{BcdToInt(digits[0]), BcdToInt(digits[1]), BcdToInt(digits[2])};
  if (clock.hours > 23 || clock.minutes > 59 || clock.seconds > 59) return std::nullopt;
  return clock;
}

}  // namespace

std::optional<EventDate> EventStartDate(const EitFirstEvent& event) {
  if (event.startMjd == kMjdNotFixed) return std::nullopt;
  EventDate date{};
  MjdToDate(event.startMjd, &date.year, &date.month, &date.day);
  return date;
}

std::optional<EventClock> EventStartTime(const EitFirstEvent& event) { return ClockFromBcd(event.startTime); }

std::optional<EventClock> EventDuration(const EitFirstEvent& event) { return ClockFromBcd(event.duration); }
