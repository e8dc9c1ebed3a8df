// What the command-line tools share: --help with the usage, --version with
// the project version, and bad arguments refused with exit status 2.
#pragma once
#include <string>

namespace toolcli {

struct Tool {
  const char* name;   // as the tool is called, e.g. "zentu-tsinfo"
  const char* usage;  // the whole usage text, ending in a new line

  // For --help or --version: prints the usage or the version on standard
  // output and returns true; the tool then exits with 0.
  bool Answers(const std::string& argument) const;
  // What was wrong on standard error, then the usage; returns the exit
  // status, 2.
  int Refuse(const std::string& what) const;
};

}  // namespace toolcli
