#include "IniPath.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr char kIniName[] = "Zentu_TaskTray";
constexpr char kIniExtension[] = ".ini";
}  // namespace

bool BuildIniPathBeside(const char* modulePath, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (modulePath == nullptr) return false;
  char drive[_MAX_DRIVE] = {};
  char directory[_MAX_DIR] = {};
  if (std::strlen(modulePath) >= _MAX_PATH) return false;
  _splitpath(modulePath, drive, directory, nullptr, nullptr);
  const size_t directoryLength = std::strlen(directory);
  const bool needsSeparator =
      directoryLength > 0 && directory[directoryLength - 1] != '\\' && directory[directoryLength - 1] != '/';
  const size_t needed = std::strlen(drive) + directoryLength + (needsSeparator ? 1 : 0) + sizeof kIniName -
                        1 + sizeof kIniExtension - 1 + 1;
  if (needed > outSize || needed > _MAX_PATH) return false;
  _makepath(out, drive, directory, kIniName, kIniExtension);
  return true;
}
