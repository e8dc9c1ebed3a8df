#include "StatusOverlay.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "OnScreenWindow.h"
#include "OverlayLayout.h"

namespace {

constexpr int kOverlayX = 800, kOverlayY = 500, kOverlayWidth = 180, kOverlayHeight = 80;

// Black text at the 25 offsets (0..4, 0..4), then the text in its colour at
// (2, 2). With `bounds` the text is laid out by DrawTextA in a rectangle from
// the drawing position to the bounds' right and bottom edges.
// The texts are Shift_JIS; they are drawn in UTF-16, converted from code
// page 932 explicitly, so that they read right whatever the system's code
// page (as the host layer's texts do, WindowText.h).
std::wstring WideFromShiftJis(const char* text) {
  const int length = MultiByteToWideChar(932, 0, text, -1, nullptr, 0);
  if (length <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(932, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

void DrawOutlinedText(HDC dc, int x, int y, const char* text, COLORREF colour, const RECT* bounds) {
  const std::wstring wide = WideFromShiftJis(text);
  const int length = static_cast<int>(wide.size());
  auto drawAt = [&](int px, int py) {
    if (bounds) {
      RECT area = {px, py, bounds->right, bounds->bottom};
      // Programme titles are shown as they are: "&" is no mnemonic prefix.
      DrawTextW(dc, wide.c_str(), length, &area, DT_NOPREFIX);
    } else {
      TextOutW(dc, px, py, wide.c_str(), length);
    }
  };
  SetTextColor(dc, 0);
  for (int i = 0; i < 5; ++i) {
    for (int j = 0; j < 5; ++j) drawAt(x + i, y + j);
  }
  SetTextColor(dc, colour);
  drawAt(x + 2, y + 2);
}

// One item's frame: clear its area, select a font of its own for the
// drawing, then put the stock font back and delete it.
template <typename Draw>
void DrawItem(HDC dc, HBRUSH eraser, const OverlayItemLayout& layout, Draw draw) {
  RECT erase = {layout.erase.left, layout.erase.top, layout.erase.right, layout.erase.bottom};
  FillRect(dc, &erase, eraser);
  HFONT font = CreateOnScreenFont(layout.fontHeight);
  SelectObject(dc, font);
  draw();
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
}

void DrawTextItem(HDC dc, HBRUSH eraser, const OverlayItemLayout& layout, const char* text,
                  const RECT* bounds = nullptr) {
  DrawItem(dc, eraser, layout,
           [&] { DrawOutlinedText(dc, layout.originX, layout.originY, text, layout.colour, bounds); });
}

void PaintChannelItem(const OverlayContent& content, HDC dc, HBRUSH eraser, int height) {
  if (!content.channelKnown) return;
  DrawTextItem(dc, eraser, ChannelItemLayout(height), content.channelName);
}

void PaintStatusBarItem(const OverlayContent& content, HDC dc, HBRUSH eraser, int height) {
  if (!content.statusKnown) return;
  OverlayItemLayout layout{};
  if (!StatusBarItemLayout(height, std::strlen(content.statusText), &layout)) return;
  DrawTextItem(dc, eraser, layout, content.statusText);
}

void PaintProgrammeItem(const OverlayContent& content, HDC dc, HBRUSH eraser, const RECT& client) {
  char programme[sizeof content.programme];
  std::memcpy(programme, content.programme, sizeof programme);
  programme[sizeof programme - 1] = '\0';
  char text[sizeof content.programme + sizeof content.nextProgramme];
  ComposeProgrammeItemText(programme, content.nextProgramme, text, sizeof text);
  if (text[0] == '\0') return;
  const int32_t lines = content.nextProgramme[0] != '\0' ? 3 : 2;
  DrawTextItem(dc, eraser, ProgrammeItemLayoutForLines(client.bottom - client.top, client.right, lines), text,
               &client);
}

void PaintRecordingItem(const OverlayContent& content, int32_t recordingStopped, HDC dc, HBRUSH eraser,
                        int height) {
  const OverlayItemLayout layout =
      RecordingItemLayout(height, RecordingLabelColour(content.hostBusy, recordingStopped));
  DrawItem(dc, eraser, layout, [&] {
    DrawOutlinedText(dc, layout.originX, layout.originY, RecordingLabel(content.hostBusy, recordingStopped),
                     layout.colour, nullptr);
    // The recording time line; left out when the status bar cannot be read.
    if (content.hostRecording && content.recordingTimeKnown) {
      char time[32];
      FormatRecordingTimeLine(content.number4, content.number5, content.number7, content.number8, time,
                              sizeof time);
      DrawOutlinedText(dc, 0, RecordingTimeLineY(height), time, kOverlayRed, nullptr);
    }
  });
}

void PaintClockItem(HDC dc, HBRUSH eraser, const RECT& client) {
  // GetLocalTime, not localtime: the host's own threads may use the C
  // library's one shared time buffer at the same moment.
  SYSTEMTIME local = {};
  GetLocalTime(&local);
  char text[32] = "";
  FormatOverlayClock(local.wHour, local.wMinute, local.wSecond, text, sizeof text);
  DrawTextItem(dc, eraser, ClockItemLayout(client.bottom - client.top, client.right), text);
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

}  // namespace

void StatusOverlay::CreateStatusOverlay(HINSTANCE instance, HWND ownerWindow, OverlayContentSource* source) {
  source_ = source;
  greyBrush_ = CreateSolidBrush(kColourKey);
  window_ = CreateOnScreenWindow(instance, kOverlayClass, StatusOverlayProc, kOverlayX, kOverlayY,
                                 kOverlayWidth, kOverlayHeight, ownerWindow, this);
  if (!window_) {
    // The brush is deleted with the window; without one it goes now.
    DeleteObject(greyBrush_);
    greyBrush_ = nullptr;
  }
}

void StatusOverlay::DestroyStatusOverlay() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

void StatusOverlay::HideStatusOverlay() {
  if (window_) ShowWindow(window_, SW_HIDE);
  displayCountdown_ = 0;
  contentFlags_ = 0;
  recordingStopped_ = 0;
}

void StatusOverlay::ShowStatusOverlay(int32_t show, int32_t seconds, int32_t contentFlags, int32_t permitted,
                                      HWND videoWindow) {
  switch (DecideOverlayRequest(show, permitted, videoWindow != nullptr, ReadAnchorState(videoWindow),
                               displayCountdown_)) {
    case OverlayRequest::kIgnore: return;
    case OverlayRequest::kHide: HideStatusOverlay(); return;
    case OverlayRequest::kShow: break;
  }
  anchorWindow_ = videoWindow;
  contentFlags_ |= contentFlags;
  displayCountdown_ = seconds;
  // Items added while the overlay was already up show at once.
  PlaceOverAnchor(window_, anchorWindow_);
}

void StatusOverlay::TickStatusOverlay() {
  switch (DecideOverlayTick(displayCountdown_, ReadAnchorState(anchorWindow_))) {
    case OverlayTick::kNothing: return;
    case OverlayTick::kHide: HideStatusOverlay(); return;
    case OverlayTick::kPlace:
      --displayCountdown_;
      PlaceOverAnchor(window_, anchorWindow_);
      return;
  }
}

bool StatusOverlay::PaintStatusOverlay(HDC dc) {
  if (displayCountdown_ <= 0) return true;
  OverlayContent content;
  if (source_ && !source_->ReadOverlayContent(contentFlags_, &content)) return false;
  HBRUSH eraser = CreateSolidBrush(kColourKey);
  HGDIOBJ previousBrush = SelectObject(dc, eraser);
  RECT client;
  GetClientRect(window_, &client);
  const int height = client.bottom - client.top;
  SetBkMode(dc, TRANSPARENT);

  for (int32_t item : kOverlayPaintOrder) {
    if (!(contentFlags_ & item)) continue;
    switch (item) {
      case kOverlayChannel: PaintChannelItem(content, dc, eraser, height); break;
      case kOverlayStatusBar: PaintStatusBarItem(content, dc, eraser, height); break;
      case kOverlayProgramme: PaintProgrammeItem(content, dc, eraser, client); break;
      case kOverlayRecording: PaintRecordingItem(content, recordingStopped_, dc, eraser, height); break;
      case kOverlayClock: PaintClockItem(dc, eraser, client); break;
      default: break;
    }
  }
  SelectObject(dc, previousBrush);
  DeleteObject(eraser);
  return true;
}

// The brush's one owner: no window class names it (see OnScreenWindow.h),
// so this is the only place it is deleted.
LRESULT StatusOverlay::OnDestroy(HWND window) {
  if (greyBrush_) DeleteObject(greyBrush_);
  greyBrush_ = nullptr;
  if (window_ == window) window_ = nullptr;
  return 0;
}

LRESULT StatusOverlay::OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  // A paint that ends early because its object went stays on locals only.
  if (dc) PaintStatusOverlay(dc);
  EndPaint(window, &paint);
  return 0;
}

LRESULT CALLBACK StatusOverlay::StatusOverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* overlay = static_cast<StatusOverlay*>(OnScreenWindowObject(window, message, lParam));
  if (!overlay) return AnswerWithoutObject(window, message);
  switch (message) {
    case WM_CREATE: SetLayeredWindowAttributes(window, kColourKey, 0, LWA_COLORKEY); return 0;
    case WM_ERASEBKGND: return EraseWithBrush(window, reinterpret_cast<HDC>(wParam), overlay->greyBrush_);
    case WM_DESTROY: return overlay->OnDestroy(window);
    case WM_PAINT: return overlay->OnPaint(window);
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
