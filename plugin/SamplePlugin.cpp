// The plug-in object: construction, the six operations the host calls, and
// its lifetime when the host deletes it from any thread.
#include "SamplePlugin.h"

#include <algorithm>
#include <new>
#include <vector>

#include "HostContract.h"
#include "ModuleState.h"
#include "OnScreenWindow.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "ServiceSelection.h"
#include "ShiftJisTexts.h"

namespace {

constexpr char kWrongSdkText[] = "Wrong SDK Version";

bool IsOnWindowThread(HWND window) {
  return GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

// The host interface's seventh slot quits the host; it takes no arguments
// besides the object itself.
using HostQuitFunction = void(ZENTU_THISCALL*)(void* self);

void CallHostQuit(void* hostInterface) {
  void** vtable = *static_cast<void***>(hostInterface);
  auto quit = reinterpret_cast<HostQuitFunction>(vtable[host::kHostQuitSlot]);
  quit(hostInterface);
}

// Every object alive in this module, so that a windows' thread that ends
// can take its objects' controllers down with it. Recursive: an object that
// goes with its window leaves the registry while the registry is being walked.
std::recursive_mutex g_objectsMutex;
std::vector<CSamplePlugin*> g_objects;

void RegisterObject(CSamplePlugin* object) {
  std::lock_guard<std::recursive_mutex> lock(g_objectsMutex);
  g_objects.push_back(object);
}

void UnregisterObject(CSamplePlugin* object) {
  std::lock_guard<std::recursive_mutex> lock(g_objectsMutex);
  g_objects.erase(std::remove(g_objects.begin(), g_objects.end(), object), g_objects.end());
}

}  // namespace

CSamplePlugin::CSamplePlugin()
    : collector_(nullptr),
      ownedCollector_(new (std::nothrow) PsiCollector()),
      currentServiceId_(0),
      moduleInstance_(Module().instance),
      controller_(host_, overlay_, panel_, *this) {
  collector_.store(ownedCollector_, std::memory_order_release);
  RegisterObject(this);
}

CSamplePlugin::~CSamplePlugin() {
  UnregisterObject(this);
  HWND controller = controller_.Window();
  if (controller != nullptr && IsWindow(controller)) {
    if (IsOnWindowThread(controller)) {
      controller_.DestroyControllerWindow();
    } else {
      // Only a plain C++ delete on another thread gets here (the host's
      // deletion goes through slot 0, which hands it to the windows'
      // thread). A window of another thread cannot be destroyed from here:
      // the controller's destructor detaches it, so that its procedure
      // answers 0, and the intake stops.
      StopStreamInformation();
    }
  }
  // Classes outlive the library unless unregistered, and a later load would
  // find them taken. Each call fails harmlessly while a window still uses
  // its class (another object's, or one left on another thread).
  UnregisterClassA(kControllerClass, moduleInstance_);
  UnregisterOnScreenWindowClasses(moduleInstance_);
  delete ownedCollector_;
}

// The host deletes the object through this slot, from any thread. The
// controller window, its timer, its tray icon and the on-screen windows
// belong to the thread that called Create, and only that thread can destroy
// them. From another thread the object asks that thread to do it and returns
// at once: the windows' thread may be busy, or even waiting for this one, so
// nothing here waits for it. That thread frees the object once its windows
// are gone; until then nothing runs on freed memory.
IDTVPlugin* CSamplePlugin::ScalarDeletingDestructor(unsigned int flags) {
  std::unique_lock<std::mutex> lock(lifetimeMutex_);
  const bool otherThread = windowThread_ != 0 && windowThread_ != GetCurrentThreadId();
  // Code of the library may still have to run after the host unloads it:
  // on the windows' thread, or in the plug-in's own call below this one on
  // this thread's stack (the host deleting the object while it handles a
  // command, a close or a quit that the plug-in sent it).
  if (otherThread || Module().pluginFrames > 0) PinThisModule();
  if (otherThread && liveController_ != nullptr) {
    deletionRequested_ = true;
    deletionFlags_ = flags;
    // The windows' thread finishes the deletion when this message arrives;
    // should the post fail, at its next monitoring tick, and at the latest
    // when the thread ends.
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

int32_t CSamplePlugin::Init(void* hostInterface, uint32_t sdkVersion) {
  if (((sdkVersion >> 16) & 0xFF) != host::kAcceptedSdkMajor) {
    // The box's loop dispatches the host's messages: nothing of the object
    // is touched after it.
    PluginFrameScope frame;
    MessageBoxA(nullptr, kWrongSdkText, sjis::kPluginCaption, MB_ICONERROR);
    return 0;
  }
  hostInterface_ = hostInterface;
  sdkVersion_ = sdkVersion;
  return 1;
}

int32_t CSamplePlugin::Create(HWND hostMainWindow) {
  host_.SetHostMainWindow(hostMainWindow);
  controller_.CreateControllerWindow(moduleInstance_, hostMainWindow);
  return 1;
}

int32_t CSamplePlugin::InputTsData(const uint8_t* data, uint32_t count) {
  if (data == nullptr) return 1;
  // Whole packets only: a trailing fragment shorter than a packet would make
  // the intake read past the end of the caller's buffer.
  const uint32_t packets = count / kTsPacketSize;
  for (uint32_t k = 0; k < packets; ++k) {
    PsiCollector* store = collector_.load(std::memory_order_acquire);
    if (store == nullptr) continue;
    store->IntakePacket(data + static_cast<size_t>(k) * kTsPacketSize);
  }
  return 1;
}

int32_t CSamplePlugin::OnServiceChange(int32_t hostValue, int32_t serviceId) {
  ApplyServiceChange(collector_.load(std::memory_order_acquire), Module().lastServiceId, currentServiceId_,
                     hostValue, serviceId);
  return 1;
}

int32_t CSamplePlugin::Reserved5(int32_t, int32_t) { return 1; }

void CSamplePlugin::OnControllerCreated(HWND window) {
  std::lock_guard<std::mutex> lock(lifetimeMutex_);
  liveController_ = window;
  windowThread_ = GetCurrentThreadId();
}

// Under lifetimeMutex_: whether a deletion asked for on another thread is
// still to be done, taking it on for the caller (once, whichever of the
// windows' thread's paths comes first) with its flags.
bool CSamplePlugin::TakeRequestedDeletion(unsigned int* flags) {
  if (!deletionRequested_ || deletionFinishing_) return false;
  deletionFinishing_ = true;
  *flags = deletionFlags_;
  return true;
}

// WM_NCDESTROY. A requested deletion whose window went another way than
// by its own message (the host destroyed its main window first, or the
// thread is ending) is finished here: nothing else would.
void CSamplePlugin::OnControllerWindowGone() {
  unsigned int flags = 0;
  {
    std::lock_guard<std::mutex> lock(lifetimeMutex_);
    liveController_ = nullptr;
    if (!TakeRequestedDeletion(&flags)) return;
  }
  // The window still exists until this message returns, so its class stays
  // registered; the library is pinned (the deletion came from another
  // thread), so the class keeps pointing at mapped code.
  DestroyNow(flags);
}

// On the windows' thread: the window goes first, so that its class can go
// with the object.
bool CSamplePlugin::FinishRequestedDeletion() {
  unsigned int flags = 0;
  {
    std::lock_guard<std::mutex> lock(lifetimeMutex_);
    if (!TakeRequestedDeletion(&flags)) return false;
  }
  controller_.DestroyControllerWindow();
  DestroyNow(flags);
  return true;
}

bool CSamplePlugin::DeletionRequested() {
  std::lock_guard<std::mutex> lock(lifetimeMutex_);
  return deletionRequested_;
}

void CSamplePlugin::OnWindowsThreadEnding() { controller_.DestroyControllerWindow(); }

void EndObjectsOfEndingThread() {
  const DWORD thread = GetCurrentThreadId();
  std::lock_guard<std::recursive_mutex> lock(g_objectsMutex);
  // Shutting a controller down may free its object, which leaves the
  // registry: walk a copy, and only objects still registered.
  const std::vector<CSamplePlugin*> objects = g_objects;
  for (CSamplePlugin* object : objects) {
    if (std::find(g_objects.begin(), g_objects.end(), object) == g_objects.end()) continue;
    bool onThisThread = false;
    {
      std::lock_guard<std::mutex> objectLock(object->lifetimeMutex_);
      onThisThread = object->liveController_ != nullptr && object->windowThread_ == thread;
    }
    if (onThisThread) object->OnWindowsThreadEnding();
  }
}

bool CSamplePlugin::QuitThroughHostInterface() {
  // Without a host interface the quit slot cannot be reached; closing the
  // main window is the remaining way out.
  if (sdkVersion_ != host::kSdkVersionWithQuit || hostInterface_ == nullptr) return false;
  CallHostQuit(hostInterface_);
  return true;
}

// The present EIT section of the current service, copied under the
// collector's lock (packets may arrive on another thread).
void CSamplePlugin::ComposeBroadcastProgramme(char* text, size_t size) {
  if (size > 0) text[0] = '\0';
  PsiCollector* collector = collector_.load(std::memory_order_acquire);
  const int32_t serviceId = currentServiceId_.load(std::memory_order_relaxed);
  if (!collector || serviceId < 0 || serviceId > 0xFFFF) return;
  std::vector<uint8_t> section;
  if (!collector->CopyPresentSection(static_cast<uint16_t>(serviceId), section)) return;
  ComposeProgrammeFromSection(section.data(), section.size(), text, size);
}

// The streaming thread may be inside InputTsData: the stop flag makes its
// intake return at once, and the object itself is freed only by the
// destructor.
void CSamplePlugin::StopStreamInformation() {
  PsiCollector* store = collector_.exchange(nullptr, std::memory_order_acq_rel);
  if (store != nullptr) store->Shutdown();
}
