// The library's module-wide state, one per loaded DLL.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

struct ModuleState {
  // The library's own module: the dialog, menu and icons load from it.
  std::atomic<HINSTANCE> instance{nullptr};
  // The service of the latest service change, shared by every object.
  std::atomic<int32_t> lastServiceId{0};

  // A fresh load of the library whose module is `module` (for tests).
  void Reset(HINSTANCE module);
};

ModuleState& Module();

// Keeps this library mapped until the process ends: the host may unload it
// as soon as it has deleted the object, while code of the library is still
// to run (on the windows' thread, or below the deletion on this stack).
void PinThisModule();
