// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::OnCommand(HWND, WPARAM, LPARAM) {}
void CSamplePlugin::CloseViewer(HWND) {}
void CSamplePlugin::ToggleFullScreen() {}
void CSamplePlugin::StartRecording() {}
void CSamplePlugin::StopRecording() {}
void CSamplePlugin::ToggleStatusOverlay() {}
