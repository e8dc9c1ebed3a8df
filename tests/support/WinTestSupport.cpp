#include "WinTestSupport.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "StandInViewer.h"

namespace testsupport {
namespace {

constexpr char kIniSection[] = "TaskTray";
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

ShellTray* g_tray = nullptr;

std::string ToShiftJis(const WCHAR* text) {
  char buffer[512] = {};
  WideCharToMultiByte(932, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
  return buffer;
}

DWORD WINAPI RunFunction(void* work) {
  (*static_cast<const std::function<void()>*>(work))();
  return 0;
}

HANDLE StartThread(const std::function<void()>* work) {
  return CreateThread(nullptr, 0, RunFunction, const_cast<std::function<void()>*>(work), 0, nullptr);
}

// Texts are read in UTF-16 and given to the tests in Shift_JIS (ToShiftJis),
// whatever the system's code page: as a user sees them.
std::wstring WideOf(const char* shiftJis) {
  wchar_t text[512] = {};
  MultiByteToWideChar(932, 0, shiftJis, -1, text, 512);
  return text;
}

void ReadMenu(HMENU menu, std::vector<MenuItem>* out) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    wchar_t text[256] = {};
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    MenuItem item;
    if (GetMenuItemInfoW(menu, position, TRUE, &info)) {
      GetMenuStringW(menu, position, text, 255, MF_BYPOSITION);
      item.id = info.wID;
      item.text = ToShiftJis(text);
      item.separator = (info.fType & MFT_SEPARATOR) != 0;
      item.checked = (info.fState & MFS_CHECKED) != 0;
      item.grayed = (info.fState & MFS_GRAYED) != 0;
      item.radio = (info.fType & MFT_RADIOCHECK) != 0;
      item.isDefault = (info.fState & MFS_DEFAULT) != 0;
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

// ---- Messages and threads ----

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void RunOnOtherThreadPumping(const std::function<void()>& work) {
  HANDLE thread = StartThread(&work);
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) PumpMessages();
  CloseHandle(thread);
}

// ---- The ini file ----

// Found through the UTF-16 name, where no byte of a character is a
// separator, so that a program whose Shift_JIS name holds a trail byte 0x5C
// still finds its file where Windows puts it.
ProgramIni::ProgramIni() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring wide(path);
  wide = wide.substr(0, wide.find_last_of(L"\\/") + 1) + L"Zentu_TaskTray.ini";
  char ansi[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  path_ = ansi;
  Clear();
}

ProgramIni::~ProgramIni() { Clear(); }

void ProgramIni::Clear() const {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());  // flush the cache
  DeleteFileA(path_.c_str());
}

std::string ProgramIni::Read(const char* key) const {
  char value[256] = {};
  GetPrivateProfileStringA(kIniSection, key, "<missing>", value, sizeof value, path_.c_str());
  return value;
}

void ProgramIni::Write(const char* key, const char* value) const {
  WritePrivateProfileStringA(kIniSection, key, value, path_.c_str());
}

// ---- The notification area ----

ShellTray::ShellTray() = default;
ShellTray::~ShellTray() { Destroy(); }

bool ShellTray::Create() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = Proc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kShellTrayClass;
  RegisterClassA(&windowClass);  // stays registered across tests
  g_tray = this;
  window_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kShellTrayClass, "", WS_POPUP, 0, 0, 1, 1,
                            nullptr, nullptr, windowClass.hInstance, nullptr);
  return window_ != nullptr && FindWindowA(kShellTrayClass, nullptr) == window_;
}

void ShellTray::Destroy() {
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  if (g_tray == this) g_tray = nullptr;
}

std::vector<TrayCall> ShellTray::CallsOf(DWORD message) const {
  std::vector<TrayCall> out;
  for (const TrayCall& call : calls_) {
    if (call.message == message) out.push_back(call);
  }
  return out;
}

std::vector<uint8_t> ShellTray::BitsOf(HICON icon) {
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

LRESULT CALLBACK ShellTray::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
      call.iconWidth = record->width;
      call.iconHeight = record->height;
      call.info = ToShiftJis(record->info);
      call.infoTitle = ToShiftJis(record->infoTitle);
      call.infoFlags = record->infoFlags;
      const auto* bits = static_cast<const uint8_t*>(copy->lpData) + sizeof(NotifyRecord);
      call.iconBits.assign(bits, bits + (copy->cbData - sizeof(NotifyRecord)));
    }
    g_tray->calls_.push_back(call);
    return g_tray->Answer(call) ? TRUE : FALSE;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool ShellTray::Answer(const TrayCall& call) {
  if (!accepting_) return false;
  const auto refused = std::find(refuseNext_.begin(), refuseNext_.end(), call.message);
  if (refused != refuseNext_.end()) {
    refuseNext_.erase(refused);
    return false;
  }
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
    default: return held;
  }
}

// ---- Modal windows ----

ModalWatcher::ModalWatcher(const char* windowClass, const char* caption, std::function<void(HWND)> action)
    : class_(windowClass),
      caption_(caption ? caption : ""),
      hasCaption_(caption != nullptr),
      action_(std::move(action)) {
  thread_ = std::thread([this] { Run(); });
}

ModalWatcher::~ModalWatcher() { Join(); }

void ModalWatcher::StopAndJoin() {
  stop_ = true;
  Join();
}

void ModalWatcher::Join() {
  if (thread_.joinable()) thread_.join();
}

void ModalWatcher::Run() {
  const char* caption = hasCaption_ ? caption_.c_str() : nullptr;
  for (int poll = 0; poll < kWatcherPolls && !stop_; ++poll) {
    HWND found = nullptr;
    while ((found = FindWindowExA(nullptr, found, class_.c_str(), caption)) != nullptr) {
      if (IsWindowVisible(found)) {
        found_ = true;
        action_(found);
        return;
      }
    }
    Sleep(10);
  }
}

MessageBoxAnswerer::MessageBoxAnswerer(const char* caption, int answer) : caption_(caption), answer_(answer) {
  thread_ = std::thread([this] { Run(); });
}

MessageBoxAnswerer::~MessageBoxAnswerer() { Stop(); }

void MessageBoxAnswerer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

MessageBoxSeen MessageBoxAnswerer::Last() const {
  while (busy_.test_and_set()) Sleep(0);
  MessageBoxSeen last = last_;
  busy_.clear();
  return last;
}

void MessageBoxAnswerer::Run() {
  while (!stop_) {
    HWND box = FindWindowW(L"#32770", WideOf(caption_.c_str()).c_str());
    // The box is found while it is being created; its texts are set once
    // it is shown.
    if (box == nullptr || !IsWindowVisible(box)) {
      Sleep(10);
      continue;
    }
    MessageBoxSeen seen;
    wchar_t text[512] = {};
    GetDlgItemTextW(box, kMessageBoxTextId, text, 512);
    seen.text = ToShiftJis(text);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.style = GetWindowLongA(box, GWL_STYLE);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      char className[32] = {};
      GetClassNameA(child, className, sizeof className);
      if (lstrcmpiA(className, "Static") == 0 &&
          (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen.hasIcon = true;
      }
    }
    while (busy_.test_and_set()) Sleep(0);
    last_ = seen;
    busy_.clear();
    ++count_;
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer_), 0);
    while (IsWindow(box) && !stop_) Sleep(5);
  }
}

const MenuItem* MenuSeen::Find(UINT id) const { return FindIn(items, id); }

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

// ---- The DLL as a host drives it ----

void* RawPlugin::Destroy(unsigned flags) {
  return standin::PluginSlot<standin::PluginDestroyFn>(object_, standin::kSlotDestroy)(object_, flags);
}

int32_t RawPlugin::Init(void* host, uint32_t version) {
  return standin::PluginSlot<standin::PluginInitFn>(object_, standin::kSlotInit)(object_, host, version);
}

int32_t RawPlugin::Create(HWND window) {
  return standin::PluginSlot<standin::PluginCreateFn>(object_, standin::kSlotCreate)(object_, window);
}

int32_t RawPlugin::InputTsData(const uint8_t* data, uint32_t count) {
  return standin::PluginSlot<standin::PluginInputTsDataFn>(object_, standin::kSlotInput)(object_, data,
                                                                                         count);
}

int32_t RawPlugin::OnServiceChange(int32_t value, int32_t id) {
  return standin::PluginSlot<standin::PluginOnServiceChangeFn>(object_, standin::kSlotService)(object_, value,
                                                                                               id);
}

int32_t RawPlugin::Reserved5(int32_t a, int32_t b) {
  using Reserved5Fn = int32_t(STANDIN_THISCALL*)(void* self, int32_t a, int32_t b);
  return standin::PluginSlot<Reserved5Fn>(object_, 5)(object_, a, b);
}

// ---- Packets and memory ----

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

}  // namespace testsupport
