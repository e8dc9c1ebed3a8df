#include "ShiftJisCut.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace sjis {

size_t CopyShiftJisTruncated(char* destination, size_t size, const char* text) {
  if (size == 0) return 0;
  if (text == nullptr) text = "";
  size_t length = 0;
  while (text[length] != '\0') {
    size_t width = 1;
    if (IsLeadByte(static_cast<unsigned char>(text[length]))) {
      if (text[length + 1] == '\0') break;
      width = 2;
    }
    if (length + width > size - 1) break;
    length += width;
  }
  std::memcpy(destination, text, length);
  destination[length] = '\0';
  return length;
}

size_t FormatShiftJisTruncated(char* destination, size_t size, const char* format, ...) {
  if (size == 0) return 0;
  destination[0] = '\0';
  va_list arguments;
  va_start(arguments, format);
  va_list again;
  va_copy(again, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, arguments);
  va_end(arguments);
  size_t kept = 0;
  if (length >= 0) {
    // The whole text first, then the cut: snprintf would cut byte-wise.
    std::unique_ptr<char[]> whole(new (std::nothrow) char[static_cast<size_t>(length) + 1]);
    if (whole) {
      std::vsnprintf(whole.get(), static_cast<size_t>(length) + 1, format, again);
      kept = CopyShiftJisTruncated(destination, size, whole.get());
    }
  }
  va_end(again);
  return kept;
}

}  // namespace sjis
