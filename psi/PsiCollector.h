// Stream-information store: packet intake, section reassembly, the service
// table from NIT and SDT, EIT present/following copies and the TOT clock.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

constexpr int kMaxServices = 50;  // also the "no slot" index
constexpr int kPidCount = 8192;
constexpr int kNameFieldSize = 50;

constexpr uint16_t kPidNit = 0x0010;
constexpr uint16_t kPidSdt = 0x0011;
constexpr uint16_t kPidEit = 0x0012;
constexpr uint16_t kPidTot = 0x0014;
constexpr size_t kTsPacketSize = 188;

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

// One service's present and following section copies (empty where there is
// none) and the clock, read under one lock. `totCount` counts the TOTs taken:
// it tells a new TOT from the same one read again.
struct EventSectionCopies {
  std::vector<uint8_t> present, following;
  bool clockSet = false;
  int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  uint32_t totCount = 0;
};

// What a section PID's reassembly buffer holds.
struct SectionBufferState {
  bool allocated = false;
  uint32_t fill = 0;
  int32_t expectedCounter = 0;
};

// A stored EIT section copy: its block's address (only to compare), size and
// the length in use.
struct StoredSectionState {
  const void* block = nullptr;
  uint16_t capacity = 0;
  uint16_t length = 0;
};

class PsiCollector {
 public:
  PsiCollector();
  ~PsiCollector();
  PsiCollector(const PsiCollector&) = delete;
  PsiCollector& operator=(const PsiCollector&) = delete;

  // One 188-byte packet. Packets of PIDs other than NIT, SDT, EIT and TOT
  // cost a PID decode and compare here, inline, and never take the lock.
  void IntakePacket(const uint8_t* packet) {
    const unsigned pid = static_cast<unsigned>((packet[1] & 0x1F) << 8 | packet[2]);
    if (pid - kPidNit <= kPidTot - kPidNit && pid != kPidTot - 1) IntakeInformationPacket(packet);
  }
  // One whole section (table_id through CRC_32, CRC not checked) handed to
  // the table work of `pid` as reassembly hands it on; the EIT clock gate,
  // which sits at packet intake, does not apply.
  void TakeSection(uint16_t pid, const uint8_t* section, size_t length);
  // Empties every existing section buffer (counters and blocks stay).
  void ResetSectionFills();
  // Returns the service's slot (its index in Snapshot().services), adding it
  // in ascending order of id; kMaxServices when the table is full.
  int FindOrAddService(uint16_t serviceId);
  // FindOrAddService and, unless the table is full, stores the host value.
  void RecordServiceChange(uint16_t serviceId, uint16_t hostValue);
  // Raises the stop flag and clears everything; later intake does nothing.
  void Shutdown();
  bool Stopped() const { return stopped_.load(std::memory_order_acquire); }

  // Reading: each copies under the lock.
  // Copies the present EIT section of a service; false when there is none.
  bool CopyPresentSection(uint16_t serviceId, std::vector<uint8_t>& out) const;
  PsiSnapshot Snapshot() const;
  EventSectionCopies CopyEventSections(uint16_t serviceId) const;
  int ServiceCount() const;
  SectionBufferState SectionBufferOf(uint16_t pid) const;
  // index 0 present, 1 following; all zero when the service has no copy.
  StoredSectionState StoredSectionOf(uint16_t serviceId, int index) const;

 private:
  struct SectionBuffer;
  struct ServiceEntry;

  void IntakeInformationPacket(const uint8_t* packet);
  void IntakeLocked(const uint8_t* packet, const TsHeader& header);
  void TakeSectionPacket(const TsHeader& header, const uint8_t* packet);
  void ParseBufferedSection(uint16_t pid);
  // The table work on one section, with the lock held: decode, then apply.
  void ApplySection(uint16_t pid, const uint8_t* section, size_t length);
  void ApplyNit(const uint8_t* section, size_t length);
  void ApplySdt(const uint8_t* section, size_t length);
  void ApplyEit(const uint8_t* section, size_t length);
  // Sets the clock from a TOT packet when the section in it is whole and its
  // CRC checks; returns whether it did.
  bool ReadTot(const uint8_t* packet);
  int FindOrAddServiceLocked(uint16_t serviceId);
  ServiceEntry* FindService(uint16_t serviceId) const;
  void ClearAll();

  mutable std::mutex mutex_;
  std::atomic<bool> stopped_{false};
  // Guarded by mutex_.
  std::unique_ptr<ServiceEntry> services_[kMaxServices];
  int32_t serviceCount_ = 0;
  std::unique_ptr<SectionBuffer> sectionBuffers_[kPidCount];
  int32_t clockYear_ = 0, clockMonth_ = 0, clockDay_ = 0;
  int32_t clockHour_ = 0, clockMinute_ = 0, clockSecond_ = 0;
  uint32_t totCount_ = 0;
};
