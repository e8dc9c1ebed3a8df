// The tray icon through the real controller dialog: discovery on the third
// tick adds it, a refused add is retried by the next tick, the shell's
// restart message adds it again, destruction removes it.
#include <gtest/gtest.h>

#include <string>

#include "TrayTestSupport.h"

namespace {

std::string IniBesideExecutable() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string ini(path);
  return ini.substr(0, ini.find_last_of("\\/") + 1) + "Zentu_TaskTray.ini";
}

TEST(TrayEndToEnd, IconFollowsDiscoveryRefusalRestartAndShutdown) {
  Module().Reset(GetModuleHandleA(nullptr));
  if (!FindResourceA(Module().instance.load(), "IDR_POPUP", MAKEINTRESOURCEA(4))) GTEST_SKIP() << "resources not linked";
  DeleteFileA(IniBesideExecutable().c_str());
  traytest::FakeShellTray tray;
  ASSERT_TRUE(tray.Create());
  standin::StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  standin::HostInterface host;
  auto* plugin = new CSamplePlugin();
  ASSERT_EQ(plugin->Init(host.Object(), host::kSdkVersionWithQuit), 1);
  plugin->Create(viewer.MainWindow());
  HWND controller = plugin->GetController().Window();
  ASSERT_NE(controller, nullptr);

  tray.SetAccepting(false);  // the shell is not ready when discovery runs
  for (int tick = 0; tick < 3; ++tick) SendMessageA(controller, WM_TIMER, kMonitorTimerId, 0);
  const size_t refused = tray.CallsOf(NIM_ADD).size();
  ASSERT_GE(refused, 1u);
  EXPECT_EQ(plugin->GetController().Tray().Pending(), 1);
  tray.SetAccepting(true);
  SendMessageA(controller, WM_TIMER, kMonitorTimerId, 0);
  auto adds = tray.CallsOf(NIM_ADD);
  ASSERT_EQ(adds.size(), refused + 1);
  EXPECT_EQ(adds.back().window, controller);
  EXPECT_EQ(adds.back().tip, "Zentu HDTV Player");
  SendMessageA(controller, WM_TIMER, kMonitorTimerId, 0);
  EXPECT_EQ(tray.CallsOf(NIM_ADD).size(), refused + 1);

  tray.Clear();
  SendMessageA(controller, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ASSERT_EQ(tray.CallsOf(NIM_ADD).size(), 1u);
  EXPECT_EQ(tray.CallsOf(NIM_ADD)[0].id, kTrayIconId);

  // Another program's command closes the viewer through the host's quit slot.
  PostMessageA(controller, WM_COMMAND, 1009, 0);
  traytest::PluginHarness::PumpMessages();
  EXPECT_EQ(host.QuitCount(), 1);

  tray.Clear();
  DestroyWindow(controller);
  EXPECT_EQ(tray.CallsOf(NIM_DELETE).size(), 1u);
  plugin->ScalarDeletingDestructor(1);
  DeleteFileA(IniBesideExecutable().c_str());
}

}  // namespace
