// A host built as the viewer is built: by a compiler that uses the MSVC C++
// ABI (clang for i686-pc-windows-msvc, linked by lld-link against the MinGW
// import libraries, with no C runtime). It declares the plug-in interface as
// an ordinary C++ interface with a virtual destructor, drives the 32-bit DLL
// through it for several lifetimes and ends each one with `delete`, so the
// vtable layout, the member-call convention and the deleting destructor are
// proven by the host's own compiler, not by hand-written slot calls.
//
// Its last lifetimes end the way some viewers end: the user closes the
// viewer from the plug-in's own menu, and the viewer deletes the plug-in and
// frees its library inside its main window's WM_DESTROY, while the plug-in's
// close command is still on the stack. The host must come back and end
// normally.
//
// Win32 is declared here rather than included: the MinGW headers are not
// meant for an MSVC-ABI compiler, and this needs only a handful of calls.

typedef void* HWND;
typedef void* HMODULE;
typedef void* HANDLE;
typedef unsigned long DWORD;
typedef unsigned int UINT;
#if defined(_WIN64)
typedef unsigned long long WPARAM;
typedef long long LPARAM;
#else
typedef unsigned int WPARAM;
typedef long LPARAM;
#endif

struct Point {
  long x, y;
};
struct Message {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  Point point;
};

extern "C" {
__declspec(dllimport) HMODULE __stdcall LoadLibraryA(const char* name);
__declspec(dllimport) void* __stdcall GetProcAddress(HMODULE module, const char* name);
__declspec(dllimport) int __stdcall FreeLibrary(HMODULE module);
__declspec(dllimport) void __stdcall ExitProcess(UINT code);
__declspec(dllimport) HANDLE __stdcall GetStdHandle(DWORD which);
__declspec(dllimport) int __stdcall WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written,
                                              void* overlapped);
__declspec(dllimport) HWND __stdcall CreateWindowExA(DWORD exStyle, const char* className, const char* title,
                                                     DWORD style, int x, int y, int width, int height,
                                                     HWND parent, void* menu, HMODULE instance, void* param);
__declspec(dllimport) int __stdcall DestroyWindow(HWND window);
__declspec(dllimport) int __stdcall IsWindow(HWND window);
__declspec(dllimport) HWND
    __stdcall FindWindowExA(HWND parent, HWND after, const char* className, const char* title);
__declspec(dllimport) HWND __stdcall GetWindow(HWND window, UINT relation);
__declspec(dllimport) LPARAM __stdcall SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
__declspec(dllimport) int __stdcall PeekMessageA(Message* message, HWND window, UINT first, UINT last,
                                                 UINT remove);
__declspec(dllimport) LPARAM __stdcall DispatchMessageA(const Message* message);
__declspec(dllimport) int __cdecl wsprintfA(char* out, const char* format, ...);
__declspec(dllimport) int __stdcall lstrlenA(const char* text);
__declspec(dllimport) HMODULE __stdcall GetModuleHandleA(const char* name);
typedef LPARAM(__stdcall* WindowProcedure)(HWND, UINT, WPARAM, LPARAM);
struct WindowClass {
  UINT style;
  WindowProcedure procedure;
  int classExtra, windowExtra;
  HMODULE instance;
  void *icon, *cursor, *background;
  const char *menuName, *className;
};
__declspec(dllimport) unsigned short __stdcall RegisterClassA(const WindowClass* windowClass);
__declspec(dllimport) LPARAM
    __stdcall DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
}

namespace {

constexpr DWORD kStandardOutput = static_cast<DWORD>(-11);
constexpr DWORD kOverlappedWindow = 0x00CF0000;
constexpr UINT kOwner = 4;  // GW_OWNER
constexpr UINT kTimerMessage = 0x0113;
constexpr UINT kCommandMessage = 0x0111;
constexpr UINT kDestroyMessage = 0x0002;
constexpr UINT kRemove = 1;  // PM_REMOVE
constexpr int kLifetimes = 4;
constexpr WPARAM kCloseViewerCommand = 1009;  // "ZentuViewの終了"

// The viewer's plug-in interface, as its SDK declares it.
class IDTVPlugin {
 public:
  virtual ~IDTVPlugin() {}
  virtual int Init(void* hostInterface, unsigned int sdkVersion) = 0;
  virtual int Create(HWND hostMainWindow) = 0;
  virtual int InputTsData(const unsigned char* data, unsigned int count) = 0;
  virtual int OnServiceChange(int hostValue, int serviceId) = 0;
  virtual int Reserved5(int reserved1, int reserved2) = 0;
};

using GetIfaceFunction = IDTVPlugin* (*)();
using GetIface2Function = int (*)(int reserved, IDTVPlugin** plugin);

HWND g_mainWindow = nullptr;

// The host interface handed to Init: its seventh operation quits the viewer,
// here by destroying the main window at once.
class HostInterface {
 public:
  virtual void Operation0() {}
  virtual void Operation1() {}
  virtual void Operation2() {}
  virtual void Operation3() {}
  virtual void Operation4() {}
  virtual void Operation5() {}
  virtual void Quit() {
    ++quits;
    DestroyWindow(g_mainWindow);
  }
  virtual void Operation7() {}
  int quits = 0;
} g_hostInterface;

// What the main window does when it goes: in the closing lifetimes, delete
// the plug-in and free its library right there.
IDTVPlugin* g_pluginToDelete = nullptr;
HMODULE g_libraryToFree = nullptr;
bool g_deletedInDestroy = false;

LPARAM __stdcall MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDestroyMessage && g_pluginToDelete != nullptr) {
    delete g_pluginToDelete;
    g_pluginToDelete = nullptr;
    FreeLibrary(g_libraryToFree);
    g_libraryToFree = nullptr;
    g_deletedInDestroy = true;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

constexpr char kMainClass[] = "MsvcAbiHostMain";

void RegisterMainClass() {
  WindowClass windowClass = {};
  windowClass.procedure = MainWindowProcedure;
  windowClass.instance = GetModuleHandleA(nullptr);
  windowClass.className = kMainClass;
  RegisterClassA(&windowClass);
}

// Two packets of 188 bytes: the start of a long NIT section, then one filler.
unsigned char g_packets[2 * 188];

void Print(const char* text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(kStandardOutput), text, static_cast<DWORD>(lstrlenA(text)), &written, nullptr);
}

[[noreturn]] void Fail(int lifetime, const char* what) {
  char line[160];
  wsprintfA(line, "msvc-abi host: lifetime %d: %s\n", lifetime, what);
  Print(line);
  ExitProcess(1);
  for (;;) {
  }
}

void Pump() {
  Message message;
  while (PeekMessageA(&message, nullptr, 0, 0, kRemove)) DispatchMessageA(&message);
}

HWND FindController(HWND owner) {
  for (HWND w = FindWindowExA(nullptr, nullptr, "Zentu_TaskTray_Class", nullptr); w != nullptr;
       w = FindWindowExA(nullptr, w, "Zentu_TaskTray_Class", nullptr)) {
    if (GetWindow(w, kOwner) == owner) return w;
  }
  return nullptr;
}

void FillPackets() {
  for (int i = 0; i < 2 * 188; ++i) g_packets[i] = 0xFF;
  const unsigned char nitStart[] = {0x47, 0x40, 0x10, 0x10, 0x00, 0x40, 0xB3, 0xFF};
  for (int i = 0; i < 8; ++i) g_packets[i] = nitStart[i];
  const unsigned char filler[] = {0x47, 0x01, 0x00, 0x10};
  for (int i = 0; i < 4; ++i) g_packets[188 + i] = filler[i];
}

void RunLifetime(HMODULE library, int lifetime) {
  IDTVPlugin* plugin = nullptr;
  if (lifetime % 2 == 0) {
    auto getIface = reinterpret_cast<GetIfaceFunction>(GetProcAddress(library, "GetIface"));
    if (getIface == nullptr) Fail(lifetime, "no GetIface");
    plugin = getIface();
  } else {
    auto getIface2 = reinterpret_cast<GetIface2Function>(GetProcAddress(library, "GetIface2"));
    if (getIface2 == nullptr) Fail(lifetime, "no GetIface2");
    if (getIface2(0, &plugin) != 1) Fail(lifetime, "GetIface2 did not answer 1");
  }
  if (plugin == nullptr) Fail(lifetime, "no plug-in object");

  HWND main = CreateWindowExA(0, kMainClass, "Zentu HDTV Player", kOverlappedWindow, 40, 40, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
  if (main == nullptr) Fail(lifetime, "no main window");
  if (plugin->Init(&g_hostInterface, 0x00010400) != 1) Fail(lifetime, "Init refused 0x00010400");
  if (plugin->Create(main) != 1) Fail(lifetime, "Create did not answer 1");
  HWND controller = FindController(main);
  if (controller == nullptr) Fail(lifetime, "no controller window owned by the main window");
  if (plugin->InputTsData(g_packets, sizeof g_packets) != 1) Fail(lifetime, "InputTsData did not answer 1");
  if (plugin->InputTsData(g_packets, 100) != 1) Fail(lifetime, "InputTsData of a fragment did not answer 1");
  if (plugin->OnServiceChange(0x10001, 0x0400 + lifetime) != 1)
    Fail(lifetime, "OnServiceChange did not answer 1");
  if (plugin->OnServiceChange(0x10001, 0x0400 + lifetime) != 1)
    Fail(lifetime, "OnServiceChange did not answer 1");
  if (plugin->Reserved5(-1, 12345) != 1) Fail(lifetime, "Reserved5 did not answer 1");
  for (int tick = 0; tick < 3; ++tick) SendMessageA(controller, kTimerMessage, 1000, 0);
  Pump();

  DestroyWindow(main);
  if (IsWindow(controller)) Fail(lifetime, "the controller outlived the main window");
  if (plugin->InputTsData(g_packets, sizeof g_packets) != 1) Fail(lifetime, "InputTsData after the teardown");
  delete plugin;
  Pump();
}

// The user closes the viewer from the plug-in's menu. With SDK 0x00010400
// the plug-in asks the host interface to quit, otherwise it sends WM_CLOSE
// to the main window; either way the main window goes inside the call, and
// its WM_DESTROY deletes the plug-in and frees the library.
void RunClosingLifetime(int lifetime, unsigned int sdkVersion) {
  HMODULE library = LoadLibraryA("ZentuTaskTray.dll");
  if (library == nullptr) Fail(lifetime, "cannot load ZentuTaskTray.dll");
  auto getIface = reinterpret_cast<GetIfaceFunction>(GetProcAddress(library, "GetIface"));
  IDTVPlugin* plugin = getIface != nullptr ? getIface() : nullptr;
  if (plugin == nullptr) Fail(lifetime, "no plug-in object");
  g_mainWindow = CreateWindowExA(0, kMainClass, "Zentu HDTV Player", kOverlappedWindow, 40, 40, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
  if (g_mainWindow == nullptr) Fail(lifetime, "no main window");
  if (plugin->Init(&g_hostInterface, sdkVersion) != 1) Fail(lifetime, "Init refused");
  plugin->Create(g_mainWindow);
  HWND controller = FindController(g_mainWindow);
  if (controller == nullptr) Fail(lifetime, "no controller window");
  for (int tick = 0; tick < 3; ++tick) SendMessageA(controller, kTimerMessage, 1000, 0);
  Pump();

  g_pluginToDelete = plugin;
  g_libraryToFree = library;
  g_deletedInDestroy = false;
  const int quitsBefore = g_hostInterface.quits;
  SendMessageA(controller, kCommandMessage, kCloseViewerCommand, 0);
  Pump();
  if (!g_deletedInDestroy) Fail(lifetime, "the main window's WM_DESTROY did not run");
  if (IsWindow(g_mainWindow) || IsWindow(controller)) Fail(lifetime, "a window outlived the close");
  const bool quit = g_hostInterface.quits > quitsBefore;
  if (quit != (sdkVersion == 0x00010400)) Fail(lifetime, "closed the wrong way");
  char line[200];
  wsprintfA(line,
            "msvc-abi host: lifetime %d: closed from the plug-in's menu through %s; the main window's "
            "WM_DESTROY deleted the plug-in and freed its library; back in the host, library %s\n",
            lifetime, quit ? "the host interface's quit" : "WM_CLOSE",
            GetModuleHandleA("ZentuTaskTray.dll") != nullptr ? "still mapped" : "unmapped");
  Print(line);
}

}  // namespace

extern "C" void __stdcall Start() {
  FillPackets();
  RegisterMainClass();
  HMODULE library = nullptr;
  for (int lifetime = 0; lifetime < kLifetimes; ++lifetime) {
    if (library == nullptr) library = LoadLibraryA("ZentuTaskTray.dll");
    if (library == nullptr) Fail(lifetime, "cannot load ZentuTaskTray.dll");
    RunLifetime(library, lifetime);
    if (lifetime % 2 == 1) {
      FreeLibrary(library);
      library = nullptr;
    }
  }
  if (library != nullptr) FreeLibrary(library);
  // Last: from here on the library may stay mapped until the process ends.
  RunClosingLifetime(kLifetimes, 0x00010400);
  RunClosingLifetime(kLifetimes + 1, 0x00010000);
  char line[80];
  wsprintfA(line, "msvc-abi host: %d lifetimes passed\n", kLifetimes + 2);
  Print(line);
  ExitProcess(0);
}
