#include "NowAndNext.h"

#include <cstdio>
#include <string>

#include "AribString.h"
#include "MjdToDate.h"
#include "SectionDecoders.h"
#include "ShiftJisCut.h"
#include "ShiftJisTexts.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// A 255-byte name decodes to at most two bytes a coded byte, and a little.
constexpr size_t kDecodedNameSize = 600;

// Days since 1970-01-01 of a Gregorian date (proleptic, any year).
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kMjdOf1970 = 40587;

std::string ClockText(int32_t hours, int32_t minutes) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", static_cast<int>(hours), static_cast<int>(minutes));
  return text;
}

std::string StartText(const EventSummary& event) {
  return event.startTime ? ClockText(event.startTime->hours, event.startTime->minutes) : sjis::kNotFixed;
}

// The end as a time of day; 未定 unless both the start and the duration are fixed.
std::string EndText(const EventSummary& event) {
  if (!event.startTime || !event.durationSeconds) return sjis::kNotFixed;
  const EventClock& start = *event.startTime;
  const int64_t end =
      (start.hours * 3600 + start.minutes * 60 + start.seconds + *event.durationSeconds) % kSecondsPerDay;
  return ClockText(static_cast<int32_t>(end / 3600), static_cast<int32_t>(end / 60 % 60));
}

std::string TimeLeftText(const NowAndNext& stream) {
  const std::optional<int32_t> left = SecondsLeft(stream.present, stream.now);
  if (!left) return "";
  char text[32];
  std::snprintf(text, sizeof text, sjis::kTimeLeftFormat, static_cast<int>((*left + 59) / 60));
  return text;
}

void Append(std::string& text, const std::string& part) {
  if (part.empty()) return;
  if (!text.empty()) text += ' ';
  text += part;
}

bool Finish(const std::string& line, char* text, size_t size) {
  sjis::CopyShiftJisTruncated(text, size, line.c_str());
  return size > 0 && text[0] != '\0';
}

}  // namespace

int64_t BroadcastSeconds(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                         int32_t second) {
  return (DaysFromCivil(year, month, day) + kMjdOf1970) * kSecondsPerDay + int64_t{hour} * 3600 +
         int64_t{minute} * 60 + second;
}

EventSummary SummariseEvent(const uint8_t* section, size_t length) {
  EventSummary summary;
  if (section == nullptr) return summary;
  const EitFirstEvent event = DecodeFirstEvent(section, length);
  if (!event.present) return summary;
  summary.known = true;
  summary.eventId = event.eventId;
  summary.startTime = EventStartTime(event);
  const std::optional<EventDate> date = EventStartDate(event);
  if (date && summary.startTime) {
    summary.start = BroadcastSeconds(date->year, date->month, date->day, summary.startTime->hours,
                                     summary.startTime->minutes, summary.startTime->seconds);
  }
  if (const std::optional<EventClock> duration = EventDuration(event)) {
    summary.durationSeconds = duration->hours * 3600 + duration->minutes * 60 + duration->seconds;
  }
  const ByteField& coded = event.shortEvent.eventName;
  if (event.descriptorsComplete && event.hasShortEvent && !coded.cut && coded.size > 0) {
    char name[kDecodedNameSize];
    DecodeAribString(coded.data, static_cast<uint32_t>(coded.size), name, sizeof name);
    summary.name = name;
  }
  return summary;
}

void BroadcastClock::Observe(uint32_t totCount, int64_t totSeconds, uint64_t tickMs) {
  if (set_ && totCount == totCount_) return;
  set_ = true;
  totCount_ = totCount;
  totSeconds_ = totSeconds;
  tickAtTot_ = tickMs;
}

std::optional<int64_t> BroadcastClock::Now(uint64_t tickMs) const {
  if (!set_) return std::nullopt;
  // A tick from before the TOT (callers that read the tick first) counts as
  // the TOT's own moment.
  const uint64_t elapsed = tickMs >= tickAtTot_ ? tickMs - tickAtTot_ : 0;
  return totSeconds_ + static_cast<int64_t>(elapsed / 1000);
}

NowAndNext ReadNowAndNext(uint16_t serviceId, const EventSectionCopies& copies, BroadcastClock& clock,
                          uint64_t tickMs) {
  NowAndNext stream;
  stream.serviceKnown = true;
  stream.serviceId = serviceId;
  stream.present = SummariseEvent(copies.present);
  stream.following = SummariseEvent(copies.following);
  if (stream.following.known && stream.present.known && stream.following.eventId == stream.present.eventId) {
    stream.following = EventSummary();
  }
  if (copies.clockSet) {
    clock.Observe(
        copies.totCount,
        BroadcastSeconds(copies.year, copies.month, copies.day, copies.hour, copies.minute, copies.second),
        tickMs);
  }
  stream.now = clock.Now(tickMs);
  return stream;
}

std::optional<int32_t> SecondsLeft(const EventSummary& present, std::optional<int64_t> now) {
  if (!present.known || !present.start || !present.durationSeconds || !now) return std::nullopt;
  const int64_t left = *present.start + *present.durationSeconds - *now;
  if (left < 0) return 0;
  if (left > *present.durationSeconds) return *present.durationSeconds;
  return static_cast<int32_t>(left);
}

std::optional<int32_t> MinutesToEnd(const NowAndNext& stream) {
  const std::optional<int32_t> left = SecondsLeft(stream.present, stream.now);
  if (!left) return std::nullopt;
  const int32_t minutes = (*left + 59) / 60;
  return minutes < 1 ? 1 : minutes;
}

void ComposeEventLine(const EventSummary& event, char* text, size_t size) {
  std::string line = StartText(event) + "-" + EndText(event);
  Append(line, event.name);
  Finish(line, text, size);
}

bool ComposeNowAndNextLine(const NowAndNext& stream, char* text, size_t size) {
  if (size > 0) text[0] = '\0';
  if (!stream.present.known) return false;
  std::string line = StartText(stream.present) + "-" + EndText(stream.present);
  Append(line, stream.present.name);
  Append(line, TimeLeftText(stream));
  if (stream.following.known) {
    Append(line, sjis::kFollowingMark);
    Append(line, StartText(stream.following));
    Append(line, stream.following.name);
  }
  return Finish(line, text, size);
}

bool ComposeNextProgrammeLine(const NowAndNext& stream, char* text, size_t size) {
  if (size > 0) text[0] = '\0';
  if (!stream.present.known) return false;
  std::string line = TimeLeftText(stream);
  if (stream.following.known) {
    Append(line, sjis::kNextMark);
    Append(line, StartText(stream.following));
    Append(line, stream.following.name);
  }
  return Finish(line, text, size);
}

bool ProgrammeChangeWatch::Observe(const NowAndNext& stream) {
  if (!stream.serviceKnown || !stream.present.known) return false;
  const bool sameService = seen_ && serviceId_ == stream.serviceId;
  const bool changed = sameService && eventId_ != stream.present.eventId;
  seen_ = true;
  serviceId_ = stream.serviceId;
  eventId_ = stream.present.eventId;
  return changed;
}

CallForNext ArmCallForNext(const NowAndNext& stream) {
  CallForNext call;
  if (!stream.serviceKnown || !stream.following.known) return call;
  call.armed = true;
  call.serviceId = stream.serviceId;
  call.awaitedEventId = stream.following.eventId;
  return call;
}

CallStep DecideCallForNext(const CallForNext& call, const NowAndNext& stream) {
  if (!call.armed) return CallStep::kWait;
  if (!stream.serviceKnown || stream.serviceId != call.serviceId) return CallStep::kDisarm;
  if (stream.present.known && stream.present.eventId == call.awaitedEventId) return CallStep::kFire;
  return CallStep::kWait;
}
