#include "PluginTestSupport.h"

#include <cstring>

namespace plugintest {
namespace {

constexpr char kHostClass[] = "PluginTestHostMain";
constexpr char kIniSection[] = "TaskTray";

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HostMainWindow::HostMainWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kHostClass;
  RegisterClassA(&windowClass);
  window_ = CreateWindowA(kHostClass, "Zentu HDTV Player", WS_OVERLAPPEDWINDOW, 40, 40, 400, 300,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, window_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(1012)), GetModuleHandleA(nullptr), nullptr);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

HostMainWindow::~HostMainWindow() { Destroy(); }

void HostMainWindow::SetRecordingText(const char* text) { SetDlgItemTextA(window_, 1012, text); }

void HostMainWindow::Destroy() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

std::string IniPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  char* slash = std::strrchr(path, '\\');
  if (slash != nullptr) slash[1] = '\0';
  return std::string(path) + "Zentu_TaskTray.ini";
}

void DeleteIni() {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniPath().c_str());  // flush the cache
  DeleteFileA(IniPath().c_str());
}

void WriteIniKey(const char* key, const char* value) {
  WritePrivateProfileStringA(kIniSection, key, value, IniPath().c_str());
}

std::string ReadIniKey(const char* key) {
  char value[256] = {};
  GetPrivateProfileStringA(kIniSection, key, "<missing>", value, sizeof value, IniPath().c_str());
  return value;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

namespace {
struct ThreadStart {
  void (*work)(void*);
  void* context;
};
DWORD WINAPI ThreadEntry(void* parameter) {
  auto* start = static_cast<ThreadStart*>(parameter);
  start->work(start->context);
  return 0;
}
}  // namespace

void RunOnOtherThreadPumping(void (*work)(void*), void* context) {
  ThreadStart start{work, context};
  HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, &start, 0, nullptr);
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpMessages();
  }
  CloseHandle(thread);
}

MessageBoxWatcher::MessageBoxWatcher(const char* caption) : caption_(caption) {
  thread_ = std::thread([this] { Run(); });
}

MessageBoxWatcher::~MessageBoxWatcher() { Stop(); }

void MessageBoxWatcher::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void MessageBoxWatcher::Run() {
  while (!stop_) {
    HWND box = FindWindowA("#32770", caption_.c_str());
    // The box is found while it is being created; its texts are set once
    // it is shown.
    if (box == nullptr || !IsWindowVisible(box)) {
      Sleep(10);
      continue;
    }
    std::string text;
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      char className[32] = {};
      GetClassNameA(child, className, sizeof className);
      if (lstrcmpiA(className, "Static") != 0) continue;
      if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        icon = true;
        continue;
      }
      char buffer[256] = {};
      GetWindowTextA(child, buffer, sizeof buffer);
      if (buffer[0] != '\0') text = buffer;
    }
    lastText_ = text;
    lastOwner_ = GetWindow(box, GW_OWNER);
    lastHadIcon_ = icon;
    ++count_;
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box) && !stop_) Sleep(5);
  }
}

FakeTray::FakeTray() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Shell_TrayWnd";
  RegisterClassA(&windowClass);
  window_ = CreateWindowA("Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                          GetModuleHandleA(nullptr), this);
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

FakeTray::~FakeTray() {
  if (window_ != nullptr) DestroyWindow(window_);
}

int FakeTray::CountOf(DWORD message) const {
  int count = 0;
  for (DWORD m : messages_) count += m == message ? 1 : 0;
  return count;
}

LRESULT CALLBACK FakeTray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    auto* tray = reinterpret_cast<FakeTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (tray != nullptr) tray->messages_.push_back(static_cast<DWORD>(copy->dwData));
    return TRUE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<uint8_t> StartOfLongSection(uint16_t pid) {
  std::vector<uint8_t> packet(188, 0xFF);
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>(0x40 | ((pid >> 8) & 0x1F));  // payload_unit_start
  packet[2] = static_cast<uint8_t>(pid & 0xFF);
  packet[3] = 0x10;  // payload only, counter 0
  packet[4] = 0x00;  // pointer_field
  packet[5] = 0x40;  // table_id
  packet[6] = 0xB3;  // section_length 0x3FF
  packet[7] = 0xFF;
  return packet;
}

GuardedBuffer::GuardedBuffer(size_t size) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const size_t page = info.dwPageSize;
  const size_t dataPages = (size + page - 1) / page;
  base_ = static_cast<uint8_t*>(
      VirtualAlloc(nullptr, (dataPages + 1) * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  DWORD old = 0;
  VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
  data_ = base_ + dataPages * page - size;
}

GuardedBuffer::~GuardedBuffer() {
  if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
}

}  // namespace plugintest
