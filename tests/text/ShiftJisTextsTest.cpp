// Every Japanese text of the plug-in, decoded from code page 932, reads as
// the spelling beside it: a slip in an escape fails here.
#include <gtest/gtest.h>

#include <string>

#include "ShiftJisTexts.h"
#include "TextConversion.h"

namespace {

std::string FromCodePage932(const std::string& bytes) {
  std::string utf8;
  return textconv::Convert("UTF-8", "CP932", bytes, utf8) ? utf8 : "<not CP932>";
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
