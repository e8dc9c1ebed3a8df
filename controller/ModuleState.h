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
  // Open modal loops of the plug-in's own (the close question, the tray
  // menu) on the user-interface thread.
  std::atomic<int> modalLoops{0};

  // A fresh load of the library whose module is `module` (for tests).
  void Reset(HINSTANCE module);
};

ModuleState& Module();

// Keeps this library mapped until the process ends: used when the host
// deletes the object while code of the library may still have to run on the
// windows' thread, since the host may unload the library right after.
void PinThisModule();

// Counts one of the plug-in's own modal loops while it runs.
class ModalLoopScope {
 public:
  ModalLoopScope() { ++Module().modalLoops; }
  ~ModalLoopScope() { --Module().modalLoops; }
  ModalLoopScope(const ModalLoopScope&) = delete;
  ModalLoopScope& operator=(const ModalLoopScope&) = delete;
};
