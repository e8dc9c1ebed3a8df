// Driving the stand-in viewer's remote window and controls: what the host
// receives for each request, and what the plug-in reads back.
#include <cstring>
#include <string>
#include <vector>

#include "HostTestSupport.h"

using standin::Window;

namespace {

const std::vector<int> kNothing;

class HostRemote : public HostFixture {
 protected:
  void StartAndDiscover(const standin::Options& options = standin::Options()) {
    StartViewer(options);
    Discover();
    viewer->ClearReceived();
  }
  std::vector<int> RemoteCommands() const { return viewer->CommandsTo(Window::kRemote); }
  // Tunes channel index as the user would, then forgets the command.
  void TuneTo(int index) {
    SendMessageA(viewer->RemoteWindow(), WM_COMMAND, standin::kChannelButtonIds[index], 0);
    viewer->ClearReceived();
  }
};

}  // namespace

// ---- Channel selection ----

TEST_F(HostRemote, DirectRequestPressesThatButtonOnce) {
  StartAndDiscover();
  std::vector<int> tuned;
  viewer->SetServiceChangeHandler([&](int32_t, int32_t serviceId) { tuned.push_back(serviceId); });
  host->SelectChannel(2);  // CH3 is button 1007
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1007});
  EXPECT_EQ(viewer->CurrentChannel(), 2);
  EXPECT_EQ(tuned, std::vector<int>{0x0402});
  host->SelectChannel(1);  // CH2 is button 1008
  EXPECT_EQ(RemoteCommands(), (std::vector<int>{1007, 1008}));
  EXPECT_TRUE(viewer->CommandsTo(Window::kMain).empty());
}

TEST_F(HostRemote, NextAndPreviousWrapOverUnnamedButtons) {
  StartAndDiscover();  // CH1..CH8 named, CH9..CH12 empty
  TuneTo(7);
  host->SelectChannel(-2);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1006});  // CH8 -> CH1
  viewer->ClearReceived();
  host->SelectChannel(-3);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1013});  // CH1 -> CH8
  viewer->ClearReceived();
  host->SelectChannel(-3);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1012});  // CH8 -> CH7
}

TEST_F(HostRemote, RequestForAnUnnamedButtonPressesNothing) {
  StartAndDiscover();
  host->SelectChannel(8);
  host->SelectChannel(11);
  EXPECT_EQ(RemoteCommands(), kNothing);
}

TEST_F(HostRemote, RecordingBlocksEveryRequest) {
  StartAndDiscover();
  TuneTo(0);
  for (const char* text : {"Recording", kRecordingJapanese}) {
    viewer->SetRecordingText(text);
    EXPECT_EQ(host->IsHostRecording(), 1) << text;
    EXPECT_EQ(host->IsHostBusy(), 1);
    host->SelectChannel(2);
    host->SelectChannel(-2);
    host->SelectChannel(-3);
    EXPECT_EQ(RemoteCommands(), kNothing) << text;
  }
  viewer->SetRecordingText("Recording ");
  EXPECT_EQ(host->IsHostRecording(), 0);
  host->SelectChannel(2);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1007});
}

TEST_F(HostRemote, DisabledBusyControlBlocksEveryRequest) {
  StartAndDiscover();
  TuneTo(0);
  viewer->SetBusy(true);
  EXPECT_EQ(host->IsHostRecording(), 0);
  EXPECT_EQ(host->IsHostBusy(), 1);
  host->SelectChannel(2);
  host->SelectChannel(-2);
  EXPECT_EQ(RemoteCommands(), kNothing);
  viewer->SetBusy(false);
  EXPECT_EQ(host->IsHostBusy(), 0);
  host->SelectChannel(-2);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1008});
}

TEST_F(HostRemote, UnknownCurrentChannelMakesNextAndPreviousDoNothing) {
  StartAndDiscover();
  viewer->SetCurrentChannelText("Toto");  // the start of two names: the first
  EXPECT_EQ(host->FindCurrentChannel(), 0);
  viewer->SetCurrentChannelText("BS 101");
  EXPECT_EQ(host->FindCurrentChannel(), -1);
  host->SelectChannel(-2);
  host->SelectChannel(-3);
  EXPECT_EQ(RemoteCommands(), kNothing);
  host->SelectChannel(4);  // direct requests do not need the current channel
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1010});
}

TEST_F(HostRemote, OverLongButtonTextsStayInsideTheirSlots) {
  standin::Options options;
  for (int i = 0; i < standin::kChannelCount; ++i)
    options.channelNames[i] = std::string(99, static_cast<char>('A' + i));
  StartAndDiscover(options);
  for (int i = 0; i < host::kChannelCount; ++i) {
    std::string slot = host->ChannelName(i);
    EXPECT_LE(slot.size(), static_cast<size_t>(hosttext::kChannelSlotSize - 1));
    EXPECT_EQ(slot.substr(0, 3), "ch" + std::to_string(i + 1).substr(0, 1));
    EXPECT_EQ(slot.back(), static_cast<char>('A' + i)) << "slot " << i << " overwritten";
  }
  EXPECT_EQ(host->FullScreenTopmost(), 0);  // the field after the table is untouched
  // The current channel text is the full button text; its start still finds the slot.
  TuneTo(5);
  EXPECT_EQ(host->FindCurrentChannel(), -1);  // 99 bytes do not fit behind "ch6:"
  host->SelectChannel(5);
  EXPECT_EQ(RemoteCommands(), std::vector<int>{1011});
}

TEST_F(HostRemote, NoRemoteWindowRefusesChannels) {
  standin::Options options;
  options.createRemote = false;
  StartAndDiscover(options);
  EXPECT_EQ(host->FindCurrentChannel(), -1);
  host->SelectChannel(0);
  EXPECT_EQ(host->IsHostBusy(), 0);
  viewer->SetRecording(true);
  EXPECT_EQ(host->IsHostBusy(), 1);
}

TEST_F(HostRemote, RemoteWindowDestroyedAfterDiscovery) {
  StartAndDiscover();
  TuneTo(2);
  DestroyWindow(viewer->RemoteWindow());
  EXPECT_EQ(host->FindCurrentChannel(), -1);
  host->SelectChannel(-2);
  host->SelectChannel(1);
  EXPECT_EQ(viewer->Received().size(), 0u);
  EXPECT_EQ(host->IsHostBusy(), 0);
}

// ---- Mute ----

TEST_F(HostRemote, MuteSendsExactlyOneCommandOnAChange) {
  StartAndDiscover();
  EXPECT_EQ(host->IsHostMuted(), 0);
  host->SetHostMute(1);
  EXPECT_EQ(viewer->CommandsTo(Window::kMain), std::vector<int>{1034});
  EXPECT_TRUE(viewer->IsMuted());
  EXPECT_EQ(host->IsHostMuted(), 1);
  host->SetHostMute(1);
  EXPECT_EQ(viewer->CommandsTo(Window::kMain), std::vector<int>{1034});
  host->SetHostMute(0);
  EXPECT_EQ(viewer->CommandsTo(Window::kMain), (std::vector<int>{1034, 1034}));
  EXPECT_FALSE(viewer->IsMuted());
  EXPECT_EQ(viewer->Received().size(), 2u);
}

TEST_F(HostRemote, NoMainWindowMeansNoStateAndNoCommands) {
  StartAndDiscover();
  viewer->SetMuted(true);
  viewer->SetRecording(true);
  host->SetHostMainWindow(nullptr);
  EXPECT_EQ(host->IsHostMuted(), 0);
  EXPECT_EQ(host->IsHostRecording(), 0);
  host->SetHostMute(1);
  EXPECT_EQ(viewer->Received().size(), 0u);
  int32_t untouched = 42;
  EXPECT_EQ(host->ReadStatusBarNumbers(&untouched, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(untouched, 42);
}

// ---- Status bar ----

TEST_F(HostRemote, StatusBarNumbersAtTheirPositions) {
  StartAndDiscover();
  char text[256];
  EXPECT_TRUE(host->ReadStatusBarText(text, sizeof text));
  viewer->SetStatusText("25.3dB 1 2 3 10 20 x 30 40 50");
  int32_t n4 = -1, n5 = -1, n7 = -1, n8 = -1, n9 = -1;
  EXPECT_EQ(host->ReadStatusBarNumbers(&n4, &n5, &n7, &n8, &n9), 1);
  EXPECT_EQ(n4, 10);
  EXPECT_EQ(n5, 20);
  EXPECT_EQ(n7, 40);
  EXPECT_EQ(n8, 50);
  EXPECT_EQ(n9, 0);
  viewer->SetStatusText("25.3dB 0 0 0 21:05 30 01:02:03");
  EXPECT_EQ(host->ReadStatusBarNumbers(nullptr, nullptr, &n7, &n8, &n9), 1);
  EXPECT_EQ(n7, 1);
  EXPECT_EQ(n8, 2);
  EXPECT_EQ(n9, 3);
}

TEST_F(HostRemote, StatusBarWithoutNumbersGivesZeros) {
  StartAndDiscover();
  viewer->SetStatusText("no signal");
  int32_t n4 = -1, n5 = -1, n7 = -1, n8 = -1, n9 = -1;
  EXPECT_EQ(host->ReadStatusBarNumbers(&n4, &n5, &n7, &n8, &n9), 1);
  EXPECT_EQ(n4 | n5 | n7 | n8 | n9, 0);
  viewer->SetStatusText(std::string(400, '9').c_str());  // one huge number, read cut to 255 bytes
  EXPECT_EQ(host->ReadStatusBarNumbers(&n4, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(n4, 0);
}

TEST_F(HostRemote, MissingStatusBarLeavesOutputsAlone) {
  StartAndDiscover();
  DestroyWindow(viewer->StatusBar());
  int32_t n4 = 7, n5 = 7;
  char text[256];
  EXPECT_FALSE(host->ReadStatusBarText(text, sizeof text));
  EXPECT_EQ(host->ReadStatusBarNumbers(&n4, &n5, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(n4, 7);
  EXPECT_EQ(n5, 7);
}
