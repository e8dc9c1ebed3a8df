// The plain routines behind the tray and the command table.
#include <gtest/gtest.h>

#include <string>

#include "TrayRoutines.h"

namespace {

DecodedCommand Decode(uint64_t wParam, int32_t windows = 4) { return DecodeControllerCommand(wParam, windows); }

TEST(CommandIdentifiers, LowWordSelectsTheSingleCommands) {
  EXPECT_EQ(Decode(1007).kind, CommandKind::kRestoreAll);
  EXPECT_EQ(Decode(0x00010000u | 1007).kind, CommandKind::kRestoreAll);  // notification code in the high word
  EXPECT_EQ(Decode(0x12340000u | 1009).kind, CommandKind::kCloseViewer);
  EXPECT_EQ(Decode(1035).kind, CommandKind::kToggleAutoDisplay);
  EXPECT_EQ(Decode(1034).kind, CommandKind::kChannelDown);
}

TEST(CommandIdentifiers, ChannelRangeNeedsAnEmptyHighWord) {
  EXPECT_EQ(Decode(1019).kind, CommandKind::kChannel);
  EXPECT_EQ(Decode(1019).index, 0);
  EXPECT_EQ(Decode(1030).index, 11);
  EXPECT_EQ(Decode(0x00010000u | 1020).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(0x100000000ull | 1020).kind, CommandKind::kNone);  // 64-bit parameter
}

TEST(CommandIdentifiers, WindowRangeEndsAtTheCount) {
  EXPECT_EQ(Decode(2000).kind, CommandKind::kWindowToggle);
  EXPECT_EQ(Decode(2003).index, 3);
  EXPECT_EQ(Decode(2004).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(2000, 0).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(2000, -1).kind, CommandKind::kNone);
  EXPECT_EQ(Decode(0x00010000u | 2000).kind, CommandKind::kNone);
}

TEST(CommandIdentifiers, EverythingElseIsNothing) {
  for (uint64_t id : {0ull, 2ull, 1006ull, 1015ull, 1016ull, 1036ull, 1999ull, 40001ull, 0xFFFFull}) {
    EXPECT_EQ(Decode(id).kind, CommandKind::kNone) << id;
  }
}

TEST(TrayTexts, TipJoinsProgrammeAndStatus) {
  char tip[128] = "old";
  EXPECT_FALSE(ComposeTrayTip(nullptr, nullptr, tip, sizeof tip));
  EXPECT_STREQ(tip, "old");
  ASSERT_TRUE(ComposeTrayTip("News", "25.3dB", tip, sizeof tip));
  EXPECT_STREQ(tip, "News\r\n25.3dB");
  ASSERT_TRUE(ComposeTrayTip(nullptr, "25.3dB", tip, sizeof tip));
  EXPECT_STREQ(tip, "Zentu HDTV Player\r\n25.3dB");
  ASSERT_TRUE(ComposeTrayTip("News", nullptr, tip, sizeof tip));
  EXPECT_STREQ(tip, "News");
  ASSERT_TRUE(ComposeTrayTip("", nullptr, tip, sizeof tip));  // a hidden programme window with no text
  EXPECT_STREQ(tip, "");
}

TEST(TrayTexts, TipIsCutAt127BytesEvenInsideACharacter) {
  char tip[128];
  const std::string programme(74, 'P');
  std::string status;
  for (int i = 0; i < 40; ++i) status += "\x98\x5e";  // "録"
  ASSERT_TRUE(ComposeTrayTip(programme.c_str(), status.c_str(), tip, sizeof tip));
  const std::string expected = (programme + "\r\n" + status).substr(0, kTrayTipBytes);
  EXPECT_EQ(std::string(tip), expected);
  EXPECT_EQ(static_cast<uint8_t>(tip[126]), 0x98);  // 74 + 2 + 51 bytes: a lone lead byte
  CopyTrayTip("abc", tip, 3);
  EXPECT_STREQ(tip, "ab");
}

TEST(TrayTexts, RecordingTimeAndBlankChannels) {
  char text[100];
  FormatRecordingTime(1, 5, 9, text, sizeof text);
  EXPECT_STREQ(text, "\x98\x5e\x89\xe6\x92\x86(01:05:09)");
  FormatRecordingTime(123, 0, 0, text, sizeof text);
  EXPECT_STREQ(text, "\x98\x5e\x89\xe6\x92\x86(123:00:00)");
  EXPECT_TRUE(IsChannelNameBlank("ch3:", 2));
  EXPECT_FALSE(IsChannelNameBlank("ch3: ", 2));
  EXPECT_FALSE(IsChannelNameBlank("ch3:", 3));
  EXPECT_TRUE(IsChannelNameBlank("ch12:", 11));
}

TEST(TrayTexts, CloseQuestionNamesTheBusyWindow) {
  char text[256];
  FormatCloseQuestion("Zentu HDTV Player", text, sizeof text);
  EXPECT_EQ(std::string(text),
            "\x81\x75Zentu HDTV Player\x81\x76\x82\xaa\x98\x5e\x89\xe6\x82\xf0\x8e\xc0\x8d\x73\x82\xb5\x82\xc4"
            "\x82\xa2\x82\xdc\x82\xb7\x81\x42\r\nZentuView\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xe0\x82"
            "\xa2\x82\xa2\x82\xc5\x82\xb7\x82\xa9?");
}

}  // namespace
