// Text between encodings with the C library's iconv, for the native tools and
// tests that show or check what the decoder writes in code page 932.
#pragma once
#include <string>

namespace textconv {

// `text` from encoding `from` to encoding `to` (iconv names). False where the
// input is no text of `from`, or iconv knows either name not; `result` then
// holds what converted before the fault.
bool Convert(const char* to, const char* from, const std::string& text, std::string& result);

// Code page 932 to UTF-8, with U+FFFD for each byte code page 932 does not
// know; the input unchanged where iconv has no code page 932.
std::string CodePage932ToUtf8Lenient(const std::string& sjis);

}  // namespace textconv
