// Which ini file the controller uses, and the per-user file's name.
#include <gtest/gtest.h>

#include <string>

#include "IniLocation.h"

namespace {

TEST(IniLocation, PlanUsesTheWritableFileWithTheLastWrittenSettings) {
  const IniFileSeen none{}, old{true, 100}, recent{true, 200};
  const IniPlace beside = IniPlace::kBeside, perUser = IniPlace::kPerUser;
  const struct {
    bool besideWritable = false, perUserUsable = false;
    IniFileSeen beside, perUser;
    IniPlace use = IniPlace::kBeside;
    bool copy = false;
  } rows[] = {
      {true, true, none, none, beside, false},  {true, true, recent, old, beside, false},
      {true, true, old, recent, beside, true},  {true, true, none, old, beside, true},  // writable again
      {false, true, old, none, perUser, true},  {false, true, old, recent, perUser, false},
      {false, true, old, old, perUser, false},  {false, true, recent, old, perUser, true},  // replaced
      {false, false, old, none, beside, false}, {true, false, old, recent, beside, false},
  };
  for (const auto& row : rows) {
    const IniPlan plan = PlanIniFile(row.besideWritable, row.perUserUsable, row.beside, row.perUser);
    EXPECT_EQ(plan.use, row.use) << &row - rows;
    EXPECT_EQ(plan.copyOtherFirst, row.copy) << &row - rows;
  }
}

TEST(IniLocation, PerUserFileNamesTheFolderAndHashesItsPath) {
  std::string hyou20 = "C:\\a";
  for (int i = 0; i < 20; ++i) hyou20 += "\x95\x5C";  // 表: its trail byte is a backslash
  const struct {
    const char* appData;
    std::string folder;
    const char* expected;  // "": refused
  } rows[] = {
      {"C:\\A", "C:\\Program Files\\ZentuView\\",
       "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-ZentuView-82342344.ini"},
      {"C:\\A\\", "c:/program files/ZentuView",
       "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-ZentuView-82342344.ini"},
      {"C:\\\x95\x5C", "C:\\TV\\\x95\x5C\x8E\xA6\\",  // 表 ends APPDATA; the folder is 表示
       "C:\\\x95\x5C\\ZentuTaskTray\\Zentu_TaskTray-\x95\x5C\x8E\xA6-4D29F18B.ini"},
      {"\\\\server\\home", "D:\\", "\\\\server\\home\\ZentuTaskTray\\Zentu_TaskTray-0ECE368B.ini"},
      {"C:\\A", hyou20 + "\\", nullptr},  // the name cut to 31 bytes, a whole character
      {"C:\\A", "C:\\TV\\\x83\x41\\", "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-\x83\x41-24DE38A6.ini"},  // ア
      {"C:\\A", "C:\\TV\\\x83\x61\\", "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-\x83\x61-44DE6B06.ini"},  // ツ
      {"AppData", "C:\\TV\\", ""},
      {"%APPDATA%", "C:\\TV\\", ""},
      {"C:\\A", "", ""},
  };
  for (const auto& row : rows) {
    char out[300] = "stale";
    size_t folderLength = 0;
    BuildPerUserIniPath(row.appData, row.folder.c_str(), out, sizeof out, &folderLength);
    const std::string expected = row.expected != nullptr ? row.expected
                                                         : "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-" +
                                                               hyou20.substr(3, 31) + "-8B1E1C57.ini";
    EXPECT_EQ(out, expected) << row.folder;
    if (!expected.empty()) {
      EXPECT_EQ(expected.substr(folderLength, 1), "\\") << expected;  // the folder to make ends there
    }
  }
  // Exactly as long as the buffer, and one byte longer.
  const std::string fits = rows[0].expected;
  char out[300];
  EXPECT_TRUE(BuildPerUserIniPath("C:\\A", "C:\\Program Files\\ZentuView", out, fits.size() + 1, nullptr));
  EXPECT_FALSE(BuildPerUserIniPath("C:\\A", "C:\\Program Files\\ZentuView", out, fits.size(), nullptr));
  EXPECT_STREQ(out, "");
}

}  // namespace
