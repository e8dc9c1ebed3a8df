#include "PsiCollector.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "MjdToDate.h"
#include "SectionCrc.h"
#include "SectionDecoders.h"
#include "SectionReader.h"

namespace {

constexpr uint8_t kTagService = 0x48;
constexpr uint8_t kTagTsInformation = 0xCD;
constexpr uint8_t kServiceTypeDigitalTv = 0x01;
constexpr uint32_t kSectionHeadroom = 200;

// Offset of the payload in a packet, or -1 when the packet carries none or its
// adaptation field runs past the end.
int PayloadOffset(const uint8_t* packet, const TsHeader& header) {
  switch (header.adaptationFieldControl) {
    case 1: return 4;
    case 3: {
      const int offset = 5 + packet[4];
      return offset <= static_cast<int>(kTsPacketSize) ? offset : -1;
    }
    default: return -1;
  }
}

// Names longer than the field are cut to it.
void CopyName(const ByteField& name, uint8_t* field, uint16_t* fieldLength) {
  const size_t kept = std::min<size_t>(name.size, kNameFieldSize);
  if (kept) std::memcpy(field, name.data, kept);
  *fieldLength = static_cast<uint16_t>(kept);
}

// A whole section (table_id through CRC_32) kept per service.
struct SectionCopy {
  std::unique_ptr<uint8_t[]> data;
  uint16_t capacity = 0;
  uint16_t length = 0;
};

}  // namespace

// Reassembly state of one section PID.
struct PsiCollector::SectionBuffer {
  int32_t expectedCounter = 0;
  std::unique_ptr<uint8_t[]> data;
  uint32_t capacity = 0;
  uint32_t fill = 0;

  // Grows the block to fill + n + 200 when it does not fit, then copies.
  bool Append(const uint8_t* bytes, uint32_t n);
};

struct PsiCollector::ServiceEntry {
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

PsiCollector::PsiCollector() = default;
PsiCollector::~PsiCollector() = default;

TsHeader DecodeTsHeader(const uint8_t* packet) {
  TsHeader header{};
  header.syncByte = packet[0];
  header.transportErrorIndicator = packet[1] >> 7;
  header.payloadUnitStartIndicator = (packet[1] >> 6) & 1;
  header.transportPriority = (packet[1] >> 5) & 1;
  header.pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
  header.transportScramblingControl = packet[3] >> 6;
  header.adaptationFieldControl = (packet[3] >> 4) & 3;
  header.continuityCounter = packet[3] & 0x0F;
  return header;
}

bool PsiCollector::SectionBuffer::Append(const uint8_t* bytes, uint32_t n) {
  if (!data || fill + n > capacity) {
    const uint32_t newCapacity = fill + n + kSectionHeadroom;
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[newCapacity]);
    if (!block) return false;
    if (fill) std::memcpy(block.get(), data.get(), fill);
    data = std::move(block);
    capacity = newCapacity;
  }
  if (n) std::memcpy(data.get() + fill, bytes, n);
  fill += n;
  return true;
}

void PsiCollector::IntakeInformationPacket(const uint8_t* packet) {
  if (stopped_.load(std::memory_order_acquire)) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopped_.load(std::memory_order_relaxed)) return;
  IntakeLocked(packet, DecodeTsHeader(packet));
}

void PsiCollector::IntakeLocked(const uint8_t* packet, const TsHeader& header) {
  switch (header.pid) {
    case kPidNit:
    case kPidSdt: TakeSectionPacket(header, packet); break;
    case kPidEit:
      // EIT is taken only once a TOT has set the clock.
      if (clockYear_ != 0) TakeSectionPacket(header, packet);
      break;
    case kPidTot: ReadTot(packet); break;
    default: break;
  }
}

void PsiCollector::TakeSectionPacket(const TsHeader& header, const uint8_t* packet) {
  const int payload = PayloadOffset(packet, header);
  if (payload < 0) return;  // no payload: no data, counter unchanged
  const bool startsSection = header.payloadUnitStartIndicator != 0;
  int newSectionStart = 0;
  if (startsSection) {
    if (payload >= static_cast<int>(kTsPacketSize)) return;
    newSectionStart = payload + 1 + packet[payload];
    if (newSectionStart > static_cast<int>(kTsPacketSize)) return;  // damaged pointer_field
  }

  std::unique_ptr<SectionBuffer>& slot = sectionBuffers_[header.pid];
  if (!slot) {
    slot.reset(new (std::nothrow) SectionBuffer());
    if (!slot) return;
  }
  SectionBuffer& buffer = *slot;

  if (buffer.fill > 0 && header.continuityCounter == buffer.expectedCounter) {
    if (startsSection) {
      buffer.Append(packet + payload + 1, packet[payload]);
    } else {
      buffer.Append(packet + payload, static_cast<uint32_t>(kTsPacketSize - static_cast<size_t>(payload)));
    }
    ParseBufferedSection(header.pid);
  }
  buffer.expectedCounter = (header.continuityCounter + 1) & 0x0F;
  if (!startsSection) return;

  buffer.fill = 0;
  buffer.Append(packet + newSectionStart,
                static_cast<uint32_t>(kTsPacketSize - static_cast<size_t>(newSectionStart)));
  ParseBufferedSection(header.pid);
}

void PsiCollector::ParseBufferedSection(uint16_t pid) {
  SectionBuffer& buffer = *sectionBuffers_[pid];
  for (;;) {
    if (buffer.fill <= 3) return;
    uint8_t* data = buffer.data.get();
    const uint32_t size = SectionLengthField(data) + 3u;
    if (buffer.fill < size) return;  // wait for more packets
    if (SectionCrc32(data, size) != 0) {
      buffer.fill = 0;
      return;
    }
    ApplySection(pid, data, size);
    const uint32_t oldFill = buffer.fill;
    buffer.fill = 0;
    // Another section may follow in the same packet; 0xFF starts stuffing.
    if (oldFill <= size || data[size] == 0xFF) return;
    std::memmove(data, data + size, oldFill - size);
    buffer.fill = oldFill - size;
  }
}

void PsiCollector::ApplySection(uint16_t pid, const uint8_t* section, size_t length) {
  switch (pid) {
    case kPidNit: ApplyNit(section, length); break;
    case kPidSdt: ApplySdt(section, length); break;
    case kPidEit: ApplyEit(section, length); break;
    default: break;
  }
}

PsiCollector::ServiceEntry* PsiCollector::FindService(uint16_t serviceId) const {
  for (int i = 0; i < kMaxServices && services_[i]; ++i) {
    if (services_[i]->serviceId == serviceId) return services_[i].get();
  }
  return nullptr;
}

int PsiCollector::FindOrAddServiceLocked(uint16_t serviceId) {
  for (int slot = 0; slot < kMaxServices; ++slot) {
    if (!services_[slot]) {
      services_[slot].reset(new (std::nothrow) ServiceEntry());
      if (!services_[slot]) return kMaxServices;
      services_[slot]->serviceId = serviceId;
      ++serviceCount_;
      return slot;
    }
    if (services_[slot]->serviceId == serviceId) return slot;
    if (services_[slot]->serviceId > serviceId && serviceCount_ < kMaxServices) {
      std::unique_ptr<ServiceEntry> entry(new (std::nothrow) ServiceEntry());
      if (!entry) return kMaxServices;
      entry->serviceId = serviceId;
      for (int i = serviceCount_; i > slot; --i) services_[i] = std::move(services_[i - 1]);
      services_[slot] = std::move(entry);
      ++serviceCount_;
      return slot;
    }
  }
  return kMaxServices;
}

void PsiCollector::ClearAll() {
  for (auto& service : services_) service.reset();
  serviceCount_ = 0;
  for (auto& buffer : sectionBuffers_) buffer.reset();
}

void PsiCollector::ApplyNit(const uint8_t* section, size_t length) {
  NitTransportStreams transportStreams(section, length);
  NitTransportStream transportStream;
  while (transportStreams.Next(&transportStream)) {
    DescriptorLoop descriptors(transportStream.descriptors);
    RawDescriptor raw;
    while (descriptors.Next(&raw)) {
      if (raw.tag != kTagTsInformation) continue;
      const TsInformationDescriptor information = DecodeTsInformationDescriptor(raw.body);
      for (size_t i = 0; i < information.serviceIdCount; ++i) {
        ServiceEntry* entry = FindService(information.serviceIds[i]);
        if (!entry) continue;  // the NIT never adds services
        entry->remoteControlKeyId = information.remoteControlKeyId;
        CopyName(information.tsName, entry->tsName, &entry->tsNameLength);
      }
      break;  // only the first TS information descriptor of an entry
    }
  }
}

void PsiCollector::ApplySdt(const uint8_t* section, size_t length) {
  SdtServices services(section, length);
  SdtService service;
  while (services.Next(&service)) {
    DescriptorLoop descriptors(service.descriptors);
    RawDescriptor raw;
    while (descriptors.Next(&raw)) {
      if (raw.tag != kTagService) continue;
      const ServiceDescriptor names = DecodeServiceDescriptor(raw.body);
      if (names.serviceType != kServiceTypeDigitalTv) continue;
      if (names.providerName.size || names.serviceName.size) {
        const int slot = FindOrAddServiceLocked(service.serviceId);
        if (slot < kMaxServices) {
          ServiceEntry& entry = *services_[slot];
          CopyName(names.providerName, entry.providerName, &entry.providerNameLength);
          CopyName(names.serviceName, entry.serviceName, &entry.serviceNameLength);
        }
      }
      break;  // the rest of this service's descriptors are passed over
    }
  }
}

void PsiCollector::ApplyEit(const uint8_t* section, size_t length) {
  const EitSectionHeader header = DecodeEitSectionHeader(section, length);
  if (!header.valid) return;
  const int slot = FindOrAddServiceLocked(header.serviceId);
  if (slot >= kMaxServices || !header.carriesEvent || header.sectionNumber > 1) return;
  SectionCopy& copy = services_[slot]->eventSections[header.sectionNumber];
  if (copy.capacity < header.size || !copy.data) {
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[header.size]);
    if (!block) return;
    copy.data = std::move(block);
    copy.capacity = static_cast<uint16_t>(header.size);
  }
  std::memcpy(copy.data.get(), section, header.size);
  copy.length = static_cast<uint16_t>(header.size);
}

bool PsiCollector::ReadTot(const uint8_t* packet) {
  const TsHeader header = DecodeTsHeader(packet);
  if (!header.payloadUnitStartIndicator) return false;
  const int payload = PayloadOffset(packet, header);
  if (payload < 0) return false;
  SectionReader reader(packet, kTsPacketSize);
  reader.Skip(static_cast<size_t>(payload));
  reader.Skip(reader.U8());  // pointer_field
  if (reader.Failed()) return false;
  size_t available = 0;
  const uint8_t* section = reader.Bytes(reader.Remaining(), &available);
  const TotTime tot = DecodeTot(section, available);
  if (!tot.valid || SectionCrc32(section, WholeSectionSize(section, available)) != 0) return false;
  MjdToDate(tot.mjd, &clockYear_, &clockMonth_, &clockDay_);
  clockHour_ = BcdToInt(tot.time[0]);
  clockMinute_ = BcdToInt(tot.time[1]);
  clockSecond_ = BcdToInt(tot.time[2]);
  ++totCount_;
  return true;
}

void PsiCollector::TakeSection(uint16_t pid, const uint8_t* section, size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  ApplySection(pid, section, length);
}

void PsiCollector::ResetSectionFills() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& buffer : sectionBuffers_) {
    if (buffer) buffer->fill = 0;
  }
}

int PsiCollector::FindOrAddService(uint16_t serviceId) {
  std::lock_guard<std::mutex> lock(mutex_);
  return FindOrAddServiceLocked(serviceId);
}

void PsiCollector::RecordServiceChange(uint16_t serviceId, uint16_t hostValue) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int slot = FindOrAddServiceLocked(serviceId);
  if (slot < kMaxServices) services_[slot]->hostValue = hostValue;
}

void PsiCollector::Shutdown() {
  stopped_.store(true, std::memory_order_release);
  std::lock_guard<std::mutex> lock(mutex_);
  ClearAll();
}

bool PsiCollector::CopyPresentSection(uint16_t serviceId, std::vector<uint8_t>& out) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const ServiceEntry* entry = FindService(serviceId);
  if (!entry || !entry->eventSections[0].data || entry->eventSections[0].length == 0) return false;
  const SectionCopy& copy = entry->eventSections[0];
  out.assign(copy.data.get(), copy.data.get() + copy.length);
  return true;
}

PsiSnapshot PsiCollector::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  PsiSnapshot snapshot;
  for (int i = 0; i < kMaxServices && services_[i]; ++i) {
    const ServiceEntry& entry = *services_[i];
    ServiceSnapshot service;
    service.serviceId = entry.serviceId;
    service.hostValue = entry.hostValue;
    service.providerName.assign(entry.providerName, entry.providerName + entry.providerNameLength);
    service.serviceName.assign(entry.serviceName, entry.serviceName + entry.serviceNameLength);
    service.remoteControlKeyId = entry.remoteControlKeyId;
    service.tsName.assign(entry.tsName, entry.tsName + entry.tsNameLength);
    for (int k = 0; k < 2; ++k) {
      const SectionCopy& copy = entry.eventSections[k];
      if (copy.data) service.eventSections[k].assign(copy.data.get(), copy.data.get() + copy.length);
    }
    snapshot.services.push_back(std::move(service));
  }
  snapshot.clockYear = clockYear_;
  snapshot.clockMonth = clockMonth_;
  snapshot.clockDay = clockDay_;
  snapshot.clockHour = clockHour_;
  snapshot.clockMinute = clockMinute_;
  snapshot.clockSecond = clockSecond_;
  return snapshot;
}

EventSectionCopies PsiCollector::CopyEventSections(uint16_t serviceId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  EventSectionCopies copies;
  if (const ServiceEntry* entry = FindService(serviceId)) {
    for (int k = 0; k < 2; ++k) {
      const SectionCopy& copy = entry->eventSections[k];
      std::vector<uint8_t>& out = k == 0 ? copies.present : copies.following;
      if (copy.data) out.assign(copy.data.get(), copy.data.get() + copy.length);
    }
  }
  copies.clockSet = clockYear_ != 0;
  copies.year = clockYear_;
  copies.month = clockMonth_;
  copies.day = clockDay_;
  copies.hour = clockHour_;
  copies.minute = clockMinute_;
  copies.second = clockSecond_;
  copies.totCount = totCount_;
  return copies;
}

int PsiCollector::ServiceCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return serviceCount_;
}

SectionBufferState PsiCollector::SectionBufferOf(uint16_t pid) const {
  std::lock_guard<std::mutex> lock(mutex_);
  SectionBufferState state;
  if (pid >= kPidCount || !sectionBuffers_[pid]) return state;
  state.allocated = true;
  state.fill = sectionBuffers_[pid]->fill;
  state.expectedCounter = sectionBuffers_[pid]->expectedCounter;
  return state;
}

StoredSectionState PsiCollector::StoredSectionOf(uint16_t serviceId, int index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  StoredSectionState state;
  const ServiceEntry* entry = FindService(serviceId);
  if (!entry || index < 0 || index > 1) return state;
  const SectionCopy& copy = entry->eventSections[index];
  state.block = copy.data.get();
  state.capacity = copy.capacity;
  state.length = copy.length;
  return state;
}
