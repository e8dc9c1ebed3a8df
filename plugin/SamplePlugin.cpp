// The plug-in object: construction, the six operations the host calls, and
// how it ends when the host deletes it from any thread (PluginLifetime).
#include "SamplePlugin.h"

#include <new>
#include <vector>

#include "HostContract.h"
#include "ModuleState.h"
#include "OnScreenWindow.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "ServiceSelection.h"
#include "ShiftJisTexts.h"
#include "WindowText.h"

namespace {

constexpr char kWrongSdkText[] = "Wrong SDK Version";

// The host interface's seventh slot quits the host; it takes no arguments
// besides the object itself.
using HostQuitFunction = void(ZENTU_THISCALL*)(void* self);

void CallHostQuit(void* hostInterface) {
  void** vtable = *static_cast<void***>(hostInterface);
  auto quit = reinterpret_cast<HostQuitFunction>(vtable[host::kHostQuitSlot]);
  quit(hostInterface);
}

}  // namespace

CSamplePlugin::CSamplePlugin()
    : collector_(nullptr),
      ownedCollector_(new (std::nothrow) PsiCollector()),
      currentServiceId_(0),
      moduleInstance_(Module().instance),
      controller_(host_, overlay_, panel_, *this) {
  collector_.store(ownedCollector_, std::memory_order_release);
}

// Also the end of an object deleted in-process with `delete` on its windows'
// thread (tests): the controller window goes first.
CSamplePlugin::~CSamplePlugin() {
  controller_.DestroyControllerWindow();
  // Classes outlive the library unless unregistered, and a later load would
  // find them taken. Each call fails harmlessly while a window still uses
  // its class (another object's, or the window whose last message ends
  // this object).
  UnregisterClassA(kControllerClass, moduleInstance_);
  UnregisterOnScreenWindowClasses(moduleInstance_);
  delete ownedCollector_;
}

// The host deletes the object through this slot, from any thread, at any
// moment, even inside a call the plug-in made into it. PluginLifetime
// decides whether the object ends now, on its windows' thread (which may be
// busy, or even waiting for this one: nothing here waits for it), or when
// the plug-in's own calls on the stack return.
IDTVPlugin* CSamplePlugin::ScalarDeletingDestructor(unsigned int flags) {
  // Before any lock: pinning takes the loader lock.
  if (lifetime_.EndMayBeDeferred()) PinThisModule();
  HWND window = lifetime_.Window();
  const bool windowAlive = window != nullptr && IsWindow(window);
  Take(lifetime_.RequestEnd(flags, windowAlive));
  return this;
}

void CSamplePlugin::Take(LifetimeStep step) {
  switch (step.action) {
    case LifetimeStep::kEndNow: End(); break;
    // Should the post fail, the window's next message (its one-second tick
    // at the latest) ends the object all the same.
    case LifetimeStep::kWakeWindowsThread: PostMessageA(step.window, kEndOwnerMessage, 0, 0); break;
    case LifetimeStep::kNothing: break;
  }
}

void CSamplePlugin::End() {
  const unsigned int flags = lifetime_.EndFlags();
  this->~CSamplePlugin();
  if (flags & 1) ::operator delete(this);
}

int32_t CSamplePlugin::Init(void* hostInterface, uint32_t sdkVersion) {
  if (((sdkVersion >> 16) & 0xFF) != host::kAcceptedSdkMajor) {
    // The box's loop dispatches the host's messages, which may delete the
    // object: nothing of it is touched after the call.
    const OwnerCall call(*this);
    MessageBoxW(nullptr, WideFromShiftJis(kWrongSdkText).c_str(),
                WideFromShiftJis(sjis::kPluginCaption).c_str(), MB_ICONERROR);
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

NowAndNext CSamplePlugin::ReadNowAndNext() {
  PsiCollector* collector = collector_.load(std::memory_order_acquire);
  const int32_t serviceId = currentServiceId_.load(std::memory_order_relaxed);
  if (!collector || serviceId < 0 || serviceId > 0xFFFF) return NowAndNext();
  const auto service = static_cast<uint16_t>(serviceId);
  return ::ReadNowAndNext(service, collector->CopyEventSections(service), broadcastClock_, GetTickCount64());
}

// The streaming thread may be inside InputTsData: the stop flag makes its
// intake return at once, and the object itself is freed only by the
// destructor.
void CSamplePlugin::StopStreamInformation() {
  PsiCollector* store = collector_.exchange(nullptr, std::memory_order_acq_rel);
  if (store != nullptr) store->Shutdown();
}
