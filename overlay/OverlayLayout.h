// Geometry and texts of the status overlay as plain routines: no window
// system here, so they compile and test natively too. All divisions are
// integer divisions, evaluated exactly in the order written.
#pragma once
#include <cstddef>
#include <cstdint>

struct OverlayBox {
  int32_t left, top, right, bottom;
};

struct OverlayPlacement {
  int32_t x, y, width, height;
};

// Where one item is drawn: the area it clears first, its font height, the
// origin of its text and its colour (COLORREF, 0x00BBGGRR).
struct OverlayItemLayout {
  OverlayBox erase;
  int32_t fontHeight;
  int32_t originX, originY;
  uint32_t colour;
};

constexpr uint32_t kOverlayRed = 0x0000FF;
constexpr uint32_t kOverlayGreen = 0x00FF00;
constexpr uint32_t kOverlayWhite = 0xFFFFFF;
constexpr uint32_t kOverlayBlack = 0x000000;

// Items are drawn in this order: channel, status bar, programme, recording,
// clock (the content-flag bits).
constexpr int kOverlayItemCount = 5;
extern const int32_t kOverlayPaintOrder[kOverlayItemCount];

// The overlay over a video window whose screen rectangle starts at
// (left, top) and is width x height: a margin of width/70 on both sides,
// a fifth of the height, a little below the top edge.
OverlayPlacement PlaceOverlayOverVideo(int32_t left, int32_t top, int32_t width, int32_t height);

// Where the overlay's anchor, the host's video window, stands on the screen.
struct AnchorState {
  bool exists = false;     // the handle still names a window
  bool visible = false;    // it and every window it lies in are shown
  bool minimised = false;  // it, or the top-level window it lies in, is minimised
};

// The overlay is laid over its anchor only while the anchor can be seen:
// otherwise it would float over the desktop or sit at minimised coordinates.
bool IsAnchorOnScreen(const AnchorState& anchor);

enum class OverlayTick { kNothing, kHide, kPlace };
// One monitoring tick of an overlay with `countdown` seconds left (before
// this tick's decrement): nothing while it is down; hidden, with countdown,
// flags and marker cleared, when its anchor has left the screen or the
// countdown runs out; otherwise placed over the anchor again.
OverlayTick DecideOverlayTick(int32_t countdown, const AnchorState& anchor);

enum class OverlayRequest { kIgnore, kHide, kShow };
// A request to show the overlay: `show` 0 hides it; without permission
// nothing happens; without a known video window an overlay that is up is
// hidden; a video window that is not on the screen leaves everything as it
// is; otherwise the overlay is shown over it.
OverlayRequest DecideOverlayRequest(int32_t show, int32_t permitted, bool videoKnown,
                                    const AnchorState& video, int32_t countdown);

// Column where the status-bar and programme texts start: (H/8)*12.
int32_t OverlayTextColumn(int32_t clientHeight);
// Column where the clock starts: (54*H)/10 + (H/8)*12.
int32_t OverlayClockColumn(int32_t clientHeight);

OverlayItemLayout ChannelItemLayout(int32_t clientHeight);
OverlayItemLayout ProgrammeItemLayout(int32_t clientHeight, int32_t clientRight);
OverlayItemLayout RecordingItemLayout(int32_t clientHeight, uint32_t labelColour);
OverlayItemLayout ClockItemLayout(int32_t clientHeight, int32_t clientRight);
// Origin row of the recording-time line under the recording label.
int32_t RecordingTimeLineY(int32_t clientHeight);

// The status-bar item's width divisor 54 / (((54*H)/10) / len), limited to
// 2..10. Returns false when it is undefined (empty text, or a text so long
// that the inner quotient is 0): the item is then not drawn.
bool StatusBarWidthDivisor(int32_t clientHeight, size_t textLength, int32_t* divisor);
// Layout of the status-bar item for a text of textLength bytes; false when
// the divisor is undefined.
bool StatusBarItemLayout(int32_t clientHeight, size_t textLength, OverlayItemLayout* layout);

// End of an event from its start and duration: the seconds carry into the
// minute, 60 minutes into the hour, and 24 hours wrap once (same date).
void ComputeEventEnd(int32_t startHour, int32_t startMinute, int32_t startSecond, int32_t durationHours,
                     int32_t durationMinutes, int32_t durationSeconds, int32_t* endHour, int32_t* endMinute);

// The programme text of the first event of a stored EIT section (table_id
// through CRC_32): "yyyy/mm/dd hh:mm ～ hh:mm\r\n【name】\r\n" in Shift_JIS;
// a date, start or end that is not fixed reads 未定 (EventTimes.h), a start
// without date and time as one 未定.
// Writes an empty text and returns false when the section is too short, has
// no short event descriptor, its descriptor loop runs past the section or its
// event name past its descriptor, or the name decodes empty. Never reads
// outside the section.
bool ComposeProgrammeFromSection(const uint8_t* section, size_t length, char* text, size_t textSize);

// Ends the text at its second "\r\n" (at most two lines, no final break).
void CutAfterSecondLine(char* text);

// The programme item's text: the programme cut after its second line, then,
// when there is one and the programme is not empty, the next-programme line
// as a third. Cut at whole characters to `size`.
void ComposeProgrammeItemText(const char* programme, const char* nextLine, char* text, size_t size);
// The programme item's layout for a text of `lines` lines (2 or 3): a third
// line clears one more line's height below the other two.
OverlayItemLayout ProgrammeItemLayoutForLines(int32_t clientHeight, int32_t clientRight, int32_t lines);

// Recording label: "録画停止" when the stopped marker is set, else "録画中"
// while the host is busy, else empty; and its colour.
const char* RecordingLabel(int32_t hostBusy, int32_t recordingStopped);
uint32_t RecordingLabelColour(int32_t hostBusy, int32_t recordingStopped);

// The clock item: "%02d:%02d:%02d".
void FormatOverlayClock(int32_t hour, int32_t minute, int32_t second, char* text, size_t textSize);
// The line under the recording label, "%02d:%02d/%02d:%02d" of the status
// bar's numbers 4, 5 (usually the set length) and 7, 8 (the elapsed hours
// and minutes).
void FormatRecordingTimeLine(int32_t number4, int32_t number5, int32_t number7, int32_t number8, char* text,
                             size_t textSize);
