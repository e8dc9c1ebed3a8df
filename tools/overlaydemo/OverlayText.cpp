// zentu-overlaytext: reads a transport stream as the plug-in does and prints
// the programme text that the status overlay composes for one service from
// its stored EIT present section (Shift_JIS, two lines at most).
//
//   zentu-overlaytext FILE SERVICE_ID
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "OverlayLayout.h"
#include "PsiCollector.h"

namespace {

constexpr toolcli::Tool kTool{"zentu-overlaytext",
                              "usage: zentu-overlaytext FILE SERVICE_ID\n"
                              "Prints the programme text that the status overlay composes for a service.\n"};

int RunTool(int argc, char** argv) {
  if (argc != 3) return kTool.Refuse("FILE and SERVICE_ID needed");
  FILE* file = std::fopen(argv[1], "rb");
  // NOLINTNEXTLINE(concurrency-mt-unsafe): the tool has one thread
  if (!file) return kTool.Fail(1, std::string("cannot open ") + argv[1] + ": " + std::strerror(errno));
  const long serviceId = std::strtol(argv[2], nullptr, 0);
  PsiCollector collector;
  uint8_t packet[kTsPacketSize];
  while (std::fread(packet, 1, sizeof packet, file) == sizeof packet) collector.IntakePacket(packet);
  const bool readError = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (readError) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the tool has one thread
    return kTool.Fail(1, std::string("cannot read ") + argv[1] + ": " + std::strerror(readErrno));
  }

  std::vector<uint8_t> section;
  char text[1024] = "";
  if (serviceId < 0 || serviceId > 0xFFFF ||
      !collector.CopyPresentSection(static_cast<uint16_t>(serviceId), section) ||
      !ComposeProgrammeFromSection(section.data(), section.size(), text, sizeof text)) {
    return kTool.Fail(1, "no programme for service " + std::string(argv[2]));
  }
  CutAfterSecondLine(text);
  std::printf("%s\n", text);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kTool.Run(argc, argv, RunTool); }
