// The tray tip from arbitrary host texts. Input: a byte of flags (1 the
// programme window is hidden, 2 the main window is hidden, 4 the tip shows
// the default), a byte that picks a buffer size, then the programme text
// and the status text, separated by a zero byte.
#include "ShiftJisCut.h"
#include "TextFuzz.h"
#include "TrayRoutines.h"

namespace {

constexpr size_t kStatusReadSize = 256;  // the controller's status buffer

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const bool programmeHidden = (data[0] & 1) != 0;
  const bool mainHidden = (data[0] & 2) != 0;
  const int32_t tipIsDefault = (data[0] & 4) != 0 ? 1 : 0;
  const std::vector<std::string> texts = fuzztext::SplitTexts(data, size, 2, 2);

  // As the controller composes it: each text as the read leaves it, then the
  // plan into the shell's tip buffer.
  fuzztext::ExactBuffer programme(static_cast<size_t>(ProgrammeTipLimit(mainHidden)));
  sjis::CopyShiftJisTruncated(programme.Data(), programme.Size(), texts[0].c_str());
  fuzztext::CheckShownText(programme.Data(), programme.Size());
  fuzztext::ExactBuffer status(kStatusReadSize);
  sjis::CopyShiftJisTruncated(status.Data(), status.Size(), texts[1].c_str());
  fuzztext::CheckShownText(status.Data(), status.Size());

  fuzztext::ExactBuffer tip(kTrayTipBytes + 1);
  const TrayTipChange change =
      PlanTrayTip(programmeHidden ? programme.Data() : nullptr, mainHidden ? status.Data() : nullptr,
                  tipIsDefault, tip.Data(), tip.Size());
  if (change == TrayTipChange::kNone) {
    if (!tip.Untouched()) __builtin_trap();
  } else {
    fuzztext::CheckShownText(tip.Data(), tip.Size());
  }

  // Texts of any length straight in, into a buffer of any size.
  const size_t rawSize = data[1] == 0 ? kTrayTipBytes + 1 : data[1];
  fuzztext::ExactBuffer raw(rawSize);
  if (!ComposeTrayTip(texts[0].c_str(), texts[1].c_str(), raw.Data(), raw.Size())) __builtin_trap();
  fuzztext::CheckShownText(raw.Data(), raw.Size());
  return 0;
}
