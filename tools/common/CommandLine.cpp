#include "CommandLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

int Tool::Fail(int status, const std::string& what) const {
  std::fprintf(stderr, "%s: %s\n", name, what.c_str());
  return status;
}

int Tool::Run(int argc, char** argv, int (*body)(int argc, char** argv)) const {
  const int status = body(argc, argv);
  if (status != 0) return status;  // the body has said why
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && std::ferror(stdout) == 0) return 0;
  const int error = errno;
  std::string what = "cannot write standard output";
  // NOLINTNEXTLINE(concurrency-mt-unsafe): the tools have one thread
  if (!flushed && error != 0) what += std::string(": ") + std::strerror(error);
  return Fail(1, what);
}

}  // namespace toolcli
