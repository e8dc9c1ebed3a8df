// The host's window texts, read whole. A read into a buffer shorter than the
// text may end in half a double-byte character or fail outright, so every
// text is read whole and then cut at a character boundary.
#pragma once
#include <windows.h>

#include <cstddef>

// At most size - 1 bytes of the text of `window` (a top-level window or a
// control; null reads as empty), cut after the last whole character that
// fits, and a zero. Returns the bytes kept.
size_t ReadWholeWindowText(HWND window, char* text, size_t size);
