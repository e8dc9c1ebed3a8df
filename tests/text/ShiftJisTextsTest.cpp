// Every Japanese text of the plug-in, decoded from code page 932, reads as
// the spelling beside it: a slip in an escape fails here.
#include <iconv.h>

#include <gtest/gtest.h>

#include <string>

#include "ShiftJisTexts.h"

namespace {

std::string FromCodePage932(const std::string& bytes) {
  iconv_t converter = iconv_open("UTF-8", "CP932");
  EXPECT_NE(converter, reinterpret_cast<iconv_t>(-1));
  std::string out(bytes.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* at = &out[0];
  size_t outLeft = out.size();
  if (iconv(converter, &in, &inLeft, &at, &outLeft) == static_cast<size_t>(-1))
    out = "<not CP932>";
  else
    out.resize(out.size() - outLeft);
  iconv_close(converter);
  return out;
}

TEST(ShiftJisTexts, EachEntryDecodesToItsSpelling) {
  struct Entry {
    const char* name;
    const char* bytes;
    const char* spelling;
  };
#define ZENTU_ENTRY(name, bytes, spelling) {#name, sjis::name, spelling},
  const Entry entries[] = {ZENTU_SHIFT_JIS_TEXTS(ZENTU_ENTRY)};
#undef ZENTU_ENTRY
  for (const Entry& entry : entries) EXPECT_EQ(FromCodePage932(entry.bytes), entry.spelling) << entry.name;
}

}  // namespace
