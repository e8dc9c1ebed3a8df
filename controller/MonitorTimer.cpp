// The one-second heartbeat of the controller window.
#include "SamplePlugin.h"

namespace {

// Discovery runs once, when the countdown from construction runs out.
void TickDiscovery(CSamplePlugin& plugin, HWND controller) {
  if (plugin.discoveryCountdown <= 0) return;
  --plugin.discoveryCountdown;
  if (plugin.discoveryCountdown == 0) plugin.DiscoverHostWindows(controller);
}

// A minimised window keeps the rectangle it had before.
void RecordControllerPosition(CSamplePlugin& plugin, HWND controller) {
  plugin.positionValid = 1;
  if (GetWindowLongA(controller, GWL_STYLE) & WS_MINIMIZE) {
    plugin.minimised = 1;
    return;
  }
  RECT rect;
  if (GetWindowRect(controller, &rect)) plugin.rememberedRect = rect;
  plugin.minimised = 0;
}

// The shell is told only when the wanted image changes.
void SwitchTrayIcon(CSamplePlugin& plugin) {
  if (plugin.hostWindows.count <= 0) return;
  HICON wanted = plugin.IsHostBusy() ? plugin.recordingTrayIcon : plugin.normalTrayIcon;
  if (wanted == plugin.trayData.hIcon) return;
  plugin.trayData.hIcon = wanted;
  plugin.NotifyTray(NIM_MODIFY);
}

}  // namespace

void CSamplePlugin::OnMonitorTick(HWND controller) {
  TickStatusOverlay();
  RefreshHostWindowVisibility();
  TickDiscovery(*this, controller);
  RecordControllerPosition(*this, controller);
  SwitchTrayIcon(*this);
  RetryTrayIconIfPending();
}
