#include "WindowText.h"

#include <memory>
#include <new>

#include "ShiftJisCut.h"

namespace {

constexpr UINT kShiftJis = 932;
// A length beyond this is no text but a control's mistake; the read stops there.
constexpr int kLongestText = 1 << 20;

}  // namespace

std::wstring WideFromCodePage(const char* text, UINT codePage) {
  if (text == nullptr || text[0] == '\0') return std::wstring();
  const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::wstring WideFromShiftJis(const char* text) { return WideFromCodePage(text, kShiftJis); }

size_t ShiftJisFromWide(const wchar_t* text, char* out, size_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  if (text == nullptr || text[0] == L'\0') return 0;
  const int length = WideCharToMultiByte(kShiftJis, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return 0;
  std::unique_ptr<char[]> whole(new (std::nothrow) char[static_cast<size_t>(length)]);
  if (!whole) return 0;
  WideCharToMultiByte(kShiftJis, 0, text, -1, whole.get(), length, nullptr, nullptr);
  return sjis::CopyShiftJisTruncated(out, size, whole.get());
}

size_t ReadWholeWindowText(HWND window, char* text, size_t size) {
  if (size == 0) return 0;
  text[0] = '\0';
  if (window == nullptr) return 0;
  int length = GetWindowTextLengthW(window);  // at least the length in characters
  if (length <= 0) return 0;
  if (length > kLongestText) length = kLongestText;
  std::unique_ptr<wchar_t[]> whole(new (std::nothrow) wchar_t[static_cast<size_t>(length) + 1]);
  if (!whole) return 0;
  const int read = GetWindowTextW(window, whole.get(), length + 1);
  whole[read > 0 && read <= length ? read : 0] = L'\0';
  return ShiftJisFromWide(whole.get(), text, size);
}
