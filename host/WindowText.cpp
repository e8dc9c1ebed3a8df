#include "WindowText.h"

#include <memory>
#include <new>

#include "ShiftJisCut.h"

namespace {

// A length beyond this is no text but a control's mistake; the read stops there.
constexpr int kLongestText = 1 << 20;

}  // namespace

size_t ReadWholeWindowText(HWND window, char* text, size_t size) {
  if (size == 0) return 0;
  text[0] = '\0';
  if (window == nullptr) return 0;
  int length = GetWindowTextLengthA(window);  // at least the length in bytes
  if (length <= 0) return 0;
  if (length > kLongestText) length = kLongestText;
  std::unique_ptr<char[]> whole(new (std::nothrow) char[length + 1]);
  if (!whole) return 0;
  const int read = GetWindowTextA(window, whole.get(), length + 1);
  whole[read > 0 && read <= length ? read : 0] = '\0';
  return sjis::CopyShiftJisTruncated(text, size, whole.get());
}
