#include "IniFile.h"

#include <windows.h>

#include <string>

#include "WindowText.h"

namespace {

constexpr wchar_t kSection[] = L"TaskTray";

// The path comes from the ANSI functions (the system's code page); keys and
// values are Shift_JIS, so that a key written is read back as the same key
// on any code page. On a code-page-932 system the file's bytes are those
// the ANSI functions would write.
std::wstring WidePath(const char* path) { return WideFromCodePage(path, CP_ACP); }

}  // namespace

void IniFile::ReadText(const char* key, char* value, size_t size) const {
  if (size == 0) return;
  value[0] = '\0';
  if (!Usable()) return;
  wchar_t text[1024] = L"";
  GetPrivateProfileStringW(kSection, WideFromShiftJis(key).c_str(), L"", text, sizeof text / sizeof text[0],
                           WidePath(path_).c_str());
  ShiftJisFromWide(text, value, size);
}

int32_t IniFile::ReadInt(const char* key, int32_t fallback) const {
  if (!Usable()) return fallback;
  return static_cast<int32_t>(
      GetPrivateProfileIntW(kSection, WideFromShiftJis(key).c_str(), fallback, WidePath(path_).c_str()));
}

void IniFile::WriteInt(const char* key, int32_t value) const {
  if (!Usable()) return;
  char text[16];
  wsprintfA(text, "%d", static_cast<int>(value));
  WriteText(key, text);
}

void IniFile::WriteText(const char* key, const char* value) const {
  if (!Usable()) return;
  WritePrivateProfileStringW(kSection, WideFromShiftJis(key).c_str(), WideFromShiftJis(value).c_str(),
                             WidePath(path_).c_str());
}
