// The plug-in object that the host viewer drives through IDTVPlugin, and the
// module-wide state shared by the plug-in's windows.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "HostWindows.h"

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

// The host interface handed to Init: only its seventh slot (quit, no
// arguments) is used.
constexpr int kHostQuitSlot = 6;
constexpr uint32_t kSdkVersionWithQuit = 0x00010400;

constexpr int kChannelCount = 12;
constexpr int kChannelNameSize = 100;
constexpr int kSmallTextSize = 100;
constexpr int kPathSize = 256;

// Status overlay content flags.
enum OverlayContent : int32_t {
  kOverlayChannel = 0x01,
  kOverlayRecording = 0x02,
  kOverlayStatusBar = 0x04,
  kOverlayProgramme = 0x08,
  kOverlayClock = 0x10,
  kOverlayAll = 0x1F,
};

class CSamplePlugin final : public IDTVPlugin {
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

  // Controller window: start-up, shutdown, ini file.
  void OnControllerInit(HWND controller);
  void OnControllerDestroy(HWND controller);
  void BuildIniPath();
  void TeardownCollector();

  // Lifetime: deletion by the host from any thread (see the .cpp).
  // Destroys the controller window with this object's state, whichever object
  // is current.
  void DestroyControllerWindow();
  // The controller window has gone (WM_NCDESTROY); finishes a deletion that
  // waited for it.
  void OnControllerWindowGone();
  // Whether the host has asked for this object's deletion.
  bool DeletionRequested();
  // The controller window exists (WM_INITDIALOG), on the calling thread.
  void OnControllerCreated(HWND controller);
  // Whether `plugin` still points at the live object with `serial`; it is
  // not dereferenced, so it may have been freed.
  static bool IsLive(const CSamplePlugin* plugin, uint32_t serial);
  uint32_t Serial() const { return serial_; }

  // Monitoring timer.
  void OnMonitorTick(HWND controller);

  // Tray icon and menu.
  void AddTrayIcon(HWND controller);
  void RetryTrayIconIfPending();
  void OnTaskbarCreated();
  void RemoveTrayIcon();
  void OnTrayNotify(HWND controller, LPARAM mouseMessage);
  void RefreshTrayTip();
  void ShowTrayMenu(HWND controller);
  BOOL NotifyTray(DWORD message);
  void ListenForTaskbarCreated(HWND controller);

  // Command table.
  void OnCommand(HWND controller, WPARAM wParam, LPARAM lParam);
  void CloseViewer(HWND controller);
  void ToggleFullScreen();
  void StartRecording();
  void StopRecording();
  void ToggleStatusOverlay();
  void ToggleHostWindowByIndex(int32_t index);

  // Host windows.
  void DiscoverHostWindows(HWND controllerWindow);
  void HideAllHostWindows();
  void RestoreAllHostWindows();
  void HideHostWindow(HWND window);
  void RestoreHostWindow(HWND window);
  void RefreshHostWindowVisibility();
  int32_t IsHostWindowVisible(int32_t index);
  int32_t QueryHostWindowByTitle(const char* title, int32_t* outIndex);
  void SaveHostWindowVisibility();

  // Host remote control and state.
  void SelectChannel(int32_t request);
  int32_t FindCurrentChannel();
  static void StepChannelIndex(int32_t* index, int32_t request);
  int32_t IsHostRecording();
  int32_t IsHostBusy();
  int32_t IsHostMuted();
  void SetHostMute(int32_t on);
  int32_t ReadStatusBarNumbers(int32_t* number4, int32_t* number5, int32_t* number7,
                               int32_t* number8, int32_t* number9);
  HWND FindHostStatusBar();

  // Status overlay and remote panel.
  void CreateStatusOverlay(HWND ownerWindow);
  void ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted);
  void HideStatusOverlay();
  void TickStatusOverlay();
  void PaintStatusOverlay(HWND overlay, HDC dc);
  void CreateRemotePanel(HWND ownerWindow);
  void PaintRemotePanel(HWND panel, HDC dc);

  // ---- Fields, grouped in the order of the object ----
  // 1. Stream information. Null when it could not be allocated and after the
  // controller's teardown. The streaming thread reads it; teardown stops and
  // empties the collector but frees it only in the destructor, after which
  // the host no longer calls InputTsData.
  std::atomic<PsiCollector*> collector;
  // 2-4.
  HWND controllerWindow;
  HINSTANCE moduleInstance;
  void* hostInterface;
  uint32_t sdkVersion;
  // 5. Controller window settings and state.
  char iniPath[kPathSize];
  UINT_PTR monitorTimerId;
  int32_t positionValid;
  RECT rememberedRect;
  int32_t minimised;
  // 6.
  HostWindowList hostWindows;
  // 7. Tray icon data, kept for the plug-in's life.
  NOTIFYICONDATAA trayData;
  // 8.
  int32_t discoveryCountdown;
  // 9. Tray icons and flags; the NoCard options.
  HICON normalTrayIcon;
  HICON recordingTrayIcon;
  int32_t tipIsDefault;
  int32_t trayIconAdded;    // the shell accepted NIM_ADD
  int32_t trayIconPending;  // discovery asked for the icon; NIM_ADD not yet accepted
  UINT taskbarCreatedMessage;
  int32_t noCard;
  int32_t noCardRec;
  // 10.
  HWND hostMainWindow;
  HWND hostRemoteWindow;
  // 11-12.
  char channelNames[kChannelCount][kChannelNameSize];
  uint32_t channelButtonIds[kChannelCount];
  // 13.
  char recordingTimeText[kSmallTextSize];
  // 14. Status overlay.
  HWND overlayWindow;
  int32_t displayCountdown;
  int32_t contentFlags;
  int32_t recordingStopped;
  HWND anchorWindow;
  HBRUSH greyBrush;
  int32_t fullScreenTopmost;
  // 15-18.
  int32_t autoDispStatus;
  HWND remotePanel;
  HWND hostVideoWindow;
  // Written by OnServiceChange on the host's streaming thread, read while
  // the overlay paints.
  std::atomic<int32_t> currentServiceId;

 private:
  void DestroyNow(unsigned int flags);
  // Clears the current pointer if it is this object.
  void ReleaseCurrentPointer();

  PsiCollector* ownedCollector_;  // freed by the destructor only
  const uint32_t serial_;
  // Guards the controller window handle against a deletion on another
  // thread, and the deletion request.
  std::mutex lifetimeMutex_;
  HWND liveController_ = nullptr;  // from WM_INITDIALOG to WM_NCDESTROY
  DWORD windowThread_ = 0;         // the thread of the controller window
  bool deletionRequested_ = false;
  unsigned int deletionFlags_ = 0;

  friend void CALLBACK FinishDeferredDeletions(HWND, UINT, UINT_PTR, DWORD);
};

// Module-wide state.
extern HINSTANCE g_moduleInstance;
// Set at the controller's WM_INITDIALOG; read by every window procedure.
extern std::atomic<CSamplePlugin*> g_currentPlugin;
// The service of the latest change; written on the host's streaming thread.
extern std::atomic<int32_t> g_lastServiceId;
// Open modal loops of the plug-in's own (the close question, the tray menu)
// on the user-interface thread.
extern std::atomic<int> g_modalLoops;

// Counts one of those modal loops while it runs.
class ModalLoopScope {
 public:
  ModalLoopScope() { ++g_modalLoops; }
  ~ModalLoopScope() { --g_modalLoops; }
  ModalLoopScope(const ModalLoopScope&) = delete;
  ModalLoopScope& operator=(const ModalLoopScope&) = delete;
};

// Window procedures.
INT_PTR CALLBACK ControllerDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK RemotePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Unregisters the overlay's and the panel's window classes once both windows
// are destroyed: a class registered by a DLL outlives the DLL otherwise.
void UnregisterOnScreenWindowClasses();
// What the overlay and the panel answer while no plug-in object is current.
LRESULT AnswerWithoutPlugin(HWND window, UINT message);

// Window classes, messages and ids shared by the plug-in's windows.
constexpr char kControllerClass[] = "Zentu_TaskTray_Class";
constexpr char kOverlayClass[] = "Zentu_TaskTrayStatus_Class";
constexpr char kPanelClass[] = "Zentu_TaskTrayPanel_Class";
constexpr UINT kTrayCallbackMessage = WM_APP + 100;  // 0x8064
constexpr UINT kTrayIconId = 102;
constexpr UINT_PTR kMonitorTimerId = 1000;
constexpr UINT kMonitorPeriodMs = 1000;
constexpr COLORREF kColourKey = 0x808080;
// The overlay and the panel: colour-keyed, and never activated, so that the
// viewer keeps the keyboard focus while they are shown.
constexpr DWORD kOnScreenWindowExStyle = WS_EX_LAYERED | WS_EX_NOACTIVATE;
// Posted to the controller window when the host deletes the object from
// another thread: the window is destroyed on its own thread.
constexpr UINT kDestroyControllerMessage = WM_APP + 101;
