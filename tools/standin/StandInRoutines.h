// What the stand-in viewer program shows in its windows, as plain routines
// without a window system, so that they build and test natively too: the
// channel line-up, the status-bar text and the programme window's text.
// All texts are Shift_JIS.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace standin {

constexpr int kChannelCount = 12;

// The program's line-up without --channels: the television services of the
// sample stream that zentu-tsgen writes, CH1 to CH3 (services 0x0400 to
// 0x0402), and nine buttons without a channel.
extern const char* const kSampleStreamLineUp[kChannelCount];

// A --channels value, "A,B,...": the names of CH1, CH2, ... in order; an
// empty name and every button after the last name are without a channel.
// False for more than twelve names.
bool ParseChannelLineUp(const std::string& list, std::string (&names)[kChannelCount]);

// The main window's status-bar text: signal level and three counters, then
// the running recording's set length and its elapsed time, each as
// "hh:mm:ss" (numbers 4 to 6 and 7 to 9 of the text); zeros while idle.
std::string FormatStatusText(bool recording, long recordMinutes, long elapsedSeconds);

// The programme window's text for the first event of a stored EIT
// present/following section: "yyyy/mm/dd hh:mm ～ hh:mm" (未定 where a time
// is not fixed, as in the overlay), "【name】" and the event text, one per
// line (CRLF). Empty when the section holds no event
// with a short event descriptor and a name.
std::string ProgrammeWindowText(const uint8_t* section, size_t length);

}  // namespace standin
