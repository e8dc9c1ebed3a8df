// Packet intake: section reassembly, framing, continuity and damaged packets.
#include <gtest/gtest.h>

#include "PsiTestStreams.h"

using namespace psitest;

namespace {

// An SDT with `count` services, long enough to span packets.
Bytes LongSdt(int count, uint16_t firstId = 0x0400) {
  std::vector<tsmux::ServiceInfo> services;
  services.reserve(count);
  for (int i = 0; i < count; ++i) {
    services.push_back({static_cast<uint16_t>(firstId + i), 0x01, Text("provider-provider"),
                        Text("service-name-long-enough")});
  }
  return tsmux::BuildSdt(0x7FE0, 0, 0x7FE0, services);
}

// An SDT padded with a private descriptor so that the whole section is
// exactly `size` bytes.
Bytes SdtOfSize(size_t size, uint16_t serviceId) {
  Bytes section = {0x42, 0xF0, 0x00, 0x7F, 0xE0, 0xC1, 0x00, 0x00, 0x7F, 0xE0, 0xFF};
  const Bytes service = {static_cast<uint8_t>(serviceId >> 8), static_cast<uint8_t>(serviceId), 0xFF};
  section.insert(section.end(), service.begin(), service.end());
  const Bytes descriptor = {0x48, 0x05, 0x01, 0x01, 'P', 0x01, 'S'};
  // Loop length, the service descriptor, private padding descriptors, CRC.
  size_t padTotal = size - section.size() - 2 - descriptor.size() - 4;
  const size_t loopLength = descriptor.size() + padTotal;
  section.push_back(static_cast<uint8_t>(0x80 | (loopLength >> 8)));
  section.push_back(static_cast<uint8_t>(loopLength));
  section.insert(section.end(), descriptor.begin(), descriptor.end());
  while (padTotal > 0) {
    const size_t length = padTotal - 2 <= 255 ? padTotal - 2 : 150;
    section.push_back(0x80);
    section.push_back(static_cast<uint8_t>(length));
    section.insert(section.end(), length, 0x55);
    padTotal -= length + 2;
  }
  tsmux::FinishSection(section);
  return section;
}

}  // namespace

TEST(Reassembly, SectionSpanningPacketsIsParsedWhenItsLastByteArrives) {
  PsiCollector collector;
  const Bytes sdt = LongSdt(12);
  const std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, sdt);
  ASSERT_GE(packets.size(), 3u);
  for (size_t i = 0; i + 1 < packets.size(); ++i) {
    Feed(collector, packets[i]);
    EXPECT_EQ(collector.ServiceCount(), 0) << "after packet " << i;
  }
  Feed(collector, packets.back());
  EXPECT_EQ(collector.ServiceCount(), 12);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 0u);
}

TEST(Reassembly, TwoSectionsInOnePacketAreBothParsed) {
  PsiCollector collector;
  Feed(collector,
       StartPacket(kPidSdt, 0, Concat({SdtWith(0x0401, "A", "one"), SdtWith(0x0402, "B", "two")})));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0401, 0x0402}));
}

TEST(Reassembly, StuffingAfterASectionEndsThePacket) {
  PsiCollector collector;
  const Bytes stuffing = {0xFF};
  Feed(collector,
       StartPacket(kPidSdt, 0, Concat({SdtWith(0x0401, "A", "one"), stuffing, SdtWith(0x0402, "B", "two")})));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0401}));
}

TEST(Reassembly, StartPacketCompletesThePendingSectionBeforeTheNewOne) {
  PsiCollector collector;
  const Bytes first = SdtOfSize(250, 0x0401);
  const Bytes second = SdtWith(0x0402, "B", "two");
  Feed(collector, StartPacket(kPidSdt, 0, Bytes(first.begin(), first.begin() + 183)));
  EXPECT_EQ(collector.ServiceCount(), 0);
  // pointer_field = the 67 bytes that end the first section, then the second.
  Bytes payload = {static_cast<uint8_t>(first.size() - 183)};
  payload.insert(payload.end(), first.begin() + 183, first.end());
  payload.insert(payload.end(), second.begin(), second.end());
  Feed(collector, Packet({kPidSdt, true, 1}, payload));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0401, 0x0402}));
}

TEST(Reassembly, StartPacketDropsAPendingSectionItsTailDoesNotComplete) {
  PsiCollector collector;
  const Bytes first = SdtOfSize(400, 0x0401);
  Feed(collector, StartPacket(kPidSdt, 0, Bytes(first.begin(), first.begin() + 183)));
  Feed(collector, StartPacket(kPidSdt, 1, SdtWith(0x0402, "B", "two")));
  Feed(collector, ContinuationPacket(kPidSdt, 2, Bytes(first.begin() + 183, first.end())));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0402}));
}

TEST(Reassembly, FirstPacketWithoutStartIndicatorIsIgnored) {
  PsiCollector collector;
  Feed(collector, ContinuationPacket(kPidSdt, 0, SdtWith(0x0401, "A", "one")));
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(Reassembly, SectionNotExaminedUntilItsLastThreeBytesArrive) {
  // A start packet holds 183 section bytes; sections of 184 to 186 bytes
  // leave fill at section_length + 2, + 1 and + 0.
  for (size_t size : {184u, 185u, 186u}) {
    PsiCollector collector;
    const Bytes sdt = SdtOfSize(size, 0x0401);
    ASSERT_EQ(sdt.size(), size);
    const std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, sdt);
    ASSERT_EQ(packets.size(), 2u);
    Feed(collector, packets[0]);
    EXPECT_EQ(collector.ServiceCount(), 0) << size;
    EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 183u) << size;
    Feed(collector, packets[1]);
    EXPECT_EQ(collector.ServiceCount(), 1) << size;
  }
}

TEST(Reassembly, WrongCrcChangesNoTableAndEmptiesTheBuffer) {
  PsiCollector collector;
  Bytes sdt = SdtWith(0x0401, "A", "one");
  sdt[sdt.size() - 1] ^= 0x01;
  Feed(collector, StartPacket(kPidSdt, 0, sdt));
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 0u);
}

TEST(Reassembly, StartPacketWithAdaptationFieldFindsItsSection) {
  PsiCollector collector;
  Bytes payload = {0x00};
  const Bytes sdt = SdtWith(0x0401, "A", "one");
  payload.insert(payload.end(), sdt.begin(), sdt.end());
  Feed(collector, Packet({kPidSdt, true, 0, 30}, payload));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0401}));
}

TEST(Reassembly, ResetSectionFillsDropsPartialSectionsButKeepsCounters) {
  PsiCollector collector;
  const std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, LongSdt(12), 5);
  Feed(collector, packets[0]);
  collector.ResetSectionFills();
  for (size_t i = 1; i < packets.size(); ++i) Feed(collector, packets[i]);
  EXPECT_EQ(collector.ServiceCount(), 0);
  ASSERT_TRUE(collector.SectionBufferOf(kPidSdt).allocated);
  const uint8_t next = static_cast<uint8_t>((5 + packets.size()) & 0x0F);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).expectedCounter, next);
  FeedSections(collector, kPidSdt, LongSdt(12), next);
  EXPECT_EQ(collector.ServiceCount(), 12);
}

TEST(Reassembly, OnlySectionPidsGetBuffers) {
  PsiCollector collector;
  Feed(collector, StartPacket(0x0100, 0, SdtWith(0x0401, "A", "one")));
  Feed(collector, StartPacket(0x0013, 0, SdtWith(0x0401, "A", "one")));
  for (int pid = 0; pid < kPidCount; ++pid) EXPECT_FALSE(collector.SectionBufferOf(pid).allocated) << pid;
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(Continuity, CounterFifteenIsFollowedByZero) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, LongSdt(12), 14);  // 14, 15, 0, ...
  EXPECT_EQ(collector.ServiceCount(), 12);
}

TEST(Continuity, LostPacketDropsTheSectionAndTheNextStartBeginsAfresh) {
  PsiCollector collector;
  std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, LongSdt(12));
  packets.erase(packets.begin() + 1);
  FeedAll(collector, packets);
  EXPECT_EQ(collector.ServiceCount(), 0);
  Feed(collector, StartPacket(kPidSdt, 9, SdtWith(0x0500, "A", "one")));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0500}));
}

TEST(Continuity, LostPacketWithFollowingCountersFailsTheCrc) {
  PsiCollector collector;
  const std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, LongSdt(20));
  ASSERT_GE(packets.size(), 4u);
  // Drop packet 1; packets 2.. carry counters 2.. which no longer match 1,
  // but a later one re-synchronises the counter: renumber so they follow on.
  Feed(collector, packets[0]);
  for (size_t i = 2; i < packets.size(); ++i) {
    Bytes renumbered = packets[i];
    renumbered[3] = static_cast<uint8_t>((renumbered[3] & 0xF0) | ((i - 1) & 0x0F));
    Feed(collector, renumbered);
  }
  EXPECT_EQ(collector.ServiceCount(), 0);
  // Once enough bytes are in, the CRC fails and the buffer empties.
  Feed(collector,
       ContinuationPacket(kPidSdt, static_cast<uint8_t>((packets.size() - 1) & 0x0F), Bytes(184, 0xFF)));
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 0u);
}

TEST(Continuity, RepeatedPacketIsNotAppended) {
  PsiCollector collector;
  std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, LongSdt(12));
  packets.insert(packets.begin() + 1, packets[1]);
  FeedAll(collector, packets);
  EXPECT_EQ(collector.ServiceCount(), 12);
}

TEST(Continuity, PacketsWithoutPayloadDoNotAdvanceTheCounter) {
  // adaptation_field_control 2 and 0 carry no payload: they add nothing and
  // leave the expected counter alone, whatever counter they carry.
  PsiCollector collector;
  const std::vector<Bytes> packets = SplitIntoPackets(kPidSdt, LongSdt(12));
  Feed(collector, packets[0]);
  PacketLayout adaptationOnly{kPidSdt, false, 7, 183, false};
  Feed(collector, Packet(adaptationOnly, {}));
  PacketLayout reserved{kPidSdt, false, 9, -1, false};
  Feed(collector, Packet(reserved, SdtWith(0x0999, "X", "bad")));
  for (size_t i = 1; i < packets.size(); ++i) Feed(collector, packets[i]);
  EXPECT_EQ(collector.ServiceCount(), 12);
}

TEST(Continuity, ContinuationPacketsAdaptationFieldIsSkipped) {
  PsiCollector collector;
  const Bytes sdt = SdtOfSize(250, 0x0401);
  Feed(collector, StartPacket(kPidSdt, 0, Bytes(sdt.begin(), sdt.begin() + 183)));
  Feed(collector, Packet({kPidSdt, false, 1, 12}, Bytes(sdt.begin() + 183, sdt.end())));
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0401}));
}

TEST(DamagedPackets, PointerFieldPastThePacketContributesNothing) {
  PsiCollector collector;
  const Bytes sdt = SdtOfSize(250, 0x0401);
  Feed(collector, StartPacket(kPidSdt, 0, Bytes(sdt.begin(), sdt.begin() + 183)));
  Bytes payload = {200};
  payload.insert(payload.end(), sdt.begin() + 183, sdt.end());
  Feed(collector, Packet({kPidSdt, true, 1}, payload));
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 183u);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).expectedCounter, 1);
  // The intact continuation still completes the section.
  Feed(collector, ContinuationPacket(kPidSdt, 1, Bytes(sdt.begin() + 183, sdt.end())));
  EXPECT_EQ(collector.ServiceCount(), 1);
}

TEST(DamagedPackets, PointerFieldReachingTheLastByteIsAccepted) {
  // pointer_field 182: the new section starts at byte 187 (one byte of it).
  PsiCollector collector;
  Bytes payload(183, 0xFF);
  payload[0] = 182;
  Feed(collector, Packet({kPidSdt, true, 0}, payload));
  ASSERT_TRUE(collector.SectionBufferOf(kPidSdt).allocated);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 1u);
}

TEST(DamagedPackets, AdaptationFieldPastThePacketContributesNothing) {
  PsiCollector collector;
  const Bytes sdt = SdtOfSize(250, 0x0401);
  Feed(collector, StartPacket(kPidSdt, 0, Bytes(sdt.begin(), sdt.begin() + 183)));
  Bytes bad = ContinuationPacket(kPidSdt, 1, Bytes(sdt.begin() + 183, sdt.end()));
  bad[3] = static_cast<uint8_t>(0x30 | 1);
  bad[4] = 190;
  Feed(collector, bad);
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 183u);
  // A start packet whose adaptation field leaves no room for a pointer_field.
  Bytes full = StartPacket(kPidSdt, 1, SdtWith(0x0402, "B", "two"));
  full[3] = static_cast<uint8_t>(0x30 | 1);
  full[4] = 183;
  Feed(collector, full);
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.SectionBufferOf(kPidSdt).fill, 183u);
}

TEST(DamagedPackets, StopFlagMakesIntakeReturnAtOnce) {
  PsiCollector collector;
  collector.Shutdown();
  EXPECT_TRUE(collector.Stopped());
  FeedSections(collector, kPidSdt, SdtWith(0x0401, "A", "one"));
  OpenEitGate(collector);
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_EQ(collector.Snapshot().clockYear, 0);
  EXPECT_FALSE(collector.SectionBufferOf(kPidSdt).allocated);
}
