#include "HostTestSupport.h"

#include <cstdio>
#include <vector>

const char kProgrammeName[] = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";
const char kRemoteName[] = "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8";
const char kRecordingJapanese[] = "\x98\x5e\x89\xe6\x92\x86";

namespace {

constexpr char kExtraClass[] = "HostTestExtraWindow";

void RegisterExtraClass() {
  WNDCLASSA existing;
  if (GetClassInfoA(GetModuleHandleA(nullptr), kExtraClass, &existing)) return;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kExtraClass;
  RegisterClassA(&windowClass);
}

std::vector<HWND> g_extraWindows;

}  // namespace

void HostFixture::SetUp() {
  Module().Reset(GetModuleHandleA(nullptr));
  char directory[MAX_PATH];
  GetTempPathA(sizeof directory, directory);
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  iniFile = std::string(directory) + "host_" + info->name() + ".ini";
  DeleteFileA(iniFile.c_str());
  plugin = std::make_unique<CSamplePlugin>();
}

void HostFixture::TearDown() {
  if (plugin) SaveVisibility();  // frees the titles
  for (HWND window : g_extraWindows) {
    if (IsWindow(window)) DestroyWindow(window);
  }
  g_extraWindows.clear();
  if (controller && IsWindow(controller)) DestroyWindow(controller);
  viewer.reset();
  plugin.reset();
  PumpMessages();
  DeleteFileA(iniFile.c_str());
}

void HostFixture::StartViewer(const standin::Options& options) {
  viewer = std::make_unique<standin::StandInViewer>(options);
  ASSERT_TRUE(viewer->Create());
  plugin->Host().SetHostMainWindow(viewer->MainWindow());
  controller = AddWindow("controller", viewer->MainWindow(), false);
  PumpMessages();
}

void HostFixture::PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HWND HostFixture::AddWindow(const char* title, HWND owner, bool visible) {
  RegisterExtraClass();
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kExtraClass, title, WS_POPUP | WS_CAPTION, 10, 10,
                                100, 60, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window && visible) ShowWindow(window, SW_SHOWNOACTIVATE);
  g_extraWindows.push_back(window);
  return window;
}

std::string HostFixture::IniValue(const char* key) {
  char value[64];
  GetPrivateProfileStringA("TaskTray", key, "<missing>", value, sizeof value, iniFile.c_str());
  return value;
}

void HostFixture::WriteIni(const char* key, const char* value) {
  WritePrivateProfileStringA("TaskTray", key, value, iniFile.c_str());
}

int32_t HostFixture::IndexOf(HWND window) const {
  for (int32_t i = 0; i < plugin->Host().WindowList().count; ++i) {
    if (plugin->Host().WindowList().window[i] == window) return i;
  }
  return -1;
}
