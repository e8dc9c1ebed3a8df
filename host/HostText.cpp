// Plain text routines for the host windows; see HostText.h.
#include "HostText.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "ShiftJisCut.h"

namespace hosttext {

namespace {

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipNonDigits(const char* p) {
  while (*p != '\0' && !IsDigit(*p)) ++p;
  return p;
}

const char* SkipNumber(const char* p) {
  while (IsDigit(*p) || *p == '.') ++p;
  return p;
}

// Value of the leading digits; saturates instead of overflowing.
int32_t LeadingDigitsValue(const char* p) {
  int64_t value = 0;
  for (; IsDigit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > INT32_MAX) return INT32_MAX;
  }
  return static_cast<int32_t>(value);
}

// One step forward for request -2, back otherwise, wrapping within 0..11.
void StepChannel(int32_t* index, int32_t request) {
  *index += request == -2 ? 1 : -1;
  if (*index < 0) *index = host::kChannelCount - 1;
  if (*index > host::kChannelCount - 1) *index = 0;
}

}  // namespace

TitleRole ApplyHostTitleRules(char* title) {
  if (StartsWith(title, host::kProgrammeWindowTitle) || StartsWith(title, host::kProgrammeListTitle)) {
    std::strcpy(title, host::kProgrammeListTitle);
    return TitleRole::kProgramme;
  }
  if (StartsWith(title, host::kRemoteWindowTitle)) {
    title[std::strlen(host::kRemoteWindowTitle)] = '\0';
    return TitleRole::kRemote;
  }
  if (std::strcmp(title, host::kVideoTitle) == 0) return TitleRole::kVideo;
  return TitleRole::kOther;
}

bool IsRecordingText(const char* text) {
  return std::strcmp(text, host::kRecordingEnglish) == 0 || std::strcmp(text, host::kRecordingJapanese) == 0;
}

void FormatChannelSlot(char* slot, int channelNumber, const char* buttonText) {
  int prefix = std::snprintf(slot, kChannelSlotSize, "ch%d:", channelNumber);
  if (prefix < 0 || static_cast<size_t>(prefix) >= kChannelSlotSize) return;
  sjis::CopyShiftJisTruncated(slot + prefix, kChannelSlotSize - prefix, buttonText ? buttonText : "");
}

bool IsChannelSlotUnnamed(const char* slot, int channelNumber) {
  char unnamed[kChannelSlotSize];
  std::snprintf(unnamed, sizeof unnamed, "ch%d:", channelNumber);
  return std::strcmp(slot, unnamed) == 0;
}

int32_t FindChannelSlot(const char (*slots)[kChannelSlotSize], const char* currentText) {
  char search[kCurrentChannelTextMax + 2] = ":";
  sjis::CopyShiftJisTruncated(search + 1, kCurrentChannelTextMax + 1, currentText ? currentText : "");
  for (int32_t i = 0; i < host::kChannelCount; ++i) {
    if (std::strstr(slots[i], search) != nullptr) return i;
  }
  return -1;
}

int32_t PlanChannelSelection(const char (*slots)[kChannelSlotSize], int32_t request, int32_t currentIndex) {
  int32_t index;
  if (request >= 0) {
    if (request >= host::kChannelCount) return -1;
    index = request;
  } else {
    if (currentIndex < 0 || currentIndex >= host::kChannelCount) return -1;
    index = currentIndex;
    StepChannel(&index, request);
  }
  for (int attempt = 0; attempt < host::kChannelCount; ++attempt) {
    if (!IsChannelSlotUnnamed(slots[index], index + 1)) return index;
    if (request >= 0) return -1;
    StepChannel(&index, request);
  }
  return -1;
}

StatusNumbers ScanStatusNumbers(const char* text) {
  StatusNumbers numbers;
  int position = 0;
  const char* p = text;
  while (true) {
    p = SkipNonDigits(p);
    if (*p == '\0') break;
    switch (position) {
      case 4: numbers.number4 = LeadingDigitsValue(p); break;
      case 5: numbers.number5 = LeadingDigitsValue(p); break;
      case 7: numbers.number7 = LeadingDigitsValue(p); break;
      case 8: numbers.number8 = LeadingDigitsValue(p); break;
      case 9: numbers.number9 = LeadingDigitsValue(p); break;
      default: break;
    }
    p = SkipNumber(p);
    ++position;
  }
  return numbers;
}

const char* FindEndOfFourthNumber(const char* text) {
  if (text == nullptr || *text == '\0') return nullptr;
  const char* p = text;
  for (int count = 0; count < 4; ++count) {
    p = SkipNonDigits(p);
    if (*p == '\0') return nullptr;
    p = SkipNumber(p);
    if (*p == '\0') return nullptr;
  }
  return p;
}

void FormatViewKey(char* key, size_t size, const char* title) {
  if (size == 0) return;
  std::snprintf(key, size, "%s_View", title ? title : "");
}

}  // namespace hosttext
