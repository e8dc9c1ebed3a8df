// The stand-in viewer answers the host commands the plug-in sends, so that
// the other tests can rely on what it reports.
#include <gtest/gtest.h>

#include <string>

#include "StandInViewer.h"

using standin::StandInViewer;
using standin::Window;

namespace {

void Command(HWND window, int id) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

std::string Text(HWND window) {
  char text[256] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ControlText(HWND window, int id) {
  char text[256] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

}  // namespace

TEST(StandInViewer, RecordToggleReadsTheMinutesAndShowsRecording) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  SetDlgItemTextA(viewer.MainWindow(), standin::kMainRecordMinutesId, "30");
  Command(viewer.MainWindow(), standin::kCommandRecordToggle);
  EXPECT_TRUE(viewer.IsRecording());
  EXPECT_EQ(viewer.RecordMinutesAtStart(), "30");
  EXPECT_EQ(ControlText(viewer.MainWindow(), standin::kMainRecordingTextId), standin::kRecordingText);
  Command(viewer.MainWindow(), standin::kCommandRecordWhileRecording);
  EXPECT_EQ(viewer.RecordRestartCount(), 1);
  Command(viewer.MainWindow(), standin::kCommandRecordToggle);
  EXPECT_FALSE(viewer.IsRecording());
  EXPECT_NE(ControlText(viewer.MainWindow(), standin::kMainRecordingTextId), standin::kRecordingText);
  EXPECT_EQ(viewer.CommandsTo(Window::kMain), (std::vector<int>{1009, 1016, 1009}));
}

TEST(StandInViewer, FullScreenDropsTheFrameAndComesBack) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  HWND video = viewer.VideoWindow();
  RECT before;
  GetWindowRect(video, &before);
  EXPECT_TRUE(GetWindowLongA(video, GWL_STYLE) & WS_THICKFRAME);
  Command(video, standin::kCommandFullScreen);
  EXPECT_TRUE(viewer.IsFullScreen());
  EXPECT_FALSE(GetWindowLongA(video, GWL_STYLE) & WS_THICKFRAME);
  RECT full;
  GetWindowRect(video, &full);
  EXPECT_EQ(full.right - full.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(full.bottom - full.top, GetSystemMetrics(SM_CYSCREEN));
  Command(video, standin::kCommandFullScreen);
  EXPECT_FALSE(viewer.IsFullScreen());
  EXPECT_TRUE(GetWindowLongA(video, GWL_STYLE) & WS_THICKFRAME);
  RECT after;
  GetWindowRect(video, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(StandInViewer, ProgrammeWindowTogglesToTheNextProgramme) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  EXPECT_EQ(Text(viewer.ProgrammeWindow()), standin::kProgrammeTitle);
  Command(viewer.ProgrammeWindow(), standin::kCommandProgrammeToggle);
  EXPECT_NE(Text(viewer.ProgrammeWindow()).find(standin::kNextProgrammeMark), std::string::npos);
  Command(viewer.ProgrammeWindow(), standin::kCommandProgrammeToggle);
  EXPECT_EQ(Text(viewer.ProgrammeWindow()), standin::kProgrammeTitle);
}

TEST(StandInViewer, ChannelButtonsTuneAndReportTheService) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  std::vector<std::pair<int32_t, int32_t>> changes;
  viewer.SetServiceChangeHandler([&](int32_t value, int32_t service) {
    changes.push_back({value, service});
  });
  Command(viewer.RemoteWindow(), 1008);  // CH2
  EXPECT_EQ(viewer.CurrentChannel(), 1);
  EXPECT_EQ(ControlText(viewer.RemoteWindow(), standin::kRemoteCurrentChannelId), "Toto E");
  Command(viewer.RemoteWindow(), 1025);  // CH9 has no channel
  EXPECT_EQ(viewer.CurrentChannel(), 1);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].second, 0x0401);
}

TEST(StandInViewer, CloseDestroysTheMainWindowAndItsOwnedWindows) {
  standin::Options options;
  options.createVideo = false;
  options.useUtilityWindow = true;
  StandInViewer viewer(options);
  ASSERT_TRUE(viewer.Create());
  HWND remote = viewer.RemoteWindow();
  HWND utility = viewer.UtilityWindow();
  SendMessageA(viewer.MainWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(viewer.MainWindow(), nullptr);
  EXPECT_FALSE(IsWindow(remote));
  EXPECT_FALSE(IsWindow(utility));
  ASSERT_FALSE(viewer.Received().empty());
  EXPECT_EQ(viewer.Received().front(), (standin::ReceivedCommand{Window::kMain, WM_CLOSE, 0}));
}

TEST(StandInViewer, MuteFollowsTheCheckBoxWhenTold) {
  StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  HWND box = GetDlgItem(viewer.MainWindow(), standin::kMainMuteCheckId);
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_FALSE(viewer.IsMuted());  // the host acts on the command only
  Command(viewer.MainWindow(), standin::kMainMuteCheckId);
  EXPECT_TRUE(viewer.IsMuted());
  SendMessageA(box, BM_CLICK, 0, 0);  // a user's click toggles it back
  EXPECT_FALSE(viewer.IsMuted());
  EXPECT_EQ(viewer.CommandsTo(Window::kMain), (std::vector<int>{1034, 1034}));
}

TEST(StandInViewer, HostInterfaceQuitsThroughItsSeventhSlot) {
  int quits = 0;
  standin::HostInterface host([&] { ++quits; });
  using SlotFn = void(STANDIN_THISCALL*)(void*);
  void** table = *static_cast<void***>(host.Object());
  reinterpret_cast<SlotFn>(table[6])(host.Object());
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(host.QuitCount(), 1);
  reinterpret_cast<SlotFn>(table[0])(host.Object());
  EXPECT_EQ(host.QuitCount(), 1);
  EXPECT_EQ(host.OtherSlotCalls(), 1);
}
