// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::SelectChannel(int32_t) {}
int32_t CSamplePlugin::FindCurrentChannel() { return -1; }
void CSamplePlugin::StepChannelIndex(int32_t*, int32_t) {}
int32_t CSamplePlugin::IsHostRecording() { return 0; }
int32_t CSamplePlugin::IsHostBusy() { return 0; }
int32_t CSamplePlugin::IsHostMuted() { return 0; }
void CSamplePlugin::SetHostMute(int32_t) {}
int32_t CSamplePlugin::ReadStatusBarNumbers(int32_t*, int32_t*, int32_t*, int32_t*, int32_t*) { return 0; }
HWND CSamplePlugin::FindHostStatusBar() { return nullptr; }
