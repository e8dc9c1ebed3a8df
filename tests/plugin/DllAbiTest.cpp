// The real ZentuTaskTray.dll as a host loads it: the two factories found by
// name, and the object driven only through its six raw vtable slots with the
// host's calling convention.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "StandInViewer.h"  // the host side of the slots: nothing of the plug-in is linked
#include "WinTestSupport.h"
#include "ZentuVersion.h"

using namespace testsupport;

namespace {

using GetIfaceFunction = void*(__cdecl*)();
using GetIface2Function = int32_t(__cdecl*)(int32_t reserved, void** plugin);

class LoadedDll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA("ZentuTaskTray.dll");
    ASSERT_NE(module_, nullptr) << GetLastError();
    getIface_ =
        reinterpret_cast<GetIfaceFunction>(reinterpret_cast<void*>(GetProcAddress(module_, "GetIface")));
    getIface2_ =
        reinterpret_cast<GetIface2Function>(reinterpret_cast<void*>(GetProcAddress(module_, "GetIface2")));
    ASSERT_NE(getIface_, nullptr);
    ASSERT_NE(getIface2_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  // The viewer's main window, shown.
  HWND StartViewer() { return viewer.Create() ? viewer.MainWindow() : nullptr; }

  HMODULE module_ = nullptr;
  GetIfaceFunction getIface_ = nullptr;
  GetIface2Function getIface2_ = nullptr;
  ProgramIni ini;
  standin::StandInViewer viewer;
};

TEST_F(LoadedDll, FullLifeThroughRawSlots) {
  HWND host = StartViewer();
  RawPlugin plugin(getIface_());
  ASSERT_NE(plugin.Object(), nullptr);

  int hostObject = 0;
  EXPECT_EQ(plugin.Init(&hostObject, 0x00010400), 1);
  EXPECT_EQ(plugin.Create(host), 1);
  HWND controller = standin::FindPluginController(host);
  ASSERT_NE(controller, nullptr);
  EXPECT_FALSE(IsWindowVisible(controller));
  char caption[64] = {};
  GetWindowTextA(controller, caption, sizeof caption);
  EXPECT_STREQ(caption, kControllerCaption);

  const std::vector<uint8_t> packet = StartOfLongSection(0x0010);
  EXPECT_EQ(plugin.InputTsData(packet.data(), 0), 1);
  EXPECT_EQ(plugin.InputTsData(packet.data(), 188), 1);
  GuardedBuffer fragment(100);
  EXPECT_EQ(plugin.InputTsData(fragment.Data(), 100), 1);
  EXPECT_EQ(plugin.OnServiceChange(0x10001, 0x0400), 1);
  EXPECT_EQ(plugin.OnServiceChange(0x10001, 0x0400), 1);
  EXPECT_EQ(plugin.Reserved5(-1, 12345), 1);

  SendMessageA(controller, WM_TIMER, 1000, 0);
  viewer.Destroy();
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(ini.Read("AutoDispStatus"), "1");
  EXPECT_NE(ini.Read("WindowX"), "<missing>");
  EXPECT_EQ(plugin.InputTsData(packet.data(), 188), 1);  // after teardown

  EXPECT_EQ(plugin.Destroy(1), plugin.Object());
}

TEST_F(LoadedDll, GetIface2AnswersOneEvenWithoutAPlace) {
  EXPECT_EQ(getIface2_(12345, nullptr), 1);
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(getIface2_(0, &object), 1);
  ASSERT_NE(object, nullptr);
  RawPlugin(object).Destroy(1);
}

TEST_F(LoadedDll, SdkVersionCheckedOnTheThirdByteOnly) {
  RawPlugin plugin(getIface_());
  MessageBoxAnswerer watcher(kMessageCaption, IDOK);
  int refused = 0;
  for (uint32_t version : {0x00020000u, 0x00000100u}) {
    EXPECT_EQ(plugin.Init(nullptr, version), 0) << std::hex << version;
    EXPECT_EQ(watcher.Count(), ++refused);
    const MessageBoxSeen box = watcher.Last();
    EXPECT_EQ(box.text, "Wrong SDK Version");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_TRUE(box.hasIcon);
  }
  for (uint32_t version : {0x00010400u, 0x00010000u, 0x0101FFFFu}) {
    EXPECT_EQ(plugin.Init(nullptr, version), 1) << std::hex << version;
  }
  watcher.Stop();
  EXPECT_EQ(watcher.Count(), refused);
  plugin.Destroy(1);
}

// The version resource carries the CMake project version, the product's one
// name and the copyright of LICENSE, in Japanese with code page 932.
TEST_F(LoadedDll, VersionResourceIsTheProjectVersionInJapanese) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(module_, path, sizeof path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD versionMs = (DWORD{ZENTU_VERSION_MAJOR} << 16) | ZENTU_VERSION_MINOR;
  const DWORD versionLs = DWORD{ZENTU_VERSION_PATCH} << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, versionMs);
  EXPECT_EQ(fixed->dwFileVersionLS, versionLs);
  EXPECT_EQ(fixed->dwProductVersionMS, versionMs);
  EXPECT_EQ(fixed->dwProductVersionLS, versionLs);
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 932);
  const std::pair<std::string, std::string> strings[] = {
      {"FileDescription", kMessageCaption},  // タスクトレイ管理 in Shift_JIS
      {"FileVersion", ZENTU_FILE_VERSION_TEXT},
      {"ProductVersion", ZENTU_FILE_VERSION_TEXT},
      {"ProductName", "ZentuTaskTray"},
      {"LegalCopyright", ZENTU_COPYRIGHT_TEXT}};
  for (const auto& [key, expected] : strings) {
    char* value = nullptr;
    const std::string query = "\\StringFileInfo\\041103a4\\" + key;
    ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << key;
    EXPECT_STREQ(value, expected.c_str()) << key;
  }
}

}  // namespace
