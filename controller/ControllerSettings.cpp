#include "ControllerSettings.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
constexpr char kIniFileName[] = "Zentu_TaskTray.ini";
constexpr size_t kMaxWindowsPath = 260;
}  // namespace

int32_t ParseIniInteger(const char* text) {
  if (text == nullptr) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

bool BuildIniPathBeside(const char* modulePath, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (modulePath == nullptr) return false;
  const size_t length = std::strlen(modulePath);
  if (length >= kMaxWindowsPath) return false;
  // Drive and directory: through the last separator, or the drive alone.
  size_t keep = 0;
  for (size_t i = 0; i < length; ++i) {
    if (modulePath[i] == '\\' || modulePath[i] == '/') keep = i + 1;
  }
  if (keep == 0 && length >= 2 && modulePath[1] == ':') keep = 2;
  const size_t needed = keep + sizeof kIniFileName;
  if (needed > outSize || needed > kMaxWindowsPath) return false;
  std::memcpy(out, modulePath, keep);
  std::memcpy(out + keep, kIniFileName, sizeof kIniFileName);
  return true;
}
