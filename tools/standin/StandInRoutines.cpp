#include "StandInRoutines.h"

#include <cstdio>
#include <vector>

#include "AribString.h"
#include "MjdToDate.h"
#include "SectionDecoders.h"

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

  int32_t year = 0, month = 0, day = 0;
  MjdToDate(event.startMjd, &year, &month, &day);
  const long start = BcdToInt(event.startTime[0]) * 3600L + BcdToInt(event.startTime[1]) * 60L +
                     BcdToInt(event.startTime[2]);
  const long end = (start + BcdToInt(event.duration[0]) * 3600L + BcdToInt(event.duration[1]) * 60L +
                    BcdToInt(event.duration[2])) %
                   (24 * 3600L);
  // "～" is 0x81 0x60, "【" 0x81 0x79 and "】" 0x81 0x7A in Shift_JIS.
  char times[64];
  std::snprintf(times, sizeof times, "%4d/%02d/%02d %2ld:%02ld \x81\x60 %2ld:%02ld", static_cast<int>(year),
                static_cast<int>(month), static_cast<int>(day), start / 3600, start / 60 % 60, end / 3600,
                end / 60 % 60);
  return std::string(times) + "\r\n\x81\x79" + name + "\x81\x7A\r\n" + Decode(event.shortEvent.text);
}

}  // namespace standin
