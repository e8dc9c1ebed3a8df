// What the controller needs of the plug-in object that owns it: its
// lifetime, the host interface and the stream information.
#pragma once
#include <windows.h>

#include <cstddef>

class ControllerOwner {
 public:
  // The controller window exists (WM_INITDIALOG), on the calling thread.
  virtual void OnControllerCreated(HWND window) = 0;
  // The controller window has gone (WM_NCDESTROY); a deletion that waited
  // for it finishes, and the owner may be freed before this returns.
  virtual void OnControllerWindowGone() = 0;
  // On the windows' thread: if the host has asked on another thread to delete
  // the owner, destroys the controller window and frees the owner, and
  // returns true; nothing of either may be touched afterwards.
  virtual bool FinishRequestedDeletion() = 0;
  // Whether the host has asked to delete the owner.
  virtual bool DeletionRequested() = 0;
  // Asks the host to quit through its interface where its SDK has that;
  // false when the main window is to be closed instead.
  virtual bool QuitThroughHostInterface() = 0;
  // The present programme of the current service, from the stream; empty
  // when there is none.
  virtual void ComposeBroadcastProgramme(char* text, size_t size) = 0;
  // The shutdown: the stream information stops and is emptied.
  virtual void StopStreamInformation() = 0;

 protected:
  ~ControllerOwner() = default;
};
