// The controller window's settings and remembered position, and the plain
// routines behind them: no window needed.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kIniPathSize = 256;

struct ScreenRect {
  int32_t left, top, right, bottom;
};

// Everything the controller keeps in the ini file ("NoCard" and "NoCardRec"
// are only shown, in the dialog's check boxes).
struct ControllerSettings {
  char iniPath[kIniPathSize] = "";  // empty when it could not be built
  int32_t noCard = 0;
  int32_t noCardRec = 0;
  int32_t autoDispStatus = 0;  // whether operations show the overlay
  int32_t positionValid = 0;   // a tick has recorded the position
  ScreenRect rememberedRect = {0, 0, 0, 0};
  int32_t minimised = 0;
};

// Decimal text to integer as atoi reads it (leading blanks, sign, digits,
// anything else ends the number; no number gives 0), but values beyond the
// 32-bit range are clamped instead of overflowing.
int32_t ParseIniInteger(const char* text);

// The "上記操作を行ったら表示を行う" toggle: 1 from 0, 0 from anything else.
inline int32_t ToggledAutoDisplay(int32_t value) { return value == 0 ? 1 : 0; }
