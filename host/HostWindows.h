// The host viewer's top-level windows as the plug-in knows them.
#pragma once
#include <windows.h>

#include <cstdint>

constexpr int kMaxHostWindows = 100;
constexpr int kHostTitleSize = 256;

// How a listed window is hidden, shown and tested for visibility.
enum HostHideStyle : int32_t {
  kHideByMinimise = 0,  // SW_MINIMIZE / SW_RESTORE; visible while not iconic
  kHideByShow = 1,      // SW_HIDE / SW_SHOW; visible while WS_VISIBLE
};

// Up to 100 host windows as four parallel arrays; entry 0 is the host main
// window once discovery has run. Title buffers are owned by the list.
struct HostWindowList {
  HWND window[kMaxHostWindows];
  int32_t hideStyle[kMaxHostWindows];
  int32_t visible[kMaxHostWindows];
  char* title[kMaxHostWindows];
  int32_t count;
};

// Result of QueryHostWindowByTitle when the title is not listed.
constexpr int32_t kTitleNotListed = 2;
