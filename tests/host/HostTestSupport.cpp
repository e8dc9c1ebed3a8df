#include "HostTestSupport.h"

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

void HostFixture::SetUp() {}

void HostFixture::TearDown() {
  SaveVisibility();  // frees the titles
  for (HWND window : g_extraWindows) {
    if (IsWindow(window)) DestroyWindow(window);
  }
  g_extraWindows.clear();
  viewer.reset();
  host.reset();
  testsupport::PumpMessages();
}

void HostFixture::StartViewer(const standin::Options& options) {
  viewer = std::make_unique<standin::StandInViewer>(options);
  ASSERT_TRUE(viewer->Create());
  host->SetHostMainWindow(viewer->MainWindow());
  controller = AddWindow("controller", viewer->MainWindow(), false);
  testsupport::PumpMessages();
}

HWND HostFixture::AddWindow(const char* title, HWND owner, bool visible) {
  RegisterExtraClass();
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kExtraClass, title, WS_POPUP | WS_CAPTION, 10, 10, 100, 60,
                                owner, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window && visible) ShowWindow(window, SW_SHOWNOACTIVATE);
  g_extraWindows.push_back(window);
  return window;
}

int32_t HostFixture::IndexOf(HWND window) const {
  const HostWindowList& list = host->WindowList();
  for (int32_t i = 0; i < list.count; ++i) {
    if (list.window[i] == window) return i;
  }
  return -1;
}
