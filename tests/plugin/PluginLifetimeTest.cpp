// The plug-in's life as a host ends it, every way it may (the rows of the
// table of the plug-in's life in docs/ARCHITECTURE.md): the real DLL,
// deleted through slot 0 on any thread, inside any call the plug-in makes
// into the host, its windows' thread pumping, stopping or ending, and the
// library freed right after. The object's block is kept when the DLL frees
// it and filled with a pattern: a write into the deleted object shows as a
// changed byte, a missing free as no free at all.
#include <windows.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ImportRedirect.h"
#include "StandInViewer.h"
#include "WinTestSupport.h"

using namespace testsupport;
using standin::Window;

namespace {

constexpr unsigned char kPoison = 0xA5;

// The watched object, one at a time: the DLL's calls of free go through
// WatchingFree while it is watched.
std::mutex g_mutex;
void* g_watched = nullptr;
void* g_kept = nullptr;
size_t g_keptSize = 0;
void(__cdecl* g_originalFree)(void*) = nullptr;

void __cdecl WatchingFree(void* block) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (block != nullptr && block == g_watched && g_kept == nullptr) {
      g_keptSize = _msize(block);
      std::memset(block, kPoison, g_keptSize);
      g_kept = block;
      return;
    }
  }
  g_originalFree(block);
}

bool WatchedFreed() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_kept != nullptr;
}

void* NewObject(HMODULE module) {
  auto getIface =
      reinterpret_cast<standin::GetIfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetIface")));
  return getIface ? getIface() : nullptr;
}

// One lifetime: the DLL loaded, an object whose memory is watched, and the
// ini file its controller writes.
struct Life {
  // Every lifetime runs with the minimise hook and the boss key in place.
  Life() : module(LoadLibraryA("ZentuTaskTray.dll")), object(module ? NewObject(module) : nullptr) {
    ini.Write("MinimizeToTray", "1");
    ini.Write("BossKey", "Ctrl+Alt+Z");
    std::lock_guard<std::mutex> lock(g_mutex);
    g_watched = object;
    g_kept = nullptr;
    redirect = std::make_unique<ImportRedirect>(module, "msvcrt.dll", "free",
                                                reinterpret_cast<void*>(&WatchingFree));
    g_originalFree = reinterpret_cast<void(__cdecl*)(void*)>(redirect->Original());
  }
  ~Life() {
    DeleteAndUnload();
    redirect.reset();
    std::lock_guard<std::mutex> lock(g_mutex);
    free(g_kept);
    g_watched = g_kept = nullptr;
  }
  bool Ready() const { return object != nullptr && redirect->Installed(); }
  RawPlugin Plugin() const { return RawPlugin(object); }
  // The host's end: the object deleted, the library freed.
  void DeleteAndUnload() {
    if (unloaded) return;
    Plugin().Destroy(1);
    FreeLibrary(module);
    unloaded = true;
  }
  bool ClassesGone() const {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    for (const char* name : standin::kPluginWindowClasses) {
      if (GetClassInfoExA(module, name, &info)) return false;
    }
    return true;
  }

  ProgramIni ini;
  HMODULE module;
  void* object;
  std::unique_ptr<ImportRedirect> redirect;
  bool unloaded = false;
};

void Tick(HWND controller, int times) {
  for (int i = 0; i < times; ++i) SendMessageA(controller, WM_TIMER, 1000, 0);
}

void Command(HWND controller, int id) { SendMessageA(controller, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// Once the host has ended the plug-in: its controller window is gone, and
// nothing wrote into the object after it was freed. An object that `ended`
// was freed after the normal shutdown saved the settings, and left no window
// class behind.
void ExpectEnd(const Life& life, HWND controller, bool ended) {
  std::lock_guard<std::mutex> lock(g_mutex);
  EXPECT_EQ(g_kept != nullptr, ended);
  for (size_t i = 0; g_kept != nullptr && i < g_keptSize; ++i)
    ASSERT_EQ(static_cast<unsigned char*>(g_kept)[i], kPoison) << "written after the free at " << i;
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(life.ini.Read("AutoDispStatus"), ended ? "1" : "<missing>");
  EXPECT_EQ(life.ClassesGone(), ended);
}

// ---- The windows on this thread ----

// The host ends the plug-in while its windows live on this thread: by its
// own act, or, when `trigger` names a message the viewer receives while it
// reacts to the command the plug-in sent it, inside that call. The viewer
// quits by destroying its main window.
struct Trigger {
  Window window;
  UINT message;  // 0: none
  WORD wParam;
};

struct OnThisThreadRow {
  const char* name;
  uint32_t sdkVersion;
  Trigger trigger;
  int command;  // sent after discovery; 0: `act` instead
  std::function<void(standin::StandInViewer&, const ProgramIni&)> setUp;
  std::function<void(HWND controller, standin::StandInViewer&, Life&)> act;
};

TEST(PluginLifetime, EndedOnTheWindowsThread) {
  using standin::StandInViewer;
  const Trigger none{Window::kMain, 0, 0};
  const auto recording = [](StandInViewer& viewer, const ProgramIni&) { viewer.SetRecording(true); };
  const OnThisThreadRow rows[] = {
      {"the owner window goes, then slot 0", 0x00010400, none, 0, nullptr,
       [](HWND, StandInViewer& viewer, Life& life) {
         viewer.Destroy();
         life.DeleteAndUnload();
       }},
      {"slot 0 while the owner window stands", 0x00010400, none, 0, nullptr,
       [](HWND, StandInViewer&, Life& life) { life.DeleteAndUnload(); }},
      {"slot 0 from another thread, this one pumping", 0x00010400, none, 0, nullptr,
       [](HWND controller, StandInViewer&, Life& life) {
         std::thread([&life] { life.DeleteAndUnload(); }).join();
         EXPECT_TRUE(IsWindow(controller));  // not destroyed on the wrong thread
         for (int i = 0; i < 200 && IsWindow(controller); ++i) {
           PumpMessages();
           Sleep(5);
         }
       }},
      // Slot 0 inside one of the plug-in's own calls.
      {"record stop", 0x00010400, {Window::kMain, WM_COMMAND, 1009}, 1018, recording, nullptr},
      {"record start", 0x00010400, {Window::kMain, WM_COMMAND, 1009}, 1017, nullptr, nullptr},
      {"channel", 0x00010400, {Window::kRemote, WM_COMMAND, 1006}, 1019, nullptr, nullptr},
      {"mute", 0x00010400, {Window::kMain, WM_COMMAND, 1034}, 1012, nullptr, nullptr},
      {"hide all", 0x00010400, {Window::kMain, WM_SHOWWINDOW, FALSE}, 1008, nullptr, nullptr},
      {"discovery: a window saved as hidden hides",
       0x00010400,
       {Window::kProgramme, WM_SHOWWINDOW, FALSE},
       0,
       [](StandInViewer&, const ProgramIni& ini) {
         ini.Write("\x94\xd4\x91\x67\x8f\xee\x95\xf1_View", "0");  // 番組情報_View
       },
       [](HWND, StandInViewer&, Life&) {}},
      {"full screen: the hidden video window shows",
       0x00010400,
       {Window::kVideo, WM_SHOWWINDOW, TRUE},
       0,
       nullptr,
       [](HWND controller, StandInViewer& viewer, Life&) {
         ShowWindow(viewer.VideoWindow(), SW_HIDE);
         Command(controller, 1031);
       }},
      {"overlay paint: the programme window is switched back",
       0x00010400,
       {Window::kProgramme, WM_COMMAND, 1021},
       1032,
       [](StandInViewer& viewer, const ProgramIni&) {
         SendMessageA(viewer.ProgrammeWindow(), WM_COMMAND, 1021, 0);  // shows the next programme
       },
       nullptr},
      {"close from the menu: WM_CLOSE", 0x00010000, {Window::kMain, WM_DESTROY, 0}, 1009, nullptr, nullptr},
      {"quit from the menu: the host's quit",
       0x00010400,
       {Window::kMain, WM_DESTROY, 0},
       1009,
       nullptr,
       nullptr},
  };
  for (const OnThisThreadRow& row : rows) {
    SCOPED_TRACE(row.name);
    Life life;
    ASSERT_TRUE(life.Ready());
    StandInViewer viewer;
    ASSERT_TRUE(viewer.Create());
    standin::HostInterface host([&viewer] { viewer.Destroy(); });
    life.Plugin().Init(host.Object(), row.sdkVersion);
    life.Plugin().Create(viewer.MainWindow());
    HWND controller = standin::FindPluginController(viewer.MainWindow());
    ASSERT_NE(controller, nullptr);
    if (row.setUp) row.setUp(viewer, life.ini);
    const Trigger trigger = row.trigger;
    viewer.SetMessageHook([&life, trigger](Window window, UINT message, WPARAM wParam) {
      if (window == trigger.window && message == trigger.message && LOWORD(wParam) == trigger.wParam)
        life.DeleteAndUnload();
    });
    Tick(controller, 3);  // discovery
    if (row.act) row.act(controller, viewer, life);
    if (row.command != 0) Command(controller, row.command);
    PumpMessages();  // the overlay paints
    viewer.SetMessageHook(nullptr);
    EXPECT_TRUE(life.unloaded);
    EXPECT_EQ(host.QuitCount(), row.sdkVersion == 0x00010400 && row.command == 1009 ? 1 : 0);
    ExpectEnd(life, controller, true);
  }
}

// ---- The windows on another thread ----

// The windows live on a thread of their own, which stops or ends while (or
// after) the host deletes the object here.
TEST(PluginLifetime, EndedFromAnotherThreadWhileTheWindowsThreadStops) {
  enum class Then { kKeepPumping, kQuitAtOnce, kDestroyViewer, kEndAtOnce, kEndFirst };
  const struct {
    const char* name;
    Then then;
    bool ended;
  } rows[] = {
      {"slot 0; the windows' thread keeps pumping", Then::kKeepPumping, true},
      {"slot 0; a WM_QUIT is posted at once", Then::kQuitAtOnce, true},
      {"slot 0; the viewer destroys its windows before its next message", Then::kDestroyViewer, true},
      // Nothing runs on that thread any more, and its windows vanished
      // without a message: the object is left, nothing is saved.
      {"slot 0; the windows' thread ends at once", Then::kEndAtOnce, false},
      {"the windows' thread ends, then slot 0", Then::kEndFirst, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Life life;
    ASSERT_TRUE(life.Ready());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE deleted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The thread's end takes the viewer's windows along without a message;
    // the viewer object itself goes after the thread.
    auto viewer = std::make_unique<standin::StandInViewer>();
    HWND controller = nullptr;
    std::thread windows([&] {
      viewer->Create();
      life.Plugin().Create(viewer->MainWindow());
      controller = standin::FindPluginController(viewer->MainWindow());
      SetEvent(ready);
      if (row.then == Then::kEndFirst) return;
      WaitForSingleObject(deleted, INFINITE);
      if (row.then == Then::kEndAtOnce) return;
      if (row.then == Then::kQuitAtOnce) PostQuitMessage(0);
      if (row.then == Then::kDestroyViewer) viewer->Destroy();
      MSG message;
      for (int i = 0; i < 200 && !WatchedFreed(); ++i) {
        if (row.then == Then::kQuitAtOnce) {
          if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
          DispatchMessageA(&message);
        } else {
          PumpMessages();
          Sleep(5);
        }
      }
    });
    WaitForSingleObject(ready, INFINITE);
    if (row.then == Then::kEndFirst) windows.join();
    ASSERT_NE(controller, nullptr);
    life.DeleteAndUnload();
    SetEvent(deleted);
    if (windows.joinable()) windows.join();
    ExpectEnd(life, controller, row.ended);
    CloseHandle(ready);
    CloseHandle(deleted);
  }
}

DWORD WINAPI RunThread(void* parameter) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
  (*work)();
  return 0;
}

// A thread of Windows' own, whose handle can be waited for with a limit.
HANDLE StartThread(std::function<void()> work) {
  auto* owned = new std::function<void()>(std::move(work));
  HANDLE thread = CreateThread(nullptr, 0, &RunThread, owned, 0, nullptr);
  if (thread == nullptr) delete owned;
  return thread;
}

// A deletion on one thread races the windows' thread's end, which pumps a
// little first, so that each ordering comes up. None may hang: every round
// must finish within its time limit. The threads start one after the other
// (32-bit Wine under qemu may crash when two start at the same moment); the
// race begins once both wait for `go`.
TEST(PluginLifetime, DeletionRacingTheWindowsThreadsEndNeverHangs) {
  constexpr int kRounds = 200;
  constexpr DWORD kRoundLimitMs = 10000;
  HMODULE module = LoadLibraryA("ZentuTaskTray.dll");
  ASSERT_NE(module, nullptr);
  ProgramIni ini;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE(round);
    void* object = NewObject(module);
    ASSERT_NE(object, nullptr);
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[2] = {StartThread([object, ready, go, round] {
      HWND main = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
      RawPlugin(object).Create(main);
      SetEvent(ready);
      WaitForSingleObject(go, INFINITE);
      for (int i = 0; i < round % 4; ++i) PumpMessages();
    })};
    ASSERT_EQ(WaitForSingleObject(ready, kRoundLimitMs), WAIT_OBJECT_0);
    threads[1] = StartThread([object, go, round] {
      WaitForSingleObject(go, INFINITE);
      if (round % 2 == 1) Sleep(round % 3);
      RawPlugin(object).Destroy(1);
    });
    ASSERT_NE(threads[1], nullptr);
    Sleep(1);
    SetEvent(go);
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, kRoundLimitMs), WAIT_OBJECT_0) << "a round hung";
    for (HANDLE handle : {threads[0], threads[1], ready, go}) CloseHandle(handle);
  }
  FreeLibrary(module);
}

}  // namespace
