// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::CreateStatusOverlay(HWND) {}
void CSamplePlugin::ShowStatusOverlay(int32_t, int32_t, int32_t, int32_t) {}
void CSamplePlugin::HideStatusOverlay() {}
void CSamplePlugin::PlaceStatusOverlay() {}
void CSamplePlugin::PaintStatusOverlay(HWND, HDC) {}
LRESULT CALLBACK StatusOverlayProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }
