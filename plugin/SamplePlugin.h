// The plug-in object that the host viewer drives through IDTVPlugin. It owns
// one part per concern: the stream information, the host's windows, the
// overlay and the panel, and the controller that ties them together.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "Controller.h"
#include "HostViewer.h"
#include "PluginLifetime.h"
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

 private:
  // ControllerOwner.
  void OnControllerCreated(HWND window) override { lifetime_.WindowCreated(window); }
  void OnControllerWindowGone() override { lifetime_.WindowGone(); }
  void EnterCall() override { lifetime_.EnterCall(); }
  void LeaveCall() override { Take(lifetime_.LeaveCall()); }
  bool Serving() override { return lifetime_.Serving(); }
  bool QuitThroughHostInterface() override;
  void ComposeBroadcastProgramme(char* text, size_t size) override;
  NowAndNext ReadNowAndNext() override;
  void StopStreamInformation() override;

  // Carries out what the lifetime decided, after its lock is released.
  void Take(LifetimeStep step);
  // The one place the object ends: the controller window goes (its
  // WM_DESTROY is the shutdown), then the object, freed when the host asked.
  void End();

  // The streaming thread reads the collector; the controller's teardown
  // stops and empties it, and only the destructor frees it.
  std::atomic<PsiCollector*> collector_;
  PsiCollector* ownedCollector_;
  // Written by OnServiceChange on the host's streaming thread, read while the
  // overlay paints.
  std::atomic<int32_t> currentServiceId_;
  // Read on the controller window's thread only.
  BroadcastClock broadcastClock_;
  HINSTANCE moduleInstance_;
  void* hostInterface_ = nullptr;
  uint32_t sdkVersion_ = 0;

  PluginLifetime lifetime_;
  HostViewer host_;
  StatusOverlay overlay_;
  RemotePanel panel_;
  Controller controller_;
};
