#include "StandInRoutines.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "AribString.h"
#include "EventTimes.h"
#include "SectionDecoders.h"
#include "ShiftJisTexts.h"

namespace standin {

const char* const kSampleStreamLineUp[kChannelCount] = {
    "\x93\x8c\x93\x73\x83\x65\x83\x8c\x83\x72\x82\x50",  // 東都テレビ１
    "\x93\x8c\x93\x73\x83\x65\x83\x8c\x83\x72\x82\x51",  // 東都テレビ２
    "\x91\x53\x92\xca\x8b\xb3\x88\xe7",                  // 全通教育
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    ""};

bool ParseChannelLineUp(const std::string& list, std::string (&names)[kChannelCount]) {
  std::string parsed[kChannelCount];
  size_t start = 0;
  for (int i = 0;; ++i) {
    if (i == kChannelCount) return false;
    const size_t comma = list.find(',', start);
    parsed[i] = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  for (int i = 0; i < kChannelCount; ++i) names[i] = parsed[i];
  return true;
}

std::string FormatStatusText(bool recording, long recordMinutes, long elapsedSeconds) {
  const long length = recording ? recordMinutes * 60 : 0;
  const long elapsed = recording ? elapsedSeconds : 0;
  char text[96];
  std::snprintf(text, sizeof text, "25.3dB 0 0 0 %02ld:%02ld:%02ld %02ld:%02ld:%02ld", length / 3600,
                length / 60 % 60, length % 60, elapsed / 3600, elapsed / 60 % 60, elapsed % 60);
  return text;
}

namespace {

std::string Decode(const ByteField& field) {
  if (field.size == 0) return std::string();
  // Every coded byte gives at most two bytes of Shift_JIS, and a few more
  // for the characters that the decoder spells out.
  std::vector<char> decoded(2 * field.size + 64);
  DecodeAribString(field.data, static_cast<uint32_t>(field.size), decoded.data(),
                   static_cast<uint32_t>(decoded.size()));
  return decoded.data();
}

}  // namespace

std::string ProgrammeWindowText(const uint8_t* section, size_t length) {
  const EitFirstEvent event = DecodeFirstEvent(section, length);
  if (!event.present || !event.hasShortEvent) return std::string();
  const std::string name = Decode(event.shortEvent.eventName);
  if (name.empty()) return std::string();

  // A part that is not fixed reads 未定, as the overlay shows it.
  const std::optional<EventDate> date = EventStartDate(event);
  const std::optional<EventClock> start = EventStartTime(event);
  const std::optional<EventClock> duration = EventDuration(event);
  char text[48];
  std::string times;
  if (date) {
    std::snprintf(text, sizeof text, "%4d/%02d/%02d ", static_cast<int>(date->year),
                  static_cast<int>(date->month), static_cast<int>(date->day));
    times = text;
  } else if (start) {
    times = std::string(sjis::kNotFixed) + " ";
  }
  long startSecond = 0;
  if (start) {
    startSecond = start->hours * 3600L + start->minutes * 60L + start->seconds;
    std::snprintf(text, sizeof text, "%2d:%02d", static_cast<int>(start->hours),
                  static_cast<int>(start->minutes));
    times += text;
  } else {
    times += sjis::kNotFixed;
  }
  // "～" is 0x81 0x60 in Shift_JIS.
  times += " \x81\x60 ";
  if (start && duration) {
    const long end =
        (startSecond + duration->hours * 3600L + duration->minutes * 60L + duration->seconds) % (24 * 3600L);
    std::snprintf(text, sizeof text, "%2ld:%02ld", end / 3600, end / 60 % 60);
    times += text;
  } else {
    times += sjis::kNotFixed;
  }
  // "【" is 0x81 0x79 and "】" 0x81 0x7A in Shift_JIS.
  return times + "\r\n\x81\x79" + name + "\x81\x7A\r\n" + Decode(event.shortEvent.text);
}

}  // namespace standin
