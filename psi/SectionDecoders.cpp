#include "SectionDecoders.h"

namespace {

constexpr uint8_t kTableNit = 0x40;
constexpr uint8_t kTableSdt = 0x42;
constexpr uint8_t kTableEitPresentFollowing = 0x4E;
constexpr uint8_t kTableTot = 0x73;
constexpr uint8_t kTagShortEvent = 0x4D;
constexpr size_t kSectionLengthSize = 2;  // read by SectionLengthField
constexpr size_t kCrcSize = 4;
constexpr size_t kSdtServiceLoopOffset = 11;
constexpr size_t kNitNetworkDescriptorsLengthOffset = 8;
constexpr uint16_t kEitSectionLengthWithoutEvent = 15;
constexpr size_t kEitEventIdOffset = 14;
constexpr size_t kEitFirstDescriptorOffset = 26;
constexpr size_t kTotMinimumSize = 14;  // header, JST_time, loop length, CRC

ByteField ReadField(SectionReader& reader, size_t length) {
  ByteField field;
  field.data = reader.Bytes(length, &field.size);
  field.cut = field.size < length;
  return field;
}

// The bytes of a whole section before its CRC, once `table` is checked.
SectionReader SectionBody(const uint8_t* section, size_t length, uint8_t table) {
  const size_t size = WholeSectionSize(section, length);
  if (size == 0 || section[0] != table) return SectionReader();
  return SectionReader(section, size - kCrcSize);
}

}  // namespace

size_t WholeSectionSize(const uint8_t* section, size_t length) {
  if (section == nullptr || length < 3) return 0;
  const size_t size = SectionLengthField(section) + 3u;
  if (size > length || size < 3 + kCrcSize) return 0;
  return size;
}

SdtServices::SdtServices(const uint8_t* section, size_t length)
    : loop_(SectionBody(section, length, kTableSdt)) {
  loop_.Skip(kSdtServiceLoopOffset);
}

bool SdtServices::Next(SdtService* service) {
  if (loop_.AtEnd()) return false;
  service->serviceId = loop_.U16();
  loop_.U8();  // EIT flags
  const uint16_t descriptorsLength = loop_.Length12();
  if (loop_.Failed()) return false;
  service->descriptors = loop_.Sub(descriptorsLength);
  return true;
}

NitTransportStreams::NitTransportStreams(const uint8_t* section, size_t length) {
  SectionReader reader = SectionBody(section, length, kTableNit);
  reader.Skip(kNitNetworkDescriptorsLengthOffset);
  reader.Skip(reader.Length12());  // network descriptors
  const uint16_t loopLength = reader.Length12();
  if (!reader.Failed()) loop_ = reader.Sub(loopLength);
}

bool NitTransportStreams::Next(NitTransportStream* transportStream) {
  if (loop_.AtEnd()) return false;
  transportStream->transportStreamId = loop_.U16();
  transportStream->originalNetworkId = loop_.U16();
  const uint16_t descriptorsLength = loop_.Length12();
  if (loop_.Failed()) return false;
  transportStream->descriptors = loop_.Sub(descriptorsLength);
  return true;
}

ServiceDescriptor DecodeServiceDescriptor(SectionReader body) {
  ServiceDescriptor descriptor;
  descriptor.serviceType = body.U8();
  descriptor.providerName = ReadField(body, body.U8());
  descriptor.serviceName = ReadField(body, body.U8());
  descriptor.complete = !body.Failed();
  return descriptor;
}

TsInformationDescriptor DecodeTsInformationDescriptor(SectionReader body) {
  TsInformationDescriptor descriptor;
  descriptor.remoteControlKeyId = body.U8();
  const uint8_t lengths = body.U8();
  if (body.Failed()) return descriptor;
  descriptor.tsName = ReadField(body, lengths >> 2);
  const int typeCount = lengths & 0x03;
  for (int type = 0; type < typeCount && !body.Failed(); ++type) {
    body.U8();  // transmission_type_info
    const int serviceCount = body.U8();
    for (int i = 0; i < serviceCount; ++i) {
      const uint16_t serviceId = body.U16();
      if (body.Failed()) break;
      // Only a body longer than a descriptor can hold gets here.
      if (descriptor.serviceIdCount == kMaxTsInformationServices) return descriptor;
      descriptor.serviceIds[descriptor.serviceIdCount++] = serviceId;
    }
  }
  descriptor.complete = !body.Failed();
  return descriptor;
}

ShortEventDescriptor DecodeShortEventDescriptor(SectionReader body) {
  ShortEventDescriptor descriptor;
  for (uint8_t& letter : descriptor.language) letter = body.U8();
  descriptor.eventName = ReadField(body, body.U8());
  descriptor.text = ReadField(body, body.U8());
  descriptor.complete = !body.Failed();
  return descriptor;
}

EitSectionHeader DecodeEitSectionHeader(const uint8_t* section, size_t length) {
  EitSectionHeader header;
  const size_t size = WholeSectionSize(section, length);
  SectionReader reader(section, size);
  if (size == 0 || reader.U8() != kTableEitPresentFollowing) return header;
  reader.Skip(kSectionLengthSize);
  header.serviceId = reader.U16();
  reader.U8();  // version_number, current_next_indicator
  header.sectionNumber = reader.U8();
  header.carriesEvent = SectionLengthField(section) > kEitSectionLengthWithoutEvent;
  header.size = size;
  header.valid = !reader.Failed();
  return header;
}

EitFirstEvent DecodeFirstEvent(const uint8_t* section, size_t length) {
  EitFirstEvent event;
  if (section == nullptr || length < kEitFirstDescriptorOffset + kCrcSize) return event;
  SectionReader reader(section, length - kCrcSize);
  reader.Skip(kEitEventIdOffset);
  event.eventId = reader.U16();
  event.startMjd = reader.U16();
  for (uint8_t& digits : event.startTime) digits = reader.U8();
  for (uint8_t& digits : event.duration) digits = reader.U8();
  const uint16_t loopLength = reader.Length12();
  event.present = true;
  event.descriptorsComplete = loopLength <= reader.Remaining();
  DescriptorLoop descriptors(reader.Sub(loopLength));
  RawDescriptor descriptor;
  while (descriptors.Next(&descriptor)) {
    if (descriptor.tag != kTagShortEvent) continue;
    event.hasShortEvent = true;
    event.shortEvent = DecodeShortEventDescriptor(descriptor.body);
    break;
  }
  return event;
}

TotTime DecodeTot(const uint8_t* section, size_t length) {
  TotTime tot;
  const size_t size = WholeSectionSize(section, length);
  SectionReader reader(section, size);
  if (size < kTotMinimumSize || reader.U8() != kTableTot) return tot;
  reader.Skip(kSectionLengthSize);
  tot.mjd = reader.U16();
  for (uint8_t& digits : tot.time) digits = reader.U8();
  tot.valid = !reader.Failed();
  return tot;
}
