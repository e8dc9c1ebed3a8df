// The ini file's path as the C runtime under Wine builds it.
#include <gtest/gtest.h>

#include <string>

#include "IniPath.h"

namespace {

TEST(IniPath, JoinsDriveAndDirectoryOfTheProgram) {
  char out[256];
  ASSERT_TRUE(BuildIniPathBeside("C:\\Program Files\\Zentu\\ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Program Files\\Zentu\\Zentu_TaskTray.ini");
  ASSERT_TRUE(BuildIniPathBeside("D:\\ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "D:\\Zentu_TaskTray.ini");
  // 表示.exe: the 0x5C trail byte of 表 separates nothing.
  ASSERT_TRUE(BuildIniPathBeside("C:\\TV\\\x95\x5C\x8E\xA6.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\TV\\Zentu_TaskTray.ini");
  ASSERT_TRUE(BuildIniPathBeside("ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "Zentu_TaskTray.ini");
}

TEST(IniPath, ThatDoesNotFitIsRefused) {
  const std::string longDirectory = "C:\\" + std::string(240, 'd') + "\\ZentuView.exe";
  char out[256] = "stale";
  EXPECT_FALSE(BuildIniPathBeside(longDirectory.c_str(), out, sizeof out));
  EXPECT_STREQ(out, "");
  char small[20] = "stale";
  EXPECT_FALSE(BuildIniPathBeside("C:\\Zentu\\ZentuView.exe", small, sizeof small));
  EXPECT_STREQ(small, "");
  // C:\ + 18 bytes of name and extension + NUL fits 22 bytes exactly.
  char exact[22];
  EXPECT_TRUE(BuildIniPathBeside("C:\\ZentuView.exe", exact, sizeof exact));
  EXPECT_STREQ(exact, "C:\\Zentu_TaskTray.ini");
}

}  // namespace
