// Discovery, hiding and restoring of the host's windows, with the stand-in
// viewer's real windows and a real ini file.
#include <cstring>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "ImportRedirect.h"

namespace {

std::string TitleAt(const HostViewer& host, int32_t index) {
  return host.WindowList().title[index] ? host.WindowList().title[index] : "<null>";
}

}  // namespace

// ---- Discovery ----

using HostDiscovery = HostFixture;

TEST_F(HostDiscovery, ListsTheMainWindowAndItsVisibleOwnedWindows) {
  StartViewer();
  HWND stranger = AddWindow("Video", nullptr);  // not owned: never listed
  Discover();
  const HostWindowList& list = host->WindowList();
  ASSERT_EQ(list.count, 4);
  EXPECT_EQ(list.window[0], viewer->MainWindow());
  EXPECT_EQ(TitleAt(*host, 0), "Zentu HDTV Player");
  EXPECT_EQ(list.hideStyle[0], kHideByShow);
  EXPECT_EQ(list.visible[0], 1);
  EXPECT_EQ(TitleAt(*host, IndexOf(viewer->RemoteWindow())), kRemoteName);
  EXPECT_EQ(TitleAt(*host, IndexOf(viewer->ProgrammeWindow())), kProgrammeName);
  EXPECT_EQ(TitleAt(*host, IndexOf(viewer->VideoWindow())), "Video");
  for (int32_t i = 1; i < list.count; ++i) {
    EXPECT_EQ(list.hideStyle[i], kHideByShow);
    EXPECT_EQ(list.visible[i], 1);
  }
  EXPECT_EQ(IndexOf(controller), -1);  // hidden at discovery
  EXPECT_EQ(IndexOf(stranger), -1);
  EXPECT_EQ(host->HostRemoteWindow(), viewer->RemoteWindow());
  EXPECT_EQ(host->HostVideoWindow(), viewer->VideoWindow());
}

TEST_F(HostDiscovery, ReadsChannelNamesOffTheRemoteButtons) {
  standin::Options options;
  options.channelNames[1] = "Toto E";
  options.channelNames[2] = "\x93\x8c\x93\x73\x82\x52";  // "東都３"
  StartViewer(options);
  Discover();
  EXPECT_STREQ(host->ChannelName(0), "ch1:Toto G");
  EXPECT_STREQ(host->ChannelName(1), "ch2:Toto E");                    // button id 1008
  EXPECT_STREQ(host->ChannelName(2), "ch3:\x93\x8c\x93\x73\x82\x52");  // button id 1007
  EXPECT_STREQ(host->ChannelName(8), "ch9:");
  EXPECT_STREQ(host->ChannelName(11), "ch12:");
}

TEST_F(HostDiscovery, ProgrammeAndRemoteTitlesWithMoreTextAreListedByTheirNames) {
  StartViewer();
  // The programme window switched to the next programme: its title grows.
  SendMessageA(viewer->ProgrammeWindow(), WM_COMMAND, standin::kCommandProgrammeToggle, 0);
  SetWindowTextA(viewer->RemoteWindow(), (std::string(kRemoteName) + " 2").c_str());
  HWND shortProgramme = AddWindow((std::string(kProgrammeName) + " extra").c_str(), viewer->MainWindow());
  Discover();
  EXPECT_EQ(TitleAt(*host, IndexOf(viewer->ProgrammeWindow())), kProgrammeName);
  EXPECT_EQ(TitleAt(*host, IndexOf(shortProgramme)), kProgrammeName);
  EXPECT_EQ(TitleAt(*host, IndexOf(viewer->RemoteWindow())), kRemoteName);
  EXPECT_EQ(host->HostRemoteWindow(), viewer->RemoteWindow());
}

TEST_F(HostDiscovery, NearVideoTitlesAreNotTheVideoWindow) {
  standin::Options options;
  options.createVideo = false;
  StartViewer(options);
  HWND spaced = AddWindow("Video ", viewer->MainWindow());
  HWND lower = AddWindow("video", viewer->MainWindow());
  Discover();
  EXPECT_EQ(host->HostVideoWindow(), nullptr);
  EXPECT_GE(IndexOf(spaced), 1);
  EXPECT_GE(IndexOf(lower), 1);
}

TEST_F(HostDiscovery, HiddenMainWindowIsListedHiddenOwnedWindowsAreNot) {
  StartViewer();
  ShowWindow(viewer->ProgrammeWindow(), SW_HIDE);
  ShowWindow(viewer->MainWindow(), SW_HIDE);
  Discover();
  EXPECT_EQ(host->WindowList().window[0], viewer->MainWindow());
  EXPECT_EQ(host->WindowList().visible[0], 0);
  EXPECT_EQ(IndexOf(viewer->ProgrammeWindow()), -1);
  EXPECT_EQ(host->WindowList().count, 3);
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
  EXPECT_EQ(TitleAt(*host, index), "ZentuUtil");
  EXPECT_EQ(host->WindowList().hideStyle[index], kHideByMinimise);
  EXPECT_EQ(host->WindowList().visible[index], 1);  // whatever its real state
  EXPECT_EQ(host->HostVideoWindow(), viewer->VideoWindow());
  EXPECT_EQ(IndexOf(viewer->VideoWindow()), -1);  // the child itself is not listed

  host->RestoreHostWindow(viewer->UtilityWindow());
  EXPECT_FALSE(IsIconic(viewer->UtilityWindow()));
  EXPECT_EQ(host->IsHostWindowVisible(index), 1);
  host->HideHostWindow(viewer->UtilityWindow());
  EXPECT_TRUE(IsIconic(viewer->UtilityWindow()));
  EXPECT_TRUE(HasStyle(viewer->UtilityWindow(), WS_VISIBLE));  // minimised, not hidden
  EXPECT_EQ(host->IsHostWindowVisible(index), 0);

  // Restored, then closed by the host: a window that is gone is not visible.
  host->RestoreHostWindow(viewer->UtilityWindow());
  DestroyWindow(viewer->UtilityWindow());
  EXPECT_EQ(host->IsHostWindowVisible(index), 0);
  host->RefreshHostWindowVisibility();
  EXPECT_EQ(host->WindowList().visible[index], 0);
}

TEST_F(HostDiscovery, UtilityWindowWithoutVideoChildLeavesNoVideoWindow) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StartViewer(options);
  SetWindowTextA(viewer->VideoWindow(), "Video2");
  Discover();
  EXPECT_GE(IndexOf(viewer->UtilityWindow()), 1);
  EXPECT_EQ(host->HostVideoWindow(), nullptr);
}

TEST_F(HostDiscovery, OwnedVideoWindowWinsOverTheUtilityWindow) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StartViewer(options);
  HWND ownedVideo = AddWindow("Video", viewer->MainWindow());
  Discover();
  EXPECT_EQ(host->HostVideoWindow(), ownedVideo);
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
  EXPECT_EQ(host->WindowList().visible[0], 0);
  EXPECT_EQ(host->WindowList().visible[IndexOf(viewer->ProgrammeWindow())], 0);
}

TEST_F(HostDiscovery, WithoutKeysNothingIsHidden) {
  StartViewer();
  Discover();
  for (HWND window :
       {viewer->MainWindow(), viewer->RemoteWindow(), viewer->ProgrammeWindow(), viewer->VideoWindow()}) {
    EXPECT_TRUE(HasStyle(window, WS_VISIBLE));
  }
}

TEST_F(HostDiscovery, RunsOnceAndNeedsTheMainWindow) {
  StartViewer();
  HWND main = host->HostMainWindow();
  host->SetHostMainWindow(nullptr);
  EXPECT_FALSE(Discover());  // so the controller adds no tray icon either
  EXPECT_EQ(host->WindowList().count, 0);
  EXPECT_EQ(host->HostRemoteWindow(), nullptr);
  EXPECT_STREQ(host->ChannelName(0), "");

  host->SetHostMainWindow(main);
  EXPECT_TRUE(Discover());
  ASSERT_EQ(host->WindowList().count, 4);
  AddWindow("late", main);
  EXPECT_FALSE(Discover());
  EXPECT_EQ(host->WindowList().count, 4);
}

TEST_F(HostDiscovery, NoRemoteWindowLeavesChannelNamesEmpty) {
  standin::Options options;
  options.createRemote = false;
  StartViewer(options);
  Discover();
  EXPECT_EQ(host->HostRemoteWindow(), nullptr);
  EXPECT_STREQ(host->ChannelName(0), "");
}

TEST_F(HostDiscovery, MoreWindowsThanTheTableHoldsStopAtOneHundred) {
  StartViewer();
  for (int i = 0; i < 120; ++i) AddWindow(("extra " + std::to_string(i)).c_str(), viewer->MainWindow());
  // The remote window's title is read last in the walk: newest windows lie on top.
  Discover();
  ASSERT_EQ(host->WindowList().count, kMaxHostWindows);
  for (int32_t i = 0; i < kMaxHostWindows; ++i) {
    ASSERT_NE(host->WindowList().title[i], nullptr);
    EXPECT_LT(std::strlen(host->WindowList().title[i]), hosttext::kTitleSize);
  }
  EXPECT_EQ(host->HostRemoteWindow(), viewer->RemoteWindow());
  EXPECT_EQ(host->HostVideoWindow(), viewer->VideoWindow());
  EXPECT_STREQ(host->ChannelName(0), "ch1:Toto G");
}

TEST_F(HostDiscovery, LongTitlesAreKeptWithinTheirBuffers) {
  StartViewer();
  std::string longTitle(600, 'T');
  HWND window = AddWindow(longTitle.c_str(), viewer->MainWindow());
  Discover();
  int32_t index = IndexOf(window);
  ASSERT_GE(index, 1);
  EXPECT_EQ(std::strlen(host->WindowList().title[index]), hosttext::kTitleSize - 1);
}

// ---- Hiding, restoring and visibility ----

using HostVisibility = HostFixture;

TEST_F(HostVisibility, HideAllAndRestoreAllIncludeTheMainWindow) {
  StartViewer();
  Discover();
  host->HideAllHostWindows();
  for (int32_t i = 0; i < host->WindowList().count; ++i) {
    EXPECT_FALSE(HasStyle(host->WindowList().window[i], WS_VISIBLE)) << TitleAt(*host, i);
    EXPECT_EQ(host->WindowList().visible[i], 0);
    EXPECT_EQ(host->IsHostWindowVisible(i), 0);
  }
  host->RestoreAllHostWindows();
  for (int32_t i = 0; i < host->WindowList().count; ++i) {
    EXPECT_TRUE(HasStyle(host->WindowList().window[i], WS_VISIBLE)) << TitleAt(*host, i);
    EXPECT_EQ(host->WindowList().visible[i], 1);
  }
}

TEST_F(HostVisibility, BeforeDiscoveryNothingIsListedOrTouched) {
  StartViewer();
  host->HideAllHostWindows();
  host->HideHostWindow(viewer->RemoteWindow());
  EXPECT_TRUE(HasStyle(viewer->MainWindow(), WS_VISIBLE));
  EXPECT_TRUE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
  int32_t index = 77;
  EXPECT_EQ(host->QueryHostWindowByTitle("Zentu HDTV Player", &index), kTitleNotListed);
  EXPECT_EQ(index, 77);
  EXPECT_EQ(host->IsHostWindowVisible(0), 0);
  Discover();
  EXPECT_EQ(host->IsHostWindowVisible(-1), 0);
  EXPECT_EQ(host->IsHostWindowVisible(host->WindowList().count), 0);
}

TEST_F(HostVisibility, UnlistedHandlesAreIgnored) {
  StartViewer();
  Discover();
  HWND late = AddWindow("late", viewer->MainWindow());
  host->HideHostWindow(late);
  host->HideHostWindow(nullptr);
  EXPECT_TRUE(HasStyle(late, WS_VISIBLE));
  ShowWindow(viewer->RemoteWindow(), SW_HIDE);
  host->RestoreHostWindow(late);
  EXPECT_FALSE(HasStyle(viewer->RemoteWindow(), WS_VISIBLE));
}

TEST_F(HostVisibility, QueryByTitleTellsHiddenFromUnlisted) {
  StartViewer();
  Discover();
  int32_t index = -5;
  EXPECT_EQ(host->QueryHostWindowByTitle("Zentu HDTV Player", &index), 1);
  EXPECT_EQ(index, 0);
  host->HideHostWindow(viewer->ProgrammeWindow());
  EXPECT_EQ(host->QueryHostWindowByTitle(kProgrammeName, &index), 0);
  EXPECT_EQ(index, IndexOf(viewer->ProgrammeWindow()));
  index = -5;
  EXPECT_EQ(host->QueryHostWindowByTitle("Zentu HDTV", &index), kTitleNotListed);
  EXPECT_EQ(host->QueryHostWindowByTitle(nullptr, &index), kTitleNotListed);
  EXPECT_EQ(index, -5);
  EXPECT_EQ(host->QueryHostWindowByTitle("Video", nullptr), 1);
  // The answer is the live state, not the last recorded flag.
  ShowWindow(viewer->VideoWindow(), SW_HIDE);
  EXPECT_EQ(host->QueryHostWindowByTitle("Video", nullptr), 0);
  EXPECT_EQ(host->WindowList().visible[IndexOf(viewer->VideoWindow())], 1);
}

TEST_F(HostVisibility, RefreshFollowsWhatHappenedToTheWindows) {
  StartViewer();
  Discover();
  int32_t remote = IndexOf(viewer->RemoteWindow());
  ShowWindow(viewer->RemoteWindow(), SW_HIDE);
  EXPECT_EQ(host->WindowList().visible[remote], 1);  // queries never change the flag
  EXPECT_EQ(host->IsHostWindowVisible(remote), 0);
  EXPECT_EQ(host->WindowList().visible[remote], 1);
  host->RefreshHostWindowVisibility();
  EXPECT_EQ(host->WindowList().visible[remote], 0);
  ShowWindow(viewer->RemoteWindow(), SW_SHOWNOACTIVATE);
  host->RefreshHostWindowVisibility();
  EXPECT_EQ(host->WindowList().visible[remote], 1);
}

TEST_F(HostVisibility, WindowsDestroyedAfterDiscoveryCountAsHidden) {
  StartViewer();
  Discover();
  int32_t programme = IndexOf(viewer->ProgrammeWindow());
  HWND gone = viewer->ProgrammeWindow();
  DestroyWindow(gone);
  host->RefreshHostWindowVisibility();
  EXPECT_EQ(host->WindowList().visible[programme], 0);
  EXPECT_EQ(host->IsHostWindowVisible(programme), 0);
  host->HideAllHostWindows();
  host->RestoreAllHostWindows();
  EXPECT_EQ(host->WindowList().count, 4);  // still listed
}

// ---- Saving visibility ----

using HostVisibilityKeys = HostFixture;

TEST_F(HostVisibilityKeys, SavedPerTitleAndEmptiesTheList) {
  StartViewer();
  Discover();
  host->HideHostWindow(viewer->ProgrammeWindow());
  SaveVisibility();
  EXPECT_EQ(host->WindowList().count, 0);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(host->WindowList().title[i], nullptr);
  EXPECT_EQ(IniValue("Zentu HDTV Player_View"), "1");
  EXPECT_EQ(IniValue((std::string(kProgrammeName) + "_View").c_str()), "0");
  EXPECT_EQ(IniValue((std::string(kRemoteName) + "_View").c_str()), "1");
  EXPECT_EQ(IniValue("Video_View"), "1");
}

TEST_F(HostVisibilityKeys, ViewerClosedInTheTrayStartsInTheTray) {
  StartViewer();
  Discover();
  host->HideAllHostWindows();
  SaveVisibility();
  viewer.reset();

  host = std::make_unique<HostViewer>();  // the next load of the plug-in
  SaveVisibility();                       // an empty list writes nothing
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
  host->HideHostWindow(last);
  SaveVisibility();
  EXPECT_EQ(IniValue("Twin_View"), "0");
}

// Without an ini path (the host's path did not fit) no ini file is used: an
// empty path would name a file in the Windows folder.
std::vector<std::string> g_profileFiles;
decltype(&GetPrivateProfileIntW) g_readProfileInt = nullptr;
decltype(&WritePrivateProfileStringW) g_writeProfileString = nullptr;

std::string Narrow(LPCWSTR file) { return file ? std::string(file, file + wcslen(file)) : "<null>"; }

UINT WINAPI RecordProfileRead(LPCWSTR section, LPCWSTR key, INT fallback, LPCWSTR file) {
  g_profileFiles.push_back(Narrow(file));
  return g_readProfileInt(section, key, fallback, file);
}

BOOL WINAPI RecordProfileWrite(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR file) {
  g_profileFiles.push_back(Narrow(file));
  return g_writeProfileString(section, key, value, file);
}

TEST_F(HostVisibilityKeys, WithoutAnIniPathNoFileIsReadOrWritten) {
  HMODULE self = GetModuleHandleA(nullptr);
  testsupport::ImportRedirect read(self, "kernel32.dll", "GetPrivateProfileIntW",
                                   reinterpret_cast<void*>(&RecordProfileRead));
  testsupport::ImportRedirect write(self, "kernel32.dll", "WritePrivateProfileStringW",
                                    reinterpret_cast<void*>(&RecordProfileWrite));
  ASSERT_TRUE(read.Installed() && write.Installed());
  g_readProfileInt = reinterpret_cast<decltype(g_readProfileInt)>(read.Original());
  g_writeProfileString = reinterpret_cast<decltype(g_writeProfileString)>(write.Original());
  g_profileFiles.clear();

  iniPath.clear();
  StartViewer();
  Discover();
  host->HideHostWindow(viewer->RemoteWindow());
  SaveVisibility();
  EXPECT_EQ(0, host->WindowList().count);
  EXPECT_TRUE(g_profileFiles.empty()) << g_profileFiles.size() << " ini accesses, the first to \""
                                      << (g_profileFiles.empty() ? "" : g_profileFiles[0]) << "\"";
}
