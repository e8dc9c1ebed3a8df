// The controller window: a hidden modeless dialog that anchors the plug-in in
// the host's user interface. Start-up reads the ini file and starts the
// monitoring timer; WM_DESTROY is the plug-in's shutdown.
#include <cstdio>

#include "ControllerSettings.h"
#include "PsiCollector.h"
#include "SamplePlugin.h"

namespace {

constexpr char kIniSection[] = "TaskTray";
constexpr char kKeyWindowX[] = "WindowX";
constexpr char kKeyWindowY[] = "WindowY";
constexpr char kKeyWindowMin[] = "WindowMin";
constexpr char kKeyNoCard[] = "NoCard";
constexpr char kKeyNoCardRec[] = "NoCardRec";
constexpr char kKeyAutoDispStatus[] = "AutoDispStatus";
constexpr int kIniValueSize = 100;

constexpr int kNoCardCheckBox = 1015;
constexpr int kNoCardRecCheckBox = 1016;
constexpr char kNormalIconName[] = "IDR_MAINFRAME";
constexpr char kRecordingIconName[] = "IDR_MAINFRAME2";

// Reads a key as text; an empty text when it is missing or there is no ini.
void ReadIniText(const char* iniPath, const char* key, char (&value)[kIniValueSize]) {
  value[0] = '\0';
  if (iniPath[0] == '\0') return;
  GetPrivateProfileStringA(kIniSection, key, "", value, kIniValueSize, iniPath);
}

int32_t ReadIniFlag(const char* iniPath, const char* key, int32_t fallback) {
  if (iniPath[0] == '\0') return fallback;
  return static_cast<int32_t>(GetPrivateProfileIntA(kIniSection, key, fallback, iniPath));
}

void WriteIniInteger(const char* iniPath, const char* key, int32_t value) {
  if (iniPath[0] == '\0') return;
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  WritePrivateProfileStringA(kIniSection, key, text, iniPath);
}

// Saved position: applied only when all three keys hold text.
void RestoreSavedPosition(CSamplePlugin& plugin, HWND controller) {
  char x[kIniValueSize], y[kIniValueSize], minimisedText[kIniValueSize];
  ReadIniText(plugin.iniPath, kKeyWindowX, x);
  if (x[0] == '\0') return;
  ReadIniText(plugin.iniPath, kKeyWindowY, y);
  if (y[0] == '\0') return;
  ReadIniText(plugin.iniPath, kKeyWindowMin, minimisedText);
  if (minimisedText[0] == '\0') return;

  const int32_t left = ParseIniInteger(x);
  const int32_t top = ParseIniInteger(y);
  plugin.rememberedRect = RECT{left, top, 0, 0};
  plugin.minimised = ParseIniInteger(minimisedText);
  SetWindowPos(controller, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (plugin.minimised != 0) ShowWindow(controller, SW_MINIMIZE);
}

void ReadOptions(CSamplePlugin& plugin, HWND controller) {
  plugin.noCard = ReadIniFlag(plugin.iniPath, kKeyNoCard, 0);
  plugin.noCardRec = ReadIniFlag(plugin.iniPath, kKeyNoCardRec, 1);
  plugin.autoDispStatus = ReadIniFlag(plugin.iniPath, kKeyAutoDispStatus, 1);
  SendDlgItemMessageA(controller, kNoCardRecCheckBox, BM_SETCHECK, plugin.noCardRec != 0 ? 1 : 0, 0);
  SendDlgItemMessageA(controller, kNoCardCheckBox, BM_SETCHECK, plugin.noCard != 0 ? 1 : 0, 0);
}

void DestroyOwnWindow(HWND& window) {
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
  window = nullptr;
}

void SavePosition(const CSamplePlugin& plugin) {
  if (plugin.positionValid != 1) return;
  WriteIniInteger(plugin.iniPath, kKeyWindowX, plugin.rememberedRect.left);
  WriteIniInteger(plugin.iniPath, kKeyWindowY, plugin.rememberedRect.top);
  WriteIniInteger(plugin.iniPath, kKeyWindowMin, plugin.minimised);
}

}  // namespace

void CSamplePlugin::BuildIniPath() {
  // The host's executable, not this library. A path that did not fit the
  // buffer is cut short, so no ini file is used rather than a wrong one.
  char modulePath[kPathSize] = {};
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  if (length == 0 || length >= sizeof modulePath) {
    iniPath[0] = '\0';
    return;
  }
  BuildIniPathBeside(modulePath, iniPath, sizeof iniPath);
}

void CSamplePlugin::OnControllerInit(HWND controller) {
  controllerWindow = controller;
  BuildIniPath();
  RestoreSavedPosition(*this, controller);
  ReadOptions(*this, controller);
  normalTrayIcon = LoadIconA(moduleInstance, kNormalIconName);
  recordingTrayIcon = LoadIconA(moduleInstance, kRecordingIconName);
  monitorTimerId = SetTimer(controller, kMonitorTimerId, kMonitorPeriodMs, nullptr);
  taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  CreateStatusOverlay(controller);
  CreateRemotePanel(controller);
}

void CSamplePlugin::OnControllerDestroy(HWND controller) {
  DestroyOwnWindow(remotePanel);
  DestroyOwnWindow(overlayWindow);
  if (hostWindows.count > 0) {
    RemoveTrayIcon();
    SaveHostWindowVisibility();
  }
  if (monitorTimerId != 0) {
    KillTimer(controller, monitorTimerId);
    monitorTimerId = 0;
  }
  SavePosition(*this);
  WriteIniInteger(iniPath, kKeyAutoDispStatus, autoDispStatus);
  TeardownCollector();
  if (controllerWindow == controller) controllerWindow = nullptr;
}

// The streaming thread may be inside InputTsData: the stop flag makes its
// intake return at once, and the object itself is freed only by the
// destructor.
void CSamplePlugin::TeardownCollector() {
  PsiCollector* store = collector.exchange(nullptr, std::memory_order_acq_rel);
  if (store != nullptr) store->Shutdown();
}

namespace {

// The object that owns a controller window, kept in its window data: the
// window's own end concerns that object, whichever object is current.
CSamplePlugin* OwnerOf(HWND controller) {
  return reinterpret_cast<CSamplePlugin*>(GetWindowLongPtrA(controller, DWLP_USER));
}

}  // namespace

INT_PTR CALLBACK ControllerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* owner = reinterpret_cast<CSamplePlugin*>(lParam);
    g_currentPlugin = owner;
    if (owner != nullptr) {
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      owner->OnControllerCreated(window);
    }
  }
  // The window's end, asked for by a deletion on another thread, and its
  // last message.
  if (message == kDestroyControllerMessage) {
    CSamplePlugin* owner = OwnerOf(window);
    if (owner != nullptr && owner->DeletionRequested()) owner->DestroyControllerWindow();
    return 0;
  }
  if (message == WM_NCDESTROY) {
    if (CSamplePlugin* owner = OwnerOf(window)) owner->OnControllerWindowGone();
    return 0;
  }

  CSamplePlugin* plugin = g_currentPlugin;
  if (plugin == nullptr) return 0;

  switch (message) {
    case WM_INITDIALOG:
      plugin->OnControllerInit(window);
      return 1;
    case WM_DESTROY:
      plugin->OnControllerDestroy(window);
      return 0;
    case WM_CLOSE:
      plugin->HideHostWindow(window);
      return 0;
    case WM_COMMAND:
      plugin->OnCommand(window, wParam, lParam);
      return 0;
    case WM_TIMER:
      if (plugin->monitorTimerId != 0 && wParam == plugin->monitorTimerId) plugin->OnMonitorTick(window);
      return 0;
    case kTrayCallbackMessage:
      plugin->OnTrayNotify(window, lParam);
      return 0;
    default:
      break;
  }
  if (plugin->taskbarCreatedMessage != 0 && message == plugin->taskbarCreatedMessage) {
    plugin->OnTaskbarCreated();
  }
  return 0;
}
