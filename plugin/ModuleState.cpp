#include "ModuleState.h"

namespace {
// Constant-initialised: DllMain may store the instance before any
// constructor of the library runs.
ModuleState g_module;
}  // namespace

ModuleState& Module() { return g_module; }

void ModuleState::Reset(HINSTANCE module) {
  instance = module;
  lastServiceId = 0;
}

void PinThisModule() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&PinThisModule), &self);
}
