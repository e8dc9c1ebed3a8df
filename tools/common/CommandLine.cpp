#include "CommandLine.h"

#include <cstdio>

#include "ZentuVersion.h"

namespace toolcli {

bool Tool::Answers(const std::string& argument) const {
  if (argument == "--help") {
    std::fputs(usage, stdout);
    return true;
  }
  if (argument == "--version") {
    std::printf("%s %s\n", name, ZENTU_VERSION_TEXT);
    return true;
  }
  return false;
}

int Tool::Refuse(const std::string& what) const {
  std::fprintf(stderr, "%s: %s\n", name, what.c_str());
  std::fputs(usage, stderr);
  return 2;
}

}  // namespace toolcli
