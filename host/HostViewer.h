// The host viewer as the plug-in knows it: its main window, the windows that
// discovery lists (how each is hidden, whether it was visible, its title),
// the remote and video windows it picks out, and the channel names read off
// the remote window. The host is read and driven only through the window
// manager; nothing of it is cached but the list and the channel names.
//
// The host reacts to what it is sent (a command, a show command) inside the
// call, and may delete the plug-in, and this object with it, before the call
// returns. So every operation that drives the host does so last, from local
// copies, and touches nothing of this object afterwards.
#pragma once
#include <windows.h>

#include <cstdint>

#include "HostContract.h"
#include "HostText.h"
#include "IniFile.h"

constexpr int kMaxHostWindows = 100;

// How a listed window is hidden, shown and tested for visibility.
enum HostHideStyle : int32_t {
  kHideByMinimise = 0,  // SW_MINIMIZE / SW_RESTORE; visible while not iconic
  kHideByShow = 1,      // SW_HIDE / SW_SHOW; visible while WS_VISIBLE
};

// Up to 100 host windows as four parallel arrays; entry 0 is the host main
// window once discovery has run. Title buffers are owned by the list.
struct HostWindowList {
  HWND window[kMaxHostWindows];
  int32_t hideStyle[kMaxHostWindows];
  int32_t visible[kMaxHostWindows];
  char* title[kMaxHostWindows];
  int32_t count;
};

// Result of QueryHostWindowByTitle when the title is not listed.
constexpr int32_t kTitleNotListed = 2;

class HostViewer {
 public:
  HostViewer();
  ~HostViewer();
  HostViewer(const HostViewer&) = delete;
  HostViewer& operator=(const HostViewer&) = delete;

  // The main window that the host hands to Create.
  void SetHostMainWindow(HWND window) { mainWindow_ = window; }
  HWND HostMainWindow() const { return mainWindow_; }
  HWND HostRemoteWindow() const { return remoteWindow_; }
  HWND HostVideoWindow() const { return videoWindow_; }
  const HostWindowList& WindowList() const { return list_; }
  // Slot i: "ch<i+1>:" and the text of channel button i.
  const char* ChannelName(int index) const { return channelNames_[index]; }

  // ---- The window list ----
  // Lists the windows once. Returns whether it ran: a main window was known
  // and nothing was listed.
  bool DiscoverHostWindows();
  // Hides the listed windows that `ini` remembers as hidden.
  void HideWindowsSavedHidden(const IniFile& ini);
  void HideAllHostWindows();
  void RestoreAllHostWindows();
  // The main window was minimised and then hidden: it is shown restored.
  void MarkMainWindowMinimisedToTray() { mainMinimisedToTray_ = true; }
  void HideHostWindow(HWND window);
  void RestoreHostWindow(HWND window);
  // Hides entry `index` if it is visible now, else shows it.
  void ToggleHostWindow(int32_t index);
  void RefreshHostWindowVisibility();
  int32_t IsHostWindowVisible(int32_t index) const;
  int32_t QueryHostWindowByTitle(const char* title, int32_t* outIndex) const;
  // Teardown: one "%s_View" key per entry, then the list is emptied.
  void SaveHostWindowVisibility(const IniFile& ini);

  // ---- The host's state ----
  int32_t IsHostRecording() const;
  int32_t IsHostBusy() const;
  int32_t IsHostMuted() const;
  int32_t FindCurrentChannel() const;
  int32_t ReadStatusBarNumbers(int32_t* number4, int32_t* number5, int32_t* number7, int32_t* number8,
                               int32_t* number9) const;
  // The status bar's text; false without a main window or status bar.
  bool ReadStatusBarText(char* text, int size) const;
  // The remote window's current channel name; false without a remote window.
  bool ReadCurrentChannelName(char* text, int size) const;
  // The listed programme-information window's text (control 1003) of the
  // present programme: a window showing the next one is switched for the
  // read and back. False when no such window is listed any more.
  bool ReadProgrammeWindow(char* text, int size) const;
  // Control 1003 of list entry `index`, at most size - 1 bytes.
  void ReadProgrammeText(int32_t index, char* text, int size) const;

  // ---- Driving the host ----
  // Presses the channel button for a request (0..11, -2 next, other negative
  // previous); returns whether a button was pressed.
  bool SelectChannel(int32_t request);
  void SetHostMute(int32_t on);
  // Record start: "30" minutes and the record command, or the restart
  // command while recording. False without a main window.
  bool PressRecordStart();
  // Record start for `minutes` (1 or more) in place of "30"; false without
  // a main window or while the host records.
  bool PressRecordFor(int32_t minutes);
  // Record stop: the record command while recording; false otherwise.
  bool PressRecordStop();
  // Full screen on the video window, keeping a topmost window topmost.
  void ToggleFullScreen();
  // Closes the viewer by WM_CLOSE to its main window.
  void CloseMainWindow();
  // Whether the video window was topmost before full screen made it so.
  int32_t FullScreenTopmost() const { return fullScreenTopmost_; }

 private:
  void FreeTitles();
  // The steps of DiscoverHostWindows, in order. ListOwnedWindows tells
  // whether one of the owned windows is the video window.
  bool ListMainWindow();
  bool ListOwnedWindows();
  void ListUtilityWindow();
  void ReadChannelNames();
  // Record the new visibility of a listed window and return the show
  // command that makes it so; -1 when the window is not listed.
  int PrepareHide(HWND window);
  int PrepareShow(HWND window);
  int ShowCommandAt(int32_t index);

  HostWindowList list_;
  HWND mainWindow_ = nullptr;
  HWND remoteWindow_ = nullptr;
  HWND videoWindow_ = nullptr;
  char channelNames_[host::kChannelCount][hosttext::kChannelSlotSize];
  int32_t fullScreenTopmost_ = 0;
  bool mainMinimisedToTray_ = false;
};
