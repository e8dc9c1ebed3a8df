#include "PsiCollector.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "MjdToDate.h"
#include "SectionCrc.h"
#include "SectionReader.h"

namespace {

constexpr uint8_t kTableNit = 0x40;
constexpr uint8_t kTableSdt = 0x42;
constexpr uint8_t kTableEitPresentFollowing = 0x4E;
constexpr uint8_t kTableTot = 0x73;
constexpr uint8_t kTagService = 0x48;
constexpr uint8_t kTagTsInformation = 0xCD;
constexpr uint8_t kServiceTypeDigitalTv = 0x01;
constexpr uint32_t kSectionHeadroom = 200;
constexpr size_t kCrcSize = 4;
constexpr size_t kSdtServiceLoopOffset = 11;
constexpr size_t kNitNetworkDescriptorsLengthOffset = 8;
constexpr size_t kEitServiceIdOffset = 3;
constexpr size_t kEitSectionNumberOffset = 6;
constexpr uint16_t kEitSectionLengthWithoutEvent = 15;
constexpr size_t kTotMinimumSize = 14;  // header, JST_time, loop length, CRC

uint16_t SectionLengthField(const uint8_t* section) {
  return static_cast<uint16_t>(((section[1] << 8) | section[2]) & 0x0FFF);
}

// Size of the whole section (section_length + 3) when `length` bytes hold it
// and it has room for its CRC_32; 0 otherwise.
size_t WholeSectionSize(const uint8_t* section, size_t length) {
  if (length < 3) return 0;
  const size_t size = SectionLengthField(section) + 3u;
  if (size > length || size < 3 + kCrcSize) return 0;
  return size;
}

// Offset of the payload in a packet, or -1 when the packet carries none or its
// adaptation field runs past the end.
int PayloadOffset(const uint8_t* packet, const TsHeader& header) {
  switch (header.adaptationFieldControl) {
    case 1:
      return 4;
    case 3: {
      const int offset = 5 + packet[4];
      return offset <= static_cast<int>(kTsPacketSize) ? offset : -1;
    }
    default:
      return -1;
  }
}

void CopyName(const uint8_t* bytes, size_t length, uint8_t* field, uint16_t* fieldLength) {
  const size_t kept = std::min<size_t>(length, kNameFieldSize);
  if (kept) std::memcpy(field, bytes, kept);
  *fieldLength = static_cast<uint16_t>(kept);
}

}  // namespace

TsHeader DecodeTsHeader(const uint8_t* packet) {
  TsHeader header;
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

bool SectionBuffer::Append(const uint8_t* bytes, uint32_t n) {
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
    case kPidSdt:
      TakeSectionPacket(header, packet);
      break;
    case kPidEit:
      // EIT is taken only once a TOT has set the clock.
      if (clockYear != 0) TakeSectionPacket(header, packet);
      break;
    case kPidTot:
      ReadTot(packet);
      break;
    default:
      break;
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

  std::unique_ptr<SectionBuffer>& slot = sectionBuffers[header.pid];
  if (!slot) {
    slot.reset(new (std::nothrow) SectionBuffer());
    if (!slot) return;
  }
  SectionBuffer& buffer = *slot;

  if (buffer.fill > 0 && header.continuityCounter == buffer.expectedCounter) {
    if (startsSection) {
      buffer.Append(packet + payload + 1, packet[payload]);
    } else {
      buffer.Append(packet + payload, static_cast<uint32_t>(kTsPacketSize - payload));
    }
    ParseBufferedSection(header.pid);
  }
  buffer.expectedCounter = (header.continuityCounter + 1) & 0x0F;
  if (!startsSection) return;

  buffer.fill = 0;
  buffer.Append(packet + newSectionStart, static_cast<uint32_t>(kTsPacketSize - newSectionStart));
  ParseBufferedSection(header.pid);
}

void PsiCollector::ParseBufferedSection(uint16_t pid) {
  SectionBuffer& buffer = *sectionBuffers[pid];
  for (;;) {
    if (buffer.fill <= 3) return;
    uint8_t* data = buffer.data.get();
    const uint32_t size = SectionLengthField(data) + 3u;
    if (buffer.fill < size) return;  // wait for more packets
    if (SectionCrc32(data, size) != 0) {
      buffer.fill = 0;
      return;
    }
    switch (pid) {
      case kPidNit: ParseNit(data, size); break;
      case kPidSdt: ParseSdt(data, size); break;
      case kPidEit: ParseEit(data, size); break;
      default: break;
    }
    const uint32_t oldFill = buffer.fill;
    buffer.fill = 0;
    // Another section may follow in the same packet; 0xFF starts stuffing.
    if (oldFill <= size || data[size] == 0xFF) return;
    std::memmove(data, data + size, oldFill - size);
    buffer.fill = oldFill - size;
  }
}

ServiceEntry* PsiCollector::FindService(uint16_t serviceId) const {
  for (int i = 0; i < kMaxServices && services[i]; ++i) {
    if (services[i]->serviceId == serviceId) return services[i].get();
  }
  return nullptr;
}

int PsiCollector::FindOrAddService(uint16_t serviceId) {
  for (int slot = 0; slot < kMaxServices; ++slot) {
    if (!services[slot]) {
      services[slot].reset(new (std::nothrow) ServiceEntry());
      if (!services[slot]) return kMaxServices;
      services[slot]->serviceId = serviceId;
      ++serviceCount;
      return slot;
    }
    if (services[slot]->serviceId == serviceId) return slot;
    if (services[slot]->serviceId > serviceId && serviceCount < kMaxServices) {
      std::unique_ptr<ServiceEntry> entry(new (std::nothrow) ServiceEntry());
      if (!entry) return kMaxServices;
      entry->serviceId = serviceId;
      for (int i = serviceCount; i > slot; --i) services[i] = std::move(services[i - 1]);
      services[slot] = std::move(entry);
      ++serviceCount;
      return slot;
    }
  }
  return kMaxServices;
}

void PsiCollector::ClearAll() {
  for (auto& service : services) service.reset();
  serviceCount = 0;
  for (auto& buffer : sectionBuffers) buffer.reset();
}

void PsiCollector::ParseNit(const uint8_t* section, size_t length) {
  const size_t size = WholeSectionSize(section, length);
  if (!size || section[0] != kTableNit) return;
  SectionReader reader(section, size - kCrcSize);
  reader.Skip(kNitNetworkDescriptorsLengthOffset);
  reader.Skip(reader.Length12());  // network descriptors
  const uint16_t loopLength = reader.Length12();
  if (reader.Failed()) return;
  SectionReader loop = reader.Sub(loopLength);
  while (!loop.AtEnd()) {
    loop.U16();  // transport_stream_id
    loop.U16();  // original_network_id
    const uint16_t descriptorsLength = loop.Length12();
    if (loop.Failed()) return;
    SectionReader descriptors = loop.Sub(descriptorsLength);
    while (descriptors.Remaining() >= 2) {
      const uint8_t tag = descriptors.U8();
      SectionReader body = descriptors.Sub(descriptors.U8());
      if (tag != kTagTsInformation) continue;
      const uint8_t keyId = body.U8();
      const uint8_t lengths = body.U8();
      if (body.Failed()) break;
      size_t nameTaken = 0;
      const uint8_t* name = body.Bytes(lengths >> 2, &nameTaken);
      const int typeCount = lengths & 0x03;
      for (int type = 0; type < typeCount && !body.Failed(); ++type) {
        body.U8();  // transmission_type_info
        const int serviceCount = body.U8();
        for (int i = 0; i < serviceCount; ++i) {
          const uint16_t serviceId = body.U16();
          if (body.Failed()) break;
          ServiceEntry* entry = FindService(serviceId);
          if (!entry) continue;  // the NIT never adds services
          entry->remoteControlKeyId = keyId;
          CopyName(name, nameTaken, entry->tsName, &entry->tsNameLength);
        }
      }
      break;  // only the first TS information descriptor of an entry
    }
  }
}

void PsiCollector::ParseSdt(const uint8_t* section, size_t length) {
  const size_t size = WholeSectionSize(section, length);
  if (!size || section[0] != kTableSdt) return;
  SectionReader reader(section, size - kCrcSize);
  reader.Skip(kSdtServiceLoopOffset);
  while (!reader.AtEnd()) {
    const uint16_t serviceId = reader.U16();
    reader.U8();  // EIT flags
    const uint16_t descriptorsLength = reader.Length12();
    if (reader.Failed()) return;
    SectionReader descriptors = reader.Sub(descriptorsLength);
    while (descriptors.Remaining() >= 2) {
      const uint8_t tag = descriptors.U8();
      SectionReader body = descriptors.Sub(descriptors.U8());
      if (tag != kTagService || body.U8() != kServiceTypeDigitalTv) continue;
      size_t providerLength = 0, nameLength = 0;
      const uint8_t* provider = body.Bytes(body.U8(), &providerLength);
      const uint8_t* name = body.Bytes(body.U8(), &nameLength);
      if (providerLength || nameLength) {
        const int slot = FindOrAddService(serviceId);
        if (slot < kMaxServices) {
          ServiceEntry& entry = *services[slot];
          CopyName(provider, providerLength, entry.providerName, &entry.providerNameLength);
          CopyName(name, nameLength, entry.serviceName, &entry.serviceNameLength);
        }
      }
      break;  // the rest of this service's descriptors are passed over
    }
  }
}

void PsiCollector::ParseEit(const uint8_t* section, size_t length) {
  const size_t size = WholeSectionSize(section, length);
  if (!size || section[0] != kTableEitPresentFollowing || size < kEitServiceIdOffset + 2) return;
  const uint16_t serviceId =
      static_cast<uint16_t>((section[kEitServiceIdOffset] << 8) | section[kEitServiceIdOffset + 1]);
  const int slot = FindOrAddService(serviceId);
  if (slot >= kMaxServices) return;
  if (SectionLengthField(section) <= kEitSectionLengthWithoutEvent) return;  // carries no event
  const uint8_t sectionNumber = section[kEitSectionNumberOffset];
  if (sectionNumber > 1) return;
  SectionCopy& copy = services[slot]->eventSections[sectionNumber];
  if (copy.capacity < size || !copy.data) {
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[size]);
    if (!block) return;
    copy.data = std::move(block);
    copy.capacity = static_cast<uint16_t>(size);
  }
  std::memcpy(copy.data.get(), section, size);
  copy.length = static_cast<uint16_t>(size);
}

bool PsiCollector::ReadTot(const uint8_t* packet) {
  const TsHeader header = DecodeTsHeader(packet);
  if (!header.payloadUnitStartIndicator) return false;
  const int payload = PayloadOffset(packet, header);
  if (payload < 0 || payload >= static_cast<int>(kTsPacketSize)) return false;
  const size_t start = static_cast<size_t>(payload) + 1 + packet[payload];
  if (start + 3 > kTsPacketSize) return false;
  const uint8_t* section = packet + start;
  if (section[0] != kTableTot) return false;
  const size_t size = SectionLengthField(section) + 3u;
  if (size < kTotMinimumSize || start + size > kTsPacketSize) return false;
  if (SectionCrc32(section, size) != 0) return false;
  const uint16_t mjd = static_cast<uint16_t>((section[3] << 8) | section[4]);
  MjdToDate(mjd, &clockYear, &clockMonth, &clockDay);
  clockHour = BcdToInt(section[5]);
  clockMinute = BcdToInt(section[6]);
  clockSecond = BcdToInt(section[7]);
  return true;
}

void PsiCollector::ResetSectionFills() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& buffer : sectionBuffers) {
    if (buffer) buffer->fill = 0;
  }
}

void PsiCollector::RecordServiceChange(uint16_t serviceId, uint16_t hostValue) {
  std::lock_guard<std::mutex> lock(mutex_);
  const int slot = FindOrAddService(serviceId);
  if (slot < kMaxServices) services[slot]->hostValue = hostValue;
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
  for (int i = 0; i < kMaxServices && services[i]; ++i) {
    const ServiceEntry& entry = *services[i];
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
  snapshot.clockYear = clockYear;
  snapshot.clockMonth = clockMonth;
  snapshot.clockDay = clockDay;
  snapshot.clockHour = clockHour;
  snapshot.clockMinute = clockMinute;
  snapshot.clockSecond = clockSecond;
  return snapshot;
}
