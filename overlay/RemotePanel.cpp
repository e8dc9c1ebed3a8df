// The remote panel: a hidden layered pop-up with twelve numbered green
// squares on a colour-keyed background. It only draws itself.
#include <cstdio>

#include "SamplePlugin.h"

namespace {

constexpr int kPanelX = 800, kPanelY = 500, kPanelWidth = 180, kPanelHeight = 100;
constexpr COLORREF kPanelGreen = RGB(0, 255, 0);
constexpr int kPenWidth = 3;
constexpr int kFontHeight = 16;
// Square centres: columns from 25 in steps of 23 below 94, rows below 117.
constexpr int kFirstCentre = 25, kCentreStep = 23, kColumnLimit = 94, kRowLimit = 117;
constexpr int kSquareBefore = 20, kSquareAfter = 3, kNumberBefore = 17;

LRESULT OnPanelCreate(HWND window) {
  SetLayeredWindowAttributes(window, kColourKey, 0, LWA_COLORKEY);
  return 0;
}

LRESULT OnPanelPaint(CSamplePlugin& plugin, HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc) plugin.PaintRemotePanel(window, dc);
  EndPaint(window, &paint);
  return 0;
}

}  // namespace

void CSamplePlugin::CreateRemotePanel(HWND ownerWindow) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = RemotePanelProc;
  windowClass.hInstance = g_moduleInstance;
  windowClass.hCursor = static_cast<HCURSOR>(LoadImageA(
      nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.hbrBackground = greyBrush;
  windowClass.lpszClassName = kPanelClass;
  RegisterClassExA(&windowClass);

  // Created hidden and never activated, like the overlay.
  remotePanel = CreateWindowExA(kOnScreenWindowExStyle, kPanelClass, "", WS_POPUP, kPanelX, kPanelY,
                                kPanelWidth, kPanelHeight, ownerWindow, nullptr, g_moduleInstance,
                                nullptr);
  if (remotePanel) {
    SetClassLongPtrA(remotePanel, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(greyBrush));
  }
}

void CSamplePlugin::PaintRemotePanel(HWND panel, HDC dc) {
  RECT client;
  GetClientRect(panel, &client);
  HPEN pen = CreatePen(PS_SOLID, kPenWidth, kPanelGreen);
  HGDIOBJ previousPen = SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, 0, client.right, client.bottom);

  HFONT font = CreateFontA(kFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           nullptr);
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

LRESULT CALLBACK RemotePanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CSamplePlugin* plugin = g_currentPlugin;
  if (!plugin) return AnswerWithoutPlugin(window, message);
  switch (message) {
    case WM_CREATE: return OnPanelCreate(window);
    case WM_PAINT: return OnPanelPaint(*plugin, window);
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_CLOSE: ShowWindow(window, SW_HIDE); return 0;
    case WM_DESTROY: return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}
