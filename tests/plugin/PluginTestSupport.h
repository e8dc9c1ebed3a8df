// Shared pieces of the plug-in tests: a stand-in host main window, the ini
// file beside the test program, a watcher for message boxes, a notification
// area that counts Shell_NotifyIconA calls, and transport packets.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace plugintest {

// "タスクトレイ管理"
constexpr char kMessageCaption[] = "\x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x8A\xC7\x97\x9D";
// "Zentu - タスクトレイ管理 -"
constexpr char kControllerCaption[] =
    "Zentu - \x83\x5E\x83\x58\x83\x4E\x83\x67\x83\x8C\x83\x43\x8A\xC7\x97\x9D -";
// "録画中"
constexpr char kRecordingText[] = "\x98\x5E\x89\xE6\x92\x86";

// A plain visible top-level window titled "Zentu HDTV Player" with a static control
// 1012 holding the recording text.
class HostMainWindow {
 public:
  HostMainWindow();
  ~HostMainWindow();
  HWND Window() const { return window_; }
  void SetRecordingText(const char* text);
  void Destroy();

 private:
  HWND window_ = nullptr;
};

// The ini file the plug-in uses in this process: beside the executable.
std::string IniPath();
void DeleteIni();
void WriteIniKey(const char* key, const char* value);
// The key's text, or "<missing>".
std::string ReadIniKey(const char* key);

// Handles everything posted or sent to this thread's windows, without waiting.
void PumpMessages();
// Runs work on a second thread while this thread keeps serving messages.
void RunOnOtherThreadPumping(void (*work)(void*), void* context);

// Finds message boxes with the given caption while it runs, records their
// text, owner and icon, and dismisses each.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(const char* caption);
  ~MessageBoxWatcher();
  int Count() const { return count_.load(); }
  std::string LastText() const { return lastText_; }
  HWND LastOwner() const { return lastOwner_; }
  bool LastHadIcon() const { return lastHadIcon_; }
  void Stop();

 private:
  void Run();
  std::string caption_;
  std::atomic<bool> stop_{false};
  std::atomic<int> count_{0};
  std::string lastText_;
  HWND lastOwner_ = nullptr;
  bool lastHadIcon_ = false;
  std::thread thread_;
};

// The notification area as Wine's shell32 sees it: a hidden window of class
// "Shell_TrayWnd" that receives every Shell_NotifyIconA call as WM_COPYDATA.
class FakeTray {
 public:
  FakeTray();
  ~FakeTray();
  int CountOf(DWORD message) const;
  void Clear() { messages_.clear(); }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::vector<DWORD> messages_;
};

// A 188-byte packet of pid that starts a section of table 0x40 whose
// section_length (0x3FF) reaches beyond the packet, so it stays buffered.
std::vector<uint8_t> StartOfLongSection(uint16_t pid);

// Memory whose last byte lies just before an inaccessible page: reading one
// byte too many faults.
class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t size);
  ~GuardedBuffer();
  uint8_t* Data() const { return data_; }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

}  // namespace plugintest
