// The status overlay: a colour-keyed layered pop-up laid for a few seconds
// over the host's video window, showing outlined text items.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "HostText.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"
#include "SamplePlugin.h"

namespace {

constexpr char kProgrammeWindowTitle[] = "\x94\xD4\x91\x67\x8F\xEE\x95\xF1";  // 番組情報
constexpr char kNextProgrammeMark[] = "\x8E\x9F\x94\xD4\x91\x67";             // 次番組
constexpr char kStatusBarClass[] = "WTL_MultiPaneStatusBar";
constexpr int kChannelNameControl = 1021;      // on the host remote window
constexpr int kProgrammeTextControl = 1003;    // on the programme-information window
constexpr WPARAM kProgrammeSwitchCommand = 1021;  // toggles next / present programme
constexpr int kProgrammeTextSize = 1024;
constexpr int kWindowTextSize = 256;
constexpr int kOverlayX = 800, kOverlayY = 500, kOverlayWidth = 180, kOverlayHeight = 80;

HFONT CreateItemFont(int height) {
  return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     nullptr);
}

// Black text at the 25 offsets (0..4, 0..4), then the text in its colour at
// (2, 2). With `bounds` the text is laid out by DrawTextA in a rectangle from
// the drawing position to the bounds' right and bottom edges.
void DrawOutlinedText(HDC dc, int x, int y, const char* text, COLORREF colour,
                      const RECT* bounds) {
  const int length = static_cast<int>(std::strlen(text));
  auto drawAt = [&](int px, int py) {
    if (bounds) {
      RECT area = {px, py, bounds->right, bounds->bottom};
      // Programme titles are shown as they are: "&" is no mnemonic prefix.
      DrawTextA(dc, text, length, &area, DT_NOPREFIX);
    } else {
      TextOutA(dc, px, py, text, length);
    }
  };
  SetTextColor(dc, 0);
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) drawAt(x + i, y + j);
  }
  SetTextColor(dc, colour);
  drawAt(x + 2, y + 2);
}

// One item: clear its area, then draw its text(s) in a font of its own.
void DrawItem(HDC dc, HBRUSH eraser, const OverlayItemLayout& layout, const char* text,
              const RECT* bounds) {
  RECT erase = {layout.erase.left, layout.erase.top, layout.erase.right, layout.erase.bottom};
  FillRect(dc, &erase, eraser);
  HFONT font = CreateItemFont(layout.fontHeight);
  SelectObject(dc, font);
  DrawOutlinedText(dc, layout.originX, layout.originY, text, layout.colour, bounds);
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

void PaintChannelItem(CSamplePlugin& plugin, HDC dc, HBRUSH eraser, int height) {
  if (!plugin.hostRemoteWindow) return;
  char name[kWindowTextSize] = "";
  GetDlgItemTextA(plugin.hostRemoteWindow, kChannelNameControl, name, sizeof name);
  DrawItem(dc, eraser, ChannelItemLayout(height), name, nullptr);
}

void PaintStatusBarItem(CSamplePlugin& plugin, HDC dc, HBRUSH eraser, int height) {
  if (!plugin.hostMainWindow) return;
  HWND statusBar = FindWindowExA(plugin.hostMainWindow, nullptr, kStatusBarClass, nullptr);
  if (!statusBar) return;
  char text[kWindowTextSize] = "";
  GetWindowTextA(statusBar, text, sizeof text);
  // The status text is shown up to the end of its fourth number.
  if (const char* end = hosttext::FindEndOfFourthNumber(text)) text[end - text] = '\0';
  OverlayItemLayout layout;
  if (!StatusBarItemLayout(height, std::strlen(text), &layout)) return;
  DrawItem(dc, eraser, layout, text, nullptr);
}

// The programme text from the host's programme-information window, switched
// to the present programme for the read if it shows the next one.
void ReadProgrammeWindow(HWND window, char* text, int textSize) {
  char title[kProgrammeTextSize] = "";
  GetWindowTextA(window, title, sizeof title);
  const bool switched = std::strstr(title, kNextProgrammeMark) != nullptr;
  if (switched) SendMessageA(window, WM_COMMAND, kProgrammeSwitchCommand, 0);
  GetDlgItemTextA(window, kProgrammeTextControl, text, textSize);
  if (switched) SendMessageA(window, WM_COMMAND, kProgrammeSwitchCommand, 0);
}

// The programme text from the present EIT section of the current service,
// copied under the collector's lock (packets may arrive on another thread).
void ReadBroadcastProgramme(CSamplePlugin& plugin, char* text, int textSize) {
  PsiCollector* collector = plugin.collector.load(std::memory_order_acquire);
  const int32_t serviceId = plugin.currentServiceId.load(std::memory_order_relaxed);
  if (!collector || serviceId < 0 || serviceId > 0xFFFF) return;
  std::vector<uint8_t> section;
  if (!collector->CopyPresentSection(static_cast<uint16_t>(serviceId), section)) return;
  ComposeProgrammeFromSection(section.data(), section.size(), text, textSize);
}

void ComposeProgrammeText(CSamplePlugin& plugin, char* text, int textSize) {
  text[0] = '\0';
  int32_t index = -1;
  const bool listed = plugin.QueryHostWindowByTitle(kProgrammeWindowTitle, &index) !=
                      kTitleNotListed;
  // A listed window that has since been destroyed counts as not listed.
  if (listed && index >= 0 && index < kMaxHostWindows &&
      IsWindow(plugin.hostWindows.window[index])) {
    ReadProgrammeWindow(plugin.hostWindows.window[index], text, textSize);
  } else {
    ReadBroadcastProgramme(plugin, text, textSize);
  }
  CutAfterSecondLine(text);
}

void PaintProgrammeItem(CSamplePlugin& plugin, HDC dc, HBRUSH eraser, const RECT& client) {
  char text[kProgrammeTextSize];
  ComposeProgrammeText(plugin, text, sizeof text);
  if (text[0] == '\0') return;
  DrawItem(dc, eraser, ProgrammeItemLayout(client.bottom - client.top, client.right), text,
           &client);
}

void PaintRecordingItem(CSamplePlugin& plugin, HDC dc, HBRUSH eraser, int height) {
  const int32_t busy = plugin.IsHostBusy();
  const OverlayItemLayout layout =
      RecordingItemLayout(height, RecordingLabelColour(busy, plugin.recordingStopped));
  RECT erase = {layout.erase.left, layout.erase.top, layout.erase.right, layout.erase.bottom};
  FillRect(dc, &erase, eraser);
  HFONT font = CreateItemFont(layout.fontHeight);
  SelectObject(dc, font);
  DrawOutlinedText(dc, layout.originX, layout.originY, RecordingLabel(busy, plugin.recordingStopped),
                   layout.colour, nullptr);
  // The recording time line; left out when the status bar cannot be read.
  int32_t n4 = 0, n5 = 0, n7 = 0, n8 = 0;
  if (plugin.IsHostRecording() && plugin.ReadStatusBarNumbers(&n4, &n5, &n7, &n8, nullptr)) {
    char time[32];
    FormatRecordingTime(n4, n5, n7, n8, time, sizeof time);
    DrawOutlinedText(dc, 0, RecordingTimeLineY(height), time, kOverlayRed, nullptr);
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

void PaintClockItem(HDC dc, HBRUSH eraser, const RECT& client) {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  char text[32] = "";
  if (local) FormatOverlayClock(local->tm_hour, local->tm_min, local->tm_sec, text, sizeof text);
  DrawItem(dc, eraser, ClockItemLayout(client.bottom - client.top, client.right), text, nullptr);
}

AnchorState ReadAnchorState(HWND window) {
  AnchorState state;
  state.exists = window != nullptr && IsWindow(window);
  if (!state.exists) return state;
  state.visible = IsWindowVisible(window) != FALSE;
  HWND root = GetAncestor(window, GA_ROOT);
  state.minimised = IsIconic(window) || (root != nullptr && IsIconic(root));
  return state;
}

// Lays the overlay over the anchor, topmost, shown and repainted with fresh
// contents, without activating it: the viewer keeps the keyboard focus.
void PlaceOverAnchor(HWND overlay, HWND anchor) {
  if (!overlay) return;
  RECT rect;
  GetWindowRect(anchor, &rect);
  const OverlayPlacement place =
      PlaceOverlayOverVideo(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  SetWindowPos(overlay, HWND_TOPMOST, place.x, place.y, place.width, place.height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(overlay, nullptr, FALSE);
}

LRESULT OnOverlayCreate(HWND window) {
  SetLayeredWindowAttributes(window, kColourKey, 0, LWA_COLORKEY);
  return 0;
}

LRESULT OnOverlayDestroy(CSamplePlugin& plugin, HWND window) {
  if (plugin.greyBrush) DeleteObject(plugin.greyBrush);
  plugin.greyBrush = nullptr;
  if (plugin.overlayWindow == window) plugin.overlayWindow = nullptr;
  return 0;
}

LRESULT OnOverlayPaint(CSamplePlugin& plugin, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc) plugin.PaintStatusOverlay(window, dc);
  EndPaint(window, &paint);
  return 0;
}

}  // namespace

void CSamplePlugin::CreateStatusOverlay(HWND ownerWindow) {
  greyBrush = CreateSolidBrush(kColourKey);

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = StatusOverlayProc;
  windowClass.hInstance = g_moduleInstance;
  windowClass.hCursor = static_cast<HCURSOR>(LoadImageA(
      nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.hbrBackground = greyBrush;
  windowClass.lpszClassName = kOverlayClass;
  RegisterClassExA(&windowClass);  // already registered: the old class serves

  // Created hidden: a pop-up created visible is activated and would take the
  // keyboard focus from the viewer. WS_EX_NOACTIVATE keeps clicks on its
  // text from activating it too.
  overlayWindow = CreateWindowExA(kOnScreenWindowExStyle, kOverlayClass, "", WS_POPUP, kOverlayX,
                                  kOverlayY, kOverlayWidth, kOverlayHeight, ownerWindow, nullptr,
                                  g_moduleInstance, nullptr);
  if (!overlayWindow) {
    // The brush is deleted with the overlay window; without one it goes now.
    DeleteObject(greyBrush);
    greyBrush = nullptr;
    return;
  }
  // A class left registered by an earlier controller still names that
  // controller's brush, deleted with its overlay: point it at ours.
  SetClassLongPtrA(overlayWindow, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(greyBrush));
}

void CSamplePlugin::HideStatusOverlay() {
  if (overlayWindow) ShowWindow(overlayWindow, SW_HIDE);
  displayCountdown = 0;
  contentFlags = 0;
  recordingStopped = 0;
}

void CSamplePlugin::ShowStatusOverlay(int32_t show, int32_t seconds, int32_t flags,
                                      int32_t permitted) {
  switch (DecideOverlayRequest(show, permitted, hostVideoWindow != nullptr,
                               ReadAnchorState(hostVideoWindow), displayCountdown)) {
    case OverlayRequest::kIgnore:
      return;
    case OverlayRequest::kHide:
      HideStatusOverlay();
      return;
    case OverlayRequest::kShow:
      break;
  }
  anchorWindow = hostVideoWindow;
  contentFlags |= flags;
  displayCountdown = seconds;
  // Items added while the overlay was already up show at once.
  PlaceOverAnchor(overlayWindow, anchorWindow);
}

void CSamplePlugin::TickStatusOverlay() {
  switch (DecideOverlayTick(displayCountdown, ReadAnchorState(anchorWindow))) {
    case OverlayTick::kNothing:
      return;
    case OverlayTick::kHide:
      HideStatusOverlay();
      return;
    case OverlayTick::kPlace:
      --displayCountdown;
      PlaceOverAnchor(overlayWindow, anchorWindow);
      return;
  }
}

void CSamplePlugin::PaintStatusOverlay(HWND overlay, HDC dc) {
  if (displayCountdown <= 0) return;
  HBRUSH eraser = CreateSolidBrush(kColourKey);
  HGDIOBJ previousBrush = SelectObject(dc, eraser);
  RECT client;
  GetClientRect(overlay, &client);
  const int height = client.bottom - client.top;
  SetBkMode(dc, TRANSPARENT);

  for (int32_t item : kOverlayPaintOrder) {
    if (!(contentFlags & item)) continue;
    switch (item) {
      case kOverlayChannel: PaintChannelItem(*this, dc, eraser, height); break;
      case kOverlayStatusBar: PaintStatusBarItem(*this, dc, eraser, height); break;
      case kOverlayProgramme: PaintProgrammeItem(*this, dc, eraser, client); break;
      case kOverlayRecording: PaintRecordingItem(*this, dc, eraser, height); break;
      case kOverlayClock: PaintClockItem(dc, eraser, client); break;
      default: break;
    }
  }
  SelectObject(dc, previousBrush);
  DeleteObject(eraser);
}

LRESULT AnswerWithoutPlugin(HWND window, UINT message) {
  // An update region left unvalidated makes Windows send WM_PAINT again at
  // once, for ever: a paint request is answered even with nothing to paint.
  if (message == WM_PAINT) ValidateRect(window, nullptr);
  return 0;
}

void UnregisterOnScreenWindowClasses() {
  UnregisterClassA(kPanelClass, g_moduleInstance);
  UnregisterClassA(kOverlayClass, g_moduleInstance);
}

LRESULT CALLBACK StatusOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CSamplePlugin* plugin = g_currentPlugin;
  if (!plugin) return AnswerWithoutPlugin(window, message);
  switch (message) {
    case WM_CREATE: return OnOverlayCreate(window);
    case WM_DESTROY: return OnOverlayDestroy(*plugin, window);
    case WM_PAINT: return OnOverlayPaint(*plugin, window);
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
