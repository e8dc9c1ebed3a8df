// When an EIT event starts and how long it lasts, field by field. A start or
// a duration that is not fixed yet (a live programme that may run over, and
// the one after it) is sent as all ones; a field that holds no date or time
// of day is taken as not fixed too, so that nothing shows a made-up number.
#pragma once
#include <cstdint>
#include <optional>

#include "SectionDecoders.h"

struct EventDate {
  int32_t year, month, day;
};

// Hours 0-23, minutes and seconds 0-59: a time of day, or a duration.
struct EventClock {
  int32_t hours, minutes, seconds;
};

// The start date; none for an MJD of 0xFFFF.
std::optional<EventDate> EventStartDate(const EitFirstEvent& event);
// The start time of day; none unless all six digits are BCD and in range.
std::optional<EventClock> EventStartTime(const EitFirstEvent& event);
// The duration, by the same rule as the start time: one of 24 hours or more
// is not taken as fixed either.
std::optional<EventClock> EventDuration(const EitFirstEvent& event);
