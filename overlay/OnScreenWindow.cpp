#include "OnScreenWindow.h"

#include <cstring>

namespace {
constexpr DWORD kOnScreenWindowExStyle = WS_EX_LAYERED | WS_EX_NOACTIVATE;

// The face GDI has always matched on the Wine desktop comes first, so the
// text keeps its look there; then the Japanese Windows UI faces.
constexpr const char* kOnScreenFaces[] = {"IPAGothic", "MS UI Gothic", "Meiryo UI", "Yu Gothic UI",
                                          "IPAPGothic"};

int CALLBACK NoteFaceFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The first face of the list installed with Shift_JIS glyphs; null (GDI's
// own match) when none is.
const char* FirstInstalledFace() {
  HDC screen = GetDC(nullptr);
  const char* chosen = nullptr;
  for (const char* face : kOnScreenFaces) {
    LOGFONTA wanted = {};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    std::memcpy(wanted.lfFaceName, face, std::strlen(face) + 1);  // each shorter than LF_FACESIZE
    bool found = false;
    EnumFontFamiliesExA(screen, &wanted, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found) {
      chosen = face;
      break;
    }
  }
  ReleaseDC(nullptr, screen);
  return chosen;
}
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

HFONT CreateOnScreenFont(int height) {
  static const char* const kFace = FirstInstalledFace();
  return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, kFace);
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
