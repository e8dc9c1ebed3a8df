// EIT present/following storage behind the clock gate, the TOT clock and
// the date conversion.
#include <gtest/gtest.h>

#include "MjdToDate.h"
#include "PsiTestStreams.h"
#include "SectionCrc.h"

using namespace psitest;

namespace {

struct Date {
  int32_t year, month, day;
  bool operator==(const Date& o) const { return year == o.year && month == o.month && day == o.day; }
};

Date ToDate(uint16_t mjd) {
  Date date{};
  MjdToDate(mjd, &date.year, &date.month, &date.day);
  return date;
}

Bytes StoredCopy(const PsiCollector& collector, uint16_t serviceId, int index) {
  const std::unique_ptr<ServiceSnapshot> entry = Service(collector, serviceId);
  return entry ? entry->eventSections[index] : Bytes();
}

// A TOT section ready to place into a packet by hand.
Bytes TotSection() { return tsmux::BuildTot(0xD4CE, 21, 30, 45); }

void ExpectClock(const PsiCollector& collector, int year, int month, int day, int hour, int minute,
                 int second) {
  const PsiSnapshot c = collector.Snapshot();
  EXPECT_EQ(c.clockYear, year);
  EXPECT_EQ(c.clockMonth, month);
  EXPECT_EQ(c.clockDay, day);
  EXPECT_EQ(c.clockHour, hour);
  EXPECT_EQ(c.clockMinute, minute);
  EXPECT_EQ(c.clockSecond, second);
}

}  // namespace

TEST(Dates, MjdToDateKnownDays) {
  EXPECT_EQ(ToDate(0), (Date{1858, 11, 17}));
  EXPECT_EQ(ToDate(51603), (Date{2000, 2, 29}));
  EXPECT_EQ(ToDate(51604), (Date{2000, 3, 1}));
  EXPECT_EQ(ToDate(54478), (Date{2008, 1, 13}));
  EXPECT_EQ(ToDate(65535), (Date{2038, 4, 22}));
}

TEST(Dates, MjdToDateIsTheDayAfterItsPredecessorForEveryValue) {
  Date previous = ToDate(0);
  for (uint32_t mjd = 1; mjd <= 0xFFFF; ++mjd) {
    const Date date = ToDate(static_cast<uint16_t>(mjd));
    const bool nextDay =
        date.year == previous.year && date.month == previous.month && date.day == previous.day + 1;
    const bool nextMonth = date.year == previous.year && date.month == previous.month + 1 && date.day == 1;
    const bool nextYear =
        date.year == previous.year + 1 && date.month == 1 && date.day == 1 && previous.month == 12;
    ASSERT_TRUE(nextDay || nextMonth || nextYear) << mjd;
    ASSERT_EQ(tsmux::DateToMjd(date.year, date.month, date.day), mjd);
    previous = date;
  }
}

TEST(Dates, BcdBytes) {
  EXPECT_EQ(BcdToInt(0x59), 59);
  EXPECT_EQ(BcdToInt(0x23), 23);
  EXPECT_EQ(BcdToInt(0x00), 0);
}

TEST(SectionCrc, IntactSectionChecksToZero) {
  const Bytes section = TotSection();
  EXPECT_EQ(SectionCrc32(section.data(), section.size()), 0u);
  const uint8_t check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(SectionCrc32(check, sizeof check), 0x0376E6E7u);  // CRC-32/MPEG-2 check value
}

TEST(SectionCrc, AgreesWithABitwiseCrcForEveryLengthAndAlignment) {
  Bytes data(600);
  uint32_t state = 12345;
  for (uint8_t& byte : data) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(state >> 16);
  }
  for (size_t offset = 0; offset < 8; ++offset) {
    for (size_t length = 0; length + offset <= data.size(); length += (length < 40 ? 1 : 37)) {
      ASSERT_EQ(SectionCrc32(data.data() + offset, length), tsmux::Crc32Mpeg2(data.data() + offset, length))
          << offset << " " << length;
    }
  }
}

TEST(Clock, WellFormedTotSetsTheClock) {
  PsiCollector collector;
  const Bytes packet = TotPacket(0xD4CE, 21, 30, 45);
  ASSERT_EQ(packet[5], 0x73);
  ASSERT_EQ(Bytes(packet.begin() + 8, packet.begin() + 13), (Bytes{0xD4, 0xCE, 0x21, 0x30, 0x45}));
  Feed(collector, packet);
  ExpectClock(collector, 2008, 1, 13, 21, 30, 45);
}

TEST(Clock, EveryTotOverwritesTheClock) {
  PsiCollector collector;
  Feed(collector, TotPacket(0xD4CE, 21, 30, 45));
  Feed(collector, TotPacket(51603, 23, 59, 59, 1));
  ExpectClock(collector, 2000, 2, 29, 23, 59, 59);
}

TEST(Clock, TimeDateTableChangesNothing) {
  PsiCollector collector;
  Bytes tdt = {0x70, 0x70, 0x05, 0xD4, 0xCE, 0x21, 0x30, 0x45};
  Feed(collector, StartPacket(kPidTot, 0, tdt));
  ExpectClock(collector, 0, 0, 0, 0, 0, 0);
}

TEST(Clock, DamagedTotIsRejectedByItsCrc) {
  PsiCollector collector;
  Bytes packet = TotPacket(0xD4CE, 21, 30, 45);
  packet[10] = 0x99;  // hour byte hit by a bit error
  Feed(collector, packet);
  ExpectClock(collector, 0, 0, 0, 0, 0, 0);
}

TEST(Clock, TotIsLocatedThroughAdaptationFieldAndPointerField) {
  PsiCollector collector;
  const Bytes tot = TotSection();
  Bytes payload = {3, 0xAA, 0xBB, 0xCC};
  payload.insert(payload.end(), tot.begin(), tot.end());
  Feed(collector, Packet({kPidTot, true, 0, 20}, payload));
  ExpectClock(collector, 2008, 1, 13, 21, 30, 45);
}

TEST(Clock, TotNotWholeInThePacketIsIgnored) {
  PsiCollector collector;
  const Bytes tot = TotSection();
  // Pushed so far back by the adaptation field that its CRC is cut off.
  Bytes payload = {0};
  payload.insert(payload.end(), tot.begin(), tot.end());
  const int adaptation = static_cast<int>(kTsPacketSize - 5 - 1 - tot.size() + 2);
  Feed(collector, Packet({kPidTot, true, 0, adaptation}, payload));
  ExpectClock(collector, 0, 0, 0, 0, 0, 0);
  // A section_length claiming more than the packet holds.
  Bytes longer = TotPacket(0xD4CE, 21, 30, 45);
  longer[6] = 0x70 | 0x0F;
  Feed(collector, longer);
  ExpectClock(collector, 0, 0, 0, 0, 0, 0);
}

TEST(Clock, TotPacketWithoutStartOrWithWildPointerIsIgnored) {
  PsiCollector collector;
  Bytes noStart = TotPacket(0xD4CE, 21, 30, 45);
  noStart[1] &= static_cast<uint8_t>(~0x40);
  Feed(collector, noStart);
  Bytes wildPointer = TotPacket(0xD4CE, 21, 30, 45);
  wildPointer[4] = 0xF0;
  Feed(collector, wildPointer);
  ExpectClock(collector, 0, 0, 0, 0, 0, 0);
}

TEST(EitGate, EitBeforeTheFirstTotIsIgnoredEntirely) {
  PsiCollector collector;
  const tsmux::EventInfo event = SampleEvent(1);
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 0, &event));
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_FALSE(collector.SectionBufferOf(kPidEit).allocated);
  OpenEitGate(collector);
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 0, &event), 9);
  EXPECT_EQ(StoredCopy(collector, 0x0400, 0), Eit(0x0400, 0, 0, &event));
}

TEST(EitStorage, SectionNumbersFillPresentAndFollowing) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo present = SampleEvent(1, "Now"), following = SampleEvent(2, "Next");
  FeedSections(collector, kPidEit, Concat({Eit(0x0400, 0, 3, &present), Eit(0x0400, 1, 3, &following)}));
  EXPECT_EQ(StoredCopy(collector, 0x0400, 0), Eit(0x0400, 0, 3, &present));
  EXPECT_EQ(StoredCopy(collector, 0x0400, 1), Eit(0x0400, 1, 3, &following));
  std::vector<uint8_t> copy;
  EXPECT_TRUE(collector.CopyPresentSection(0x0400, copy));
  EXPECT_EQ(copy, Eit(0x0400, 0, 3, &present));
  EXPECT_FALSE(collector.CopyPresentSection(0x0401, copy));
}

TEST(EitStorage, SameVersionStillReplacesThePresentCopy) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo first = SampleEvent(1, "First"), second = SampleEvent(2, "Second");
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 5, &first));
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 5, &second), 1);
  EXPECT_EQ(StoredCopy(collector, 0x0400, 0), Eit(0x0400, 0, 5, &second));
}

TEST(EitStorage, SectionWithoutEventAddsTheServiceButKeepsItsCopies) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo event = SampleEvent(1);
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 0, &event));
  const Bytes empty = Eit(0x0400, 0, 1, nullptr);
  ASSERT_EQ(((empty[1] << 8 | empty[2]) & 0x0FFF), 15);
  FeedSections(collector, kPidEit, Concat({empty, Eit(0x0401, 0, 1, nullptr)}), 1);
  EXPECT_EQ(StoredCopy(collector, 0x0400, 0), Eit(0x0400, 0, 0, &event));
  ASSERT_NE(Service(collector, 0x0401), nullptr);
  EXPECT_TRUE(StoredCopy(collector, 0x0401, 0).empty());
}

TEST(EitStorage, SectionNumberTwoAddsTheServiceAndStoresNothing) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo event = SampleEvent(1);
  FeedSections(collector, kPidEit, Eit(0x0400, 2, 0, &event));
  ASSERT_NE(Service(collector, 0x0400), nullptr);
  EXPECT_TRUE(StoredCopy(collector, 0x0400, 0).empty());
  EXPECT_TRUE(StoredCopy(collector, 0x0400, 1).empty());
}

TEST(EitStorage, ShorterSectionReusesTheBlockLongerGetsExactSize) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo longEvent = SampleEvent(1, "A rather long programme title");
  const tsmux::EventInfo shortEvent = SampleEvent(2, "Short");
  const Bytes longSection = Eit(0x0400, 1, 0, &longEvent);
  const Bytes shortSection = Eit(0x0400, 1, 1, &shortEvent);
  FeedSections(collector, kPidEit, longSection);
  const void* block = collector.StoredSectionOf(0x0400, 1).block;
  EXPECT_EQ(collector.StoredSectionOf(0x0400, 1).capacity, longSection.size());
  FeedSections(collector, kPidEit, shortSection, 1);
  StoredSectionState copy = collector.StoredSectionOf(0x0400, 1);
  EXPECT_EQ(copy.block, block);
  EXPECT_EQ(copy.capacity, longSection.size());
  EXPECT_EQ(copy.length, shortSection.size());
  const tsmux::EventInfo longerEvent = SampleEvent(3, "An even longer programme title than before");
  const Bytes longerSection = Eit(0x0400, 1, 2, &longerEvent);
  FeedSections(collector, kPidEit, longerSection, 2);
  EXPECT_EQ(collector.StoredSectionOf(0x0400, 1).capacity, longerSection.size());
  EXPECT_EQ(StoredCopy(collector, 0x0400, 1), longerSection);
}

TEST(EitStorage, OtherEventTablesChangeNothing) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo event = SampleEvent(1);
  uint8_t counter = 0;
  for (uint8_t table : {0x4F, 0x50}) {
    Bytes section = Eit(0x0400, 0, 0, &event);
    section[0] = table;
    section.resize(section.size() - 4);
    tsmux::FinishSection(section);
    FeedSections(collector, kPidEit, section, counter++);
  }
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(EitStorage, FullTableDropsTheSection) {
  PsiCollector collector;
  OpenEitGate(collector);
  for (int i = 0; i < 50; ++i) collector.FindOrAddService(static_cast<uint16_t>(0x1000 + i));
  const tsmux::EventInfo event = SampleEvent(1);
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 0, &event));
  EXPECT_EQ(Service(collector, 0x0400), nullptr);
  EXPECT_EQ(collector.ServiceCount(), 50);
}

TEST(Teardown, ShutdownClearsEverything) {
  PsiCollector collector;
  OpenEitGate(collector);
  const tsmux::EventInfo event = SampleEvent(1);
  FeedSections(collector, kPidEit, Eit(0x0400, 0, 0, &event));
  FeedSections(collector, kPidSdt, SdtWith(0x0400, "P", "S"));
  collector.Shutdown();
  EXPECT_EQ(collector.ServiceCount(), 0);
  EXPECT_TRUE(ServiceIds(collector).empty());
  for (int pid = 0; pid < kPidCount; ++pid) ASSERT_FALSE(collector.SectionBufferOf(pid).allocated);
  std::vector<uint8_t> copy;
  EXPECT_FALSE(collector.CopyPresentSection(0x0400, copy));
}
