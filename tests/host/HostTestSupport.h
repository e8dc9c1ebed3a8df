// The stand-in viewer's windows and the host viewer as the plug-in knows
// them, for the host-window tests under Wine.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HostViewer.h"
#include "StandInViewer.h"
#include "WinTestSupport.h"

// "番組情報", "リモコンっぽい物", "録画中"
extern const char kProgrammeName[];
extern const char kRemoteName[];
extern const char kRecordingJapanese[];

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the viewer's windows and gives their main window to the host.
  void StartViewer(const standin::Options& options = standin::Options());
  // Discovery as the third tick runs it with a tray that accepts the icon at
  // once: the listing, then the saved hidden state; true when it ran.
  bool Discover() {
    if (!host->DiscoverHostWindows()) return false;
    host->HideWindowsSavedHidden(IniFile(iniPath.c_str()));
    return true;
  }
  void SaveVisibility() { host->SaveHostWindowVisibility(IniFile(iniPath.c_str())); }

  // An extra top-level window (hidden unless visible) owned by owner.
  HWND AddWindow(const char* title, HWND owner, bool visible = true);

  std::string IniValue(const char* key) const { return ini.Read(key); }
  void WriteIni(const char* key, const char* value) const { ini.Write(key, value); }
  int32_t IndexOf(HWND window) const;
  bool HasStyle(HWND window, LONG bit) const { return (GetWindowLongA(window, GWL_STYLE) & bit) != 0; }

  testsupport::ProgramIni ini;
  std::string iniPath = ini.Path();  // what discovery and teardown are given
  std::unique_ptr<standin::StandInViewer> viewer;
  std::unique_ptr<HostViewer> host = std::make_unique<HostViewer>();
  HWND controller = nullptr;  // hidden, owned by the main window, as the real one
};
