// The controller's plain settings routines, natively.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ControllerSettings.h"

namespace {

TEST(ControllerSettings, ParseIniIntegerReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("  -7x"), -7);
  EXPECT_EQ(ParseIniInteger("+5"), 5);
  EXPECT_EQ(ParseIniInteger("abc"), 0);
  EXPECT_EQ(ParseIniInteger(""), 0);
  EXPECT_EQ(ParseIniInteger(nullptr), 0);
  EXPECT_EQ(ParseIniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("-99999999999999999999999"), INT32_MIN);
}

TEST(ControllerSettings, IniPathJoinsDriveAndDirectoryOfTheProgram) {
  char out[256];
  ASSERT_TRUE(BuildIniPathBeside("C:\\Program Files\\Zentu\\ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Program Files\\Zentu\\Zentu_TaskTray.ini");
  ASSERT_TRUE(BuildIniPathBeside("D:\\ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "D:\\Zentu_TaskTray.ini");
  ASSERT_TRUE(BuildIniPathBeside("ZentuView.exe", out, sizeof out));
  EXPECT_STREQ(out, "Zentu_TaskTray.ini");
}

TEST(ControllerSettings, IniPathThatDoesNotFitIsRefused) {
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
