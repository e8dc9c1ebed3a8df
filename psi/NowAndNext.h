// The present and following programmes of the current service as the user
// sees them (times of day, names in Shift_JIS, minutes left on the broadcast
// clock), and the plain decisions taken on them: what a line says, how long
// a recording to the programme's end runs, when a change of programme is
// worth a notice and when a call for the next programme fires. Nothing here
// keeps a clock of its own or touches the collector: callers hand in copies.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "EventTimes.h"
#include "PsiCollector.h"

// Seconds since 1858-11-17 00:00 (MJD 0), JST.
int64_t BroadcastSeconds(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second);

// The first event of a stored EIT p/f section, field by field as far as it
// is fixed.
struct EventSummary {
  bool known = false;  // the section holds an event
  uint16_t eventId = 0;
  std::optional<EventClock> startTime;     // time of day
  std::optional<int64_t> start;            // needs the date too
  std::optional<int32_t> durationSeconds;  // under 24 hours
  std::string name;                        // Shift_JIS; empty without a readable name
};
EventSummary SummariseEvent(const uint8_t* section, size_t length);
inline EventSummary SummariseEvent(const std::vector<uint8_t>& section) {
  return SummariseEvent(section.data(), section.size());
}

// The TOT clock carried on between TOTs by the caller's millisecond tick.
// A TOT earlier than the last one is taken as it is: the broadcaster's time
// is the one that counts.
class BroadcastClock {
 public:
  // `totCount` counts the TOTs taken so far; only a new count restarts the
  // clock, so that one TOT read twice is not read as the same moment again.
  void Observe(uint32_t totCount, int64_t totSeconds, uint64_t tickMs);
  std::optional<int64_t> Now(uint64_t tickMs) const;

 private:
  bool set_ = false;
  uint32_t totCount_ = 0;
  int64_t totSeconds_ = 0;
  uint64_t tickAtTot_ = 0;
};

// What the stream says about the current service.
struct NowAndNext {
  bool serviceKnown = false;
  uint16_t serviceId = 0;
  EventSummary present, following;
  std::optional<int64_t> now;  // the broadcast clock
};

// The service's copies read as events, the clock observed at `tickMs`. A
// following copy that repeats the present event (left over once the
// following section stopped coming) counts as none.
NowAndNext ReadNowAndNext(uint16_t serviceId, const EventSectionCopies& copies, BroadcastClock& clock,
                          uint64_t tickMs);

// Seconds until the present event ends, from 0 to its duration (a clock set
// back before its start gives the whole duration); none when its end or the
// clock is not known.
std::optional<int32_t> SecondsLeft(const EventSummary& present, std::optional<int64_t> now);

// Minutes for a recording to the end of the present event: the time left
// rounded up, at least 1; none without a present event whose end is known.
std::optional<int32_t> MinutesToEnd(const NowAndNext& stream);

// "19:00-19:54 name あと12分 → 20:00 name": the present event with its time
// left, then the following one; a time that is not fixed reads 未定. False,
// writing an empty text, without a present event. Cut at whole characters.
bool ComposeNowAndNextLine(const NowAndNext& stream, char* text, size_t size);

// "あと12分 次 20:00 name", the overlay's line under the programme: either
// part may be missing; false, writing an empty text, when both are.
bool ComposeNextProgrammeLine(const NowAndNext& stream, char* text, size_t size);

// "20:00-20:54 name": one event, as a notice shows it.
void ComposeEventLine(const EventSummary& event, char* text, size_t size);

// Follows the current service's present event. A new event_id on the same
// service is a change of programme; a new version of the same event, another
// service or a missing event are not.
class ProgrammeChangeWatch {
 public:
  // True once per change of programme.
  bool Observe(const NowAndNext& stream);

 private:
  bool seen_ = false;
  uint16_t serviceId_ = 0;
  uint16_t eventId_ = 0;
};

// A call for the next programme: armed on a service, waiting for the event
// that was the following one then.
struct CallForNext {
  bool armed = false;
  uint16_t serviceId = 0;
  uint16_t awaitedEventId = 0;
};
// Armed when the service and its following event are known; unarmed
// otherwise.
CallForNext ArmCallForNext(const NowAndNext& stream);
enum class CallStep { kWait, kFire, kDisarm };
// Fires when the awaited event is present on the armed service; disarms when
// the viewer is on another service. A programme that runs over keeps its
// event_id and keeps the call waiting.
CallStep DecideCallForNext(const CallForNext& call, const NowAndNext& stream);
