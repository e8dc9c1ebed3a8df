// The host ends the plug-in wherever it may: the real DLL, deleted and
// unloaded by a host that does so while it handles what the plug-in sent it,
// and deleted on another thread while the windows' thread stops pumping.
// The object's memory is watched: its block is kept when the DLL frees it
// and filled with a pattern, so that a write into the deleted object shows
// as a changed byte and a missing free as no free at all.
#include <windows.h>
#include <malloc.h>

#include <gtest/gtest.h>

#include <atomic>
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

// Loads the DLL and makes an object whose memory is watched; null when any
// of it fails.
void* LoadWatchedObject(HMODULE* module, std::unique_ptr<ObjectQuarantine>* quarantine) {
  *module = LoadLibraryA("ZentuTaskTray.dll");
  if (*module == nullptr) return nullptr;
  auto getIface =
      reinterpret_cast<standin::GetIfaceFn>(reinterpret_cast<void*>(GetProcAddress(*module, "GetIface")));
  void* object = getIface ? getIface() : nullptr;
  if (object == nullptr) return nullptr;
  *quarantine = std::make_unique<ObjectQuarantine>(*module, object);
  return (*quarantine)->Installed() ? object : nullptr;
}

void Tick(HWND controller, int times) {
  for (int i = 0; i < times; ++i) SendMessageA(controller, WM_TIMER, 1000, 0);
}

void Command(HWND controller, int id) { SendMessageA(controller, WM_COMMAND, static_cast<WPARAM>(id), 0); }

// What the host does before the plug-in acts, and what makes the plug-in
// hand control to the host; the host deletes the plug-in and frees its
// library when `window` receives `message` with `wParam` in its low word.
struct HostReaction {
  const char* name;
  Window window;
  UINT message;
  WORD wParam;
  std::function<void(standin::StandInViewer&, const ProgramIni&)> before;
  std::function<void(HWND controller, standin::StandInViewer&)> act;
};

TEST(HostEndsPlugin, InsideAnyCallIntoTheHostNothingRunsOnTheFreedObject) {
  const auto nothing = [](standin::StandInViewer&, const ProgramIni&) {};
  const HostReaction reactions[] = {
      {"record stop: the record command", Window::kMain, WM_COMMAND, 1009,
       [](standin::StandInViewer& viewer, const ProgramIni&) { viewer.SetRecording(true); },
       [](HWND controller, standin::StandInViewer&) { Command(controller, 1018); }},
      {"record start: the record command", Window::kMain, WM_COMMAND, 1009, nothing,
       [](HWND controller, standin::StandInViewer&) { Command(controller, 1017); }},
      {"channel: the channel button", Window::kRemote, WM_COMMAND, 1006, nothing,
       [](HWND controller, standin::StandInViewer&) { Command(controller, 1019); }},
      {"mute: the mute command", Window::kMain, WM_COMMAND, 1034, nothing,
       [](HWND controller, standin::StandInViewer&) { Command(controller, 1012); }},
      {"hide all: the main window hides", Window::kMain, WM_SHOWWINDOW, FALSE, nothing,
       [](HWND controller, standin::StandInViewer&) { Command(controller, 1008); }},
      {"discovery: a window saved as hidden hides", Window::kProgramme, WM_SHOWWINDOW, FALSE,
       [](standin::StandInViewer&, const ProgramIni& ini) {
         ini.Write("\x94\xd4\x91\x67\x8f\xee\x95\xf1_View", "0");  // 番組情報_View
       },
       [](HWND, standin::StandInViewer&) {}},
      {"full screen: the hidden video window shows", Window::kVideo, WM_SHOWWINDOW, TRUE, nothing,
       [](HWND controller, standin::StandInViewer& viewer) {
         ShowWindow(viewer.VideoWindow(), SW_HIDE);
         Command(controller, 1031);
       }},
      {"overlay paint: the programme window is switched back", Window::kProgramme, WM_COMMAND, 1021,
       [](standin::StandInViewer& viewer, const ProgramIni&) {
         SendMessageA(viewer.ProgrammeWindow(), WM_COMMAND, 1021, 0);  // shows the next programme
       },
       [](HWND controller, standin::StandInViewer&) {
         Command(controller, 1032);
         PumpMessages();  // the overlay paints
       }},
  };
  for (const HostReaction& reaction : reactions) {
    SCOPED_TRACE(reaction.name);
    ProgramIni ini;
    standin::StandInViewer viewer;
    ASSERT_TRUE(viewer.Create());
    HMODULE module = nullptr;
    std::unique_ptr<ObjectQuarantine> watched;
    void* object = LoadWatchedObject(&module, &watched);
    ASSERT_NE(object, nullptr);
    const ObjectQuarantine& quarantine = *watched;
    RawPlugin plugin(object);
    standin::HostInterface host;
    plugin.Init(host.Object(), 0x00010400);
    plugin.Create(viewer.MainWindow());
    HWND controller = standin::FindPluginController(viewer.MainWindow());
    ASSERT_NE(controller, nullptr);
    reaction.before(viewer, ini);

    bool deleted = false;
    viewer.SetMessageHook([&](Window window, UINT message, WPARAM wParam) {
      if (deleted || window != reaction.window || message != reaction.message ||
          LOWORD(wParam) != reaction.wParam)
        return;
      deleted = true;
      plugin.Destroy(1);
      FreeLibrary(module);
    });
    Tick(controller, 3);  // discovery
    reaction.act(controller, viewer);
    PumpMessages();
    viewer.SetMessageHook(nullptr);

    EXPECT_TRUE(deleted);
    EXPECT_TRUE(quarantine.Freed());
    EXPECT_EQ(0u, quarantine.WrittenAfterFree());
    EXPECT_FALSE(IsWindow(controller));
    if (!deleted) {
      plugin.Destroy(1);
      FreeLibrary(module);
    }
  }
}

// The host deletes the object on another thread; the windows' thread then
// stops pumping. The object is freed all the same, and unloading is safe.
TEST(HostEndsPlugin, DeletionOnAnotherThreadFinishesWhenTheWindowsThreadStopsPumping) {
  enum class Then { kKeepPumping, kQuitAtOnce, kEndAtOnce };
  const struct {
    const char* name;
    Then then;
  } rows[] = {{"the windows' thread keeps pumping", Then::kKeepPumping},
              {"a WM_QUIT is posted at once", Then::kQuitAtOnce},
              {"the windows' thread ends at once", Then::kEndAtOnce}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ProgramIni ini;
    HMODULE module = nullptr;
    std::unique_ptr<ObjectQuarantine> watched;
    void* object = LoadWatchedObject(&module, &watched);
    ASSERT_NE(object, nullptr);
    const ObjectQuarantine& quarantine = *watched;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE deleted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The thread's end takes the viewer's windows along without a message;
    // the viewer object itself goes after the thread.
    auto* viewer = new standin::StandInViewer();
    HWND controller = nullptr;
    std::thread windows([&] {
      viewer->Create();
      RawPlugin(object).Create(viewer->MainWindow());
      controller = standin::FindPluginController(viewer->MainWindow());
      SetEvent(ready);
      WaitForSingleObject(deleted, INFINITE);
      if (row.then == Then::kEndAtOnce) return;
      if (row.then == Then::kQuitAtOnce) PostQuitMessage(0);
      MSG message;
      for (int i = 0; i < 200 && !quarantine.Freed(); ++i) {
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
    ASSERT_NE(controller, nullptr);
    RawPlugin(object).Destroy(1);
    SetEvent(deleted);
    windows.join();

    EXPECT_TRUE(quarantine.Freed());
    EXPECT_EQ(0u, quarantine.WrittenAfterFree());
    EXPECT_FALSE(IsWindow(controller));
    EXPECT_EQ(ini.Read("AutoDispStatus"), "1");  // the normal shutdown ran
    FreeLibrary(module);
    delete viewer;
    CloseHandle(ready);
    CloseHandle(deleted);
  }
}

}  // namespace
