// Discovery, hiding and restoring of the host's windows, with the stand-in
// viewer's real windows and a real ini file.
#include <cstring>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "ImportRedirect.h"

namespace {

std::string TitleAt(CSamplePlugin& plugin, int32_t index) {
  return plugin.Host().WindowList().title[index] ? plugin.Host().WindowList().title[index] : "<null>";
}

}  // namespace

// ---- Discovery ----

using HostDiscovery = HostFixture;

TEST_F(HostDiscovery, ListsTheMainWindowAndItsVisibleOwnedWindows) {
  StartViewer();
  HWND stranger = AddWindow("Video", nullptr);  // not owned: never listed
  Discover();
  const HostWindowList& list = plugin->Host().WindowList();
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.window[0], viewer->MainWindow());
  EXPECT_EQ(TitleAt(*plugin, 0), "Zentu HDTV Player");
  EXPECT_EQ(list.hideStyle[0], kHideByShow);
  EXPECT_EQ(list.visible[0], 1);
  EXPECT_EQ(TitleAt(*plugin, IndexOf(viewer->RemoteWindow())), kRemoteName);
  EXPECT_EQ(TitleAt(*plugin, IndexOf(viewer->ProgrammeWindow())), kProgrammeName);
  EXPECT_EQ(TitleAt(*plugin, IndexOf(viewer->VideoWindow())), "Video");
  for (int32_t i = 1; i < list.count; ++i) {
    EXPECT_EQ(list.hideStyle[i], kHideByShow);
    EXPECT_EQ(list.visible[i], 1);
  }
  EXPECT_EQ(IndexOf(controller), -1);  // hidden at discovery
  EXPECT_EQ(IndexOf(stranger), -1);
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), viewer->RemoteWindow());
  EXPECT_EQ(plugin->Host().HostVideoWindow(), viewer->VideoWindow());
}

TEST_F(HostDiscovery, ReadsChannelNamesOffTheRemoteButtons) {
  standin::Options options;
  options.channelNames[1] = "Toto E";
  options.channelNames[2] = "\x93\x8c\x93\x73\x82\x52";  // "東都３"
  StartViewer(options);
  Discover();
  EXPECT_STREQ(plugin->Host().ChannelName(0), "ch1:Toto G");
  EXPECT_STREQ(plugin->Host().ChannelName(1), "ch2:Toto E");  // button id 1008
  EXPECT_STREQ(plugin->Host().ChannelName(2), "ch3:\x93\x8c\x93\x73\x82\x52");  // button id 1007
  EXPECT_STREQ(plugin->Host().ChannelName(8), "ch9:");
  EXPECT_STREQ(plugin->Host().ChannelName(11), "ch12:");
}

TEST_F(HostDiscovery, ProgrammeAndRemoteTitlesWithMoreTextAreListedByTheirNames) {
  StartViewer();
  // The programme window switched to the next programme: its title grows.
  SendMessageA(viewer->ProgrammeWindow(), WM_COMMAND, standin::kCommandProgrammeToggle, 0);
  SetWindowTextA(viewer->RemoteWindow(), (std::string(kRemoteName) + " 2").c_str());
  HWND shortProgramme = AddWindow((std::string(kProgrammeName) + " extra").c_str(), viewer->MainWindow());
  Discover();
  EXPECT_EQ(TitleAt(*plugin, IndexOf(viewer->ProgrammeWindow())), kProgrammeName);
  EXPECT_EQ(TitleAt(*plugin, IndexOf(shortProgramme)), kProgrammeName);
  EXPECT_EQ(TitleAt(*plugin, IndexOf(viewer->RemoteWindow())), kRemoteName);
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), viewer->RemoteWindow());
}

TEST_F(HostDiscovery, NearVideoTitlesAreNotTheVideoWindow) {
  standin::Options options;
  options.createVideo = false;
  StartViewer(options);
  HWND spaced = AddWindow("Video ", viewer->MainWindow());
  HWND lower = AddWindow("video", viewer->MainWindow());
  Discover();
  EXPECT_EQ(plugin->Host().HostVideoWindow(), nullptr);
  EXPECT_GE(IndexOf(spaced), 1);
  EXPECT_GE(IndexOf(lower), 1);
}

TEST_F(HostDiscovery, HiddenMainWindowIsListedHiddenOwnedWindowsAreNot) {
  StartViewer();
  ShowWindow(viewer->ProgrammeWindow(), SW_HIDE);
  ShowWindow(viewer->MainWindow(), SW_HIDE);
  Discover();
  EXPECT_EQ(plugin->Host().WindowList().window[0], viewer->MainWindow());
  EXPECT_EQ(plugin->Host().WindowList().visible[0], 0);
  EXPECT_EQ(IndexOf(viewer->ProgrammeWindow()), -1);
  EXPECT_EQ(plugin->Host().WindowList().count, 3);
}

TEST_F(HostDiscovery, UtilityWindowStandsInForAMissingVideoWindow) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StartViewer(options);
  ShowWindow(viewer->UtilityWindow(), SW_MINIMIZE);
  Discover();
  int32_t index = IndexOf(viewer->UtilityWindow());
  ASSERT_GE(index, 1);
  EXPECT_EQ(TitleAt(*plugin, index), "ZentuUtil");
  EXPECT_EQ(plugin->Host().WindowList().hideStyle[index], kHideByMinimise);
  EXPECT_EQ(plugin->Host().WindowList().visible[index], 1);  // whatever its real state
  EXPECT_EQ(plugin->Host().HostVideoWindow(), viewer->VideoWindow());
  EXPECT_EQ(IndexOf(viewer->VideoWindow()), -1);  // the child itself is not listed

  plugin->Host().RestoreHostWindow(viewer->UtilityWindow());
  EXPECT_FALSE(IsIconic(viewer->UtilityWindow()));
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(index), 1);
  plugin->Host().HideHostWindow(viewer->UtilityWindow());
  EXPECT_TRUE(IsIconic(viewer->UtilityWindow()));
  EXPECT_TRUE(HasStyle(viewer->UtilityWindow(), WS_VISIBLE));  // minimised, not hidden
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(index), 0);

  // Restored, then closed by the host: a window that is gone is not visible.
  plugin->Host().RestoreHostWindow(viewer->UtilityWindow());
  DestroyWindow(viewer->UtilityWindow());
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(index), 0);
  plugin->Host().RefreshHostWindowVisibility();
  EXPECT_EQ(plugin->Host().WindowList().visible[index], 0);
}

TEST_F(HostDiscovery, UtilityWindowWithoutVideoChildLeavesNoVideoWindow) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StartViewer(options);
  SetWindowTextA(viewer->VideoWindow(), "Video2");
  Discover();
  EXPECT_GE(IndexOf(viewer->UtilityWindow()), 1);
  EXPECT_EQ(plugin->Host().HostVideoWindow(), nullptr);
}

TEST_F(HostDiscovery, OwnedVideoWindowWinsOverTheUtilityWindow) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StartViewer(options);
  HWND ownedVideo = AddWindow("Video", viewer->MainWindow());
  Discover();
  EXPECT_EQ(plugin->Host().HostVideoWindow(), ownedVideo);
  EXPECT_EQ(IndexOf(viewer->UtilityWindow()), -1);
}

TEST_F(HostDiscovery, WindowsSavedAsHiddenAreHiddenAgain) {
  WriteIni("Zentu HDTV Player_View", "0");
  WriteIni((std::string(kProgrammeName) + "_View").c_str(), "0");
  WriteIni("Video_View", "1");
  StartViewer();
  Discover();
  EXPECT_FALSE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(viewer->ProgrammeWindow(), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(viewer->VideoWindow(), WS_VISIBLE));
  EXPECT_EQ(plugin->Host().WindowList().visible[0], 0);
  EXPECT_EQ(plugin->Host().WindowList().visible[IndexOf(viewer->ProgrammeWindow())], 0);
}

TEST_F(HostDiscovery, WithoutKeysNothingIsHidden) {
  StartViewer();
  Discover();
  for (HWND window : {viewer->MainWindow(), viewer->RemoteWindow(), viewer->ProgrammeWindow(), viewer->VideoWindow()}) {
    EXPECT_TRUE(HasStyle(window, WS_VISIBLE));
  }
}

TEST_F(HostDiscovery, RunsOnceAndNeedsTheMainWindow) {
  StartViewer();
  HWND main = plugin->Host().HostMainWindow();
  plugin->Host().SetHostMainWindow(nullptr);
  EXPECT_FALSE(Discover());  // so the controller adds no tray icon either
  EXPECT_EQ(plugin->Host().WindowList().count, 0);
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), nullptr);
  EXPECT_STREQ(plugin->Host().ChannelName(0), "");

  plugin->Host().SetHostMainWindow(main);
  EXPECT_TRUE(Discover());
  ASSERT_EQ(plugin->Host().WindowList().count, 4);
  AddWindow("late", main);
  EXPECT_FALSE(Discover());
  EXPECT_EQ(plugin->Host().WindowList().count, 4);
}

TEST_F(HostDiscovery, NoRemoteWindowLeavesChannelNamesEmpty) {
  standin::Options options;
  options.createRemote = false;
  StartViewer(options);
  Discover();
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), nullptr);
  EXPECT_STREQ(plugin->Host().ChannelName(0), "");
}

TEST_F(HostDiscovery, MoreWindowsThanTheTableHoldsStopAtOneHundred) {
  StartViewer();
  for (int i = 0; i < 120; ++i) AddWindow(("extra " + std::to_string(i)).c_str(), viewer->MainWindow());
  // The remote window's title is read last in the walk: newest windows lie on top.
  Discover();
  ASSERT_EQ(plugin->Host().WindowList().count, kMaxHostWindows);
  for (int32_t i = 0; i < kMaxHostWindows; ++i) {
    ASSERT_NE(plugin->Host().WindowList().title[i], nullptr);
    EXPECT_LT(std::strlen(plugin->Host().WindowList().title[i]), static_cast<size_t>(kHostTitleSize));
  }
  EXPECT_EQ(plugin->Host().HostRemoteWindow(), viewer->RemoteWindow());
  EXPECT_EQ(plugin->Host().HostVideoWindow(), viewer->VideoWindow());
  EXPECT_STREQ(plugin->Host().ChannelName(0), "ch1:Toto G");
}

TEST_F(HostDiscovery, LongTitlesAreKeptWithinTheirBuffers) {
  StartViewer();
  std::string longTitle(600, 'T');
  HWND window = AddWindow(longTitle.c_str(), viewer->MainWindow());
  Discover();
  int32_t index = IndexOf(window);
  ASSERT_GE(index, 1);
  EXPECT_EQ(std::strlen(plugin->Host().WindowList().title[index]), static_cast<size_t>(kHostTitleSize - 1));
}

// ---- Hiding, restoring and visibility ----

using HostVisibility = HostFixture;

TEST_F(HostVisibility, HideAllAndRestoreAllIncludeTheMainWindow) {
  StartViewer();
  Discover();
  plugin->Host().HideAllHostWindows();
  for (int32_t i = 0; i < plugin->Host().WindowList().count; ++i) {
    EXPECT_FALSE(HasStyle(plugin->Host().WindowList().window[i], WS_VISIBLE)) << TitleAt(*plugin, i);
    EXPECT_EQ(plugin->Host().WindowList().visible[i], 0);
    EXPECT_EQ(plugin->Host().IsHostWindowVisible(i), 0);
  }
  plugin->Host().RestoreAllHostWindows();
  for (int32_t i = 0; i < plugin->Host().WindowList().count; ++i) {
    EXPECT_TRUE(HasStyle(plugin->Host().WindowList().window[i], WS_VISIBLE)) << TitleAt(*plugin, i);
    EXPECT_EQ(plugin->Host().WindowList().visible[i], 1);
  }
}

TEST_F(HostVisibility, BeforeDiscoveryNothingIsListedOrTouched) {
  StartViewer();
  plugin->Host().HideAllHostWindows();
  plugin->Host().HideHostWindow(viewer->RemoteWindow());
  EXPECT_TRUE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
  int32_t index = 77;
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Zentu HDTV Player", &index), kTitleNotListed);
  EXPECT_EQ(index, 77);
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(0), 0);
  Discover();
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(-1), 0);
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(plugin->Host().WindowList().count), 0);
}

TEST_F(HostVisibility, UnlistedHandlesAreIgnored) {
  StartViewer();
  Discover();
  HWND late = AddWindow("late", viewer->MainWindow());
  plugin->Host().HideHostWindow(late);
  plugin->Host().HideHostWindow(nullptr);
  EXPECT_TRUE(HasStyle(late, WS_VISIBLE));
  ShowWindow(viewer->RemoteWindow(), SW_HIDE);
  plugin->Host().RestoreHostWindow(late);
  EXPECT_FALSE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
}

TEST_F(HostVisibility, QueryByTitleTellsHiddenFromUnlisted) {
  StartViewer();
  Discover();
  int32_t index = -5;
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Zentu HDTV Player", &index), 1);
  EXPECT_EQ(index, 0);
  plugin->Host().HideHostWindow(viewer->ProgrammeWindow());
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle(kProgrammeName, &index), 0);
  EXPECT_EQ(index, IndexOf(viewer->ProgrammeWindow()));
  index = -5;
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Zentu HDTV", &index), kTitleNotListed);
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle(nullptr, &index), kTitleNotListed);
  EXPECT_EQ(index, -5);
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Video", nullptr), 1);
  // The answer is the live state, not the last recorded flag.
  ShowWindow(viewer->VideoWindow(), SW_HIDE);
  EXPECT_EQ(plugin->Host().QueryHostWindowByTitle("Video", nullptr), 0);
  EXPECT_EQ(plugin->Host().WindowList().visible[IndexOf(viewer->VideoWindow())], 1);
}

TEST_F(HostVisibility, RefreshFollowsWhatHappenedToTheWindows) {
  StartViewer();
  Discover();
  int32_t remote = IndexOf(viewer->RemoteWindow());
  ShowWindow(viewer->RemoteWindow(), SW_HIDE);
  EXPECT_EQ(plugin->Host().WindowList().visible[remote], 1);  // queries never change the flag
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(remote), 0);
  EXPECT_EQ(plugin->Host().WindowList().visible[remote], 1);
  plugin->Host().RefreshHostWindowVisibility();
  EXPECT_EQ(plugin->Host().WindowList().visible[remote], 0);
  ShowWindow(viewer->RemoteWindow(), SW_SHOWNOACTIVATE);
  plugin->Host().RefreshHostWindowVisibility();
  EXPECT_EQ(plugin->Host().WindowList().visible[remote], 1);
}

TEST_F(HostVisibility, WindowsDestroyedAfterDiscoveryCountAsHidden) {
  StartViewer();
  Discover();
  int32_t programme = IndexOf(viewer->ProgrammeWindow());
  HWND gone = viewer->ProgrammeWindow();
  DestroyWindow(gone);
  plugin->Host().RefreshHostWindowVisibility();
  EXPECT_EQ(plugin->Host().WindowList().visible[programme], 0);
  EXPECT_EQ(plugin->Host().IsHostWindowVisible(programme), 0);
  plugin->Host().HideAllHostWindows();
  plugin->Host().RestoreAllHostWindows();
  EXPECT_EQ(plugin->Host().WindowList().count, 4);  // still listed
}

// ---- Saving visibility ----

using HostVisibilityKeys = HostFixture;

TEST_F(HostVisibilityKeys, SavedPerTitleAndEmptiesTheList) {
  StartViewer();
  Discover();
  plugin->Host().HideHostWindow(viewer->ProgrammeWindow());
  SaveVisibility();
  EXPECT_EQ(plugin->Host().WindowList().count, 0);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(plugin->Host().WindowList().title[i], nullptr);
  EXPECT_EQ(IniValue("Zentu HDTV Player_View"), "1");
  EXPECT_EQ(IniValue((std::string(kProgrammeName) + "_View").c_str()), "0");
  EXPECT_EQ(IniValue((std::string(kRemoteName) + "_View").c_str()), "1");
  EXPECT_EQ(IniValue("Video_View"), "1");
}

TEST_F(HostVisibilityKeys, ViewerClosedInTheTrayStartsInTheTray) {
  StartViewer();
  Discover();
  plugin->Host().HideAllHostWindows();
  SaveVisibility();
  viewer.reset();

  auto second = std::make_unique<CSamplePlugin>();
  plugin.swap(second);
  second->Host().SaveHostWindowVisibility(IniFile(iniFile.c_str()));  // the emptied first list writes nothing
  second.reset();
  StartViewer();
  Discover();
  EXPECT_FALSE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
  EXPECT_FALSE(HasStyle(viewer->VideoWindow(), WS_VISIBLE));
}

TEST_F(HostVisibilityKeys, EqualTitlesShareOneKeyAndTheLastEntryWins) {
  StartViewer();
  HWND first = AddWindow("Twin", viewer->MainWindow());
  HWND second = AddWindow("Twin", viewer->MainWindow());
  Discover();
  int32_t a = IndexOf(first), b = IndexOf(second);
  ASSERT_GE(a, 1);
  ASSERT_GE(b, 1);
  HWND last = a > b ? first : second;
  plugin->Host().HideHostWindow(last);
  SaveVisibility();
  EXPECT_EQ(IniValue("Twin_View"), "0");
}

// Without an ini path (the host's path did not fit) no ini file is used: an
// empty path would name a file in the Windows folder.
std::vector<std::string> g_profileFiles;
decltype(&GetPrivateProfileIntA) g_readProfileInt = nullptr;
decltype(&WritePrivateProfileStringA) g_writeProfileString = nullptr;

UINT WINAPI RecordProfileRead(LPCSTR section, LPCSTR key, INT fallback, LPCSTR file) {
  g_profileFiles.push_back(file ? file : "<null>");
  return g_readProfileInt(section, key, fallback, file);
}

BOOL WINAPI RecordProfileWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  g_profileFiles.push_back(file ? file : "<null>");
  return g_writeProfileString(section, key, value, file);
}

TEST_F(HostVisibilityKeys, WithoutAnIniPathNoFileIsReadOrWritten) {
  HMODULE self = GetModuleHandleA(nullptr);
  testsupport::ImportRedirect read(self, "kernel32.dll", "GetPrivateProfileIntA",
                                   reinterpret_cast<void*>(&RecordProfileRead));
  testsupport::ImportRedirect write(self, "kernel32.dll", "WritePrivateProfileStringA",
                                    reinterpret_cast<void*>(&RecordProfileWrite));
  ASSERT_TRUE(read.Installed() && write.Installed());
  g_readProfileInt = reinterpret_cast<decltype(g_readProfileInt)>(read.Original());
  g_writeProfileString = reinterpret_cast<decltype(g_writeProfileString)>(write.Original());
  g_profileFiles.clear();

  iniFile.clear();
  StartViewer();
  Discover();
  plugin->Host().HideHostWindow(viewer->RemoteWindow());
  SaveVisibility();
  EXPECT_EQ(0, plugin->Host().WindowList().count);
  EXPECT_TRUE(g_profileFiles.empty()) << g_profileFiles.size() << " ini accesses, the first to \""
                                      << (g_profileFiles.empty() ? "" : g_profileFiles[0]) << "\"";
}
