#include "RemotePanel.h"

#include <cstdio>

#include "OnScreenWindow.h"

namespace {

constexpr int kPanelX = 800, kPanelY = 500, kPanelWidth = 180, kPanelHeight = 100;
constexpr COLORREF kPanelGreen = RGB(0, 255, 0);
constexpr int kPenWidth = 3;
constexpr int kFontHeight = 16;
// Square centres: columns from 25 in steps of 23 below 94, rows below 117.
constexpr int kFirstCentre = 25, kCentreStep = 23, kColumnLimit = 94, kRowLimit = 117;
constexpr int kSquareBefore = 20, kSquareAfter = 3, kNumberBefore = 17;

}  // namespace

void RemotePanel::CreateRemotePanel(HINSTANCE instance, HWND ownerWindow, HBRUSH background) {
  background_ = background;
  window_ = CreateOnScreenWindow(instance, kPanelClass, RemotePanelProc, kPanelX, kPanelY, kPanelWidth,
                                 kPanelHeight, ownerWindow, this);
}

void RemotePanel::DestroyRemotePanel() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
}

void RemotePanel::PaintRemotePanel(HDC dc) const {
  RECT client;
  GetClientRect(window_, &client);
  HPEN pen = CreatePen(PS_SOLID, kPenWidth, kPanelGreen);
  HGDIOBJ previousPen = SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, 0, client.right, client.bottom);

  HFONT font = CreateOnScreenFont(kFontHeight);
  SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kPanelGreen);

  int number = 1;
  for (int y = kFirstCentre; y < kRowLimit; y += kCentreStep) {
    for (int x = kFirstCentre; x < kColumnLimit; x += kCentreStep) {
      char text[16];
      std::snprintf(text, sizeof text, "%d", number);
      RECT area = {x - kNumberBefore, y - kNumberBefore, x, y};
      DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER);
      Rectangle(dc, x - kSquareBefore, y - kSquareBefore, x + kSquareAfter, y + kSquareAfter);
      ++number;
    }
  }

  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  SelectObject(dc, previousPen);
  DeleteObject(pen);
}

LRESULT CALLBACK RemotePanel::RemotePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* panel = static_cast<RemotePanel*>(OnScreenWindowObject(window, message, lParam));
  if (!panel) return AnswerWithoutObject(window, message);
  switch (message) {
    case WM_CREATE: SetLayeredWindowAttributes(window, kColourKey, 0, LWA_COLORKEY); return 0;
    case WM_ERASEBKGND: return EraseWithBrush(window, reinterpret_cast<HDC>(wParam), panel->background_);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc) panel->PaintRemotePanel(dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
    case WM_DESTROY:
      if (panel->window_ == window) panel->window_ = nullptr;
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
