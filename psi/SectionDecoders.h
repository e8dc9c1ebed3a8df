// Pure decoders of the tables and descriptors the plug-in reads. Gathering
// (walking a table's loops to its raw descriptors) stays apart from decoding
// (one function per descriptor or table, returning plain values). Nothing
// here keeps state or reads outside the bytes it is given: a length that
// claims more than is there is cut and reported. Byte fields point into
// those bytes and are valid as long as they are.
#pragma once
#include <cstddef>
#include <cstdint>

#include "SectionReader.h"

// The bytes of one length-prefixed field; `cut` when its length claimed more
// than there was (the bytes that were there are kept).
struct ByteField {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool cut = false;
};

// section_length: the 12 bits after table_id. The caller makes sure the
// first three bytes are there.
inline uint16_t SectionLengthField(const uint8_t* section) {
  return static_cast<uint16_t>(((section[1] << 8) | section[2]) & 0x0FFF);
}

// Size of a whole section (section_length + 3) when `length` bytes hold it
// and it has room for its CRC_32; 0 otherwise.
size_t WholeSectionSize(const uint8_t* section, size_t length);

// ---- Gathering ----

struct RawDescriptor {
  uint8_t tag = 0;
  SectionReader body;  // cut at the end of its loop
};

// The descriptors of one descriptor loop, in order.
class DescriptorLoop {
 public:
  explicit DescriptorLoop(SectionReader loop) : loop_(loop) {}
  // False once fewer than two bytes (tag and length) are left.
  bool Next(RawDescriptor* descriptor) {
    if (loop_.Remaining() < 2) return false;
    descriptor->tag = loop_.U8();
    descriptor->body = loop_.Sub(loop_.U8());
    return true;
  }

 private:
  SectionReader loop_;
};

struct SdtService {
  uint16_t serviceId = 0;
  SectionReader descriptors;
};

// The service loop of a whole SDT section (actual stream); empty for any
// other table or a section that is not whole.
class SdtServices {
 public:
  SdtServices(const uint8_t* section, size_t length);
  // False at the end of the loop or at an entry whose header is cut.
  bool Next(SdtService* service);

 private:
  SectionReader loop_;
};

struct NitTransportStream {
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  SectionReader descriptors;
};

// The transport stream loop of a whole NIT section (actual network).
class NitTransportStreams {
 public:
  NitTransportStreams(const uint8_t* section, size_t length);
  bool Next(NitTransportStream* transportStream);

 private:
  SectionReader loop_;
};

// ---- Descriptors: each decodes the body of one descriptor ----

// Every decoded value has `complete`: false when some length ran past the
// body; the fields then hold what was there, zero where nothing was.

// Service descriptor (tag 0x48).
struct ServiceDescriptor {
  uint8_t serviceType = 0;
  ByteField providerName;
  ByteField serviceName;
  bool complete = false;
};
ServiceDescriptor DecodeServiceDescriptor(SectionReader body);

// A descriptor body of at most 255 bytes lists at most (255 - 4) / 2 service
// ids (key, lengths, one transmission type and its count before them).
constexpr size_t kMaxTsInformationServices = 125;

// TS information descriptor (tag 0xCD): the ids of every transmission type,
// in order, up to the first one cut.
struct TsInformationDescriptor {
  uint8_t remoteControlKeyId = 0;
  ByteField tsName;
  uint16_t serviceIds[kMaxTsInformationServices] = {};
  size_t serviceIdCount = 0;
  bool complete = false;
};
TsInformationDescriptor DecodeTsInformationDescriptor(SectionReader body);

// Short event descriptor (tag 0x4D); the name and text are ARIB-coded.
struct ShortEventDescriptor {
  uint8_t language[3] = {};
  ByteField eventName;
  ByteField text;
  bool complete = false;
};
ShortEventDescriptor DecodeShortEventDescriptor(SectionReader body);

// ---- Tables ----

// What the store needs of a whole EIT present/following section (actual
// stream): whose it is, which of the two it is and whether it holds an event.
struct EitSectionHeader {
  bool valid = false;  // a whole section of table 0x4E
  size_t size = 0;     // section_length + 3
  uint16_t serviceId = 0;
  uint8_t sectionNumber = 0;
  bool carriesEvent = false;
};
EitSectionHeader DecodeEitSectionHeader(const uint8_t* section, size_t length);

// The first event of a stored EIT section: `length` bytes from table_id
// through CRC_32. The last four bytes given are taken as the CRC, whatever
// section_length says, and table_id is not checked. Times are as sent: MJD
// and BCD.
struct EitFirstEvent {
  bool present = false;  // the bytes reach past the event's fixed fields
  uint16_t eventId = 0;
  uint16_t startMjd = 0;
  uint8_t startTime[3] = {};         // hour, minute, second
  uint8_t duration[3] = {};          // hours, minutes, seconds
  bool descriptorsComplete = false;  // its descriptor loop ends before the CRC
  bool hasShortEvent = false;        // then shortEvent is the first one
  ShortEventDescriptor shortEvent;
};
EitFirstEvent DecodeFirstEvent(const uint8_t* section, size_t length);

// The JST time of a whole TOT section (CRC not checked).
struct TotTime {
  bool valid = false;  // table 0x73, long enough for its time and CRC
  uint16_t mjd = 0;
  uint8_t time[3] = {};  // hour, minute, second in BCD
};
TotTime DecodeTot(const uint8_t* section, size_t length);
