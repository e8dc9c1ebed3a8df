// The library's entry points: the load-time hook and the two factories the
// host looks up by name.
#include <new>

#include "ModuleState.h"
#include "SamplePlugin.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  // Stored on every notification: the dialog, menu and icons are loaded
  // from this module.
  Module().instance = instance;
  // A thread's windows vanish with it without a message: the plug-in's
  // controllers on an ending thread are shut down while they still can be.
  if (reason == DLL_THREAD_DETACH) EndObjectsOfEndingThread();
  return TRUE;
}

IDTVPlugin* __cdecl GetIface() { return new (std::nothrow) CSamplePlugin(); }

int32_t __cdecl GetIface2(int32_t /*reserved*/, IDTVPlugin** plugin) {
  // Without a place to put it, an object would only leak.
  if (plugin == nullptr) return 1;
  *plugin = new (std::nothrow) CSamplePlugin();
  return 1;
}

}  // extern "C"
