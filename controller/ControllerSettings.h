// Plain routines behind the controller window's settings: no window needed.
#pragma once
#include <cstddef>
#include <cstdint>

// Decimal text to integer as atoi reads it (leading blanks, sign, digits,
// anything else ends the number; no number gives 0), but values beyond the
// 32-bit range are clamped instead of overflowing.
int32_t ParseIniInteger(const char* text);

// The ini file beside a program: drive and directory of modulePath joined
// with "Zentu_TaskTray.ini". Returns false and leaves an empty text when the
// result would not fit outSize bytes.
bool BuildIniPathBeside(const char* modulePath, char* out, size_t outSize);
