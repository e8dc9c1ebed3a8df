// The library's module-wide state, one per loaded DLL.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

class Controller;

struct ModuleState {
  // The library's own module: the dialog, menu and icons load from it.
  std::atomic<HINSTANCE> instance{nullptr};
  // The controller whose window was initialised last; the controller's
  // window procedure does nothing while there is none.
  std::atomic<Controller*> current{nullptr};
  // The service of the latest service change, shared by every object.
  std::atomic<int32_t> lastServiceId{0};
  // Calls of the plug-in's own code in progress on the windows' thread (a
  // message to the controller window, an overlay paint reading the host, a
  // message box): while one runs, a deletion pins the library, since the
  // code of that call still has to return through it.
  std::atomic<int> pluginFrames{0};

  // A fresh load of the library whose module is `module` (for tests).
  void Reset(HINSTANCE module);
};

ModuleState& Module();

// Keeps this library mapped until the process ends: used when the host
// deletes the object while code of the library may still have to run on the
// windows' thread, since the host may unload the library right after.
void PinThisModule();

// Counts one call of the plug-in's own code while it runs. Whatever the
// plug-in asks of the host inside it (a command, a close, a quit, a modal
// loop that dispatches the host's messages) may end in the host deleting the
// object and freeing the library before the call returns.
class PluginFrameScope {
 public:
  PluginFrameScope() { ++Module().pluginFrames; }
  ~PluginFrameScope() { --Module().pluginFrames; }
  PluginFrameScope(const PluginFrameScope&) = delete;
  PluginFrameScope& operator=(const PluginFrameScope&) = delete;
};
