// Byte-level builders for collector tests: sections with a real CRC and
// 188-byte packets laid out exactly as a test needs them.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "PsiCollector.h"
#include "TsWriter.h"

namespace psitest {

using Bytes = std::vector<uint8_t>;

// table_id, two length bytes (filled in), body; appends the CRC.
inline Bytes Section(std::initializer_list<uint8_t> headAndBody) {
  Bytes section(headAndBody);
  tsmux::FinishSection(section);
  return section;
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

struct PacketLayout {
  uint16_t pid = 0;
  bool start = false;
  uint8_t counter = 0;
  int adaptationLength = -1;  // -1: no adaptation field
  bool payload = true;        // false: adaptation_field_control 2 (or 0 without adaptation)
};

// A packet whose payload is `payload` (pointer_field included when it is a
// start packet), padded with 0xFF.
inline Bytes Packet(const PacketLayout& layout, const Bytes& payload) {
  Bytes packet(kTsPacketSize, 0xFF);
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>((layout.start ? 0x40 : 0) | ((layout.pid >> 8) & 0x1F));
  packet[2] = static_cast<uint8_t>(layout.pid);
  uint8_t control = layout.payload ? 1 : 0;
  if (layout.adaptationLength >= 0) control |= 2;
  packet[3] = static_cast<uint8_t>(control << 4 | (layout.counter & 0x0F));
  size_t at = 4;
  if (layout.adaptationLength >= 0) {
    packet[4] = static_cast<uint8_t>(layout.adaptationLength);
    for (int i = 0; i < layout.adaptationLength && 5 + i < static_cast<int>(kTsPacketSize); ++i)
      packet[5 + i] = 0x00;
    if (layout.adaptationLength > 0) packet[5] = 0x00;  // no flags
    at = 5 + static_cast<size_t>(layout.adaptationLength);
  }
  for (size_t i = 0; i < payload.size() && at + i < kTsPacketSize; ++i) packet[at + i] = payload[i];
  return packet;
}

// A start packet carrying `bytes` right after a pointer_field of 0.
inline Bytes StartPacket(uint16_t pid, uint8_t counter, const Bytes& bytes) {
  Bytes payload = {0x00};
  payload.insert(payload.end(), bytes.begin(), bytes.end());
  return Packet({pid, true, counter}, payload);
}

inline Bytes ContinuationPacket(uint16_t pid, uint8_t counter, const Bytes& bytes) {
  return Packet({pid, false, counter}, bytes);
}

// Splits one run of sections into packets: the first starts with pointer 0,
// the rest are plain continuations (184 bytes each).
inline std::vector<Bytes> SplitIntoPackets(uint16_t pid, const Bytes& sections, uint8_t firstCounter = 0) {
  std::vector<Bytes> packets;
  size_t position = 0;
  uint8_t counter = firstCounter;
  bool first = true;
  while (position < sections.size() || first) {
    const size_t room = first ? kTsPacketSize - 5 : kTsPacketSize - 4;
    const size_t count = std::min(room, sections.size() - position);
    Bytes chunk(sections.begin() + static_cast<std::ptrdiff_t>(position),
                sections.begin() + static_cast<std::ptrdiff_t>(position + count));
    packets.push_back(first ? StartPacket(pid, counter, chunk) : ContinuationPacket(pid, counter, chunk));
    position += count;
    counter = (counter + 1) & 0x0F;
    first = false;
  }
  return packets;
}

inline void Feed(PsiCollector& collector, const Bytes& packet) { collector.IntakePacket(packet.data()); }

inline void FeedAll(PsiCollector& collector, const std::vector<Bytes>& packets) {
  for (const Bytes& packet : packets) Feed(collector, packet);
}

// Sends whole sections on a PID through intake.
inline void FeedSections(PsiCollector& collector, uint16_t pid, const Bytes& sections,
                         uint8_t firstCounter = 0) {
  FeedAll(collector, SplitIntoPackets(pid, sections, firstCounter));
}

inline Bytes SdtWith(uint16_t serviceId, const char* provider, const char* name, uint8_t serviceType = 0x01) {
  return tsmux::BuildSdt(
      0x7FE0, 0, 0x7FE0,
      {{serviceId, serviceType, Bytes(provider, provider + std::char_traits<char>::length(provider)),
        Bytes(name, name + std::char_traits<char>::length(name))}});
}

// The well-formed TOT packet: pointer_field 0, no adaptation field.
inline Bytes TotPacket(uint16_t mjd, int hour, int minute, int second, uint8_t counter = 0) {
  return StartPacket(kPidTot, counter, tsmux::BuildTot(mjd, hour, minute, second));
}

inline void OpenEitGate(PsiCollector& collector) { Feed(collector, TotPacket(0xD4CE, 21, 30, 45)); }

inline tsmux::EventInfo SampleEvent(uint16_t eventId, const char* name = "News") {
  tsmux::EventInfo event;
  event.eventId = eventId;
  event.startMjd = 0xD4CE;
  event.startHour = 21;
  event.startMinute = 0;
  event.startSecond = 0;
  event.durationSeconds = 3600;
  event.name = tsmux::EncodeAribText(name);
  event.text = tsmux::EncodeAribText("text");
  return event;
}

inline Bytes Eit(uint16_t serviceId, uint8_t sectionNumber, uint8_t version, const tsmux::EventInfo* event) {
  return tsmux::BuildEitPresentFollowing(serviceId, version, sectionNumber, 0x7FE0, 0x7FE0, event);
}

inline std::vector<uint16_t> ServiceIds(const PsiCollector& collector) {
  std::vector<uint16_t> ids;
  for (const ServiceSnapshot& service : collector.Snapshot().services) ids.push_back(service.serviceId);
  return ids;
}

// A copy of the service's entry, or null.
inline std::unique_ptr<ServiceSnapshot> Service(const PsiCollector& collector, uint16_t serviceId) {
  for (ServiceSnapshot& service : collector.Snapshot().services) {
    if (service.serviceId == serviceId) return std::make_unique<ServiceSnapshot>(std::move(service));
  }
  return nullptr;
}

inline Bytes Text(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

}  // namespace psitest
