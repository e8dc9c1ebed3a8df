// The stand-in viewer's windows: thin window procedures that log what they
// receive and react the way the plug-in expects the host to react.
#include "StandInViewer.h"

#include <cstring>
#include <string>

namespace standin {

namespace {

constexpr char kMainClass[] = "ZentuStandInMain";
constexpr char kRemoteClass[] = "ZentuStandInRemote";
constexpr char kProgrammeClass[] = "ZentuStandInProgramme";
constexpr char kVideoClass[] = "ZentuStandInVideo";

// The stand-in's own windows are UTF-16 windows: a text set through the
// ANSI functions is converted with the system's code page on its way in,
// as for any window, and one set through the W functions stays as it is.
LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ThisInstance() { return GetModuleHandleA(nullptr); }

constexpr UINT kShiftJis = 932;

std::wstring Wide(const char* text) {
  wchar_t wide[1024] = L"";
  MultiByteToWideChar(kShiftJis, 0, text, -1, wide, 1024);
  return wide;
}

HWND MakeWindow(bool unicode, DWORD exStyle, const char* className, const char* text, DWORD style, int x,
                int y, int width, int height, HWND parent, HMENU menu, void* param) {
  if (!unicode) {
    return CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, menu, ThisInstance(),
                           param);
  }
  return CreateWindowExW(exStyle, Wide(className).c_str(), Wide(text).c_str(), style, x, y, width, height,
                         parent, menu, ThisInstance(), param);
}

void SetText(bool unicode, HWND window, const char* text) {
  if (unicode) {
    SetWindowTextW(window, Wide(text).c_str());
  } else {
    SetWindowTextA(window, text);
  }
}

std::string ReadText(bool unicode, HWND window) {
  char text[1024] = "";
  if (!unicode) {
    GetWindowTextA(window, text, sizeof text);
    return text;
  }
  wchar_t wide[512] = L"";
  GetWindowTextW(window, wide, 512);
  WideCharToMultiByte(kShiftJis, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

HWND AddControl(bool unicode, HWND parent, const char* className, const char* text, DWORD style, int id,
                int x, int y, int width, int height) {
  return MakeWindow(unicode, 0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr);
}

}  // namespace

LRESULT CALLBACK StandInWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace {

// Per-class trampolines: the class tells which stand-in window it is.
template <Window kWhich>
LRESULT CALLBACK KindProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    SetPropA(window, "StandInKind", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(kWhich) + 1));
  }
  return StandInWindowProc(window, message, wParam, lParam);
}

void RegisterClassOnce(const char* name, WNDPROC procedure, HBRUSH background) {
  const std::wstring wideName = Wide(name);
  WNDCLASSW existing;
  if (GetClassInfoW(ThisInstance(), wideName.c_str(), &existing)) return;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ThisInstance();
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = wideName.c_str();
  RegisterClassW(&windowClass);
}

void RegisterClasses() {
  HBRUSH face = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  RegisterClassOnce(kMainClass, KindProc<Window::kMain>, face);
  RegisterClassOnce(kRemoteClass, KindProc<Window::kRemote>, face);
  RegisterClassOnce(kProgrammeClass, KindProc<Window::kProgramme>, face);
  RegisterClassOnce(kVideoClass, KindProc<Window::kVideo>, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RegisterClassOnce(kUtilityClass, KindProc<Window::kUtility>, face);
  RegisterClassOnce(kStatusBarClass, StatusBarProc, face);
}

}  // namespace

LRESULT CALLBACK StandInWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* viewer = reinterpret_cast<StandInViewer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  INT_PTR kind = reinterpret_cast<INT_PTR>(GetPropA(window, "StandInKind"));
  if (!viewer || kind == 0) return DefWindowProcW(window, message, wParam, lParam);
  return viewer->Dispatch(static_cast<Window>(kind - 1), window, message, wParam, lParam);
}

Options::Options() {
  for (int i = 0; i < kChannelCount; ++i) serviceIds[i] = 0x0400 + i;
  // A plausible line-up: eight named channels, four empty buttons.
  static const char* const kDefaults[kChannelCount] = {"Toto G", "Toto E", "Ch-4", "Ch-5", "Ch-6", "Ch-7",
                                                       "Ch-8",   "Ch-9",   "",     "",     "",     ""};
  for (int i = 0; i < kChannelCount; ++i) channelNames[i] = kDefaults[i];
}

StandInViewer::StandInViewer(const Options& options) : options_(options) {}

StandInViewer::~StandInViewer() { Destroy(); }

bool StandInViewer::Create() {
  RegisterClasses();
  const int x = options_.originX, y = options_.originY;
  const bool w = options_.unicode;
  main_ = MakeWindow(w, 0, kMainClass, kMainTitle, WS_OVERLAPPEDWINDOW, x + 40, y + 40, 480, 200, nullptr,
                     nullptr, this);
  if (!main_) return false;
  bool ok = true;
  if (options_.createRemote) {
    remote_ = MakeWindow(w, WS_EX_TOOLWINDOW, kRemoteClass, kRemoteTitle, WS_CAPTION | WS_SYSMENU | WS_POPUP,
                         x + 530, y + 40, 260, 260, main_, nullptr, this);
    ok = ok && remote_;
  }
  if (options_.createProgramme) {
    programme_ =
        MakeWindow(w, 0, kProgrammeClass, kProgrammeTitle, WS_CAPTION | WS_SYSMENU | WS_POPUP | WS_THICKFRAME,
                   x + 40, y + 260, 480, 120, main_, nullptr, this);
    ok = ok && programme_;
  }
  if (options_.createVideo) {
    video_ = MakeWindow(w, 0, kVideoClass, kVideoTitle, WS_OVERLAPPEDWINDOW, x + 40, y + 400, 480, 300, main_,
                        nullptr, this);
    ok = ok && video_;
  } else if (options_.useUtilityWindow) {
    utility_ = MakeWindow(w, 0, kUtilityClass, "ZentuUtil", WS_OVERLAPPEDWINDOW, x + 540, y + 320, 480, 300,
                          nullptr, nullptr, this);
    ok = ok && utility_;
    if (utility_) {
      video_ = MakeWindow(w, 0, kVideoClass, kVideoTitle, WS_CHILD | WS_VISIBLE, 0, 0, 460, 260, utility_,
                          nullptr, this);
      ok = ok && video_;
    }
  }
  HWND topLevel[] = {main_, remote_, programme_, utility_, utility_ ? nullptr : video_};
  if (options_.showWindows) {
    for (HWND window : topLevel) {
      if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    }
  }
  if (options_.behind) {
    for (HWND window : topLevel) {
      if (window) SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return ok;
}

void StandInViewer::Destroy() {
  if (utility_ && IsWindow(utility_)) DestroyWindow(utility_);
  if (main_ && IsWindow(main_)) DestroyWindow(main_);  // takes the owned windows along
}

LRESULT StandInViewer::Dispatch(Window which, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (onMessage_) onMessage_(which, message, wParam);
  switch (message) {
    case WM_CREATE:
      if (which == Window::kMain) OnCreateMain(window);
      if (which == Window::kRemote) OnCreateRemote(window);
      if (which == Window::kProgramme) OnCreateProgramme(window);
      return 0;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      // Notifications from the stand-in's own controls are not host commands.
      if (lParam != 0 && HIWORD(wParam) != BN_CLICKED) break;
      // A click on the plain check box: toggle it as an auto check box would.
      if (which == Window::kMain && id == kMainMuteCheckId && lParam != 0) {
        HWND box = reinterpret_cast<HWND>(lParam);
        bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageA(box, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
      }
      received_.push_back({which, WM_COMMAND, id});
      if (which == Window::kMain) OnMainCommand(id);
      if (which == Window::kRemote) OnRemoteCommand(id);
      if (which == Window::kProgramme) OnProgrammeCommand(id);
      if (which == Window::kVideo) OnVideoCommand(id);
      return 0;
    }
    case WM_CLOSE:
      received_.push_back({which, WM_CLOSE, 0});
      if (which == Window::kMain || which == Window::kUtility) {
        DestroyWindow(window);
      } else {
        ShowWindow(window, SW_HIDE);  // the host's tool windows hide on close
      }
      return 0;
    case WM_DESTROY:
      RemovePropA(window, "StandInKind");
      OnWindowDestroyed(which);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void StandInViewer::OnCreateMain(HWND window) {
  const bool w = options_.unicode;
  AddControl(w, window, "STATIC", kIdleText, 0, kMainRecordingTextId, 8, 8, 120, 20);
  AddControl(w, window, "EDIT", "", WS_BORDER | ES_NUMBER, kMainRecordMinutesId, 136, 8, 60, 20);
  AddControl(w, window, "BUTTON", "Mute", BS_CHECKBOX, kMainMuteCheckId, 204, 8, 80, 20);
  statusBar_ = MakeWindow(w, 0, kStatusBarClass, options_.statusText.c_str(), WS_CHILD | WS_VISIBLE, 0, 140,
                          460, 20, window, nullptr, nullptr);
}

void StandInViewer::OnCreateRemote(HWND window) {
  for (int i = 0; i < kChannelCount; ++i) {
    AddControl(options_.unicode, window, "BUTTON", options_.channelNames[i].c_str(), BS_PUSHBUTTON,
               kChannelButtonIds[i], 8 + (i % 3) * 80, 8 + (i / 3) * 30, 76, 26);
  }
  AddControl(options_.unicode, window, "STATIC", "", 0, kRemoteCurrentChannelId, 8, 132, 236, 20);
  AddControl(options_.unicode, window, "BUTTON", "REC", BS_PUSHBUTTON, kRemoteBusyControlId, 8, 160, 76, 26);
}

void StandInViewer::OnCreateProgramme(HWND window) {
  AddControl(options_.unicode, window, "STATIC", "", 0, kProgrammeTextId, 8, 8, 440, 60);
}

void StandInViewer::OnMainCommand(int id) {
  switch (id) {
    case kCommandRecordToggle: {
      if (!recording_) {
        recordMinutes_ = ReadText(options_.unicode, GetDlgItem(main_, kMainRecordMinutesId));
      }
      SetRecording(!recording_);
      break;
    }
    case kCommandRecordWhileRecording:
      if (recording_) ++recordRestarts_;
      break;
    case kMainMuteCheckId:
      muted_ = SendDlgItemMessageA(main_, kMainMuteCheckId, BM_GETCHECK, 0, 0) == BST_CHECKED;
      break;
  }
}

void StandInViewer::OnRemoteCommand(int id) {
  for (int i = 0; i < kChannelCount; ++i) {
    if (kChannelButtonIds[i] != id) continue;
    const std::string name = ReadText(options_.unicode, GetDlgItem(remote_, id));
    if (name.empty()) return;  // a button without a channel does nothing
    currentChannel_ = i;
    SetText(options_.unicode, GetDlgItem(remote_, kRemoteCurrentChannelId), name.c_str());
    if (onServiceChange_) onServiceChange_(i + 1, options_.serviceIds[i]);
    return;
  }
}

void StandInViewer::OnProgrammeCommand(int id) {
  if (id != kCommandProgrammeToggle) return;
  showingNext_ = !showingNext_;
  std::string title = kProgrammeTitle;
  if (showingNext_) title += std::string(" ") + kNextProgrammeMark;
  SetText(options_.unicode, programme_, title.c_str());
}

void StandInViewer::OnVideoCommand(int id) {
  if (id == kCommandFullScreen) ToggleFullScreen();
}

// Full screen drops the frame and covers the monitor; the second toggle puts
// the frame and the old place back.
void StandInViewer::ToggleFullScreen() {
  if (!video_ || utility_) {  // a child video follows its utility window
    fullScreen_ = !fullScreen_;
    return;
  }
  if (!fullScreen_) {
    savedVideoStyle_ = GetWindowLongPtrA(video_, GWL_STYLE);
    GetWindowRect(video_, &savedVideoRect_);
    SetWindowLongPtrA(video_, GWL_STYLE, savedVideoStyle_ & ~(WS_CAPTION | WS_THICKFRAME));
    HMONITOR monitor = MonitorFromWindow(video_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoA(monitor, &info);
    const RECT& r = info.rcMonitor;
    SetWindowPos(video_, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE);
    fullScreen_ = true;
  } else {
    SetWindowLongPtrA(video_, GWL_STYLE, savedVideoStyle_);
    const RECT& r = savedVideoRect_;
    SetWindowPos(video_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER);
    fullScreen_ = false;
  }
}

void StandInViewer::OnWindowDestroyed(Window which) {
  switch (which) {
    case Window::kMain:
      main_ = nullptr;
      statusBar_ = nullptr;
      if (utility_ && IsWindow(utility_)) DestroyWindow(utility_);
      if (options_.quitOnMainDestroy) PostQuitMessage(0);
      break;
    case Window::kRemote: remote_ = nullptr; break;
    case Window::kProgramme: programme_ = nullptr; break;
    case Window::kVideo: video_ = nullptr; break;
    case Window::kUtility: utility_ = nullptr; break;
  }
}

void StandInViewer::SetRecording(bool on) {
  recording_ = on;
  if (main_)
    SetText(options_.unicode, GetDlgItem(main_, kMainRecordingTextId), on ? kRecordingText : kIdleText);
}

void StandInViewer::SetRecordingText(const char* text) {
  if (main_) SetText(options_.unicode, GetDlgItem(main_, kMainRecordingTextId), text);
}

void StandInViewer::SetBusy(bool busy) {
  if (remote_) EnableWindow(GetDlgItem(remote_, kRemoteBusyControlId), busy ? FALSE : TRUE);
}

void StandInViewer::SetStatusText(const char* text) {
  if (statusBar_) SetText(options_.unicode, statusBar_, text);
}

void StandInViewer::SetChannelName(int index, const char* text) {
  if (index < 0 || index >= kChannelCount) return;
  options_.channelNames[index] = text;
  if (remote_) SetText(options_.unicode, GetDlgItem(remote_, kChannelButtonIds[index]), text);
}

void StandInViewer::SetCurrentChannelText(const char* text) {
  if (remote_) SetText(options_.unicode, GetDlgItem(remote_, kRemoteCurrentChannelId), text);
}

void StandInViewer::SetProgrammeText(const char* text) {
  if (programme_) SetText(options_.unicode, GetDlgItem(programme_, kProgrammeTextId), text);
}

void StandInViewer::SetMuted(bool muted) {
  muted_ = muted;
  if (main_) {
    SendDlgItemMessageA(main_, kMainMuteCheckId, BM_SETCHECK, muted ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

std::vector<int> StandInViewer::CommandsTo(Window window) const {
  std::vector<int> ids;
  for (const ReceivedCommand& command : received_) {
    if (command.window == window && command.message == WM_COMMAND) ids.push_back(command.id);
  }
  return ids;
}

bool StandInViewer::Identify(HWND window, Window* out) const {
  if (!window) return false;
  const struct {
    HWND handle;
    Window which;
  } known[] = {{main_, Window::kMain},
               {remote_, Window::kRemote},
               {programme_, Window::kProgramme},
               {video_, Window::kVideo},
               {utility_, Window::kUtility}};
  for (const auto& entry : known) {
    if (entry.handle == window) {
      if (out) *out = entry.which;
      return true;
    }
  }
  return false;
}

// ---- Host interface ----

const HostInterface::Slot HostInterface::kSlots[8] = {
    &HostInterface::Other, &HostInterface::Other, &HostInterface::Other, &HostInterface::Other,
    &HostInterface::Other, &HostInterface::Other, &HostInterface::Quit,  &HostInterface::Other};

HostInterface::HostInterface(std::function<void()> onQuit) : vtable_(kSlots), onQuit_(std::move(onQuit)) {}

void STANDIN_THISCALL HostInterface::Quit(HostInterface* self) {
  ++self->quitCount_;
  if (self->onQuit_) self->onQuit_();
}

void STANDIN_THISCALL HostInterface::Other(HostInterface* self) { ++self->otherCalls_; }

HWND FindPluginController(HWND mainWindow) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, kPluginControllerClass, nullptr)) != nullptr) {
    if (GetWindow(window, GW_OWNER) == mainWindow) return window;
  }
  return nullptr;
}

}  // namespace standin
