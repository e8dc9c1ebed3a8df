// The overlay's programme item from a stored EIT section, as the paint makes
// it: composed into a buffer, then cut after its second line. The first
// input byte picks the buffer (0: the overlay's own, else that many bytes);
// the rest is the section, taken as it is and as the collector stores it for
// the service it names.
#include "OverlayContent.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "TextFuzz.h"

namespace {

void ShowProgramme(const uint8_t* section, size_t length, size_t textSize) {
  const std::unique_ptr<uint8_t[]> exact = fuzztext::ExactCopy(section, length);
  fuzztext::ExactBuffer text(textSize);
  const bool composed = ComposeProgrammeFromSection(exact.get(), length, text.Data(), text.Size());
  fuzztext::CheckShownText(text.Data(), text.Size());
  if (composed != (text.Data()[0] != '\0')) __builtin_trap();
  CutAfterSecondLine(text.Data());
  fuzztext::CheckShownText(text.Data(), text.Size());
  const char* firstBreak = std::strstr(text.Data(), "\r\n");
  if (firstBreak != nullptr && std::strstr(firstBreak + 2, "\r\n") != nullptr) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t textSize = data[0] == 0 ? sizeof(OverlayContent::programme) : data[0];
  const uint8_t* section = data + 1;
  const size_t length = size - 1;
  ShowProgramme(section, length, textSize);

  // As stored: an EIT present/following section whose length fits, kept for
  // its service and copied out for the paint.
  if (length < 5 || length > 4096) return 0;
  std::vector<uint8_t> fitted(section, section + length);
  fitted[0] = 0x4E;
  fitted[1] = static_cast<uint8_t>((fitted[1] & 0xF0) | ((length - 3) >> 8));
  fitted[2] = static_cast<uint8_t>(length - 3);
  const uint16_t serviceId = static_cast<uint16_t>(fitted[3] << 8 | fitted[4]);
  PsiCollector collector;
  collector.FindOrAddService(serviceId);
  collector.TakeSection(kPidEit, fitted.data(), fitted.size());
  std::vector<uint8_t> stored;
  if (collector.CopyPresentSection(serviceId, stored)) ShowProgramme(stored.data(), stored.size(), textSize);
  return 0;
}
