// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::OnControllerInit(HWND) {}
void CSamplePlugin::OnControllerDestroy(HWND) {}
void CSamplePlugin::BuildIniPath() {}
void CSamplePlugin::TeardownCollector() {}
INT_PTR CALLBACK ControllerDialogProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
