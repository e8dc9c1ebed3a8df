// Where the controller keeps its ini file: beside the host's program while
// that folder can be written, otherwise in a per-user file named after the
// program's folder. Plain routines over Shift_JIS paths; no Win32 here.
#pragma once
#include <cstddef>
#include <cstdint>

enum class IniPlace { kBeside, kPerUser };

// What a look at one candidate file found.
struct IniFileSeen {
  bool exists = false;
  uint64_t lastWrite = 0;  // FILETIME ticks
};

struct IniPlan {
  IniPlace use = IniPlace::kBeside;  // read at start, written at shutdown
  bool copyOtherFirst = false;       // the other file was written last
};

// The file beside the program while it can be written; the per-user one
// otherwise, when there is one. The other file, when it was written later
// than the one used (or that one does not exist yet), is copied over it
// first, so that the settings come from wherever they were last written.
IniPlan PlanIniFile(bool besideWritable, bool perUserUsable, IniFileSeen beside, IniFileSeen perUser);

// "<appData>\ZentuTaskTray\Zentu_TaskTray-<folder name>-<hash>.ini" for the
// program folder `programFolder` (drive and directory). The folder's own name
// is cut to 32 bytes at a whole character; the hash (8 hex digits) is of the
// whole folder path with ASCII letters of either case and either separator
// alike, so that one folder always gets the same file and two folders
// different ones. `folderLength` receives the length of the
// "<appData>\ZentuTaskTray" part. Returns false and an empty text when
// appData is not an absolute path, the program folder is empty, or the result
// would not fit outSize bytes.
bool BuildPerUserIniPath(const char* appData, const char* programFolder, char* out, size_t outSize,
                         size_t* folderLength);
