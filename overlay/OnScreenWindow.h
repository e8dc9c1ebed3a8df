// What the status overlay and the remote panel share: colour-keyed layered
// pop-ups over the video that never take activation, each reaching its
// object through its window data.
#pragma once
#include <windows.h>

constexpr char kOverlayClass[] = "Zentu_TaskTrayStatus_Class";
constexpr char kPanelClass[] = "Zentu_TaskTrayPanel_Class";
// The grey that the layered windows make transparent.
constexpr COLORREF kColourKey = 0x808080;

// Registers the class of an on-screen window (a class that survives from an
// earlier object serves as it is) and creates the window hidden, owned by
// `owner`, with `object` as its window data. A pop-up created visible would
// be activated and take the keyboard focus from the viewer; WS_EX_NOACTIVATE
// keeps clicks from activating it later. Returns null when it cannot.
//
// The classes have no background brush: Windows deletes a class's brush
// when the class is unregistered, and the classes outlive any one object
// (another object's windows, a pinned library), so a class brush would be
// deleted twice, or after its handle was reused by someone else. The
// windows erase with their object's brush instead (EraseWithBrush).
HWND CreateOnScreenWindow(HINSTANCE instance, const char* className, WNDPROC procedure, int x, int y,
                          int width, int height, HWND owner, void* object);

// WM_ERASEBKGND: fills the client area with `brush`; answers that it erased.
LRESULT EraseWithBrush(HWND window, HDC dc, HBRUSH brush);

// For window procedures: the object the window was created for, taken from
// the creation data at WM_NCCREATE; null before that.
void* OnScreenWindowObject(HWND window, UINT message, LPARAM lParam);

// What a window without its object answers: 0, but paint requests are
// validated, since an unvalidated window is sent WM_PAINT again at once.
LRESULT AnswerWithoutObject(HWND window, UINT message);

// The font both windows draw their text in, `height` pixels high: bold,
// Shift_JIS, in the first installed face of a fixed list, and never
// smoothed. A smoothed glyph's edge pixels blend with the colour key, match
// neither it nor the text, and show as a grey fringe over the video.
HFONT CreateOnScreenFont(int height);

// Unregisters both classes once their windows are destroyed: a class
// registered by a DLL outlives the DLL otherwise.
void UnregisterOnScreenWindowClasses(HINSTANCE instance);
