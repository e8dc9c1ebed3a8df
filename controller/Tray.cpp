// Placeholder until this part is written.
#include "SamplePlugin.h"

void CSamplePlugin::AddTrayIcon(HWND) {}
void CSamplePlugin::RetryTrayIconIfPending() {}
void CSamplePlugin::OnTaskbarCreated() {}
void CSamplePlugin::RemoveTrayIcon() {}
void CSamplePlugin::OnTrayNotify(HWND, LPARAM) {}
void CSamplePlugin::RefreshTrayTip() {}
void CSamplePlugin::ShowTrayMenu(HWND) {}
BOOL CSamplePlugin::NotifyTray(DWORD) { return FALSE; }
