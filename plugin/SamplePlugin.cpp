// The plug-in object: construction, the six operations the host calls, and
// the module-wide state shared by the plug-in's windows.
#include "SamplePlugin.h"

#include <new>

#include "PsiCollector.h"

HINSTANCE g_moduleInstance = nullptr;
CSamplePlugin* g_currentPlugin = nullptr;
int32_t g_lastServiceId = 0;

namespace {

// The host remote window's channel buttons, CH1 to CH12 (not ascending).
constexpr uint32_t kChannelButtonIds[kChannelCount] = {1006, 1008, 1007, 1009, 1010, 1011,
                                                       1012, 1013, 1025, 1026, 1027, 1028};
constexpr int kDiscoveryTicks = 3;
constexpr uint32_t kAcceptedSdkMajor = 1;
constexpr int kControllerTemplateId = 101;

constexpr char kWrongSdkText[] = "Wrong SDK Version";
// "タスクトレイ管理"
constexpr char kMessageCaption[] = "\x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x8A\xC7\x97\x9D";

bool IsOnWindowThread(HWND window) {
  return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace

CSamplePlugin::CSamplePlugin()
    : collector(nullptr),
      controllerWindow(nullptr),
      moduleInstance(g_moduleInstance),
      hostInterface(nullptr),
      sdkVersion(0),
      iniPath{},
      monitorTimerId(0),
      positionValid(0),
      rememberedRect{},
      minimised(0),
      hostWindows{},
      trayData{},
      discoveryCountdown(kDiscoveryTicks),
      normalTrayIcon(nullptr),
      recordingTrayIcon(nullptr),
      tipIsDefault(0),
      trayIconAdded(0),
      trayIconPending(0),
      taskbarCreatedMessage(0),
      noCard(0),
      noCardRec(0),
      hostMainWindow(nullptr),
      hostRemoteWindow(nullptr),
      channelNames{},
      channelButtonIds{},
      recordingTimeText{},
      overlayWindow(nullptr),
      displayCountdown(0),
      contentFlags(0),
      recordingStopped(0),
      anchorWindow(nullptr),
      greyBrush(nullptr),
      fullScreenTopmost(0),
      autoDispStatus(0),
      remotePanel(nullptr),
      hostVideoWindow(nullptr),
      currentServiceId(0),
      ownedCollector_(new (std::nothrow) PsiCollector()) {
  collector.store(ownedCollector_, std::memory_order_release);
  for (int i = 0; i < kChannelCount; ++i) channelButtonIds[i] = kChannelButtonIds[i];
}

// A host may delete the object while its controller window still exists (for
// instance before destroying its own main window). The window would then go
// on using freed memory through g_currentPlugin, so it is shut down here.
CSamplePlugin::~CSamplePlugin() {
  HWND controller = controllerWindow;
  if (controller != nullptr && IsWindow(controller)) {
    if (IsOnWindowThread(controller)) {
      // The normal shutdown (ini writes, tray icon, timer) runs on this
      // object even if another object has taken g_currentPlugin over.
      CSamplePlugin* previous = g_currentPlugin;
      g_currentPlugin = this;
      DestroyWindow(controller);
      g_currentPlugin = previous;
    } else {
      // A window of another thread cannot be destroyed from here: detach it
      // first, so that its procedures answer 0 from now on, then stop the
      // stream intake. Its tray icon and windows stay until the host
      // destroys them.
      if (g_currentPlugin == this) g_currentPlugin = nullptr;
      TeardownCollector();
    }
  }
  if (g_currentPlugin == this) g_currentPlugin = nullptr;
  // Classes outlive the library unless unregistered, and a later load would
  // find them taken. Each call fails harmlessly while a window still uses
  // its class (another object's, or one left on another thread).
  UnregisterClassA(kControllerClass, moduleInstance);
  UnregisterOnScreenWindowClasses();
  delete ownedCollector_;
}

IDTVPlugin* CSamplePlugin::ScalarDeletingDestructor(unsigned int flags) {
  this->~CSamplePlugin();
  if (flags & 1) ::operator delete(this);
  return this;
}

int32_t CSamplePlugin::Init(void* host, uint32_t version) {
  if (((version >> 16) & 0xFF) != kAcceptedSdkMajor) {
    MessageBoxA(nullptr, kWrongSdkText, kMessageCaption, MB_ICONERROR);
    return 0;
  }
  hostInterface = host;
  sdkVersion = version;
  return 1;
}

int32_t CSamplePlugin::Create(HWND mainWindow) {
  // The controller dialog's template names its own class: a copy of the
  // system dialog class without menu. A second registration fails harmlessly.
  WNDCLASSA dialogClass = {};
  if (GetClassInfoA(moduleInstance, "#32770", &dialogClass)) {
    dialogClass.lpszMenuName = nullptr;
    dialogClass.lpszClassName = kControllerClass;
    dialogClass.hInstance = moduleInstance;
    RegisterClassA(&dialogClass);
  }
  hostMainWindow = mainWindow;
  controllerWindow = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(kControllerTemplateId),
                                        mainWindow, ControllerDialogProc,
                                        reinterpret_cast<LPARAM>(this));
  if (controllerWindow != nullptr) ShowWindow(controllerWindow, SW_HIDE);
  return 1;
}

int32_t CSamplePlugin::InputTsData(const uint8_t* data, uint32_t count) {
  if (data == nullptr) return 1;
  // Whole packets only: a trailing fragment shorter than a packet would make
  // the intake read past the end of the caller's buffer.
  const uint32_t packets = count / kTsPacketSize;
  for (uint32_t k = 0; k < packets; ++k) {
    PsiCollector* store = collector.load(std::memory_order_acquire);
    if (store == nullptr) continue;
    store->IntakePacket(data + static_cast<size_t>(k) * kTsPacketSize);
  }
  return 1;
}

int32_t CSamplePlugin::OnServiceChange(int32_t hostValue, int32_t serviceId) {
  PsiCollector* store = collector.load(std::memory_order_acquire);
  if (store != nullptr) store->ResetSectionFills();
  if (serviceId == g_lastServiceId) return 1;
  currentServiceId = serviceId;
  g_lastServiceId = serviceId;
  if (store != nullptr) {
    store->RecordServiceChange(static_cast<uint16_t>(serviceId), static_cast<uint16_t>(hostValue));
  }
  return 1;
}

int32_t CSamplePlugin::Reserved5(int32_t, int32_t) { return 1; }
