// Texts at the boundary with Windows. Inside the plug-in every text is
// Shift_JIS; Windows is given and asked for UTF-16 (the W functions),
// converted from and to code page 932 here, whatever the system's ANSI code
// page is: a viewer that keeps its texts in UTF-16, or a system set to
// another code page (another language, or UTF-8), still reads right.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

// The Shift_JIS text as UTF-16 (null reads as empty).
std::wstring WideFromShiftJis(const char* text);
// A text of another code page (CP_ACP: what the ANSI functions gave) as UTF-16.
std::wstring WideFromCodePage(const char* text, UINT codePage);
// At most size - 1 bytes of the text in Shift_JIS, cut after the last whole
// character that fits, and a zero; a character that code page 932 lacks
// becomes '?'. Returns the bytes kept.
size_t ShiftJisFromWide(const wchar_t* text, char* out, size_t size);

// The text of `window` (a top-level window or a control; null reads as
// empty), read whole, then cut as ShiftJisFromWide does: a read into a
// shorter buffer could end in half a character or fail outright.
size_t ReadWholeWindowText(HWND window, char* text, size_t size);
