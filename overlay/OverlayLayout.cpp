#include "OverlayLayout.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include "AribString.h"
#include "EventTimes.h"
#include "SectionDecoders.h"
#include "ShiftJisCut.h"
#include "ShiftJisTexts.h"

const int32_t kOverlayPaintOrder[kOverlayItemCount] = {0x01, 0x04, 0x08, 0x02, 0x10};

OverlayPlacement PlaceOverlayOverVideo(int32_t left, int32_t top, int32_t width, int32_t height) {
  const int32_t margin = width / 70;
  OverlayPlacement placement{};
  placement.x = left + margin;
  placement.y = top + (height / 5) / 14;
  placement.width = width - 2 * margin;
  placement.height = height / 5;
  return placement;
}

bool IsAnchorOnScreen(const AnchorState& anchor) {
  return anchor.exists && anchor.visible && !anchor.minimised;
}

OverlayTick DecideOverlayTick(int32_t countdown, const AnchorState& anchor) {
  if (countdown <= 0) return OverlayTick::kNothing;
  if (!IsAnchorOnScreen(anchor) || countdown == 1) return OverlayTick::kHide;
  return OverlayTick::kPlace;
}

OverlayRequest DecideOverlayRequest(int32_t show, int32_t permitted, bool videoKnown,
                                    const AnchorState& video, int32_t countdown) {
  if (!show) return OverlayRequest::kHide;
  if (!permitted) return OverlayRequest::kIgnore;
  if (!videoKnown) return countdown > 0 ? OverlayRequest::kHide : OverlayRequest::kIgnore;
  if (!IsAnchorOnScreen(video)) return OverlayRequest::kIgnore;
  return OverlayRequest::kShow;
}

int32_t OverlayTextColumn(int32_t clientHeight) { return (clientHeight / 8) * 12; }

int32_t OverlayClockColumn(int32_t clientHeight) {
  return (54 * clientHeight) / 10 + (clientHeight / 8) * 12;
}

OverlayItemLayout ChannelItemLayout(int32_t clientHeight) {
  const int32_t h = clientHeight;
  return {{0, 0, (18 * h) / 8, h / 4 + 4}, h / 4, 0, 0, kOverlayGreen};
}

OverlayItemLayout ProgrammeItemLayout(int32_t clientHeight, int32_t clientRight) {
  const int32_t h = clientHeight;
  const int32_t x = OverlayTextColumn(h);
  return {{x, h / 5 + 3, clientRight, 3 * (h / 5) + 7}, h / 5, x, h / 5 + 3, kOverlayWhite};
}

OverlayItemLayout RecordingItemLayout(int32_t clientHeight, uint32_t labelColour) {
  const int32_t h = clientHeight;
  return {{0, h / 4 + 3, (12 * h) / 10, h / 4 + 2 * (h / 5) + 9}, h / 5, 0, h / 4 + 3, labelColour};
}

OverlayItemLayout ClockItemLayout(int32_t clientHeight, int32_t clientRight) {
  const int32_t h = clientHeight;
  const int32_t x = OverlayClockColumn(h);
  return {{x, 0, clientRight, h / 5 + 2}, h / 5, x, 0, kOverlayWhite};
}

int32_t RecordingTimeLineY(int32_t clientHeight) { return clientHeight / 4 + 3 + clientHeight / 5 + 3; }

bool StatusBarWidthDivisor(int32_t clientHeight, size_t textLength, int32_t* divisor) {
  if (textLength == 0) return false;
  const int64_t quotient =
      ((54 * static_cast<int64_t>(clientHeight)) / 10) / static_cast<int64_t>(textLength);
  if (quotient <= 0) return false;
  int64_t d = 54 / quotient;
  if (d > 10) d = 10;
  if (d < 2) d = 2;
  *divisor = static_cast<int32_t>(d);
  return true;
}

bool StatusBarItemLayout(int32_t clientHeight, size_t textLength, OverlayItemLayout* layout) {
  int32_t d = 0;
  if (!StatusBarWidthDivisor(clientHeight, textLength, &d)) return false;
  const int32_t h = clientHeight;
  const int32_t x = OverlayTextColumn(h);
  const int32_t width = 2 * (((static_cast<int32_t>(textLength) + 4) * h) / d);
  *layout = {{x, 0, x + width, h / d + 4}, h / 6, x, 0, kOverlayWhite};
  return true;
}

void ComputeEventEnd(int32_t startHour, int32_t startMinute, int32_t startSecond, int32_t durationHours,
                     int32_t durationMinutes, int32_t durationSeconds, int32_t* endHour, int32_t* endMinute) {
  int32_t minute = startMinute + durationMinutes;
  if (startSecond + durationSeconds >= 60) minute += 1;
  int32_t hour = startHour + durationHours;
  if (minute >= 60) {
    minute -= 60;
    hour += 1;
  }
  if (hour >= 24) hour -= 24;
  *endHour = hour;
  *endMinute = minute;
}

namespace {

constexpr size_t kMaxNameLength = 255;

// "yyyy/mm/dd hh:mm ～ hh:mm". A part that is not fixed reads 未定, a start
// with neither date nor time as one 未定, and the end is known only from
// both the start time and the duration.
void FormatProgrammeTimes(const EitFirstEvent& event, char* out, size_t size) {
  const std::optional<EventDate> date = EventStartDate(event);
  const std::optional<EventClock> start = EventStartTime(event);
  const std::optional<EventClock> duration = EventDuration(event);
  char dateText[48] = "", startText[48] = "", endText[48] = "";
  if (date) {
    std::snprintf(dateText, sizeof dateText, "%4d/%02d/%02d", static_cast<int>(date->year),
                  static_cast<int>(date->month), static_cast<int>(date->day));
  }
  if (start) {
    std::snprintf(startText, sizeof startText, "%2d:%02d", static_cast<int>(start->hours),
                  static_cast<int>(start->minutes));
  }
  if (start && duration) {
    int32_t endHour = 0, endMinute = 0;
    ComputeEventEnd(start->hours, start->minutes, start->seconds, duration->hours, duration->minutes,
                    duration->seconds, &endHour, &endMinute);
    std::snprintf(endText, sizeof endText, "%2d:%02d", static_cast<int>(endHour),
                  static_cast<int>(endMinute));
  }
  const char* shownEnd = start && duration ? endText : sjis::kNotFixed;
  if (!date && !start) {
    std::snprintf(out, size, sjis::kProgrammeTimesWithoutStartFormat, sjis::kNotFixed, shownEnd);
  } else {
    std::snprintf(out, size, sjis::kProgrammeTimesFormat, date ? dateText : sjis::kNotFixed,
                  start ? startText : sjis::kNotFixed, shownEnd);
  }
}

}  // namespace

bool ComposeProgrammeFromSection(const uint8_t* section, size_t length, char* text, size_t textSize) {
  if (text == nullptr || textSize == 0) return false;
  text[0] = '\0';
  const EitFirstEvent event = DecodeFirstEvent(section, length);
  if (!event.present || !event.descriptorsComplete || !event.hasShortEvent) return false;
  const ByteField& codedName = event.shortEvent.eventName;
  if (codedName.cut || codedName.size == 0) return false;
  // The name is decoded into n + 20 bytes: a name of half-width letters
  // and kana, two bytes each once decoded, loses its end (the overlay shows
  // a line of its width anyway); the cut keeps whole characters.
  const size_t n = codedName.size;
  char name[kMaxNameLength + 40];
  DecodeAribString(codedName.data, static_cast<uint32_t>(n), name, static_cast<uint32_t>(n + 20));
  if (name[0] == '\0') return false;

  char times[160];
  FormatProgrammeTimes(event, times, sizeof times);
  sjis::FormatShiftJisTruncated(text, textSize, sjis::kProgrammeFormat, times, name);
  return text[0] != '\0';
}

void CutAfterSecondLine(char* text) {
  if (text == nullptr) return;
  char* first = std::strstr(text, "\r\n");
  if (first == nullptr) return;
  char* second = std::strstr(first + 2, "\r\n");
  if (second != nullptr) *second = '\0';
}

void ComposeProgrammeItemText(const char* programme, const char* nextLine, char* text, size_t size) {
  if (text == nullptr || size == 0) return;
  sjis::CopyShiftJisTruncated(text, size, programme);
  CutAfterSecondLine(text);
  if (text[0] == '\0' || nextLine == nullptr || nextLine[0] == '\0') return;
  // A programme text that ends in its own break gets no second one.
  size_t end = std::strlen(text);
  if (end < 2 || std::strcmp(text + end - 2, "\r\n") != 0) {
    if (size - end <= 2) return;  // no room for the whole break
    end += sjis::CopyShiftJisTruncated(text + end, size - end, "\r\n");
  }
  sjis::CopyShiftJisTruncated(text + end, size - end, nextLine);
}

OverlayItemLayout ProgrammeItemLayoutForLines(int32_t clientHeight, int32_t clientRight, int32_t lines) {
  OverlayItemLayout layout = ProgrammeItemLayout(clientHeight, clientRight);
  if (lines > 2) layout.erase.bottom += clientHeight / 5 + 4;
  return layout;
}

const char* RecordingLabel(int32_t hostBusy, int32_t recordingStopped) {
  if (recordingStopped) return sjis::kRecordingStopped;
  if (hostBusy) return sjis::kRecording;
  return "";
}

uint32_t RecordingLabelColour(int32_t hostBusy, int32_t recordingStopped) {
  if (recordingStopped) return kOverlayGreen;
  if (hostBusy) return kOverlayRed;
  return kOverlayBlack;
}

void FormatOverlayClock(int32_t hour, int32_t minute, int32_t second, char* text, size_t textSize) {
  std::snprintf(text, textSize, "%02d:%02d:%02d", static_cast<int>(hour), static_cast<int>(minute),
                static_cast<int>(second));
}

void FormatRecordingTimeLine(int32_t number4, int32_t number5, int32_t number7, int32_t number8, char* text,
                             size_t textSize) {
  std::snprintf(text, textSize, "%02d:%02d/%02d:%02d", static_cast<int>(number4), static_cast<int>(number5),
                static_cast<int>(number7), static_cast<int>(number8));
}
