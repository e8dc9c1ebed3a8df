// What every Windows test program shares: a message pump, a second thread
// while this one pumps, the plug-in's ini file, the notification area and
// watchers for modal windows, the DLL as a host drives it, and packets.
// Nothing of the plug-in is linked: the DLL tests use this too.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// "タスクトレイ管理", the plug-in's message-box caption
constexpr char kMessageCaption[] = "\x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x8A\xC7\x97\x9D";
// "Zentu - タスクトレイ管理 -", the controller window's caption
constexpr char kControllerCaption[] =
    "Zentu - \x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x8A\xC7\x97\x9D -";

// Lets queued messages through, without waiting.
void PumpMessages();

// Runs `work` on a second thread while this thread keeps serving messages.
void RunOnOtherThreadPumping(const std::function<void()>& work);

// The plug-in's ini file beside this program, where the plug-in looks for
// it: emptied when made and again when it goes, so each test starts clean.
class ProgramIni {
 public:
  ProgramIni();
  ~ProgramIni();
  ProgramIni(const ProgramIni&) = delete;
  ProgramIni& operator=(const ProgramIni&) = delete;

  const std::string& Path() const { return path_; }
  // The key's text in section TaskTray, or "<missing>".
  std::string Read(const char* key) const;
  void Write(const char* key, const char* value) const;
  void Clear() const;

 private:
  std::string path_;
};

// One Shell_NotifyIconA call as the notification area received it.
struct TrayCall {
  DWORD message = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND window = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::string tip;              // Shift_JIS, as the shell got it
  std::string info, infoTitle;  // a balloon's text and title (NIF_INFO)
  DWORD infoFlags = 0;
  std::vector<uint8_t> iconBits;  // the icon's pixels as the shell got them
  UINT iconWidth = 0, iconHeight = 0;
};

// The notification area: a hidden top-level window of class "Shell_TrayWnd",
// which Wine's Shell_NotifyIconA talks to through WM_COPYDATA.
class ShellTray {
 public:
  ShellTray();
  ~ShellTray();
  ShellTray(const ShellTray&) = delete;
  ShellTray& operator=(const ShellTray&) = delete;
  // False when another notification area answers first.
  bool Create();
  void Destroy();
  HWND Window() const { return window_; }

  // Whether WM_COPYDATA succeeds, that is, whether Shell_NotifyIconA does.
  void SetAccepting(bool accept) { accepting_ = accept; }
  // From now on the area keeps its icons as a shell does: adding an icon it
  // holds and changing one it does not hold fail. The next NIM_ADD then adds
  // its icon but reports failure, as a shell that answered too late does.
  void HoldIconsAndAnswerTheNextAddLate() { holding_ = lateAdd_ = true; }
  // The next call of this kind (NIM_ADD, NIM_MODIFY ...) fails.
  void RefuseNext(DWORD message) { refuseNext_.push_back(message); }
  const std::vector<TrayCall>& Calls() const { return calls_; }
  std::vector<TrayCall> CallsOf(DWORD message) const;
  size_t CountOf(DWORD message) const { return CallsOf(message).size(); }
  void Clear() { calls_.clear(); }
  // The pixels that the shell receives for an icon, taken by a scratch
  // NIM_ADD/NIM_DELETE pair of another icon id.
  std::vector<uint8_t> BitsOf(HICON icon);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Answer(const TrayCall& call);
  HWND window_ = nullptr;
  bool accepting_ = true;
  bool holding_ = false;
  bool lateAdd_ = false;
  std::vector<DWORD> refuseNext_;
  std::vector<std::pair<HWND, UINT>> held_;
  std::vector<TrayCall> calls_;
};

// A thread that waits for a visible top-level window of a class (and
// caption) that this thread is about to show modally, and runs an action on
// it; gives up after about ten seconds.
class ModalWatcher {
 public:
  ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> action);
  ~ModalWatcher();  // joins
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;
  bool Found() const { return found_; }
  void Join();
  void StopAndJoin();  // for windows that must not appear

 private:
  void Run();
  std::string class_;
  std::string caption_;
  bool hasCaption_;
  std::function<void(HWND)> action_;
  std::thread thread_;
  std::atomic<bool> found_{false};
  std::atomic<bool> stop_{false};
};

// A message box as it was shown.
struct MessageBoxSeen {
  std::string text;
  HWND owner = nullptr;
  LONG style = 0;
  bool hasIcon = false;
};

// Answers every message box with `caption` with `answer` (IDOK, IDYES,
// IDNO ...) until stopped, and keeps what the boxes showed.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer(const char* caption, int answer);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
  void Stop();
  int Count() const { return count_; }
  MessageBoxSeen Last() const;

 private:
  void Run();
  std::string caption_;
  int answer_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  mutable std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  MessageBoxSeen last_;
  std::thread thread_;
};

// One item of an open pop-up menu.
struct MenuItem {
  UINT id = 0;
  std::string text;
  bool separator = false;
  bool checked = false;
  bool grayed = false;
  bool radio = false;
  bool isDefault = false;
  std::vector<MenuItem> submenu;
};

struct MenuSeen {
  bool shown = false;
  RECT rect = {};  // the menu window on the screen
  std::vector<MenuItem> items;
  const MenuItem* Find(UINT id) const;  // searches the sub-menus too
};

// Reads the next pop-up menu that opens, then closes it with Escape.
std::unique_ptr<ModalWatcher> ReadAndCloseMenu(MenuSeen* seen);

// The plug-in DLL as a host uses it: loaded by name, its object made by a
// factory and driven only through its six raw vtable slots, with the
// host's member-call convention.
class RawPlugin {
 public:
  explicit RawPlugin(void* object) : object_(object) {}
  void* Object() const { return object_; }
  void* Destroy(unsigned flags);
  int32_t Init(void* host, uint32_t version);
  int32_t Create(HWND window);
  int32_t InputTsData(const uint8_t* data, uint32_t count);
  int32_t OnServiceChange(int32_t value, int32_t id);
  int32_t Reserved5(int32_t a, int32_t b);

 private:
  void* object_;
};

// A 188-byte packet of `pid` that starts a section of table 0x40 whose
// section_length (0x3FF) reaches beyond the packet, so it stays buffered.
std::vector<uint8_t> StartOfLongSection(uint16_t pid);

// Memory whose last byte lies just before an inaccessible page: reading one
// byte too many faults.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t size);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;
  uint8_t* Data() const { return data_; }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

}  // namespace testsupport
