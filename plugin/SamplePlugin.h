// The plug-in object that the host viewer drives through IDTVPlugin. It owns
// one part per concern: the stream information, the host's windows, the
// overlay and the panel, and the controller that ties them together.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "Controller.h"
#include "HostViewer.h"
#include "RemotePanel.h"
#include "StatusOverlay.h"

class PsiCollector;

// The host calls member functions with its own compiler's convention: on
// 32-bit x86 that is __thiscall (this in ECX, callee pops the arguments).
#if defined(__i386__)
#define ZENTU_THISCALL __attribute__((thiscall))
#else
#define ZENTU_THISCALL
#endif

// The host's interface. Its vtable has exactly six slots; slot 0 is the
// scalar deleting destructor of the host's compiler (flags bit 0: free the
// memory; returns the object). A C++ virtual destructor would take two slots
// with GCC, so slot 0 is declared as a plain virtual function instead and the
// destructor is protected and non-virtual: the host never calls it directly.
class IDTVPlugin {
 public:
  virtual IDTVPlugin* ScalarDeletingDestructor(unsigned int flags) = 0;
  virtual int32_t Init(void* hostInterface, uint32_t sdkVersion) = 0;
  virtual int32_t Create(HWND hostMainWindow) = 0;
  virtual int32_t InputTsData(const uint8_t* data, uint32_t count) = 0;
  virtual int32_t OnServiceChange(int32_t hostValue, int32_t serviceId) = 0;
  virtual int32_t Reserved5(int32_t reserved1, int32_t reserved2) = 0;

 protected:
  ~IDTVPlugin() = default;
};

class CSamplePlugin final : public IDTVPlugin, private ControllerOwner {
 public:
  CSamplePlugin();
  ~CSamplePlugin();
  CSamplePlugin(const CSamplePlugin&) = delete;
  CSamplePlugin& operator=(const CSamplePlugin&) = delete;

  // IDTVPlugin, in slot order.
  IDTVPlugin* ScalarDeletingDestructor(unsigned int flags) override;
  int32_t Init(void* hostInterface, uint32_t sdkVersion) override;
  int32_t Create(HWND hostMainWindow) override;
  int32_t InputTsData(const uint8_t* data, uint32_t count) override;
  int32_t OnServiceChange(int32_t hostValue, int32_t serviceId) override;
  int32_t Reserved5(int32_t reserved1, int32_t reserved2) override;

  // The parts, for the host's windows and for tests.
  HostViewer& Host() { return host_; }
  StatusOverlay& Overlay() { return overlay_; }
  RemotePanel& Panel() { return panel_; }
  Controller& GetController() { return controller_; }
  // Null when it could not be allocated, and after the controller's teardown.
  PsiCollector* Collector() const { return collector_.load(std::memory_order_acquire); }
  int32_t CurrentServiceId() const { return currentServiceId_.load(std::memory_order_relaxed); }
  uint32_t SdkVersion() const { return sdkVersion_; }
  HINSTANCE ModuleInstance() const { return moduleInstance_; }

 private:
  // ControllerOwner.
  void OnControllerCreated(HWND window) override;
  void OnControllerWindowGone() override;
  bool FinishRequestedDeletion() override;
  bool DeletionRequested() override;
  bool QuitThroughHostInterface() override;
  void ComposeBroadcastProgramme(char* text, size_t size) override;
  void StopStreamInformation() override;

  bool TakeRequestedDeletion(unsigned int* flags);
  void DestroyNow(unsigned int flags);
  // The windows' thread is ending (DllMain): its windows would vanish without
  // a message, so the controller is shut down now.
  void OnWindowsThreadEnding();
  friend void EndObjectsOfEndingThread();

  // The streaming thread reads the collector; the controller's teardown
  // stops and empties it, and only the destructor frees it.
  std::atomic<PsiCollector*> collector_;
  PsiCollector* ownedCollector_;
  // Written by OnServiceChange on the host's streaming thread, read while the
  // overlay paints.
  std::atomic<int32_t> currentServiceId_;
  HINSTANCE moduleInstance_;
  void* hostInterface_ = nullptr;
  uint32_t sdkVersion_ = 0;

  HostViewer host_;
  StatusOverlay overlay_;
  RemotePanel panel_;
  Controller controller_;

  // Deletion by the host from any thread (see the .cpp): guards the
  // controller window against a deletion on another thread.
  std::mutex lifetimeMutex_;
  HWND liveController_ = nullptr;  // from WM_INITDIALOG to WM_NCDESTROY
  DWORD windowThread_ = 0;         // the thread of the controller window
  bool deletionRequested_ = false;
  bool deletionFinishing_ = false;  // the windows' thread has taken it on
  unsigned int deletionFlags_ = 0;
};

// DllMain, on every thread that ends: the controllers of the objects whose
// windows live on that thread are shut down before the windows vanish.
void EndObjectsOfEndingThread();
