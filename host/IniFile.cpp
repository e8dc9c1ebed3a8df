#include "IniFile.h"

#include <windows.h>

namespace {
constexpr char kSection[] = "TaskTray";
}  // namespace

void IniFile::ReadText(const char* key, char* value, size_t size) const {
  if (size == 0) return;
  value[0] = '\0';
  if (!Usable()) return;
  GetPrivateProfileStringA(kSection, key, "", value, static_cast<DWORD>(size), path_);
}

int32_t IniFile::ReadInt(const char* key, int32_t fallback) const {
  if (!Usable()) return fallback;
  return static_cast<int32_t>(GetPrivateProfileIntA(kSection, key, fallback, path_));
}

void IniFile::WriteInt(const char* key, int32_t value) const {
  if (!Usable()) return;
  char text[16];
  wsprintfA(text, "%d", static_cast<int>(value));
  WriteText(key, text);
}

void IniFile::WriteText(const char* key, const char* value) const {
  if (!Usable()) return;
  WritePrivateProfileStringA(kSection, key, value, path_);
}
