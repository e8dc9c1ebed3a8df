// Where the controller's ini file lives: beside the host's program.
#pragma once
#include <cstddef>

// The ini file beside a program: drive and directory of modulePath joined
// with "Zentu_TaskTray.ini" by the C runtime's _splitpath and _makepath,
// which know the code page's double-byte characters. Returns false and leaves
// an empty text when the result would not fit outSize bytes or a Windows
// path.
bool BuildIniPathBeside(const char* modulePath, char* out, size_t outSize);
