// The tray menu's window and channel entries from arbitrary host texts, as
// discovery and the menu make them: titles cut to their buffer and put
// through the title rules, channel slots from the button texts, the current
// channel found among them, a channel chosen, and the menu's plan.
// Input: a byte of state (bits 0-3 the number of listed windows, 4 remote
// window known, 5 busy, 6 recording, 7 muted), a byte of request (a channel
// request, the visibility bits and a buffer size), then zero-separated
// texts: the window titles, the twelve button texts, the current channel
// text and the status text.
#include "HostText.h"
#include "ShiftJisCut.h"
#include "TextFuzz.h"
#include "TrayRoutines.h"

namespace {

using fuzztext::CheckShownText;
using fuzztext::ExactBuffer;

constexpr size_t kViewKeySize = hosttext::kTitleSize + 8;

void CheckViewKey(const char* title) {
  ExactBuffer key(kViewKeySize);
  hosttext::FormatViewKey(key.Data(), key.Size(), title);
  CheckShownText(key.Data(), key.Size());
  const size_t length = std::strlen(key.Data());
  if (length < 5 || std::strcmp(key.Data() + length - 5, "_View") != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int32_t windowCount = data[0] & 0x0F;
  const int32_t request = static_cast<int8_t>(data[1]) % 14;
  const std::vector<std::string> texts =
      fuzztext::SplitTexts(data, size, 2, static_cast<size_t>(windowCount) + host::kChannelCount + 2);

  // Titles: read into the title buffer, then the title rules in place.
  std::vector<ExactBuffer> titles;
  std::vector<const char*> titlePointers;
  std::vector<int32_t> visible;
  for (int32_t i = 0; i < windowCount; ++i) {
    titles.emplace_back(hosttext::kTitleSize);
    ExactBuffer& title = titles.back();
    sjis::CopyShiftJisTruncated(title.Data(), title.Size(), texts[static_cast<size_t>(i)].c_str());
    hosttext::ApplyHostTitleRules(title.Data());
    CheckShownText(title.Data(), title.Size());
    CheckViewKey(title.Data());
    titlePointers.push_back(title.Data());
    visible.push_back((data[1] >> (i % 8)) & 1);
  }

  // Channel slots: each in a buffer of its own, then side by side as the
  // host keeps them.
  char slots[host::kChannelCount][hosttext::kChannelSlotSize];
  const char* channelNames[host::kChannelCount];
  for (int i = 0; i < host::kChannelCount; ++i) {
    const std::string& button = texts[static_cast<size_t>(windowCount + i)];
    ExactBuffer slot(hosttext::kChannelSlotSize);
    hosttext::FormatChannelSlot(slot.Data(), i + 1, button.c_str());
    CheckShownText(slot.Data(), slot.Size());
    const bool unnamed = hosttext::IsChannelSlotUnnamed(slot.Data(), i + 1);
    const size_t prefix = (i + 1 < 10 ? 4u : 5u);
    if (unnamed != (std::strlen(slot.Data()) == prefix)) __builtin_trap();
    std::memcpy(slots[i], slot.Data(), sizeof slots[i]);
    channelNames[i] = slots[i];
  }

  ExactBuffer current(hosttext::kCurrentChannelTextMax + 1);
  sjis::CopyShiftJisTruncated(current.Data(), current.Size(),
                              texts[static_cast<size_t>(windowCount + host::kChannelCount)].c_str());
  CheckShownText(current.Data(), current.Size());
  const int32_t found = hosttext::FindChannelSlot(slots, current.Data());
  if (found < -1 || found >= host::kChannelCount) __builtin_trap();
  if (found >= 0 && std::strstr(slots[found], (std::string(":") + current.Data()).c_str()) == nullptr)
    __builtin_trap();
  const int32_t chosen = hosttext::PlanChannelSelection(slots, request, found);
  if (chosen < -1 || chosen >= host::kChannelCount) __builtin_trap();
  if (chosen >= 0 && hosttext::IsChannelSlotUnnamed(slots[chosen], chosen + 1)) __builtin_trap();

  const hosttext::StatusNumbers numbers =
      hosttext::ScanStatusNumbers(texts[static_cast<size_t>(windowCount + host::kChannelCount) + 1].c_str());
  TrayMenuState state;
  state.windowCount = windowCount;
  state.windowTitles = titlePointers.data();
  state.windowVisible = visible.data();
  state.mainWindowKnown = true;
  state.muted = (data[0] & 0x80) != 0;
  state.recording = (data[0] & 0x40) != 0;
  state.recordingHours = numbers.number7;
  state.recordingMinutes = numbers.number8;
  state.recordingSeconds = numbers.number9;
  state.remoteWindowKnown = (data[0] & 0x10) != 0;
  state.busy = (data[0] & 0x20) != 0;
  state.currentChannel = found;
  state.channelNames = channelNames;
  const TrayMenuPlan plan = PlanTrayMenu(state);
  if (plan.windowItems.size() != static_cast<size_t>(windowCount)) __builtin_trap();
  for (size_t i = 0; i < plan.windowItems.size(); ++i) {
    if (plan.windowItems[i].text != titlePointers[i]) __builtin_trap();
    CheckShownText(plan.windowItems[i].text);
  }
  for (const TrayMenuItem& item : plan.changes) {
    if (item.setText) CheckShownText(item.text);
    if (item.text.size() >= hosttext::kChannelSlotSize) __builtin_trap();
  }

  // The recording time into a short buffer.
  ExactBuffer time(1 + static_cast<size_t>(data[1] % 32));
  FormatRecordingMenuText(numbers.number7, numbers.number8, numbers.number9, time.Data(), time.Size());
  CheckShownText(time.Data(), time.Size());
  return 0;
}
