// What the controller needs of the plug-in object that owns it: its
// lifetime, the host interface and the stream information.
#pragma once
#include <windows.h>

#include <cstddef>

#include "NowAndNext.h"

class ControllerOwner {
 public:
  // The controller window exists (WM_INITDIALOG), on the calling thread.
  virtual void OnControllerCreated(HWND window) = 0;
  // The controller window's last message (WM_NCDESTROY).
  virtual void OnControllerWindowGone() = 0;
  // One of the plug-in's own calls, which may hand control to the host: the
  // owner is not freed while one is in progress. A deletion that came
  // meanwhile is carried out by the last LeaveCall: nothing of the owner or
  // the controller may be touched after it.
  virtual void EnterCall() = 0;
  virtual void LeaveCall() = 0;
  // Whether the owner still serves: the host has not asked to delete it.
  virtual bool Serving() = 0;
  // Asks the host to quit through its interface where its SDK has that;
  // false when the main window is to be closed instead.
  virtual bool QuitThroughHostInterface() = 0;
  // The present programme of the current service, from the stream; empty
  // when there is none.
  virtual void ComposeBroadcastProgramme(char* text, size_t size) = 0;
  // The current service's present and following events and the broadcast
  // clock, from the stream.
  virtual NowAndNext ReadNowAndNext() = 0;
  // The shutdown: the stream information stops and is emptied.
  virtual void StopStreamInformation() = 0;

 protected:
  ~ControllerOwner() = default;
};

// Counts one of the plug-in's own calls while it runs (see EnterCall).
class OwnerCall {
 public:
  explicit OwnerCall(ControllerOwner& owner) : owner_(owner) { owner_.EnterCall(); }
  ~OwnerCall() { owner_.LeaveCall(); }
  OwnerCall(const OwnerCall&) = delete;
  OwnerCall& operator=(const OwnerCall&) = delete;

 private:
  ControllerOwner& owner_;
};
