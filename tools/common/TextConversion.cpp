#include "TextConversion.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace textconv {
namespace {

// iconv_open reports failure as (iconv_t)-1.
bool Opened(iconv_t converter) { return converter != reinterpret_cast<iconv_t>(-1); }
constexpr size_t kIconvFailed = static_cast<size_t>(-1);

// Converts as much of [in, in + inLeft) as possible into `result`; stops at
// the end or at the first fault, with `in` and `inLeft` on it.
bool ConvertSome(iconv_t converter, char*& in, size_t& inLeft, std::string& result) {
  std::vector<char> buffer(inLeft * 4 + 16);
  while (inLeft > 0) {
    char* out = buffer.data();
    size_t outLeft = buffer.size();
    const size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
    result.append(buffer.data(), out);
    if (converted == kIconvFailed && errno != E2BIG) return false;
  }
  return true;
}

}  // namespace

bool Convert(const char* to, const char* from, const std::string& text, std::string& result) {
  result.clear();
  iconv_t converter = iconv_open(to, from);
  if (!Opened(converter)) return false;
  std::string input = text;  // iconv's input is not const
  char* in = input.data();
  size_t inLeft = input.size();
  const bool converted = ConvertSome(converter, in, inLeft, result);
  iconv_close(converter);
  return converted;
}

std::string CodePage932ToUtf8Lenient(const std::string& sjis) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  if (!Opened(converter)) return sjis;
  std::string input = sjis;
  char* in = input.data();
  size_t inLeft = input.size();
  std::string utf8;
  while (!ConvertSome(converter, in, inLeft, utf8)) {
    utf8 += "\xEF\xBF\xBD";  // U+FFFD for the byte code page 932 does not know
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return utf8;
}

}  // namespace textconv
