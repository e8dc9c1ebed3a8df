#include "IniPath.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "IniLocation.h"

namespace {
constexpr char kIniName[] = "Zentu_TaskTray";
constexpr char kIniExtension[] = ".ini";

IniFileSeen Look(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (path[0] == '\0' || !GetFileAttributesExA(path, GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return {};
  }
  return {true, (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                    data.ftLastWriteTime.dwLowDateTime};
}

// Opened for writing as the profile functions would, without changing it; a
// file made only to find out is removed again.
bool CanWrite(const char* path) {
  if (path[0] == '\0') return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool made = GetLastError() != ERROR_ALREADY_EXISTS;
  CloseHandle(file);
  if (made) DeleteFileA(path);
  return true;
}

bool MakeFolder(const char* path, size_t length) {
  char folder[MAX_PATH] = {};
  if (length >= sizeof folder) return false;
  std::memcpy(folder, path, length);
  if (CreateDirectoryA(folder, nullptr)) return true;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  return GetFileAttributesExA(folder, GetFileExInfoStandard, &data) &&
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

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

bool LocateIniFile(const char* modulePath, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (modulePath == nullptr || std::strlen(modulePath) >= _MAX_PATH) return false;
  char beside[MAX_PATH] = {};
  BuildIniPathBeside(modulePath, beside, sizeof beside);

  char drive[_MAX_DRIVE] = {};
  char directory[_MAX_DIR] = {};
  _splitpath(modulePath, drive, directory, nullptr, nullptr);
  char folder[_MAX_DRIVE + _MAX_DIR] = {};
  wsprintfA(folder, "%s%s", drive, directory);
  // Expanded rather than read with GetEnvironmentVariableA, which under Wine
  // cuts a value holding double-byte characters short. An unset variable
  // stays "%APPDATA%", which is no absolute path.
  char appData[MAX_PATH * 2] = {};
  const DWORD expanded = ExpandEnvironmentStringsA("%APPDATA%", appData, sizeof appData - 1);
  if (expanded == 0 || expanded >= sizeof appData - 1 || std::strlen(appData) >= MAX_PATH) appData[0] = '\0';
  char perUser[MAX_PATH] = {};
  size_t perUserFolderLength = 0;
  const bool perUserBuilt =
      BuildPerUserIniPath(appData, folder, perUser, sizeof perUser, &perUserFolderLength);

  const bool besideWritable = CanWrite(beside);
  const bool perUserUsable = perUserBuilt && (besideWritable || MakeFolder(perUser, perUserFolderLength));
  const IniPlan plan =
      PlanIniFile(besideWritable, perUserUsable, Look(beside), Look(perUserUsable ? perUser : ""));
  const char* used = plan.use == IniPlace::kBeside ? beside : perUser;
  const char* other = plan.use == IniPlace::kBeside ? perUser : beside;
  // A copy of a read-only file is read-only too, which would stop every write.
  if (plan.copyOtherFirst && CopyFileA(other, used, FALSE)) SetFileAttributesA(used, FILE_ATTRIBUTE_NORMAL);
  if (std::strlen(used) >= outSize) return false;
  std::strcpy(out, used);
  return out[0] != '\0';
}

bool LocateHostIniFile(char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  char modulePath[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
  // A path that does not fit is not used at all, rather than a wrong one.
  if (length == 0 || length >= sizeof modulePath) return false;
  return LocateIniFile(modulePath, out, outSize);
}
