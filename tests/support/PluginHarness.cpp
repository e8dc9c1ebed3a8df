#include "PluginHarness.h"

namespace testsupport {
namespace {

std::vector<MSG> g_controllerMessages;
WNDPROC g_controllerProcedure = nullptr;

// Records the controller window's WM_NULL posts and commands on their way to
// the dialog.
LRESULT CALLBACK RecordControllerMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NULL || message == WM_COMMAND) {
    MSG m = {};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    g_controllerMessages.push_back(m);
  }
  return CallWindowProcA(g_controllerProcedure, window, message, wParam, lParam);
}

}  // namespace

PluginHarness::PluginHarness(const standin::Options& options) : viewer_(options) {}

PluginHarness::~PluginHarness() { Stop(); }

void PluginHarness::Stop() {
  plugin_.reset();  // the controller's shutdown
  g_controllerMessages.clear();
  viewer_.Destroy();
  PumpMessages();
}

bool PluginHarness::Create(bool discover) {
  ResetModule();
  g_controllerMessages.clear();
  if (!viewer_.Create()) return false;
  plugin_.reset(new CSamplePlugin());
  plugin_->Create(viewer_.MainWindow());
  controller_ = plugin_->GetController().Window();
  if (!controller_) return false;
  KillTimer(controller_, kMonitorTimerId);
  g_controllerProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(controller_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordControllerMessages)));
  if (discover) plugin_->Host().DiscoverHostWindows();
  return true;
}

void PluginHarness::Tick(int times) {
  for (int i = 0; i < times; ++i) SendMessageA(controller_, WM_TIMER, kMonitorTimerId, 0);
}

int PluginHarness::ListIndexOf(HWND window) const {
  const HostWindowList& list = plugin_->Host().WindowList();
  for (int i = 0; i < list.count; ++i) {
    if (list.window[i] == window) return i;
  }
  return -1;
}

std::vector<MSG>& PluginHarness::ControllerMessages() { return g_controllerMessages; }

}  // namespace testsupport
