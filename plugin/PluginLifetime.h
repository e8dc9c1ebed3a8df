// The plug-in object's life, one small state machine with one owner.
//
// The host may delete the object on any thread, inside any call the plug-in
// makes into it, and unload the library right after. The controller window
// and everything it holds belong to the thread that created it (the
// windows' thread), and code of the plug-in may be on that thread's stack
// when the deletion comes. So a deletion is not always carried out at once:
//
//   serving ──deletion──▶ end requested ──last own call returns──▶ ended
//      │                      (or the windows' thread's message)
//      └──deletion, nothing of the plug-in running─────────────────▶ ended
//
// In "ended" the object is being (or has been) torn down and freed, once,
// by whoever took it there. ARCHITECTURE.md has the table of every event.
//
// The state lives under one mutex, which is never held across a Windows call:
// each decision is returned as a `LifetimeStep` that the caller carries out
// after the lock is released.
#pragma once
#include <windows.h>

#include <atomic>
#include <mutex>

enum class LifetimeStage { kServing, kEndRequested, kEnded };

// What the caller does after a lifetime event.
struct LifetimeStep {
  enum Action {
    kNothing,
    kEndNow,            // tear the object down and free it, on this thread
    kWakeWindowsThread  // post the end message to `window`: its thread ends the object
  };
  Action action = kNothing;
  HWND window = nullptr;
};

class PluginLifetime {
 public:
  // The controller window exists (WM_INITDIALOG); its thread is the caller's.
  void WindowCreated(HWND window);
  // The controller window's last message (WM_NCDESTROY).
  void WindowGone();
  HWND Window() const;

  // One of the plug-in's own calls that may hand control to the host (a
  // message to the controller window, an overlay paint reading the host, a
  // message box). The object is not freed while one is in progress.
  void EnterCall();
  LifetimeStep LeaveCall();
  // Whether the host's deletion could leave code of the library to run after
  // the slot returns: the caller pins the module before RequestEnd.
  bool EndMayBeDeferred() const;
  // Slot 0. `windowAlive`: whether the recorded window still exists (asked
  // before the call: the windows' thread may have ended and taken it along
  // without a message).
  LifetimeStep RequestEnd(unsigned int flags, bool windowAlive);

  // "May I go on?" after any call into the host: no deletion has come.
  bool Serving() const;
  LifetimeStage Stage() const;
  // The flags the host deleted the object with (bit 0: free the memory).
  unsigned int EndFlags() const;

 private:
  mutable std::mutex mutex_;
  LifetimeStage stage_ = LifetimeStage::kServing;
  unsigned int endFlags_ = 0;
  HWND window_ = nullptr;
  // Read without the lock by EndMayBeDeferred, written under it.
  std::atomic<int> calls_{0};
  std::atomic<DWORD> windowsThread_{0};
};
