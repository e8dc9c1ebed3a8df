// The real ZentuTaskTray.dll as a host loads it: the two factories found by
// name, and the object driven only through its six raw vtable slots with the
// host's calling convention.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "PluginTestSupport.h"
#include "StandInViewer.h"  // the host side of the slots: nothing of the plug-in is linked
#include "ZentuVersion.h"

using namespace plugintest;

namespace {

using GetIfaceFunction = void*(__cdecl*)();
using GetIface2Function = int32_t(__cdecl*)(int32_t reserved, void** plugin);

using DestructorSlot = void*(STANDIN_THISCALL*)(void* self, unsigned int flags);
using InitSlot = int32_t(STANDIN_THISCALL*)(void* self, void* hostInterface, uint32_t sdkVersion);
using CreateSlot = int32_t(STANDIN_THISCALL*)(void* self, HWND hostMainWindow);
using InputTsDataSlot = int32_t(STANDIN_THISCALL*)(void* self, const uint8_t* data, uint32_t count);
using OnServiceChangeSlot = int32_t(STANDIN_THISCALL*)(void* self, int32_t hostValue, int32_t serviceId);
using Reserved5Slot = int32_t(STANDIN_THISCALL*)(void* self, int32_t a, int32_t b);

// The object seen only as a pointer to its vtable.
class RawPlugin {
 public:
  explicit RawPlugin(void* object) : object_(object) {}
  void* Object() const { return object_; }
  template <typename Slot>
  Slot At(int index) const {
    return reinterpret_cast<Slot>((*static_cast<void***>(object_))[index]);
  }
  void* Destroy(unsigned flags) { return At<DestructorSlot>(0)(object_, flags); }
  int32_t Init(void* host, uint32_t version) { return At<InitSlot>(1)(object_, host, version); }
  int32_t Create(HWND window) { return At<CreateSlot>(2)(object_, window); }
  int32_t InputTsData(const uint8_t* data, uint32_t count) {
    return At<InputTsDataSlot>(3)(object_, data, count);
  }
  int32_t OnServiceChange(int32_t value, int32_t id) { return At<OnServiceChangeSlot>(4)(object_, value, id); }
  int32_t Reserved5(int32_t a, int32_t b) { return At<Reserved5Slot>(5)(object_, a, b); }

 private:
  void* object_;
};

class LoadedDll : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteIni();
    module_ = LoadLibraryA("ZentuTaskTray.dll");
    ASSERT_NE(module_, nullptr) << GetLastError();
    getIface_ = reinterpret_cast<GetIfaceFunction>(GetProcAddress(module_, "GetIface"));
    getIface2_ = reinterpret_cast<GetIface2Function>(GetProcAddress(module_, "GetIface2"));
    ASSERT_NE(getIface_, nullptr);
    ASSERT_NE(getIface2_, nullptr);
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    DeleteIni();
  }

  HWND FindController(HWND owner) {
    for (HWND w = FindWindowExA(nullptr, nullptr, "Zentu_TaskTray_Class", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "Zentu_TaskTray_Class", nullptr)) {
      if (GetWindow(w, GW_OWNER) == owner) return w;
    }
    return nullptr;
  }

  HMODULE module_ = nullptr;
  GetIfaceFunction getIface_ = nullptr;
  GetIface2Function getIface2_ = nullptr;
};

TEST_F(LoadedDll, FullLifeThroughRawSlots) {
  HostMainWindow host;
  RawPlugin plugin(getIface_());
  ASSERT_NE(plugin.Object(), nullptr);

  int hostObject = 0;
  EXPECT_EQ(plugin.Init(&hostObject, 0x00010400), 1);
  EXPECT_EQ(plugin.Create(host.Window()), 1);
  HWND controller = FindController(host.Window());
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
  host.Destroy();
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(ReadIniKey("AutoDispStatus"), "1");
  EXPECT_NE(ReadIniKey("WindowX"), "<missing>");
  EXPECT_EQ(plugin.InputTsData(packet.data(), 188), 1);  // after teardown

  EXPECT_EQ(plugin.Destroy(1), plugin.Object());
}

TEST_F(LoadedDll, SlotZeroBeforeTheHostWindowGoesShutsTheControllerDown) {
  HostMainWindow host;
  void* object = nullptr;
  EXPECT_EQ(getIface2_(0, &object), 1);
  ASSERT_NE(object, nullptr);
  RawPlugin plugin(object);
  EXPECT_EQ(plugin.Create(host.Window()), 1);
  HWND controller = FindController(host.Window());
  ASSERT_NE(controller, nullptr);
  EXPECT_EQ(plugin.Destroy(1), object);
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(ReadIniKey("AutoDispStatus"), "1");
  host.Destroy();
}

TEST_F(LoadedDll, NoWindowClassOutlivesTheLibrary) {
  HostMainWindow host;
  RawPlugin plugin(getIface_());
  ASSERT_EQ(plugin.Create(host.Window()), 1);
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetClassInfoExA(module_, "Zentu_TaskTray_Class", &info));
  host.Destroy();
  plugin.Destroy(1);
  HMODULE unloaded = module_;
  FreeLibrary(module_);
  module_ = nullptr;
  for (const char* name : {"Zentu_TaskTray_Class", "Zentu_TaskTrayStatus_Class", "Zentu_TaskTrayPanel_Class"}) {
    EXPECT_FALSE(GetClassInfoExA(unloaded, name, &info)) << name;
  }
}

// The host deletes the object on another thread and unloads the library
// there, while the windows' thread goes on pumping and ticking: the windows
// are torn down on their own thread and nothing runs on freed memory or
// unmapped code.
TEST_F(LoadedDll, DeletionAndUnloadOnAnotherThreadLeaveNothingRunning) {
  HostMainWindow host;
  FakeTray tray;
  RawPlugin plugin(getIface_());
  ASSERT_EQ(plugin.Create(host.Window()), 1);
  HWND controller = FindController(host.Window());
  ASSERT_NE(controller, nullptr);
  for (int i = 0; i < 3; ++i) SendMessageA(controller, WM_TIMER, 1000, 0);
  ASSERT_EQ(tray.CountOf(NIM_ADD), 1);

  HMODULE library = module_;
  module_ = nullptr;
  std::atomic<bool> unloaded{false};
  std::thread other([&] {
    Sleep(20);
    plugin.Destroy(1);
    FreeLibrary(library);
    unloaded = true;
  });
  while (!unloaded) {
    if (IsWindow(controller)) SendMessageA(controller, WM_TIMER, 1000, 0);
    PumpMessages();
    Sleep(1);
  }
  other.join();
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  for (int i = 0; i < 200 && GetClassInfoExA(library, "Zentu_TaskTray_Class", &info); ++i) {
    PumpMessages();
    Sleep(5);
  }
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(tray.CountOf(NIM_DELETE), 1);
  for (const char* name : {"Zentu_TaskTray_Class", "Zentu_TaskTrayStatus_Class", "Zentu_TaskTrayPanel_Class"}) {
    EXPECT_FALSE(GetClassInfoExA(library, name, &info)) << name;
  }
  EXPECT_EQ(ReadIniKey("AutoDispStatus"), "1");
  host.Destroy();
  PumpMessages();
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
  MessageBoxWatcher watcher(kMessageCaption);
  int refused = 0;
  for (uint32_t version : {0x00020000u, 0x00000100u}) {
    EXPECT_EQ(plugin.Init(nullptr, version), 0) << std::hex << version;
    EXPECT_EQ(watcher.Count(), ++refused);
    EXPECT_EQ(watcher.LastText(), "Wrong SDK Version");
    EXPECT_EQ(watcher.LastOwner(), nullptr);
    EXPECT_TRUE(watcher.LastHadIcon());
  }
  for (uint32_t version : {0x00010400u, 0x00010000u, 0x0101FFFFu}) {
    EXPECT_EQ(plugin.Init(nullptr, version), 1) << std::hex << version;
  }
  watcher.Stop();
  EXPECT_EQ(watcher.Count(), refused);
  plugin.Destroy(1);
}

// The version resource carries the CMake project version, in Japanese with
// code page 932.
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
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 932);
  const std::pair<std::string, std::string> strings[] = {
      {"FileDescription", kMessageCaption},  // タスクトレイ管理 in Shift_JIS
      {"FileVersion", ZENTU_FILE_VERSION_TEXT},
      {"ProductVersion", ZENTU_FILE_VERSION_TEXT}};
  for (const auto& [key, expected] : strings) {
    char* value = nullptr;
    const std::string query = "\\StringFileInfo\\041103a4\\" + key;
    ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << key;
    EXPECT_STREQ(value, expected.c_str()) << key;
  }
}

}  // namespace
