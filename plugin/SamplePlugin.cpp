// The plug-in object: construction, the six operations the host calls, and
// the module-wide state shared by the plug-in's windows.
#include "SamplePlugin.h"

#include <new>
#include <utility>
#include <vector>

#include "PsiCollector.h"
#include "ServiceSelection.h"

HINSTANCE g_moduleInstance = nullptr;
std::atomic<CSamplePlugin*> g_currentPlugin{nullptr};
std::atomic<int32_t> g_lastServiceId{0};
std::atomic<int> g_modalLoops{0};

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

// Every object alive in this module, by address and serial, so that code that
// resumes after a modal loop can tell whether its object still exists without
// touching it. Objects waiting for their windows' thread to delete them are
// listed too, apart.
std::mutex g_objectsMutex;
std::vector<std::pair<const CSamplePlugin*, uint32_t>> g_liveObjects;
std::vector<std::pair<CSamplePlugin*, unsigned int>> g_deferredDeletions;
uint32_t g_lastSerial = 0;

uint32_t RegisterLiveObject(const CSamplePlugin* plugin) {
  std::lock_guard<std::mutex> lock(g_objectsMutex);
  g_liveObjects.emplace_back(plugin, ++g_lastSerial);
  return g_lastSerial;
}

void UnregisterLiveObject(const CSamplePlugin* plugin) {
  std::lock_guard<std::mutex> lock(g_objectsMutex);
  for (auto it = g_liveObjects.begin(); it != g_liveObjects.end(); ++it) {
    if (it->first == plugin) {
      g_liveObjects.erase(it);
      return;
    }
  }
}

// Keeps this library mapped until the process ends. Used whenever the host
// deletes the object while code of the library may still have to run on the
// windows' thread (its teardown, or a modal loop of ours on the stack): the
// host may unload the library right after the deletion returns.
void PinThisModule() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&PinThisModule), &self);
}

}  // namespace

// A thread timer rather than a window message: the controller window is gone
// by now, and the classes can only be unregistered once it is.
void CALLBACK FinishDeferredDeletions(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  std::vector<std::pair<CSamplePlugin*, unsigned int>> due;
  {
    std::lock_guard<std::mutex> lock(g_objectsMutex);
    due.swap(g_deferredDeletions);
  }
  for (const auto& deletion : due) deletion.first->DestroyNow(deletion.second);
}

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
      ownedCollector_(new (std::nothrow) PsiCollector()),
      serial_(RegisterLiveObject(this)) {
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
      DestroyControllerWindow();
    } else {
      // Only a plain C++ delete on another thread gets here (the host's
      // deletion goes through slot 0, which hands it to the windows'
      // thread). A window of another thread cannot be destroyed from here:
      // detach it, so that its procedures answer 0, and stop the intake.
      ReleaseCurrentPointer();
      TeardownCollector();
    }
  }
  ReleaseCurrentPointer();
  // Classes outlive the library unless unregistered, and a later load would
  // find them taken. Each call fails harmlessly while a window still uses
  // its class (another object's, or one left on another thread).
  UnregisterClassA(kControllerClass, moduleInstance);
  UnregisterOnScreenWindowClasses();
  delete ownedCollector_;
  UnregisterLiveObject(this);
}

void CSamplePlugin::ReleaseCurrentPointer() {
  CSamplePlugin* self = this;
  g_currentPlugin.compare_exchange_strong(self, nullptr);
}

// The host deletes the object through this slot, from any thread. The
// controller window, its timer, its tray icon and the on-screen windows
// belong to the thread that called Create, and only that thread can destroy
// them. From another thread the object asks that thread to do it and returns
// at once: the windows' thread may be busy, or even waiting for this one, so
// nothing here waits for it. The object's memory is freed there, once its
// windows are gone; until then nothing runs on freed memory.
IDTVPlugin* CSamplePlugin::ScalarDeletingDestructor(unsigned int flags) {
  std::unique_lock<std::mutex> lock(lifetimeMutex_);
  const bool otherThread = windowThread_ != 0 && windowThread_ != GetCurrentThreadId();
  if (otherThread || g_modalLoops > 0) PinThisModule();
  if (otherThread && liveController_ != nullptr) {
    deletionRequested_ = true;
    deletionFlags_ = flags;
    // Should the post fail, the window's WM_NCDESTROY still finishes the job.
    PostMessageA(liveController_, kDestroyControllerMessage, 0, 0);
    return this;
  }
  lock.unlock();
  DestroyNow(flags);
  return this;
}

void CSamplePlugin::DestroyNow(unsigned int flags) {
  this->~CSamplePlugin();
  if (flags & 1) ::operator delete(this);
}

void CSamplePlugin::DestroyControllerWindow() {
  HWND controller = controllerWindow;
  if (controller == nullptr || !IsWindow(controller)) return;
  // The shutdown (ini writes, tray icon, timer) runs on this object even if
  // another object has taken the current pointer over.
  CSamplePlugin* previous = g_currentPlugin.exchange(this);
  DestroyWindow(controller);
  g_currentPlugin = previous;
}

void CSamplePlugin::OnControllerWindowGone() {
  bool finish = false;
  {
    std::lock_guard<std::mutex> lock(lifetimeMutex_);
    liveController_ = nullptr;
    finish = deletionRequested_;
  }
  if (!finish) return;
  std::lock_guard<std::mutex> lock(g_objectsMutex);
  g_deferredDeletions.emplace_back(this, deletionFlags_);
  SetTimer(nullptr, 0, 0, FinishDeferredDeletions);
}

bool CSamplePlugin::DeletionRequested() {
  std::lock_guard<std::mutex> lock(lifetimeMutex_);
  return deletionRequested_;
}

bool CSamplePlugin::IsLive(const CSamplePlugin* plugin, uint32_t serial) {
  std::lock_guard<std::mutex> lock(g_objectsMutex);
  for (const auto& live : g_liveObjects) {
    if (live.first == plugin && live.second == serial) return true;
  }
  return false;
}

void CSamplePlugin::OnControllerCreated(HWND controller) {
  std::lock_guard<std::mutex> lock(lifetimeMutex_);
  liveController_ = controller;
  windowThread_ = GetCurrentThreadId();
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
  ApplyServiceChange(collector.load(std::memory_order_acquire), g_lastServiceId, currentServiceId,
                     hostValue, serviceId);
  return 1;
}

int32_t CSamplePlugin::Reserved5(int32_t, int32_t) { return 1; }
