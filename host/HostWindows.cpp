// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::DiscoverHostWindows(HWND) {}
void CSamplePlugin::HideAllHostWindows() {}
void CSamplePlugin::RestoreAllHostWindows() {}
void CSamplePlugin::HideHostWindow(HWND) {}
void CSamplePlugin::RestoreHostWindow(HWND) {}
void CSamplePlugin::RefreshHostWindowVisibility() {}
int32_t CSamplePlugin::IsHostWindowVisible(int32_t) { return 0; }
int32_t CSamplePlugin::QueryHostWindowByTitle(const char*, int32_t*) { return kTitleNotListed; }
void CSamplePlugin::SaveHostWindowVisibility() {}
