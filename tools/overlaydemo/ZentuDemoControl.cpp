// ZentuDemoControl: drives a running viewer and its plug-in from outside,
// for scripts/demo. Every subcommand prints one line and exits 0 on success.
//
//   ZentuDemoControl wait-controller SECONDS   wait for the controller window
//   ZentuDemoControl wait-status TEXT SECONDS  wait until the status bar shows TEXT
//   ZentuDemoControl programme                 the programme window's text
//   ZentuDemoControl command ID                WM_COMMAND ID to the controller
//   ZentuDemoControl overlay                   overlay visibility and rectangle
//   ZentuDemoControl video                     video window rectangle
//   ZentuDemoControl resize-video W H           resize the video window
//   ZentuDemoControl tray-menu X Y             open the tray menu at (X, Y) and its
//                                              "操作" submenu; one line per menu rectangle
//   ZentuDemoControl close-menu                close the open pop-up menus
//   ZentuDemoControl close-viewer              WM_CLOSE to the viewer
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kControllerClass[] = "Zentu_TaskTray_Class";
constexpr char kOverlayClass[] = "Zentu_TaskTrayStatus_Class";
constexpr char kVideoTitle[] = "Video";
constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";
constexpr int kProgrammeTextId = 1003;
constexpr char kMenuClass[] = "#32768";  // the system's pop-up menu windows
// The plug-in's tray icon: its callback message (WM_APP + 100) and its id.
constexpr UINT kTrayCallbackMessage = 0x8064;
constexpr WPARAM kTrayIconId = 102;
constexpr int kMaxMenus = 4;
// "Zentu - 番組情報 -"
constexpr char kProgrammeTitlePrefix[] = "Zentu - \x94\xD4\x91\x67\x8F\xEE\x95\xF1 -";

struct TitleSearch {
  const char* prefix;
  HWND found;
};

BOOL CALLBACK MatchTitlePrefix(HWND window, LPARAM parameter) {
  TitleSearch* search = reinterpret_cast<TitleSearch*>(parameter);
  char title[256] = "";
  GetWindowTextA(window, title, sizeof title);
  if (std::strncmp(title, search->prefix, std::strlen(search->prefix)) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindByTitlePrefix(const char* prefix) {
  TitleSearch search = {prefix, nullptr};
  EnumWindows(MatchTitlePrefix, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void PrintRect(const char* name, HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  std::printf("%s %s at (%ld,%ld) size %ldx%ld\n", name, IsWindowVisible(window) ? "visible" : "hidden",
              r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int WaitController(double seconds) {
  for (int i = 0; i < static_cast<int>(seconds * 10); ++i) {
    if (HWND controller = FindWindowA(kControllerClass, nullptr)) {
      std::printf("controller %p\n", static_cast<void*>(controller));
      return 0;
    }
    Sleep(100);
  }
  std::printf("no controller window\n");
  return 1;
}

// The viewer's main window: the owner of the plug-in's controller window.
// Its title is no guide, since the shell's tip window may carry the same.
HWND FindMainWindow() {
  HWND controller = FindWindowA(kControllerClass, nullptr);
  return controller ? GetWindow(controller, GW_OWNER) : nullptr;
}

// The text of another process's window: WM_GETTEXT is marshalled across
// processes.
void ReadText(HWND window, char* text, int size) {
  text[0] = '\0';
  if (window) SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(text));
}

int WaitStatus(const char* wanted, double seconds) {
  char text[256];
  for (int i = 0; i <= static_cast<int>(seconds * 50); ++i) {
    HWND main = FindMainWindow();
    ReadText(main ? FindWindowExA(main, nullptr, kStatusBarClass, nullptr) : nullptr, text, sizeof text);
    if (std::strstr(text, wanted)) {
      std::printf("status bar %s\n", text);
      return 0;
    }
    Sleep(20);
  }
  std::printf("status bar %s, not %s\n", text, wanted);
  return 1;
}

int PrintProgramme() {
  HWND programme = FindByTitlePrefix(kProgrammeTitlePrefix);
  if (!programme) {
    std::printf("no programme window\n");
    return 1;
  }
  char text[1024];
  ReadText(GetDlgItem(programme, kProgrammeTextId), text, sizeof text);
  std::printf("%s\n", text);
  return 0;
}

int Command(int id) {
  HWND controller = FindWindowA(kControllerClass, nullptr);
  if (!controller) {
    std::printf("no controller window\n");
    return 1;
  }
  SendMessageA(controller, WM_COMMAND, static_cast<WPARAM>(id), 0);
  std::printf("command %d sent\n", id);
  return 0;
}

int Show(const char* className, const char* title, const char* name) {
  HWND window = FindWindowA(className, title);
  if (!window) {
    std::printf("no %s window\n", name);
    return 1;
  }
  PrintRect(name, window);
  return 0;
}

int ResizeVideo(int width, int height) {
  HWND video = FindWindowA(nullptr, kVideoTitle);
  if (!video) {
    std::printf("no video window\n");
    return 1;
  }
  SetWindowPos(video, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PrintRect("video", video);
  return 0;
}

struct MenuSearch {
  HWND found[kMaxMenus];
  int count;
};

BOOL CALLBACK CollectMenu(HWND window, LPARAM parameter) {
  MenuSearch* search = reinterpret_cast<MenuSearch*>(parameter);
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  if (std::strcmp(name, kMenuClass) == 0 && IsWindowVisible(window) && search->count < kMaxMenus) {
    search->found[search->count++] = window;
  }
  return TRUE;
}

// The visible pop-up menus, the most recently opened first.
MenuSearch VisibleMenus() {
  MenuSearch search = {};
  EnumWindows(CollectMenu, reinterpret_cast<LPARAM>(&search));
  return search;
}

MenuSearch WaitForMenus(int count) {
  MenuSearch search = VisibleMenus();
  for (int i = 0; i < 50 && search.count < count; ++i) {
    Sleep(100);
    search = VisibleMenus();
  }
  return search;
}

// A key to the menu loop of the viewer's thread, which reads its keyboard
// messages from that thread's queue.
void PressMenuKey(HWND menu, WPARAM key) {
  PostMessageA(menu, WM_KEYDOWN, key, 0);
  Sleep(300);
}

// Right button on the tray icon, as the shell reports it: the plug-in opens
// its menu at the cursor. The first Down selects "ZentuViewの終了", the
// second skips the separator to "操作", and Right opens that submenu.
int TrayMenu(int x, int y) {
  HWND controller = FindWindowA(kControllerClass, nullptr);
  if (!controller) {
    std::printf("no controller window\n");
    return 1;
  }
  SetCursorPos(x, y);
  PostMessageA(controller, kTrayCallbackMessage, kTrayIconId, WM_RBUTTONDOWN);
  MenuSearch menus = WaitForMenus(1);
  if (menus.count == 0) {
    std::printf("no tray menu\n");
    return 1;
  }
  const WPARAM keys[] = {VK_DOWN, VK_DOWN, VK_RIGHT};
  for (WPARAM key : keys) PressMenuKey(menus.found[0], key);
  menus = WaitForMenus(2);
  for (int i = 0; i < menus.count; ++i) PrintRect("menu", menus.found[i]);
  return menus.count == 2 ? 0 : 1;
}

int CloseMenus() {
  for (int i = 0; i < kMaxMenus; ++i) {
    MenuSearch menus = VisibleMenus();
    if (menus.count == 0) break;
    PressMenuKey(menus.found[0], VK_ESCAPE);
  }
  const int left = VisibleMenus().count;
  std::printf(left == 0 ? "menus closed\n" : "%d menus still open\n", left);
  return left == 0 ? 0 : 1;
}

int CloseViewer() {
  HWND main = FindMainWindow();
  if (!main) {
    std::printf("no viewer window\n");
    return 1;
  }
  PostMessageA(main, WM_CLOSE, 0, 0);
  std::printf("WM_CLOSE posted to the viewer\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "wait-controller") == 0) return WaitController(std::atof(argv[2]));
  if (argc >= 4 && std::strcmp(argv[1], "wait-status") == 0) return WaitStatus(argv[2], std::atof(argv[3]));
  if (argc >= 2 && std::strcmp(argv[1], "programme") == 0) return PrintProgramme();
  if (argc >= 3 && std::strcmp(argv[1], "command") == 0) return Command(std::atoi(argv[2]));
  if (argc >= 2 && std::strcmp(argv[1], "overlay") == 0) return Show(kOverlayClass, nullptr, "overlay");
  if (argc >= 2 && std::strcmp(argv[1], "video") == 0) return Show(nullptr, kVideoTitle, "video");
  if (argc >= 4 && std::strcmp(argv[1], "resize-video") == 0)
    return ResizeVideo(std::atoi(argv[2]), std::atoi(argv[3]));
  if (argc >= 4 && std::strcmp(argv[1], "tray-menu") == 0)
    return TrayMenu(std::atoi(argv[2]), std::atoi(argv[3]));
  if (argc >= 2 && std::strcmp(argv[1], "close-menu") == 0) return CloseMenus();
  if (argc >= 2 && std::strcmp(argv[1], "close-viewer") == 0) return CloseViewer();
  std::printf(
      "usage: ZentuDemoControl wait-controller SECONDS | wait-status TEXT SECONDS | programme |\n"
      "                        command ID | overlay | video | resize-video W H | tray-menu X Y |\n"
      "                        close-menu | close-viewer\n");
  return 2;
}
