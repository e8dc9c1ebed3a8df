// The plug-in object in-process, over the stand-in viewer's windows, for the
// tests of the controller, the host windows and the plug-in object.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "ModuleState.h"
#include "SamplePlugin.h"
#include "StandInViewer.h"
#include "WinTestSupport.h"

namespace testsupport {

// The library's module-wide state as a fresh load leaves it, with this
// program as the module the dialog, menu and icons load from.
inline void ResetModule() { Module().Reset(GetModuleHandleA(nullptr)); }

// The plug-in object created over the stand-in viewer's windows, the way the
// host creates it, with an empty ini file. The controller's timer is
// stopped: the tests send the ticks. Unless told otherwise the viewer's
// windows are discovered at once (without the ini file).
class PluginHarness {
 public:
  explicit PluginHarness(const standin::Options& options = standin::Options());
  ~PluginHarness();
  PluginHarness(const PluginHarness&) = delete;
  PluginHarness& operator=(const PluginHarness&) = delete;
  bool Create(bool discover = true);
  // The host closes: the plug-in's shutdown writes the ini file, which stays
  // for the next Create.
  void Stop();

  standin::StandInViewer& Viewer() { return viewer_; }
  CSamplePlugin& Plugin() { return *plugin_; }
  ::Controller& Control() { return plugin_->GetController(); }
  HostViewer& Host() { return plugin_->Host(); }
  const ProgramIni& Ini() const { return ini_; }
  HWND ControllerWindow() const { return controller_; }
  // Hands the object over to the caller, who deletes it.
  CSamplePlugin* ReleasePlugin() { return plugin_.release(); }
  int ListIndexOf(HWND window) const;
  // Messages the controller window received (WM_NULL posts, WM_COMMAND ...).
  std::vector<MSG>& ControllerMessages();
  // One monitoring tick, as the timer would send it.
  void Tick(int times = 1);

 private:
  ProgramIni ini_;
  standin::StandInViewer viewer_;
  std::unique_ptr<CSamplePlugin> plugin_;
  HWND controller_ = nullptr;
};

}  // namespace testsupport
