// The descriptor and first-event decoders on byte vectors, one table each:
// whole fields, and lengths that claim more than there is. Every row's bytes
// sit in a block of exactly their size, so the sanitizer builds catch any
// read past them. The EIT header and TOT decoders are tested through the
// collector (EitClockTest.cpp).
#include <gtest/gtest.h>

#include <string>

#include "PsiTestStreams.h"
#include "SectionDecoders.h"

using namespace psitest;

namespace {

// The field's bytes as text, after checking that they lie inside `bytes`.
std::string Field(const ByteField& field, const Bytes& bytes) {
  if (field.size == 0) return std::string();
  EXPECT_GE(field.data, bytes.data());
  EXPECT_LE(field.data + field.size, bytes.data() + bytes.size());
  return std::string(field.data, field.data + field.size);
}

SectionReader Over(const Bytes& bytes) { return SectionReader(bytes.data(), bytes.size()); }

// An EIT section with one event (id 0x1234, 2008-01-13 21:30:45, 1 h) whose
// descriptor loop is `descriptors`; `loopLength` -1 states its true length.
Bytes EitWith(const Bytes& descriptors, int loopLength = -1) {
  const size_t length = loopLength < 0 ? descriptors.size() : static_cast<size_t>(loopLength);
  Bytes s = {0x4E,
             0xF0,
             0,
             0x04,
             0x00,
             0xC1,
             0,
             1,
             0x7F,
             0xE0,
             0x7F,
             0xE0,
             1,
             0x4E,
             0x12,
             0x34,
             0xD4,
             0xCE,
             0x21,
             0x30,
             0x45,
             0x01,
             0x00,
             0x00,
             static_cast<uint8_t>(0x80 | length >> 8),
             static_cast<uint8_t>(length)};
  s.insert(s.end(), descriptors.begin(), descriptors.end());
  tsmux::FinishSection(s);
  return s;
}

}  // namespace

TEST(Decoders, ServiceDescriptor) {
  const struct {
    Bytes body;
    uint8_t type;
    std::string provider, name;
    bool providerCut, nameCut, complete;
  } rows[] = {
      {{0x01, 3, 'A', 'B', 'C', 2, 'n', 'm'}, 0x01, "ABC", "nm", false, false, true},
      {{}, 0, "", "", false, false, false},
      {{0x01}, 0x01, "", "", false, false, false},
      {{0x01, 5, 'A', 'B'}, 0x01, "AB", "", true, false, false},
      {{0x01, 0, 0xC8, 'n', 'a'}, 0x01, "", "na", false, true, false},
  };
  for (const auto& row : rows) {
    const ServiceDescriptor d = DecodeServiceDescriptor(Over(row.body));
    SCOPED_TRACE(row.body.size());
    EXPECT_EQ(d.serviceType, row.type);
    EXPECT_EQ(Field(d.providerName, row.body), row.provider);
    EXPECT_EQ(Field(d.serviceName, row.body), row.name);
    EXPECT_EQ(d.providerName.cut, row.providerCut);
    EXPECT_EQ(d.serviceName.cut, row.nameCut);
    EXPECT_EQ(d.complete, row.complete);
  }
}

TEST(Decoders, TsInformationDescriptor) {
  Bytes tooManyIds = {9, 0x01, 0x0F, 140};  // longer than any descriptor body
  for (int i = 0; i < 140; ++i) tooManyIds.insert(tooManyIds.end(), {0x04, static_cast<uint8_t>(i)});
  const struct {
    Bytes body;
    uint8_t key;
    std::string name;
    bool nameCut;
    size_t idCount;
    uint16_t lastId;
    bool complete;
  } rows[] = {
      {{5, 2 << 2 | 1, 'T', 'S', 0x0F, 2, 0x04, 0x00, 0x04, 0x02}, 5, "TS", false, 2, 0x0402, true},
      {{1, 2, 0x0F, 1, 0x04, 0x00, 0xAF, 1, 0x05, 0x00}, 1, "", false, 2, 0x0500, true},
      {{7}, 7, "", false, 0, 0, false},
      {{6, 4 << 2 | 1, 'T', 'S'}, 6, "TS", true, 0, 0, false},
      {{6, 2 << 2 | 1, 'T', 'S', 0x0F, 200, 0x04, 0x00, 0x04}, 6, "TS", false, 1, 0x0400, false},
      {tooManyIds, 9, "", false, kMaxTsInformationServices, 0x047C, false},
  };
  for (const auto& row : rows) {
    const TsInformationDescriptor d = DecodeTsInformationDescriptor(Over(row.body));
    SCOPED_TRACE(row.body.size());
    EXPECT_EQ(d.remoteControlKeyId, row.key);
    EXPECT_EQ(Field(d.tsName, row.body), row.name);
    EXPECT_EQ(d.tsName.cut, row.nameCut);
    ASSERT_EQ(d.serviceIdCount, row.idCount);
    if (row.idCount) {
      EXPECT_EQ(d.serviceIds[row.idCount - 1], row.lastId);
    }
    EXPECT_EQ(d.complete, row.complete);
  }
}

TEST(Decoders, ShortEventDescriptor) {
  const struct {
    Bytes body;
    std::string language, name, text;
    bool nameCut, textCut, complete;
  } rows[] = {
      {{'j', 'p', 'n', 2, 'N', 'w', 3, 't', 'x', 't'}, "jpn", "Nw", "txt", false, false, true},
      {{'j', 'p', 'n', 0, 0}, "jpn", "", "", false, false, true},
      {{'j', 'p'}, std::string("jp\0", 3), "", "", false, false, false},
      {{'j', 'p', 'n', 5, 'N', 'w'}, "jpn", "Nw", "", true, false, false},
      {{'j', 'p', 'n', 0, 4, 't'}, "jpn", "", "t", false, true, false},
  };
  for (const auto& row : rows) {
    const ShortEventDescriptor d = DecodeShortEventDescriptor(Over(row.body));
    SCOPED_TRACE(row.body.size());
    EXPECT_EQ(std::string(d.language, d.language + 3), row.language);
    EXPECT_EQ(Field(d.eventName, row.body), row.name);
    EXPECT_EQ(Field(d.text, row.body), row.text);
    EXPECT_EQ(d.eventName.cut, row.nameCut);
    EXPECT_EQ(d.text.cut, row.textCut);
    EXPECT_EQ(d.complete, row.complete);
  }
}

TEST(Decoders, FirstEventOfAnEitSection) {
  const Bytes other = {0x54, 2, 0x31, 0x00};
  const Bytes shortEvent = {0x4D, 7, 'j', 'p', 'n', 2, 'N', 'w', 0};
  const Bytes whole = EitWith(Concat({other, shortEvent}));
  const struct {
    Bytes section;
    bool present, descriptorsComplete, hasShortEvent;
    std::string name;
    bool nameCut;
  } rows[] = {
      {whole, true, true, true, "Nw", false},
      {EitWith(Concat({other, shortEvent}), 0xFFF), true, false, true, "Nw", false},  // loop cut at the CRC
      {EitWith({0x4E, 3, 0, 0x4D, 0}), true, true, false, "", false},  // its tag inside another descriptor
      {EitWith({0x4D, 5, 'j', 'p', 'n', 4, 'N', 'w', 'x', 'y'}), true, true, true, "N",
       true},  // name past its descriptor
      {Bytes(whole.begin(), whole.begin() + 33), true, false, false, "",
       false},  // cut inside the first descriptor
      {Bytes(whole.begin(), whole.begin() + 29), false, false, false, "", false},
      {Eit(0x0400, 0, 0, nullptr), false, false, false, "", false},
  };
  for (const auto& row : rows) {
    const Bytes section = row.section;  // a copy holds no spare capacity
    const EitFirstEvent event = DecodeFirstEvent(section.data(), section.size());
    SCOPED_TRACE(section.size());
    ASSERT_EQ(event.present, row.present);
    EXPECT_EQ(event.descriptorsComplete, row.descriptorsComplete);
    EXPECT_EQ(event.hasShortEvent, row.hasShortEvent);
    EXPECT_EQ(Field(event.shortEvent.eventName, section), row.name);
    EXPECT_EQ(event.shortEvent.eventName.cut, row.nameCut);
    if (!row.present) continue;
    EXPECT_EQ(event.eventId, 0x1234);
    EXPECT_EQ(event.startMjd, 0xD4CE);
    EXPECT_EQ(Bytes(event.startTime, event.startTime + 3), (Bytes{0x21, 0x30, 0x45}));
    EXPECT_EQ(Bytes(event.duration, event.duration + 3), (Bytes{0x01, 0x00, 0x00}));
  }
}
