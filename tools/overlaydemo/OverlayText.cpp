// zentu-overlaytext: reads a transport stream as the plug-in does and prints
// the programme text that the status overlay composes for one service from
// its stored EIT present section (Shift_JIS, two lines at most).
//
//   zentu-overlaytext FILE SERVICE_ID
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "OverlayLayout.h"
#include "PsiCollector.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zentu-overlaytext FILE SERVICE_ID\n");
    return 2;
  }
  FILE* file = std::fopen(argv[1], "rb");
  if (!file) {
    std::fprintf(stderr, "zentu-overlaytext: cannot open %s\n", argv[1]);
    return 1;
  }
  const long serviceId = std::strtol(argv[2], nullptr, 0);
  PsiCollector collector;
  uint8_t packet[kTsPacketSize];
  while (std::fread(packet, 1, sizeof packet, file) == sizeof packet) collector.IntakePacket(packet);
  std::fclose(file);

  std::vector<uint8_t> section;
  char text[1024] = "";
  if (serviceId < 0 || serviceId > 0xFFFF ||
      !collector.CopyPresentSection(static_cast<uint16_t>(serviceId), section) ||
      !ComposeProgrammeFromSection(section.data(), section.size(), text, sizeof text)) {
    std::fprintf(stderr, "zentu-overlaytext: no programme for service 0x%04lX\n", serviceId);
    return 1;
  }
  CutAfterSecondLine(text);
  std::printf("%s\n", text);
  return 0;
}
