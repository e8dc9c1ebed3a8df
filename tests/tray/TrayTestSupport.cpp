#include "TrayTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace traytest {

const char kRecordingText[] = "\x98\x5e\x89\xe6\x92\x86";
const char kProgrammeListTitle[] = "\x94\xd4\x91\x67\x8f\xee\x95\xf1";
const char kCloseCaption[] = "ZentuView\x82\xcc\x8f\x49\x97\xb9";

namespace {

constexpr char kShellTrayClass[] = "Shell_TrayWnd";
constexpr UINT kScratchIconId = 4711;
constexpr int kWatcherPolls = 1000;  // 10 ms each: give up after ~10 s
constexpr int kMessageBoxTextId = 0xFFFF;

// The record Wine's Shell_NotifyIconW hands to the notification area,
// followed by the icon's mask and colour bits.
struct NotifyRecord {
  LONG window;
  UINT id;
  UINT flags;
  UINT callbackMessage;
  WCHAR tip[128];
  DWORD state;
  DWORD stateMask;
  WCHAR info[256];
  UINT timeoutOrVersion;
  WCHAR infoTitle[64];
  DWORD infoFlags;
  GUID guidItem;
  UINT width;
  UINT height;
  UINT planes;
  UINT bpp;
};

FakeShellTray* g_tray = nullptr;
std::vector<MSG> g_controllerMessages;
WNDPROC g_controllerProcedure = nullptr;

// Records the controller window's WM_NULL posts and commands on their way to
// the dialog.
LRESULT CALLBACK RecordControllerMessages(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NULL || message == WM_COMMAND) {
    MSG m = {};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    g_controllerMessages.push_back(m);
  }
  return CallWindowProcA(g_controllerProcedure, window, message, wParam, lParam);
}

std::string IniBesideThisProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string ini = path;
  return ini.substr(0, ini.find_last_of("\\/") + 1) + "Zentu_TaskTray.ini";
}

void DeleteIniFile() {
  const std::string ini = IniBesideThisProgram();
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // flush the cache
  DeleteFileA(ini.c_str());
}

std::string ToShiftJis(const WCHAR* text) {
  char buffer[512] = {};
  WideCharToMultiByte(932, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

void ReadMenu(HMENU menu, std::vector<MenuItem>* out) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    char text[256] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = sizeof text - 1;
    MenuItem item;
    if (GetMenuItemInfoA(menu, position, TRUE, &info)) {
      item.id = info.wID;
      item.text = text;
      item.separator = (info.fType & MFT_SEPARATOR) != 0;
      item.checked = (info.fState & MFS_CHECKED) != 0;
      item.grayed = (info.fState & MFS_GRAYED) != 0;
      if (info.hSubMenu) ReadMenu(info.hSubMenu, &item.submenu);
    }
    out->push_back(item);
  }
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, UINT id) {
  for (const MenuItem& item : items) {
    if (!item.separator && item.submenu.empty() && item.id == id) return &item;
    if (const MenuItem* inner = FindIn(item.submenu, id)) return inner;
  }
  return nullptr;
}

}  // namespace

// ---- FakeShellTray ----

FakeShellTray::FakeShellTray() = default;
FakeShellTray::~FakeShellTray() { Destroy(); }

bool FakeShellTray::Create() {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = kShellTrayClass;
  RegisterClassA(&wc);  // stays registered across tests
  g_tray = this;
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kShellTrayClass, "", WS_POPUP, 0, 0, 1, 1,
                            nullptr, nullptr, wc.hInstance, nullptr);
  return window_ != nullptr && FindWindowA(kShellTrayClass, nullptr) == window_;
}

void FakeShellTray::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  if (g_tray == this) g_tray = nullptr;
}

std::vector<TrayCall> FakeShellTray::CallsOf(DWORD message) const {
  std::vector<TrayCall> out;
  for (const TrayCall& call : calls_) {
    if (call.message == message) out.push_back(call);
  }
  return out;
}

std::vector<uint8_t> FakeShellTray::BitsOf(HICON icon) {
  NOTIFYICONDATAA data = {};
  data.cbSize = NOTIFYICONDATAA_V3_SIZE;
  data.hWnd = window_;
  data.uID = kScratchIconId;
  data.uFlags = NIF_ICON;
  data.hIcon = icon;
  const size_t before = calls_.size();
  Shell_NotifyIconA(NIM_ADD, &data);
  std::vector<uint8_t> bits;
  if (calls_.size() > before) bits = calls_.back().iconBits;
  Shell_NotifyIconA(NIM_DELETE, &data);
  calls_.resize(before);
  return bits;
}

LRESULT CALLBACK FakeShellTray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && g_tray) {
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    TrayCall call;
    call.message = static_cast<DWORD>(copy->dwData);
    if (copy->cbData >= sizeof(NotifyRecord)) {
      const auto* record = static_cast<const NotifyRecord*>(copy->lpData);
      call.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(record->window));
      call.id = record->id;
      call.flags = record->flags;
      call.callbackMessage = record->callbackMessage;
      call.tip = ToShiftJis(record->tip);
      const auto* bits = static_cast<const uint8_t*>(copy->lpData) + sizeof(NotifyRecord);
      call.iconBits.assign(bits, bits + (copy->cbData - sizeof(NotifyRecord)));
    }
    g_tray->calls_.push_back(call);
    return g_tray->Answer(call) ? TRUE : FALSE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool FakeShellTray::Answer(const TrayCall& call) {
  if (!accepting_) return false;
  if (!holding_) return true;
  const std::pair<HWND, UINT> icon(call.window, call.id);
  const auto at = std::find(held_.begin(), held_.end(), icon);
  const bool held = at != held_.end();
  switch (call.message) {
    case NIM_ADD:
      if (held) return false;
      held_.push_back(icon);
      if (lateAdd_) {
        lateAdd_ = false;
        return false;
      }
      return true;
    case NIM_DELETE:
      if (held) held_.erase(at);
      return held;
    default:
      return held;
  }
}

// ---- PluginHarness ----

PluginHarness::PluginHarness(const standin::Options& options) : viewer_(options) {}

PluginHarness::~PluginHarness() {
  plugin_.reset();  // the controller's shutdown
  g_controllerMessages.clear();
  viewer_.Destroy();
  DeleteIniFile();
}

bool PluginHarness::Create() {
  Module().Reset(GetModuleHandleA(nullptr));
  DeleteIniFile();
  g_controllerMessages.clear();
  if (!viewer_.Create()) return false;
  plugin_.reset(new CSamplePlugin());
  plugin_->Create(viewer_.MainWindow());
  controller_ = plugin_->GetController().Window();
  if (!controller_) return false;
  KillTimer(controller_, kMonitorTimerId);
  g_controllerProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(controller_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordControllerMessages)));
  plugin_->Host().DiscoverHostWindows(IniFile(""));
  return true;
}

int PluginHarness::ListIndexOf(HWND window) const {
  const HostWindowList& list = plugin_->Host().WindowList();
  for (int i = 0; i < list.count; ++i) {
    if (list.window[i] == window) return i;
  }
  return -1;
}

std::vector<MSG>& PluginHarness::ControllerMessages() { return g_controllerMessages; }

void PluginHarness::PumpMessages() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

// ---- ModalWatcher ----

ModalWatcher::ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> action)
    : class_(windowClass), caption_(caption ? caption : ""), hasCaption_(caption != nullptr),
      action_(std::move(action)) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

ModalWatcher::~ModalWatcher() { Join(); }

void ModalWatcher::StopAndJoin() {
  stop_ = true;
  Join();
}

void ModalWatcher::Join() {
  if (!thread_) return;
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI ModalWatcher::Run(void* self) {
  auto* watcher = static_cast<ModalWatcher*>(self);
  const char* caption = watcher->hasCaption_ ? watcher->caption_.c_str() : nullptr;
  for (int poll = 0; poll < kWatcherPolls && !watcher->stop_; ++poll) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, watcher->class_.c_str(), caption)) != nullptr) {
      if (IsWindowVisible(found)) {
        watcher->found_ = true;
        watcher->action_(found);
        return 0;
      }
    }
    Sleep(10);
  }
  return 1;
}

std::unique_ptr<ModalWatcher> AnswerMessageBox(const char* caption, int answer, MessageBoxSeen* seen) {
  return std::make_unique<ModalWatcher>("#32770", caption, [answer, seen](HWND box) {
    char text[512] = {};
    GetDlgItemTextA(box, kMessageBoxTextId, text, sizeof text);
    seen->shown = true;
    seen->text = text;
    seen->owner = GetWindow(box, GW_OWNER);
    seen->style = GetWindowLongA(box, GWL_STYLE);
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
  });
}

std::unique_ptr<ModalWatcher> ReadAndCloseMenu(MenuSeen* seen) {
  return std::make_unique<ModalWatcher>("#32768", nullptr, [seen](HWND menuWindow) {
    auto menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    if (menu) {
      seen->shown = true;
      GetWindowRect(menuWindow, &seen->rect);
      ReadMenu(menu, &seen->items);
    }
    PostMessageA(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  });
}

const MenuItem* MenuSeen::Find(UINT id) const { return FindIn(items, id); }

}  // namespace traytest
