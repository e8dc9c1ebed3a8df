// A stand-in for the host viewer: the same top-level windows, controls and
// command ids that the plug-in finds, reads and drives, created on the
// calling thread. Every command a window receives is logged in order so that
// tests can check exactly what the host was sent. All texts are Shift_JIS.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "StandInRoutines.h"

// The host's member-call convention on 32-bit x86.
#if defined(__i386__)
#define STANDIN_THISCALL __attribute__((thiscall))
#else
#define STANDIN_THISCALL
#endif

namespace standin {

// Window titles and classes as the host uses them (Shift_JIS bytes).
constexpr char kMainTitle[] = "Zentu HDTV Player";
// "リモコンっぽい物"
constexpr char kRemoteTitle[] = "\x83\x8a\x83\x82\x83\x52\x83\x93\x82\xc1\x82\xdb\x82\xa2\x95\xa8";
// "Zentu - 番組情報 -"
constexpr char kProgrammeTitle[] = "Zentu - \x94\xd4\x91\x67\x8f\xee\x95\xf1 -";
// "次番組", added to the programme title while the next programme is shown
constexpr char kNextProgrammeMark[] = "\x8e\x9f\x94\xd4\x91\x67";
constexpr char kVideoTitle[] = "Video";
constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";
constexpr char kUtilityClass[] = "ZentuUtil32";
// "録画中"
constexpr char kRecordingText[] = "\x98\x5e\x89\xe6\x92\x86";
// "待機中", the recording text while idle
constexpr char kIdleText[] = "\x91\xd2\x8b\x40\x92\x86";

// Control ids on the main window.
constexpr int kMainRecordingTextId = 1012;
constexpr int kMainRecordMinutesId = 1015;
constexpr int kMainMuteCheckId = 1034;
// Commands the main window answers.
constexpr int kCommandRecordToggle = 1009;
constexpr int kCommandRecordWhileRecording = 1016;
// Controls on the remote window.
constexpr int kChannelButtonIds[kChannelCount] = {1006, 1008, 1007, 1009, 1010, 1011,
                                                  1012, 1013, 1025, 1026, 1027, 1028};
constexpr int kRemoteCurrentChannelId = 1021;
constexpr int kRemoteBusyControlId = 1018;
// Programme window.
constexpr int kProgrammeTextId = 1003;
constexpr int kCommandProgrammeToggle = 1021;
// Video window.
constexpr int kCommandFullScreen = 40001;

enum class Window { kMain, kRemote, kProgramme, kVideo, kUtility };

// One message received by a stand-in window: WM_COMMAND (id = its low word)
// or WM_CLOSE (id = 0).
struct ReceivedCommand {
  Window window;
  UINT message;
  int id;
  bool operator==(const ReceivedCommand& other) const {
    return window == other.window && message == other.message && id == other.id;
  }
};

struct Options {
  // Channel names of CH1..CH12 (empty = a button without a channel).
  std::string channelNames[kChannelCount];
  // Service ids reported on tuning; default 0x0400 + index.
  int32_t serviceIds[kChannelCount] = {};
  bool createRemote = true;
  bool createProgramme = true;
  // Owned "Video" window; when false and useUtilityWindow is set, the video
  // is the child "Video" of an unowned "ZentuUtil32" window.
  bool createVideo = true;
  bool useUtilityWindow = false;
  bool showWindows = true;         // show every window after creation
  bool quitOnMainDestroy = false;  // PostQuitMessage when the main window goes
  // Where the windows open: their usual places moved by this much, so that
  // several viewers side by side do not cover each other.
  int originX = 0, originY = 0;
  // Opens the windows behind every window already on the desktop, as a
  // viewer started while another one is in front.
  bool behind = false;
  std::string statusText = "25.3dB 0 0 0 00:00 0 00:00:00";
  // Sets and reads its Japanese texts with the W functions, converted from
  // and to Shift_JIS explicitly, as a viewer that keeps its texts in UTF-16
  // would: they read right whatever the system's code page. Otherwise the
  // ANSI functions, as the viewer does.
  bool unicode = false;
  Options();
};

// Called when a channel button is pressed: (host value, service id).
using ServiceChangeHandler = std::function<void(int32_t hostValue, int32_t serviceId)>;
// Called first for every message a stand-in window receives, so that a test
// can make the host react as some viewers do (for instance by deleting the
// plug-in while it handles what the plug-in sent it).
using MessageHook = std::function<void(Window window, UINT message, WPARAM wParam)>;

class StandInViewer {
 public:
  explicit StandInViewer(const Options& options = Options());
  ~StandInViewer();  // destroys what is still alive
  StandInViewer(const StandInViewer&) = delete;
  StandInViewer& operator=(const StandInViewer&) = delete;

  // Creates the windows on the calling thread; false if any creation failed.
  bool Create();
  void Destroy();

  HWND MainWindow() const { return main_; }
  HWND RemoteWindow() const { return remote_; }
  HWND ProgrammeWindow() const { return programme_; }
  HWND VideoWindow() const { return video_; }  // owned window or utility child
  HWND UtilityWindow() const { return utility_; }
  HWND StatusBar() const { return statusBar_; }

  // Host state.
  bool IsRecording() const { return recording_; }
  bool IsMuted() const { return muted_; }
  bool IsFullScreen() const { return fullScreen_; }
  bool IsShowingNextProgramme() const { return showingNext_; }
  int CurrentChannel() const { return currentChannel_; }  // -1 until tuned
  // Text of control 1015 when the last recording started ("30").
  const std::string& RecordMinutesAtStart() const { return recordMinutes_; }
  int RecordRestartCount() const { return recordRestarts_; }

  // Setters for tests; they change the controls as the host would.
  void SetRecording(bool on);
  void SetRecordingText(const char* text);  // control 1012 verbatim
  void SetBusy(bool busy);                  // disables control 1018
  void SetStatusText(const char* text);
  void SetChannelName(int index, const char* text);
  void SetCurrentChannelText(const char* text);  // control 1021 verbatim
  void SetProgrammeText(const char* text);
  void SetMuted(bool muted);  // check box only, as if set by the host
  void SetServiceChangeHandler(ServiceChangeHandler handler) { onServiceChange_ = std::move(handler); }
  void SetMessageHook(MessageHook hook) { onMessage_ = std::move(hook); }

  // Everything the windows received, in order.
  const std::vector<ReceivedCommand>& Received() const { return received_; }
  std::vector<int> CommandsTo(Window window) const;  // WM_COMMAND ids only
  void ClearReceived() { received_.clear(); }

  // Which stand-in window a handle is.
  bool Identify(HWND window, Window* out) const;

 private:
  friend LRESULT CALLBACK StandInWindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Dispatch(Window which, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreateMain(HWND window);
  void OnCreateRemote(HWND window);
  void OnCreateProgramme(HWND window);
  void OnMainCommand(int id);
  void OnRemoteCommand(int id);
  void OnProgrammeCommand(int id);
  void OnVideoCommand(int id);
  void ToggleFullScreen();
  void OnWindowDestroyed(Window which);

  Options options_;
  HWND main_ = nullptr;
  HWND remote_ = nullptr;
  HWND programme_ = nullptr;
  HWND video_ = nullptr;
  HWND utility_ = nullptr;
  HWND statusBar_ = nullptr;
  bool recording_ = false;
  bool muted_ = false;
  bool fullScreen_ = false;
  bool showingNext_ = false;
  int currentChannel_ = -1;
  int recordRestarts_ = 0;
  std::string recordMinutes_;
  LONG_PTR savedVideoStyle_ = 0;
  RECT savedVideoRect_ = {};
  std::vector<ReceivedCommand> received_;
  ServiceChangeHandler onServiceChange_;
  MessageHook onMessage_;
};

// The plug-in's vtable slots as the host calls them.
using PluginDestroyFn = void*(STANDIN_THISCALL*)(void* self, unsigned flags);
using PluginInitFn = int32_t(STANDIN_THISCALL*)(void* self, void* hostInterface, uint32_t sdkVersion);
using PluginCreateFn = int32_t(STANDIN_THISCALL*)(void* self, HWND mainWindow);
using PluginInputTsDataFn = int32_t(STANDIN_THISCALL*)(void* self, const uint8_t* data, uint32_t count);
using PluginOnServiceChangeFn = int32_t(STANDIN_THISCALL*)(void* self, int32_t hostValue, int32_t serviceId);
using GetIfaceFn = void* (*)();
using GetIface2Fn = int32_t (*)(int32_t reserved, void** out);
constexpr int kSlotDestroy = 0, kSlotInit = 1, kSlotCreate = 2, kSlotInput = 3, kSlotService = 4;

template <typename Fn>
Fn PluginSlot(void* plugin, int index) {
  return reinterpret_cast<Fn>((*static_cast<void***>(plugin))[index]);
}

// The plug-in's window classes as the host finds them on the desktop: the
// controller window's first, then the overlay's and the remote panel's.
constexpr char kPluginControllerClass[] = "Zentu_TaskTray_Class";
constexpr const char* kPluginWindowClasses[] = {kPluginControllerClass, "Zentu_TaskTrayStatus_Class",
                                                "Zentu_TaskTrayPanel_Class"};

// The plug-in's controller window for a main window: a top-level window of
// its class that the main window owns; null when there is none.
HWND FindPluginController(HWND mainWindow);

// The host interface object handed to the plug-in's Init: a vtable of eight
// argument-less slots; slot 6 is quit. Pass Object() to Init.
class HostInterface {
 public:
  explicit HostInterface(std::function<void()> onQuit = nullptr);
  void* Object() { return this; }
  int QuitCount() const { return quitCount_; }
  int OtherSlotCalls() const { return otherCalls_; }

 private:
  static void STANDIN_THISCALL Quit(HostInterface* self);
  static void STANDIN_THISCALL Other(HostInterface* self);
  using Slot = void(STANDIN_THISCALL*)(HostInterface*);
  [[maybe_unused]] const Slot* vtable_;  // must stay the first member: the plug-in reads it
  std::function<void()> onQuit_;
  int quitCount_ = 0;
  int otherCalls_ = 0;
  static const Slot kSlots[8];
};

}  // namespace standin
