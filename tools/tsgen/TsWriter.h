// Small transport-stream writing helpers: ARIB text coding for a fixed
// repertoire, service-information sections (NIT, SDT, EIT p/f, TOT) with
// their CRC, and packetisation with per-PID continuity counters.
// Portable C++17, independent of the psi library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tsmux {

using Bytes = std::vector<uint8_t>;
constexpr size_t kPacketSize = 188;

uint32_t Crc32Mpeg2(const uint8_t* data, size_t length);

// UTF-8 text to ARIB 8-unit coding: ASCII runs after ESC ( J, kana and the
// kanji of a built-in table as JIS X 0208 codes after ESC $ B. Characters
// outside the repertoire become a full-width question mark.
Bytes EncodeAribText(const std::string& utf8);

uint16_t DateToMjd(int year, int month, int day);
uint8_t ToBcd(int value);  // 0..99

// Sets section_length from the size of `section` (+4 for the CRC) and
// appends the CRC_32. `section` holds table_id and everything up to the CRC.
void FinishSection(Bytes& section);

struct ServiceInfo {
  uint16_t serviceId;
  uint8_t serviceType;  // 0x01 digital television
  Bytes providerName;   // ARIB-coded
  Bytes serviceName;
};

struct EventInfo {
  uint16_t eventId = 0;
  uint16_t startMjd = 0;
  int startHour = 0, startMinute = 0, startSecond = 0;
  int durationSeconds = 0;
  Bytes name;  // ARIB-coded
  Bytes text;
  bool startNotFixed = false, durationNotFixed = false;  // sent as all ones
};

Bytes BuildNit(uint16_t networkId, uint8_t version, uint16_t transportStreamId, uint16_t originalNetworkId,
               uint8_t remoteControlKeyId, const Bytes& tsName, const std::vector<uint16_t>& serviceIds);
Bytes BuildSdt(uint16_t transportStreamId, uint8_t version, uint16_t originalNetworkId,
               const std::vector<ServiceInfo>& services);
// EIT present/following (table 0x4E); a null event gives an empty section.
Bytes BuildEitPresentFollowing(uint16_t serviceId, uint8_t version, uint8_t sectionNumber,
                               uint16_t transportStreamId, uint16_t originalNetworkId,
                               const EventInfo* event);
// TOT with one local time offset descriptor (Japan, +09:00).
Bytes BuildTot(uint16_t mjd, int hour, int minute, int second);

// Cuts sections into packets, one continuity counter per PID.
class Packetizer {
 public:
  // Writes the sections back to back from a new packet on (several sections
  // share a packet, long ones span packets), 0xFF stuffing at the end.
  void PutSections(uint16_t pid, const std::vector<Bytes>& sections, Bytes& out);
  // One payload-only packet of filler data; every `adaptationEvery`-th one
  // of the PID carries a small adaptation field (0 = never).
  void PutFiller(uint16_t pid, uint32_t seed, int adaptationEvery, Bytes& out);
  uint8_t NextCounter(uint16_t pid);

 private:
  std::map<uint16_t, uint8_t> counters_;
  std::map<uint16_t, uint32_t> fillerCounts_;
};

}  // namespace tsmux
