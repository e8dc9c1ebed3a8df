// Discovery as the viewer sees it: the controller window created through
// Create, driven by its monitoring timer, and torn down with the main window.
#include <string>

#include "HostTestSupport.h"

namespace {

std::string IniBesideThisProgram() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string ini = path;
  return ini.substr(0, ini.find_last_of("\\/") + 1) + "Zentu_TaskTray.ini";
}

class HostThroughController : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    iniFile = IniBesideThisProgram();  // where the controller keeps its settings
    DeleteFileA(iniFile.c_str());
  }
  void TearDown() override {
    if (viewer && viewer->MainWindow()) DestroyWindow(viewer->MainWindow());
    HostFixture::TearDown();
  }
  void CreateController() {
    plugin->Create(viewer->MainWindow());
    ASSERT_NE(plugin->GetController().Window(), nullptr);
  }
  void Tick() { SendMessageA(plugin->GetController().Window(), WM_TIMER, kMonitorTimerId, 0); }
};

}  // namespace

TEST_F(HostThroughController, ThirdTimerTickDiscoversTheViewer) {
  StartViewer();
  CreateController();
  Tick();
  Tick();
  EXPECT_EQ(plugin->Host().WindowList().count, 0);
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), nullptr);
  Tick();
  ASSERT_EQ(plugin->Host().WindowList().count, 4);
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), viewer->RemoteWindow());
  EXPECT_EQ(plugin->Host().HostVideoWindow(), viewer->VideoWindow());
  EXPECT_EQ(IndexOf(plugin->GetController().Window()), -1);  // owned by the main window but hidden
  EXPECT_EQ(IndexOf(plugin->Overlay().Window()), -1);
  EXPECT_EQ(IndexOf(plugin->Panel().Window()), -1);
  // Discovery ends with the tray icon for the controller window.
  EXPECT_EQ(plugin->GetController().Tray().Data().hWnd, plugin->GetController().Window());
  EXPECT_EQ(plugin->GetController().Tray().Data().uID, kTrayIconId);
  EXPECT_EQ(plugin->GetController().Tray().TipIsDefault(), 1);
  EXPECT_TRUE(plugin->GetController().Tray().Added() || plugin->GetController().Tray().Pending());
  Tick();
  EXPECT_EQ(plugin->Host().WindowList().count, 4);  // discovery runs once
}

TEST_F(HostThroughController, ClosingTheViewerSavesEachWindowsVisibility) {
  StartViewer();
  CreateController();
  for (int i = 0; i < 3; ++i) Tick();
  ShowWindow(viewer->RemoteWindow(), SW_HIDE);  // closed by the user
  Tick();                                       // the timer notices
  DestroyWindow(viewer->MainWindow());
  EXPECT_EQ(plugin->Host().WindowList().count, 0);
  EXPECT_EQ(IniValue("Zentu HDTV Player_View"), "1");
  EXPECT_EQ(IniValue((std::string(kRemoteName) + "_View").c_str()), "0");
  EXPECT_EQ(IniValue((std::string(kProgrammeName) + "_View").c_str()), "1");
  EXPECT_EQ(IniValue("Video_View"), "1");
}

TEST_F(HostThroughController, SavedHiddenMainWindowIsHiddenOnTheThirdTick) {
  WriteIni("Zentu HDTV Player_View", "0");
  StartViewer();
  CreateController();
  Tick();
  Tick();
  EXPECT_TRUE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  Tick();
  EXPECT_FALSE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Zentu HDTV Player", nullptr), 0);
}
