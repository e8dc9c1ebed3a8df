// Arbitrary bytes as a run of packets through intake. The low bits of byte 2
// steer each packet to one of the information PIDs so that most inputs reach
// reassembly and the parsers; an 0xB8 first byte also drops partial sections.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "PsiCollector.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint16_t kPids[4] = {kPidNit, kPidSdt, kPidEit, kPidTot};
  PsiCollector collector;
  uint8_t packet[kTsPacketSize];
  for (size_t at = 0; at + kTsPacketSize <= size; at += kTsPacketSize) {
    std::memcpy(packet, data + at, kTsPacketSize);
    if ((packet[1] & 0x1F) == 0) {  // leave other PIDs as they are
      const uint16_t pid = kPids[packet[2] & 3];
      packet[1] = static_cast<uint8_t>((packet[1] & 0xE0) | (pid >> 8));
      packet[2] = static_cast<uint8_t>(pid);
    }
    if (packet[0] == 0xB8) collector.ResetSectionFills();
    collector.IntakePacket(packet);
    // Any stored copy and name must stay within its limits.
    for (const ServiceSnapshot& service : collector.Snapshot().services) {
      const StoredSectionState present = collector.StoredSectionOf(service.serviceId, 0);
      const StoredSectionState following = collector.StoredSectionOf(service.serviceId, 1);
      if (service.providerName.size() > kNameFieldSize || service.serviceName.size() > kNameFieldSize ||
          service.tsName.size() > kNameFieldSize || present.length > present.capacity ||
          following.length > following.capacity) {
        __builtin_trap();
      }
    }
  }
  collector.Shutdown();
  return 0;
}
