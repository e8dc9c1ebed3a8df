// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::CreateRemotePanel(HWND) {}
void CSamplePlugin::PaintRemotePanel(HWND, HDC) {}
LRESULT CALLBACK RemotePanelProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
