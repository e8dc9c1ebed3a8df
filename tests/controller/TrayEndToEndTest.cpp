// The tray icon through the real controller dialog: discovery on the third
// tick adds it, a refused add is retried by the next tick, the shell's
// restart message adds it again, destruction removes it.
#include <gtest/gtest.h>

#include "PluginHarness.h"

namespace {

TEST(TrayEndToEnd, IconFollowsDiscoveryRefusalRestartAndShutdown) {
  testsupport::ShellTray tray;
  ASSERT_TRUE(tray.Create());
  testsupport::PluginHarness harness;
  ASSERT_TRUE(harness.Create(false));
  standin::HostInterface host;
  ASSERT_EQ(harness.Plugin().Init(host.Object(), host::kSdkVersionWithQuit), 1);
  HWND controller = harness.ControllerWindow();

  tray.SetAccepting(false);  // the shell is not ready when discovery runs
  harness.Tick(3);
  const size_t refused = tray.CountOf(NIM_ADD);
  ASSERT_GE(refused, 1u);
  EXPECT_EQ(harness.Control().Tray().Pending(), 1);
  tray.SetAccepting(true);
  harness.Tick();
  auto adds = tray.CallsOf(NIM_ADD);
  ASSERT_EQ(adds.size(), refused + 1);
  EXPECT_EQ(adds.back().window, controller);
  EXPECT_EQ(adds.back().tip, "Zentu HDTV Player");
  harness.Tick();
  EXPECT_EQ(tray.CountOf(NIM_ADD), refused + 1);

  tray.Clear();
  SendMessageA(controller, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  ASSERT_EQ(tray.CountOf(NIM_ADD), 1u);
  EXPECT_EQ(tray.CallsOf(NIM_ADD)[0].id, kTrayIconId);

  // Another program's command closes the viewer through the host's quit slot.
  PostMessageA(controller, WM_COMMAND, 1009, 0);
  testsupport::PumpMessages();
  EXPECT_EQ(host.QuitCount(), 1);

  tray.Clear();
  DestroyWindow(controller);
  EXPECT_EQ(tray.CountOf(NIM_DELETE), 1u);
}

}  // namespace
