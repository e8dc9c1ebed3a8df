// The controller window: a hidden modeless dialog that anchors the plug-in
// in the host's user interface. It keeps the settings, the tray icon and the
// monitoring timer, runs the command table and decides what the overlay
// shows; the host's windows, the overlay and the panel are driven through
// their own types.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ControllerOwner.h"
#include "ControllerSettings.h"
#include "HostViewer.h"
#include "OverlayContent.h"
#include "RemotePanel.h"
#include "StatusOverlay.h"
#include "TrayIcon.h"
#include "TrayRoutines.h"

constexpr char kControllerClass[] = "Zentu_TaskTray_Class";
constexpr UINT_PTR kMonitorTimerId = 1000;
constexpr UINT kMonitorPeriodMs = 1000;
// Posted to the controller window when the host deletes its owner from
// another thread: the owner ends on the window's own thread, as the message's
// call returns.
constexpr UINT kEndOwnerMessage = WM_APP + 101;
// Sent to the controller window when the window that owns it (the host's
// main window) starts to minimise.
constexpr UINT kOwnerMinimisedMessage = WM_APP + 102;
constexpr UINT_PTR kClickTimerId = 1001;
constexpr int kBossKeyHotKeyId = 1;

// The tray habits' live state: the minimise hook, the boss key, a single
// click waiting to see whether a second one follows.
struct TrayHabitsState {
  HWINEVENTHOOK minimiseHook = nullptr;
  HotKey bossKey = kDefaultBossKey;  // the key in use, or the one offered
  bool bossKeyOn = false;            // the ini file or the menu turned it on
  bool bossKeyRegistered = false;    // false while on: another program holds it
  bool mutedByBossKey = false;
  bool clickPending = false;
  bool swallowNextClick = false;  // the button-up that ends a double click
};

// The one-second heartbeat: the timer and the discovery countdown.
struct MonitorState {
  UINT_PTR timerId = 0;             // 0 while no timer runs
  int32_t discoveryCountdown = 3;   // discovery runs when it reaches 0
  bool savedHiddenPending = false;  // discovery ran; the saved hidden state waits for the tray icon
};

class Controller final : public OverlayContentSource {
 public:
  Controller(HostViewer& host, StatusOverlay& overlay, RemotePanel& panel, ControllerOwner& owner);
  ~Controller();
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Registers the dialog class and creates the hidden controller window,
  // owned by the host's main window; null when it could not.
  HWND CreateControllerWindow(HINSTANCE instance, HWND hostMainWindow);
  // The shutdown: destroys the window, whose WM_DESTROY runs the teardown.
  // A window that its thread took along without a message (the thread
  // ended) gets the teardown here.
  void DestroyControllerWindow();
  HWND Window() const { return window_; }
  ControllerOwner& Owner() { return owner_; }

  // The controller window's messages.
  INT_PTR OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnControllerInit(HWND window);
  void OnControllerDestroy(HWND window);
  // Closing hides the window, if the host's window list holds it; it is
  // never destroyed by closing.
  void OnClose(HWND window) { host_.HideHostWindow(window); }
  void OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
  void OnMonitorTick(HWND window);
  void OnTrayNotify(HWND window, LPARAM mouseMessage);
  // The tray habits (TrayHabits.cpp).
  void StartTrayHabits(HWND window);
  void EndTrayHabits(HWND window);
  void OnOwnerMinimised();
  void OnClickTimer(HWND window);
  void OnBossKey();
  const TrayHabitsState& Habits() const { return habits_; }

  // Operations of the command table and the tray.
  void CloseViewer(HWND window);
  void RefreshTrayTip();
  void ShowTrayMenu(HWND window);
  // A show request for the overlay over the host's video window.
  void ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted);

  ControllerSettings& Settings() { return settings_; }
  TrayIcon& Tray() { return tray_; }
  const MonitorState& Monitor() const { return monitor_; }

  // The overlay's items, read from the host and the stream.
  bool ReadOverlayContent(int32_t contentFlags, OverlayContent* content) override;

 private:
  // Asked after every call into the host, which may have asked to delete the
  // owner or destroyed the host's windows (and this window with them).
  bool StillServing() const { return window_ != nullptr && owner_.Serving(); }
  void HideAll();
  void StartRecording();
  void StopRecording();
  void RecordToEnd();
  void ToggleCallForNext();
  void CallForNextStep(const NowAndNext& stream);
  void ToggleStatusOverlay();
  void SelectChannel(int32_t request);
  // Whether the controller still serves its window afterwards.
  bool TickDiscovery(HWND window, bool* shellCalled);
  bool HideSavedHiddenOnceIconShown();
  void RecordPosition(HWND window);
  void SwitchTrayImage();
  // The tick's look at the broadcast: the notice of a new programme, the
  // call for the next one.
  void WatchBroadcast();
  void OnTrayLeftButtonUp(HWND window);
  void RunClickAction();
  void HideOrRestoreAll();
  bool AnyListedWindowVisible() const;
  void SetMinimiseHook(bool on);
  void SetBossKeyRegistered(HWND window, bool on);
  void OnOptionCommand(HWND window, CommandKind kind, int32_t index);

  HostViewer& host_;
  StatusOverlay& overlay_;
  RemotePanel& panel_;
  ControllerOwner& owner_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  bool positionSaved_ = false;  // the ini file held a whole saved position
  ControllerSettings settings_;
  TrayIcon tray_;
  MonitorState monitor_;
  TrayHabitsState habits_;
  ProgrammeChangeWatch programmeWatch_;
  CallForNext callForNext_;  // not kept across sessions
};

// The controller whose window was initialised last; null before that and
// once that controller is gone. The controller window answers 0 while it is
// null.
const Controller* CurrentController();

// The controller window's dialog procedure.
INT_PTR CALLBACK ControllerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
