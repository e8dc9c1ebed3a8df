// What the command-line tools share: --help with the usage, --version with
// the project version, bad arguments refused with exit status 2, and no
// success reported when the output could not be written.
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
  // "NAME: what" as one line on standard error; returns `status`.
  int Fail(int status, const std::string& what) const;
  // Runs the tool's `body` and returns its exit status; a body that ended
  // well but whose standard output could not be written completely (a full
  // disk, for one) ends with 1 and says so in one line.
  int Run(int argc, char** argv, int (*body)(int argc, char** argv)) const;
};

}  // namespace toolcli
