// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::OnMonitorTick(HWND) {}
