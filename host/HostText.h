// Plain text routines over the host viewer's Shift_JIS window texts: title
// rules, channel slots and the numbers of the status bar. No Win32 here.
#pragma once
#include <cstddef>
#include <cstdint>

#include "HostContract.h"

namespace hosttext {

constexpr size_t kChannelSlotSize = 100;  // 99 bytes of text and a zero
constexpr size_t kTitleSize = 256;        // a listed window's title with its zero
constexpr size_t kCurrentChannelTextMax = 98;

// What a listed window's title says about it.
enum class TitleRole { kOther, kProgramme, kRemote, kVideo };

// Applies the title rules to a zero-terminated title in place (the result is
// never longer than the input) and tells which host window it names.
TitleRole ApplyHostTitleRules(char* title);

// True when the recording status text reads exactly "Recording" or "録画中".
bool IsRecordingText(const char* text);

// Writes "ch%d:%s" of channelNumber and buttonText into a 100-byte slot;
// too long names are cut at a character boundary.
void FormatChannelSlot(char* slot, int channelNumber, const char* buttonText);

// True when the slot holds only "ch%d:" of channelNumber (a button without a
// channel).
bool IsChannelSlotUnnamed(const char* slot, int channelNumber);

// Index 0..11 of the first slot that contains ":" followed by the current
// channel text (cut to 98 bytes), or -1.
int32_t FindChannelSlot(const char (*slots)[kChannelSlotSize], const char* currentText);

// The channel to press for a request: 0..11 directly (if named), -2 next and
// other negatives previous from the current index, skipping unnamed slots.
// Returns -1 when nothing is to be pressed.
int32_t PlanChannelSelection(const char (*slots)[kChannelSlotSize], int32_t request, int32_t currentIndex);

// The numbers of a status text at positions 4, 5, 7, 8 and 9; a number is a
// run of digits and points beginning with a digit, and its value is that of
// its leading digits. Missing numbers are 0.
struct StatusNumbers {
  int32_t number4 = 0;
  int32_t number5 = 0;
  int32_t number7 = 0;
  int32_t number8 = 0;
  int32_t number9 = 0;
};
StatusNumbers ScanStatusNumbers(const char* text);

// The position right after the fourth number of text, or nullptr when the
// text has fewer than four numbers or ends right after the fourth.
const char* FindEndOfFourthNumber(const char* text);

// Writes "%s_View" of title into key (cut safely to size).
void FormatViewKey(char* key, size_t size, const char* title);

}  // namespace hosttext
