// The library's entry points: the load-time hook and the two factories the
// host looks up by name.
#include <new>

#include "ModuleState.h"
#include "SamplePlugin.h"

extern "C" {

// Stores the module on every notification (the dialog, menu and icons load
// from it) and does nothing else: it runs under the loader lock.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD /*reason*/, LPVOID /*reserved*/) {
  Module().instance = instance;
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
