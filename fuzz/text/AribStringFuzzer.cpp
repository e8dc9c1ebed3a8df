// libFuzzer target for DecodeAribString. The first input byte picks the
// destination size; the rest is the coded string, copied to a buffer of
// exactly its length so that the sanitizers see any access past either end.
#include <iconv.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "AribString.h"

namespace {

// The output is code page 932 text as glibc's iconv reads it, of characters
// to show: iconv also accepts control bytes, 0x80, 0xA0 and the user-defined
// area (to private use), which the decoder must not produce.
void CheckCodePage932(const char* text) {
  static const iconv_t toWide = iconv_open("WCHAR_T", "CP932");
  if (toWide == reinterpret_cast<iconv_t>(-1)) std::abort();
  wchar_t characters[256];
  char* in = const_cast<char*>(text);
  size_t inLeft = std::strlen(text);
  char* out = reinterpret_cast<char*>(characters);
  size_t outLeft = sizeof characters;
  iconv(toWide, nullptr, nullptr, nullptr, nullptr);
  if (iconv(toWide, &in, &inLeft, &out, &outLeft) == size_t(-1)) std::abort();
  const size_t count = (sizeof characters - outLeft) / sizeof characters[0];
  for (size_t i = 0; i < count; ++i) {
    const uint32_t c = uint32_t(characters[i]);
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c <= 0xF8FF)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint32_t destinationSize = uint32_t(data[0]) + 1;
  const uint32_t sourceLength = uint32_t(size - 1);
  std::unique_ptr<uint8_t[]> source(new uint8_t[sourceLength]);
  if (sourceLength) std::memcpy(source.get(), data + 1, sourceLength);
  std::unique_ptr<char[]> destination(new char[destinationSize]);

  DecodeAribString(source.get(), sourceLength, destination.get(), destinationSize);
  if (!std::memchr(destination.get(), '\0', destinationSize)) std::abort();
  CheckCodePage932(destination.get());

  DecodeAribString(source.get(), sourceLength, nullptr, destinationSize);
  return 0;
}
