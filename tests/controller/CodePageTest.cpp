// The plug-in over a viewer that keeps its texts in UTF-16, on a system
// whose code page is not 932 (this program runs under another locale): the
// ANSI functions would read the viewer's Japanese texts as "???", and show
// the plug-in's own garbled. Every text crosses to Windows converted from
// and to Shift_JIS explicitly.
#include <gtest/gtest.h>

#include <string>

#include "PluginHarness.h"
#include "ShiftJisTexts.h"

using testsupport::MessageBoxAnswerer;
using testsupport::PluginHarness;

namespace {

standin::Options UnicodeViewer() {
  standin::Options options;
  options.unicode = true;
  options.channelNames[0] = "\x93\x8c\x93\x73\x83\x65\x83\x8c\x83\x72";  // 東都テレビ
  return options;
}

TEST(CodePage, AUnicodeViewerReadsRightOnAnotherCodePage) {
  ASSERT_NE(GetACP(), 932u) << "run under a locale of another code page";
  PluginHarness harness(UnicodeViewer());
  ASSERT_TRUE(harness.Create());
  HostViewer& host = harness.Host();
  standin::StandInViewer& viewer = harness.Viewer();

  // Discovery finds every window by its Japanese title, and the channels.
  EXPECT_NE(host.HostRemoteWindow(), nullptr);
  EXPECT_NE(host.HostVideoWindow(), nullptr);
  EXPECT_GE(harness.ListIndexOf(viewer.ProgrammeWindow()), 0);
  EXPECT_STREQ(host.ChannelName(0), "ch1:\x93\x8c\x93\x73\x83\x65\x83\x8c\x83\x72");

  // 録画中 is recognised: record start does not stop the recording, and the
  // close question comes up, in Japanese.
  viewer.SetRecording(true);
  EXPECT_EQ(host.IsHostRecording(), 1);
  SendMessageA(harness.ControllerWindow(), WM_COMMAND, 1017, 0);
  EXPECT_TRUE(viewer.IsRecording());
  MessageBoxAnswerer answerer(sjis::kCloseQuestionCaption, IDNO);
  SendMessageA(harness.ControllerWindow(), WM_COMMAND, 1009, 0);
  answerer.Stop();
  ASSERT_EQ(answerer.Count(), 1);
  char question[256];
  FormatCloseQuestion(host::kMainTitle, question, sizeof question);
  EXPECT_EQ(answerer.Last().text, question);
  EXPECT_TRUE(IsWindow(viewer.MainWindow()));  // No: the viewer goes on

  // The menu's texts read right through the W functions.
  testsupport::MenuSeen seen;
  auto watcher = testsupport::ReadAndCloseMenu(&seen);
  harness.Control().ShowTrayMenu(harness.ControllerWindow());
  watcher->Join();
  ASSERT_NE(seen.Find(1019), nullptr);
  EXPECT_EQ(seen.Find(1019)->text, host.ChannelName(0));
  ASSERT_NE(seen.Find(1017), nullptr);
  EXPECT_EQ(seen.Find(1017)->text.substr(0, 6), sjis::kRecording);  // 録画中(...)
  ASSERT_NE(seen.Find(2002), nullptr);
  EXPECT_EQ(seen.Find(2002)->text, harness.Host().WindowList().title[2]);
  EXPECT_EQ(seen.Find(1100)->text,
            "\x8d\xc5\x8f\xac\x89\xbb\x8e\x9e\x82\xc9\x83\x5e\x83\x58\x83\x4e\x83\x67\x83\x8c"
            "\x83\x43\x82\xc9\x8a\x69\x94\x5b\x82\xb7\x82\xe9");  // 最小化時にタスクトレイに格納する
}

}  // namespace
