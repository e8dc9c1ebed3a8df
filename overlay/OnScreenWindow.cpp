#include "OnScreenWindow.h"

namespace {
constexpr DWORD kOnScreenWindowExStyle = WS_EX_LAYERED | WS_EX_NOACTIVATE;
}  // namespace

HWND CreateOnScreenWindow(HINSTANCE instance, const char* className, WNDPROC procedure, HBRUSH background,
                          int x, int y, int width, int height, HWND owner, void* object) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = static_cast<HCURSOR>(LoadImageA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */,
                                                        IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  RegisterClassExA(&windowClass);  // already registered: the old class serves

  HWND window = CreateWindowExA(kOnScreenWindowExStyle, className, "", WS_POPUP, x, y, width, height, owner,
                                nullptr, instance, object);
  // A class left registered by an earlier object still names that object's
  // brush, deleted with its window: point it at this one.
  if (window) SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background));
  return window;
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
