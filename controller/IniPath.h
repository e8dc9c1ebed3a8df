// Where the controller's ini file lives: beside the host's program, or in a
// per-user file when that folder cannot be written.
#pragma once
#include <cstddef>

// The ini file beside a program: drive and directory of modulePath joined
// with "Zentu_TaskTray.ini" by the C runtime's _splitpath and _makepath,
// which know the code page's double-byte characters. Returns false and leaves
// an empty text when the result would not fit outSize bytes or a Windows
// path.
bool BuildIniPathBeside(const char* modulePath, char* out, size_t outSize);

// The settings file of the program at modulePath, read at start and written
// at shutdown: the one beside it while that one can be written, otherwise
// the per-user one under %APPDATA% (its folder made here). Whichever of the
// two was written last is first copied over the one chosen. Returns false
// and an empty text when there is no file to use at all.
bool LocateIniFile(const char* modulePath, char* out, size_t outSize);

// LocateIniFile for the host's executable, not this library.
bool LocateHostIniFile(char* out, size_t outSize);
