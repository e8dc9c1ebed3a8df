#include "OnScreenWindow.h"

namespace {
constexpr DWORD kOnScreenWindowExStyle = WS_EX_LAYERED | WS_EX_NOACTIVATE;
}  // namespace

HWND CreateOnScreenWindow(HINSTANCE instance, const char* className, WNDPROC procedure, int x, int y,
                          int width, int height, HWND owner, void* object) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = static_cast<HCURSOR>(LoadImageA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */,
                                                        IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);  // already registered: the old class serves

  return CreateWindowExA(kOnScreenWindowExStyle, className, "", WS_POPUP, x, y, width, height, owner, nullptr,
                         instance, object);
}

LRESULT EraseWithBrush(HWND window, HDC dc, HBRUSH brush) {
  if (dc == nullptr || brush == nullptr) return 0;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, brush);
  return 1;
}

void* OnScreenWindowObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    void* object = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
  }
  return reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT AnswerWithoutObject(HWND window, UINT message) {
  if (message == WM_PAINT) ValidateRect(window, nullptr);
  return 0;
}

void UnregisterOnScreenWindowClasses(HINSTANCE instance) {
  UnregisterClassA(kPanelClass, instance);
  UnregisterClassA(kOverlayClass, instance);
}
