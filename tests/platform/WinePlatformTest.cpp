// The Windows tests rely on the user's setting: a Japanese system whose ANSI
// code page is 932, so that the ...A functions take Shift_JIS texts.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, AnsiCodePageIsShiftJis) { EXPECT_EQ(GetACP(), 932u); }

TEST(Platform, ShiftJisRoundTripsThroughWindowText) {
  // "録画中" as Shift_JIS bytes, through a real window and back.
  const char recording[] = "\x98\x5E\x89\xE6\x92\x86";
  HWND w = CreateWindowA("STATIC", recording, 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  char back[32] = {};
  GetWindowTextA(w, back, sizeof back);
  EXPECT_STREQ(back, recording);
  wchar_t wide[8] = {};
  GetWindowTextW(w, wide, 8);
  EXPECT_EQ(wide[0], 0x9332);  // 録
  DestroyWindow(w);
}
