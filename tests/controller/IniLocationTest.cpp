// Where the controller keeps its settings when the folder beside the program
// cannot be written: the real controller over real files, with APPDATA
// pointed at a folder of the test. Running as root, Unix permissions stop no
// write, so a folder is made unwritable by a directory in the ini file's
// place, and a file by a handle held without write sharing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "IniPath.h"
#include "PluginHarness.h"
#include "resource.h"

using testsupport::ProgramIni;

namespace {

enum class Beside { kNone, kFile, kLockedFile, kDirectory };
enum class Written { kBeside, kPerUser, kNowhere };

struct Row {
  const char* what;
  Beside beside;          // a file holds NoCard=11, AutoDispStatus=0
  bool perUserNewer;      // a per-user file, NoCard=22, AutoDispStatus=0, written later
  bool appDataAbsolute;   // otherwise APPDATA is a relative name
  int32_t noCardAtStart;  // which file the first start read
  Written written;        // where the first shutdown wrote
};

// NoCard=noCard and AutoDispStatus=0, last written `seconds` after a day in
// 2012.
void WriteIni(const std::string& path, const char* noCard, int seconds) {
  WritePrivateProfileStringA("TaskTray", "NoCard", noCard, path.c_str());
  WritePrivateProfileStringA("TaskTray", "AutoDispStatus", "0", path.c_str());
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  const uint64_t ticks = 130000000000000000ull + seconds * 10000000ull;
  const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

std::string ReadIni(const std::string& path, const char* key) {
  char value[64] = {};
  GetPrivateProfileStringA("TaskTray", key, "<missing>", value, sizeof value, path.c_str());
  return value;
}

// Every file matching pattern, with its folder.
std::vector<std::string> FilesMatching(const std::string& folder, const char* pattern) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    found.push_back(folder + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return found;
}

class IniLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    testsupport::ResetModule();
    const std::string& beside = ini_.Path();
    appData_ = beside.substr(0, beside.size() - std::string("Zentu_TaskTray.ini").size()) + "ini-appdata";
    CreateDirectoryA(appData_.c_str(), nullptr);
    char previous[MAX_PATH] = {};
    GetEnvironmentVariableA("APPDATA", previous, sizeof previous);
    previousAppData_ = previous;
    SetEnvironmentVariableA("APPDATA", appData_.c_str());
  }
  void TearDown() override {
    Stop();
    CleanUp();
    RemoveDirectoryA(appData_.c_str());
    SetEnvironmentVariableA("APPDATA", previousAppData_.c_str());
  }
  void CleanUp() {
    if (lock_ != INVALID_HANDLE_VALUE) CloseHandle(lock_);
    lock_ = INVALID_HANDLE_VALUE;
    SetFileAttributesA(ini_.Path().c_str(), FILE_ATTRIBUTE_NORMAL);
    ini_.Clear();
    RemoveDirectoryA(ini_.Path().c_str());
    for (const std::string& file : PerUserFiles()) DeleteFileA(file.c_str());
    RemoveDirectoryA(PerUserFolder().c_str());
  }
  Controller& Start() {
    host_ = std::make_unique<standin::StandInViewer>();
    EXPECT_TRUE(host_->Create());
    plugin_ = std::make_unique<CSamplePlugin>();
    EXPECT_EQ(plugin_->Create(host_->MainWindow()), 1);
    return plugin_->GetController();
  }
  void Stop() {
    if (host_) DestroyWindow(host_->MainWindow());
    plugin_.reset();
    host_.reset();
  }
  std::string PerUserFolder() const { return appData_ + "\\ZentuTaskTray"; }
  std::vector<std::string> PerUserFiles() const { return FilesMatching(PerUserFolder(), "*.ini"); }

  ProgramIni ini_;
  std::string appData_;
  std::string previousAppData_;
  HANDLE lock_ = INVALID_HANDLE_VALUE;
  std::unique_ptr<standin::StandInViewer> host_;
  std::unique_ptr<CSamplePlugin> plugin_;
};

TEST_F(IniLocation, SettingsSurviveAFolderThatCannotBeWritten) {
  const Row rows[] = {
      {"writable folder", Beside::kNone, false, true, 0, Written::kBeside},
      {"unwritable, no file yet", Beside::kDirectory, false, true, 0, Written::kPerUser},
      {"read-only file beside", Beside::kLockedFile, false, true, 11, Written::kPerUser},
      {"folder writable again", Beside::kFile, true, true, 22, Written::kBeside},
      {"no per-user place", Beside::kDirectory, false, false, 0, Written::kNowhere},
  };
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string& beside = ini_.Path();
    if (row.perUserNewer) {
      // Where an earlier start with the folder unwritable kept them.
      CreateDirectoryA(beside.c_str(), nullptr);
      Start();
      Stop();
      RemoveDirectoryA(beside.c_str());
      if (PerUserFiles().size() != 1) {
        ADD_FAILURE() << "no per-user file";
        CleanUp();
        continue;
      }
      WriteIni(PerUserFiles()[0], "22", 1);
    }
    if (row.beside == Beside::kDirectory) CreateDirectoryA(beside.c_str(), nullptr);
    if (row.beside == Beside::kFile || row.beside == Beside::kLockedFile) WriteIni(beside, "11", 0);
    if (row.beside == Beside::kLockedFile) {
      SetFileAttributesA(beside.c_str(), FILE_ATTRIBUTE_READONLY);
      lock_ = CreateFileA(beside.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(lock_, INVALID_HANDLE_VALUE);
    }
    if (!row.appDataAbsolute) SetEnvironmentVariableA("APPDATA", "ini-relative");

    EXPECT_EQ(Start().Settings().noCard, row.noCardAtStart);
    SendMessageA(plugin_->GetController().Window(), WM_COMMAND, IDM_AUTO_DISP_STATUS, 0);  // 0 or 1 -> 1 or 0
    const int32_t held = plugin_->GetController().Settings().autoDispStatus;
    Stop();

    std::string written;
    if (row.written == Written::kBeside) written = beside;
    if (row.written == Written::kPerUser && PerUserFiles().size() == 1) written = PerUserFiles()[0];
    if (row.written != Written::kNowhere) {
      EXPECT_FALSE(written.empty());
      EXPECT_EQ(ReadIni(written, "AutoDispStatus"), std::to_string(held));
      // Keys only read are carried along from the file read at start.
      EXPECT_EQ(ReadIni(written, "NoCard"),
                row.noCardAtStart != 0 ? std::to_string(row.noCardAtStart) : "<missing>");
      EXPECT_EQ(GetFileAttributesA(written.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    }
    if (row.written != Written::kPerUser) {
      EXPECT_EQ(PerUserFiles().size(), row.perUserNewer ? 1u : 0u);
    }
    if (row.beside == Beside::kLockedFile) {
      EXPECT_EQ(ReadIni(beside, "AutoDispStatus"), "0");
    }
    EXPECT_TRUE(FilesMatching(windows, "Zentu*").empty());
    EXPECT_TRUE(FilesMatching(".", "ini-relative").empty());

    // The next start reads them from where they were written.
    Controller& again = Start();
    EXPECT_EQ(again.Settings().noCard, row.noCardAtStart);
    EXPECT_EQ(again.Settings().autoDispStatus, row.written != Written::kNowhere ? held : 1);
    if (row.written != Written::kNowhere) {
      EXPECT_STREQ(again.Settings().iniPath, written.c_str());
    }
    Stop();
    SetEnvironmentVariableA("APPDATA", appData_.c_str());
    CleanUp();
  }
}

TEST_F(IniLocation, ProgramsInDifferentFoldersNeverShareAFile) {
  // Folders that do not exist cannot be written either.
  const char* const programs[] = {"C:\\zentu-a\\ZentuView.exe", "C:\\zentu-b\\ZentuView.exe",
                                  "C:\\other\\zentu-a\\ZentuView.exe", "D:\\zentu-a\\ZentuView.exe"};
  std::vector<std::string> files;
  for (const char* program : programs) {
    char path[MAX_PATH];
    ASSERT_TRUE(LocateIniFile(program, path, sizeof path)) << program;
    EXPECT_EQ(std::string(path).rfind(PerUserFolder() + "\\", 0), 0u) << path;
    for (const std::string& earlier : files) EXPECT_NE(lstrcmpiA(path, earlier.c_str()), 0) << path;
    files.push_back(path);
  }
}

}  // namespace
