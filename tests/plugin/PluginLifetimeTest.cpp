// The plug-in's life as a host ends it, every way it may: the real DLL,
// deleted through slot 0 on any thread, inside any call the plug-in makes
// into the host, with its windows' thread pumping, stopping or ending, and
// the library freed right after. The rows are those of the table of the
// plug-in's life in docs/ARCHITECTURE.md.
//
// The object's memory is watched: its block is kept when the DLL frees it
// and filled with a pattern, so that a write into the deleted object shows
// as a changed byte and a missing free as no free at all.
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

using FreeFunction = void(__cdecl*)(void*);
std::mutex g_mutex;
void* g_watched = nullptr;
void* g_kept = nullptr;
size_t g_keptSize = 0;
FreeFunction g_originalFree = nullptr;

// The DLL's calls of the C runtime's free, while one object is watched.
class ObjectQuarantine {
 public:
  ObjectQuarantine(HMODULE dll, void* object) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_watched = object;
    g_kept = nullptr;
    redirect_ = std::make_unique<ImportRedirect>(dll, "msvcrt.dll", "free", reinterpret_cast<void*>(&Free));
    g_originalFree = redirect_->Installed() ? reinterpret_cast<FreeFunction>(redirect_->Original()) : nullptr;
  }
  ~ObjectQuarantine() {
    redirect_.reset();
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_kept != nullptr) free(g_kept);
    g_watched = g_kept = nullptr;
  }
  bool Installed() const { return g_originalFree != nullptr; }
  bool Freed() const {
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_kept != nullptr;
  }
  // Bytes of the freed object written since it was freed.
  size_t WrittenAfterFree() const {
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t changed = 0;
    for (size_t i = 0; g_kept != nullptr && i < g_keptSize; ++i)
      changed += static_cast<unsigned char*>(g_kept)[i] != kPoison;
    return changed;
  }

 private:
  static void __cdecl Free(void* block) {
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
  std::unique_ptr<ImportRedirect> redirect_;
};

void* NewObject(HMODULE module) {
  auto getIface =
      reinterpret_cast<standin::GetIfaceFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetIface")));
  return getIface ? getIface() : nullptr;
}

// One lifetime: the DLL loaded, an object whose memory is watched, and the
// ini file its controller writes.
struct Life {
  Life() {
    module = LoadLibraryA("ZentuTaskTray.dll");
    object = module ? NewObject(module) : nullptr;
    if (object) quarantine = std::make_unique<ObjectQuarantine>(module, object);
  }
  bool Ready() const { return quarantine && quarantine->Installed(); }
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
  HMODULE module = nullptr;
  void* object = nullptr;
  std::unique_ptr<ObjectQuarantine> quarantine;
  bool unloaded = false;
};

void Tick(HWND controller, int times) {
  for (int i = 0; i < times; ++i) SendMessageA(controller, WM_TIMER, 1000, 0);
}

void Command(HWND controller, int id) { SendMessageA(controller, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// What each row expects once the host has ended the plug-in.
struct Outcome {
  bool freed;          // the object's memory went back, and nothing wrote into it afterwards
  bool settingsSaved;  // the normal shutdown wrote the ini file
  bool classesGone;    // no window class outlives the unloaded library
};

void ExpectOutcome(const Life& life, HWND controller, const Outcome& outcome) {
  EXPECT_EQ(life.quarantine->Freed(), outcome.freed);
  EXPECT_EQ(0u, life.quarantine->WrittenAfterFree());
  EXPECT_FALSE(IsWindow(controller));
  EXPECT_EQ(life.ini.Read("AutoDispStatus"), outcome.settingsSaved ? "1" : "<missing>");
  if (outcome.classesGone) {
    for (int i = 0; i < 200 && !life.ClassesGone(); ++i) {
      PumpMessages();
      Sleep(5);
    }
    EXPECT_TRUE(life.ClassesGone());
  }
}

// ---- The windows on this thread ----

// The host ends the plug-in while its windows live on this thread: by its
// own act, or when `trigger` names a message the viewer receives while it
// reacts to what the plug-in sent it (the object is then deleted, and the
// library freed, inside a call the plug-in made).
struct Trigger {
  Window window;
  UINT message;
  WORD wParam;
};

struct OnThisThreadRow {
  const char* name;
  uint32_t sdkVersion;
  std::function<void(standin::StandInViewer&, const ProgramIni&)> before;
  const Trigger* trigger;  // null: `act` ends the plug-in itself
  std::function<void(HWND controller, standin::StandInViewer&, Life&)> act;
  Outcome outcome;
};

TEST(PluginLifetime, EndedOnTheWindowsThread) {
  const auto nothing = [](standin::StandInViewer&, const ProgramIni&) {};
  const auto recording = [](standin::StandInViewer& viewer, const ProgramIni&) { viewer.SetRecording(true); };
  const Trigger recordCommand{Window::kMain, WM_COMMAND, 1009};
  const Trigger channelButton{Window::kRemote, WM_COMMAND, 1006};
  const Trigger muteCommand{Window::kMain, WM_COMMAND, 1034};
  const Trigger mainHides{Window::kMain, WM_SHOWWINDOW, FALSE};
  const Trigger programmeHides{Window::kProgramme, WM_SHOWWINDOW, FALSE};
  const Trigger videoShows{Window::kVideo, WM_SHOWWINDOW, TRUE};
  const Trigger programmeSwitched{Window::kProgramme, WM_COMMAND, 1021};
  const Trigger mainDestroyed{Window::kMain, WM_DESTROY, 0};
  const Outcome normal{true, true, true};
  const OnThisThreadRow rows[] = {
      {"the owner window goes, then slot 0", 0x00010400, nothing, nullptr,
       [](HWND, standin::StandInViewer& viewer, Life& life) {
         viewer.Destroy();
         life.DeleteAndUnload();
       },
       normal},
      {"slot 0 while the owner window stands", 0x00010400, nothing, nullptr,
       [](HWND, standin::StandInViewer&, Life& life) { life.DeleteAndUnload(); }, normal},
      {"slot 0 from another thread, this one pumping", 0x00010400, nothing, nullptr,
       [](HWND controller, standin::StandInViewer&, Life& life) {
         std::thread other([&life] { life.DeleteAndUnload(); });
         other.join();
         EXPECT_TRUE(IsWindow(controller));  // not destroyed on the wrong thread
         for (int i = 0; i < 200 && IsWindow(controller); ++i) {
           PumpMessages();
           Sleep(5);
         }
       },
       normal},
      // Slot 0 inside one of the plug-in's own calls.
      {"record stop: the record command", 0x00010400, recording, &recordCommand,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1018); }, normal},
      {"record start: the record command", 0x00010400, nothing, &recordCommand,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1017); }, normal},
      {"channel: the channel button", 0x00010400, nothing, &channelButton,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1019); }, normal},
      {"mute: the mute command", 0x00010400, nothing, &muteCommand,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1012); }, normal},
      {"hide all: the main window hides", 0x00010400, nothing, &mainHides,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1008); }, normal},
      {"discovery: a window saved as hidden hides", 0x00010400,
       [](standin::StandInViewer&, const ProgramIni& ini) {
         ini.Write("\x94\xd4\x91\x67\x8f\xee\x95\xf1_View", "0");  // 番組情報_View
       },
       &programmeHides, [](HWND, standin::StandInViewer&, Life&) {}, normal},
      {"full screen: the hidden video window shows", 0x00010400, nothing, &videoShows,
       [](HWND controller, standin::StandInViewer& viewer, Life&) {
         ShowWindow(viewer.VideoWindow(), SW_HIDE);
         Command(controller, 1031);
       },
       normal},
      {"overlay paint: the programme window is switched back", 0x00010400,
       [](standin::StandInViewer& viewer, const ProgramIni&) {
         SendMessageA(viewer.ProgrammeWindow(), WM_COMMAND, 1021, 0);  // shows the next programme
       },
       &programmeSwitched,
       [](HWND controller, standin::StandInViewer&, Life&) {
         Command(controller, 1032);
         PumpMessages();  // the overlay paints
       },
       normal},
      // Close from the menu: the viewer ends inside the close, deleting the
      // plug-in and freeing the library in its main window's WM_DESTROY.
      {"close from the menu: WM_CLOSE", 0x00010000, nothing, &mainDestroyed,
       [](HWND controller, standin::StandInViewer&, Life&) { Command(controller, 1009); }, normal},
  };
  for (const OnThisThreadRow& row : rows) {
    SCOPED_TRACE(row.name);
    Life life;
    ASSERT_TRUE(life.Ready());
    standin::StandInViewer viewer;
    ASSERT_TRUE(viewer.Create());
    RawPlugin plugin = life.Plugin();
    standin::HostInterface host;
    plugin.Init(host.Object(), row.sdkVersion);
    plugin.Create(viewer.MainWindow());
    HWND controller = standin::FindPluginController(viewer.MainWindow());
    ASSERT_NE(controller, nullptr);
    row.before(viewer, life.ini);
    if (row.trigger != nullptr) {
      const Trigger trigger = *row.trigger;
      viewer.SetMessageHook([&life, trigger](Window window, UINT message, WPARAM wParam) {
        if (window == trigger.window && message == trigger.message && LOWORD(wParam) == trigger.wParam)
          life.DeleteAndUnload();
      });
    }
    Tick(controller, 3);  // discovery
    row.act(controller, viewer, life);
    PumpMessages();
    viewer.SetMessageHook(nullptr);
    EXPECT_TRUE(life.unloaded);
    ExpectOutcome(life, controller, row.outcome);
    life.DeleteAndUnload();
  }
}

// Quit from the menu through the host interface: the viewer destroys its
// main window inside the quit call, and deletes the plug-in there.
TEST(PluginLifetime, QuitFromTheMenuEndsInsideTheQuitCall) {
  Life life;
  ASSERT_TRUE(life.Ready());
  standin::StandInViewer viewer;
  ASSERT_TRUE(viewer.Create());
  standin::HostInterface host([&viewer] { viewer.Destroy(); });
  viewer.SetMessageHook([&life](Window window, UINT message, WPARAM) {
    if (window == Window::kMain && message == WM_DESTROY) life.DeleteAndUnload();
  });
  life.Plugin().Init(host.Object(), 0x00010400);
  life.Plugin().Create(viewer.MainWindow());
  HWND controller = standin::FindPluginController(viewer.MainWindow());
  ASSERT_NE(controller, nullptr);
  Tick(controller, 3);
  Command(controller, 1009);
  viewer.SetMessageHook(nullptr);
  EXPECT_EQ(host.QuitCount(), 1);
  EXPECT_TRUE(life.unloaded);
  ExpectOutcome(life, controller, Outcome{true, true, false});
}

// ---- The windows on another thread ----

// The windows live on a thread of their own, which stops or ends while (or
// after) the host deletes the object here.
TEST(PluginLifetime, EndedFromAnotherThreadWhileTheWindowsThreadStops) {
  enum class Then { kKeepPumping, kQuitAtOnce, kDestroyViewer, kEndAtOnce, kEndFirst };
  const struct {
    const char* name;
    Then then;
    Outcome outcome;
  } rows[] = {
      {"slot 0; the windows' thread keeps pumping", Then::kKeepPumping, {true, true, false}},
      {"slot 0; a WM_QUIT is posted at once", Then::kQuitAtOnce, {true, true, false}},
      {"slot 0; the viewer destroys its windows before its next message",
       Then::kDestroyViewer,
       {true, true, false}},
      // Nothing runs on that thread any more, and its windows vanished
      // without a message: the object is left, nothing is saved.
      {"slot 0; the windows' thread ends at once", Then::kEndAtOnce, {false, false, false}},
      {"the windows' thread ends, then slot 0", Then::kEndFirst, {true, true, false}},
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
      for (int i = 0; i < 200 && !life.quarantine->Freed(); ++i) {
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
    ExpectOutcome(life, controller, row.outcome);
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

// A deletion here races the windows' thread's end, which pumps a little
// first, so that each ordering comes up. None may hang: every round must
// finish within its time limit.
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
    const int pumps = round % 4;
    HANDLE threads[] = {StartThread([object, ready, pumps] {
                          HWND main = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                    nullptr, nullptr);
                          RawPlugin(object).Create(main);
                          SetEvent(ready);
                          for (int i = 0; i < pumps; ++i) PumpMessages();
                        }),
                        StartThread([object, ready, round] {
                          WaitForSingleObject(ready, INFINITE);
                          if (round % 2 == 1) Sleep(round % 3);
                          RawPlugin(object).Destroy(1);
                        })};
    ASSERT_NE(threads[0], nullptr);
    ASSERT_NE(threads[1], nullptr);
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, kRoundLimitMs), WAIT_OBJECT_0) << "a round hung";
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    CloseHandle(ready);
  }
  FreeLibrary(module);
}

}  // namespace
