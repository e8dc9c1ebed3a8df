#include "IniLocation.h"

#include <cstdio>
#include <cstring>

#include "ShiftJisCut.h"

namespace {

constexpr char kPerUserFolder[] = "ZentuTaskTray";
constexpr char kPerUserPrefix[] = "Zentu_TaskTray-";
constexpr size_t kFolderNameMax = 32;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Width in bytes of the character at text: a trail byte 0x5C ('\') belongs
// to its lead byte, it is no separator.
size_t CharWidth(const char* text) {
  return sjis::IsLeadByte(static_cast<unsigned char>(text[0])) && text[1] != '\0' ? 2 : 1;
}

bool IsAbsolute(const char* path) {
  const bool drive = ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && IsSeparator(path[2]);
  return drive || (IsSeparator(path[0]) && IsSeparator(path[1]));
}

// The length of path without trailing separators, and where its last part
// begins.
size_t TrimmedLength(const char* path, size_t* lastPartStart) {
  size_t end = 0, partStart = 0, lastStart = 0;
  bool afterSeparator = true;
  for (size_t i = 0; path[i] != '\0'; i += CharWidth(path + i)) {
    if (IsSeparator(path[i])) {
      afterSeparator = true;
      continue;
    }
    if (afterSeparator) partStart = i;
    afterSeparator = false;
    end = i + CharWidth(path + i);
    lastStart = partStart;
  }
  if (lastPartStart != nullptr) *lastPartStart = lastStart;
  return end;
}

// FNV-1a over the path as Windows compares names: ASCII letters folded to
// upper case (trail bytes left alone), '/' as '\'.
uint32_t HashFolder(const char* path, size_t length) {
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < length;) {
    const size_t width = CharWidth(path + i);
    for (size_t k = 0; k < width; ++k) {
      char c = path[i + k];
      if (width == 1 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (width == 1 && c == '/') c = '\\';
      hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    i += width;
  }
  return hash;
}

}  // namespace

IniPlan PlanIniFile(bool besideWritable, bool perUserUsable, IniFileSeen beside, IniFileSeen perUser) {
  IniPlan plan;
  plan.use = besideWritable || !perUserUsable ? IniPlace::kBeside : IniPlace::kPerUser;
  if (!perUserUsable) return plan;
  const IniFileSeen& used = plan.use == IniPlace::kBeside ? beside : perUser;
  const IniFileSeen& other = plan.use == IniPlace::kBeside ? perUser : beside;
  plan.copyOtherFirst = other.exists && (!used.exists || other.lastWrite > used.lastWrite);
  return plan;
}

bool BuildPerUserIniPath(const char* appData, const char* programFolder, char* out, size_t outSize,
                         size_t* folderLength) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  if (appData == nullptr || programFolder == nullptr || !IsAbsolute(appData)) return false;
  size_t nameStart = 0;
  const size_t folderEnd = TrimmedLength(programFolder, &nameStart);
  if (folderEnd == 0) return false;

  char name[kFolderNameMax + 1] = {};
  char whole[kFolderNameMax * 2 + 2] = {};
  const size_t nameLength = folderEnd - nameStart;
  std::memcpy(whole, programFolder + nameStart,
              nameLength < sizeof whole - 1 ? nameLength : sizeof whole - 1);
  sjis::CopyShiftJisTruncated(name, sizeof name, whole);
  // A drive's root ("C:") names no folder of its own.
  if (std::strchr(name, ':') != nullptr) name[0] = '\0';

  const size_t appDataLength = TrimmedLength(appData, nullptr);
  const int written = std::snprintf(out, outSize, "%.*s\\%s\\%s%s%s%08X.ini", static_cast<int>(appDataLength),
                                    appData, kPerUserFolder, kPerUserPrefix, name, name[0] != '\0' ? "-" : "",
                                    static_cast<unsigned>(HashFolder(programFolder, folderEnd)));
  if (written < 0 || static_cast<size_t>(written) >= outSize) {
    out[0] = '\0';
    return false;
  }
  if (folderLength != nullptr) *folderLength = appDataLength + 1 + sizeof kPerUserFolder - 1;
  return true;
}
