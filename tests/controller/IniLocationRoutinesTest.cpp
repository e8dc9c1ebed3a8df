// Which ini file the controller uses, and the per-user file's name.
#include <gtest/gtest.h>

#include <string>

#include "IniLocation.h"

namespace {

struct PlanRow {
  const char* what;
  bool besideWritable, perUserUsable;
  IniFileSeen beside, perUser;
  IniPlace use;
  bool copy;
};

TEST(IniLocation, PlanUsesTheWritableFileWithTheLastWrittenSettings) {
  const IniFileSeen none{}, old{true, 100}, recent{true, 200};
  const PlanRow rows[] = {
      {"writable, nothing yet", true, true, none, none, IniPlace::kBeside, false},
      {"writable, per-user file older", true, true, recent, old, IniPlace::kBeside, false},
      {"writable again, per-user file newer", true, true, old, recent, IniPlace::kBeside, true},
      {"writable again, only a per-user file", true, true, none, old, IniPlace::kBeside, true},
      {"unwritable, file beside only", false, true, old, none, IniPlace::kPerUser, true},
      {"unwritable, per-user file newer", false, true, old, recent, IniPlace::kPerUser, false},
      {"unwritable, both alike (copied)", false, true, old, old, IniPlace::kPerUser, false},
      {"unwritable, file beside replaced", false, true, recent, old, IniPlace::kPerUser, true},
      {"unwritable, no per-user place", false, false, old, none, IniPlace::kBeside, false},
      {"writable, no per-user place", true, false, old, recent, IniPlace::kBeside, false},
  };
  for (const PlanRow& row : rows) {
    const IniPlan plan = PlanIniFile(row.besideWritable, row.perUserUsable, row.beside, row.perUser);
    EXPECT_EQ(plan.use, row.use) << row.what;
    EXPECT_EQ(plan.copyOtherFirst, row.copy) << row.what;
  }
}

std::string PerUser(const char* appData, const char* folder, size_t size = 260) {
  char out[300] = "stale";
  size_t folderLength = 0;
  if (!BuildPerUserIniPath(appData, folder, out, size, &folderLength)) return out[0] == '\0' ? "-" : "stale";
  // The folder to make: the path up to its file name.
  EXPECT_EQ(std::string(out).rfind("\\ZentuTaskTray\\"), folderLength - 14) << out;
  return out;
}

// The path without its hash, and whether 8 hex digits and ".ini" end it.
std::string WithoutHash(const std::string& path) {
  if (path.size() < 12 || path.compare(path.size() - 4, 4, ".ini") != 0) return "no hash: " + path;
  if (path.find_first_not_of("0123456789ABCDEF", path.size() - 12) != path.size() - 4)
    return "no hash: " + path;
  return path.substr(0, path.size() - 12);
}

TEST(IniLocation, PerUserFileNamesTheProgramFolder) {
  const std::string twentyHyou = [] {
    std::string s = "a";
    for (int i = 0; i < 20; ++i) s += "\x95\x5C";  // 表
    return s;
  }();
  const struct {
    const char* appData;
    std::string folder;
    const char* expected;  // without the hash; "-": refused
  } rows[] = {
      {"C:\\Users\\u\\AppData\\Roaming", "C:\\Program Files\\ZentuView\\",
       "C:\\Users\\u\\AppData\\Roaming\\ZentuTaskTray\\Zentu_TaskTray-ZentuView-"},
      {"C:\\AppData\\", "C:\\TV\\\x95\x5C\x8E\xA6\\",
       "C:\\AppData\\ZentuTaskTray\\Zentu_TaskTray-\x95\x5C\x8E\xA6-"},
      {"C:\\\x95\x5C", "D:\\", "C:\\\x95\x5C\\ZentuTaskTray\\Zentu_TaskTray-"},  // 表 ends APPDATA; a root
      {"\\\\server\\home", "\\\\nas\\tv\\view\\", "\\\\server\\home\\ZentuTaskTray\\Zentu_TaskTray-view-"},
      {"C:\\A", "C:\\" + twentyHyou + "\\", nullptr},  // cut to 31 bytes, below
      {"AppData", "C:\\TV\\", "-"},
      {"", "C:\\TV\\", "-"},
      {"C:\\A", "", "-"},
  };
  for (const auto& row : rows) {
    const std::string path = PerUser(row.appData, row.folder.c_str());
    if (row.expected == nullptr) {
      EXPECT_EQ(WithoutHash(path), "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-" + twentyHyou.substr(0, 31) + "-");
    } else {
      EXPECT_EQ(row.expected[0] == '-' ? path : WithoutHash(path), row.expected) << row.folder;
    }
  }
  // The hash (FNV-1a of "C:\PROGRAM FILES\ZENTUVIEW") is part of users' file
  // names: it must never change.
  EXPECT_EQ(PerUser("C:\\A", "C:\\Program Files\\ZentuView\\"),
            "C:\\A\\ZentuTaskTray\\Zentu_TaskTray-ZentuView-82342344.ini");
  // A folder spelled otherwise is the same folder; any other folder is not.
  const std::string one = PerUser("C:\\A", "C:\\TV\\View\\");
  EXPECT_EQ(WithoutHash(PerUser("C:\\A", "c:/tv/View")), WithoutHash(one));
  EXPECT_EQ(PerUser("C:\\A", "c:/tv/View").substr(WithoutHash(one).size()),
            one.substr(WithoutHash(one).size()));
  EXPECT_NE(PerUser("C:\\A", "C:\\TV2\\View\\"), one);
  EXPECT_NE(PerUser("C:\\A", "C:\\TV\\\x83\x41\\View\\"),
            PerUser("C:\\A", "C:\\TV\\\x83\x61\\View\\"));  // ア, ツ
  EXPECT_EQ(PerUser("C:\\A", "C:\\TV\\View\\", one.size()), "-");
  EXPECT_EQ(PerUser("C:\\A", "C:\\TV\\View\\", one.size() + 1), one);
}

}  // namespace
