// Stream-information store: packet intake, section reassembly, the service
// table from NIT and SDT, EIT present/following copies and the TOT clock.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

constexpr int kMaxServices = 50;        // also the "no slot" index
constexpr int kPidCount = 8192;
constexpr int kNameFieldSize = 50;

constexpr uint16_t kPidNit = 0x0010;
constexpr uint16_t kPidSdt = 0x0011;
constexpr uint16_t kPidEit = 0x0012;
constexpr uint16_t kPidTot = 0x0014;
constexpr size_t kTsPacketSize = 188;

// Reassembly state of one section PID.
struct SectionBuffer {
  int32_t expectedCounter = 0;
  std::unique_ptr<uint8_t[]> data;
  uint32_t capacity = 0;
  uint32_t fill = 0;

  // Grows the block to fill + n + 200 when it does not fit, then copies.
  bool Append(const uint8_t* bytes, uint32_t n);
};

// A whole section (table_id through CRC_32) kept per service.
struct SectionCopy {
  std::unique_ptr<uint8_t[]> data;
  uint16_t capacity = 0;
  uint16_t length = 0;
};

struct ServiceEntry {
  uint16_t serviceId = 0;
  uint16_t hostValue = 0;
  uint8_t providerName[kNameFieldSize] = {};
  uint16_t providerNameLength = 0;
  uint8_t serviceName[kNameFieldSize] = {};
  uint16_t serviceNameLength = 0;
  uint8_t remoteControlKeyId = 0;
  uint8_t tsName[kNameFieldSize] = {};
  uint16_t tsNameLength = 0;
  SectionCopy eventSections[2];  // 0 present, 1 following
};

// Decoded bytes 0-3 of a transport packet.
struct TsHeader {
  uint8_t syncByte;
  uint8_t transportErrorIndicator;
  uint8_t payloadUnitStartIndicator;
  uint8_t transportPriority;
  uint16_t pid;
  uint8_t transportScramblingControl;
  uint8_t adaptationFieldControl;
  uint8_t continuityCounter;
};
TsHeader DecodeTsHeader(const uint8_t* packet);

// Everything a reader needs, copied under the lock.
struct ServiceSnapshot {
  uint16_t serviceId = 0;
  uint16_t hostValue = 0;
  std::vector<uint8_t> providerName;
  std::vector<uint8_t> serviceName;
  uint8_t remoteControlKeyId = 0;
  std::vector<uint8_t> tsName;
  std::vector<uint8_t> eventSections[2];
};

struct PsiSnapshot {
  std::vector<ServiceSnapshot> services;
  int32_t clockYear = 0, clockMonth = 0, clockDay = 0;
  int32_t clockHour = 0, clockMinute = 0, clockSecond = 0;
};

class PsiCollector {
 public:
  PsiCollector() = default;
  PsiCollector(const PsiCollector&) = delete;
  PsiCollector& operator=(const PsiCollector&) = delete;

  // One 188-byte packet. Packets of PIDs other than NIT, SDT, EIT and TOT
  // cost a PID decode and compare here, inline, and never take the lock.
  void IntakePacket(const uint8_t* packet) {
    const unsigned pid = static_cast<unsigned>((packet[1] & 0x1F) << 8 | packet[2]);
    if (pid - kPidNit <= kPidTot - kPidNit && pid != kPidTot - 1) IntakeInformationPacket(packet);
  }
  // Empties every existing section buffer (counters and blocks stay).
  void ResetSectionFills();
  // FindOrAddService and, unless the table is full, stores the host value.
  void RecordServiceChange(uint16_t serviceId, uint16_t hostValue);
  // Raises the stop flag and clears everything; later intake does nothing.
  void Shutdown();
  bool Stopped() const { return stopped_.load(std::memory_order_acquire); }

  std::mutex& Mutex() const { return mutex_; }
  // Copies the present EIT section of a service; false when there is none.
  bool CopyPresentSection(uint16_t serviceId, std::vector<uint8_t>& out) const;
  PsiSnapshot Snapshot() const;

  // The following members expect the caller to hold Mutex().
  int FindOrAddService(uint16_t serviceId);
  void ClearAll();
  // Table work on one whole, CRC-checked section (length = section_length + 3).
  void ParseNit(const uint8_t* section, size_t length);
  void ParseSdt(const uint8_t* section, size_t length);
  void ParseEit(const uint8_t* section, size_t length);
  // Sets the clock from a TOT packet when the section in it is whole and its
  // CRC checks; returns whether it did.
  bool ReadTot(const uint8_t* packet);

  // Plain state; read it holding Mutex().
  std::unique_ptr<ServiceEntry> services[kMaxServices];
  int32_t serviceCount = 0;
  std::unique_ptr<SectionBuffer> sectionBuffers[kPidCount];
  int32_t clockYear = 0, clockMonth = 0, clockDay = 0;
  int32_t clockHour = 0, clockMinute = 0, clockSecond = 0;

 private:
  void IntakeInformationPacket(const uint8_t* packet);
  void IntakeLocked(const uint8_t* packet, const TsHeader& header);
  void TakeSectionPacket(const TsHeader& header, const uint8_t* packet);
  void ParseBufferedSection(uint16_t pid);
  ServiceEntry* FindService(uint16_t serviceId) const;

  mutable std::mutex mutex_;
  std::atomic<bool> stopped_{false};
};
