// A stand-in viewer and a plug-in object wired together the way the host
// and the controller wire them, for the host-window tests under Wine.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ModuleState.h"
#include "SamplePlugin.h"
#include "StandInViewer.h"

// "番組情報", "リモコンっぽい物", "録画中"
extern const char kProgrammeName[];
extern const char kRemoteName[];
extern const char kRecordingJapanese[];

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the viewer's windows and points the plug-in at its main window.
  void StartViewer(const standin::Options& options = standin::Options());
  // Discovery as the third tick runs it; true when it ran.
  bool Discover() { return plugin->Host().DiscoverHostWindows(IniFile(iniFile.c_str())); }
  void SaveVisibility() { plugin->Host().SaveHostWindowVisibility(IniFile(iniFile.c_str())); }
  void PumpMessages();

  // An extra top-level window (hidden unless visible) owned by owner.
  HWND AddWindow(const char* title, HWND owner, bool visible = true);

  std::string IniValue(const char* key);
  void WriteIni(const char* key, const char* value);
  int32_t IndexOf(HWND window) const;
  bool HasStyle(HWND window, LONG bit) const { return (GetWindowLongA(window, GWL_STYLE) & bit) != 0; }

  std::unique_ptr<standin::StandInViewer> viewer;
  std::unique_ptr<CSamplePlugin> plugin;
  HWND controller = nullptr;  // hidden, owned by the main window, as the real one
  std::string iniFile;
};
