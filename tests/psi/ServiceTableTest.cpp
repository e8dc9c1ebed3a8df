// The service table: FindOrAddService ordering and limits, SDT and NIT rules,
// and lengths that claim more than their field or section holds.
#include <gtest/gtest.h>

#include "PsiTestStreams.h"

using namespace psitest;

namespace {

Bytes TsInformation(uint8_t keyId, const Bytes& name, const std::vector<uint16_t>& ids) {
  Bytes d = {0xCD, 0, keyId, static_cast<uint8_t>(name.size() << 2 | 1)};
  d.insert(d.end(), name.begin(), name.end());
  d.push_back(0x0F);
  d.push_back(static_cast<uint8_t>(ids.size()));
  for (uint16_t id : ids) {
    d.push_back(static_cast<uint8_t>(id >> 8));
    d.push_back(static_cast<uint8_t>(id));
  }
  d[1] = static_cast<uint8_t>(d.size() - 2);
  return d;
}

Bytes TransportEntry(const Bytes& descriptors) {
  Bytes e = {0x7F,
             0xE0,
             0x7F,
             0xE0,
             static_cast<uint8_t>(0xF0 | (descriptors.size() >> 8)),
             static_cast<uint8_t>(descriptors.size())};
  e.insert(e.end(), descriptors.begin(), descriptors.end());
  return e;
}

// NIT with no network descriptors; `loopLengthBytes` overrides the two
// transport_stream_loop_length bytes when given.
Bytes Nit(const Bytes& loop, const Bytes& loopLengthBytes = {}) {
  Bytes s = {0x40, 0xF0, 0x00, 0x7F, 0xE0, 0xC1, 0x00, 0x00, 0xF0, 0x00};
  if (loopLengthBytes.empty()) {
    s.push_back(static_cast<uint8_t>(0xF0 | (loop.size() >> 8)));
    s.push_back(static_cast<uint8_t>(loop.size()));
  } else {
    s.insert(s.end(), loopLengthBytes.begin(), loopLengthBytes.end());
  }
  s.insert(s.end(), loop.begin(), loop.end());
  tsmux::FinishSection(s);
  return s;
}

// SDT with one service whose descriptor loop is given as is.
Bytes SdtWithDescriptors(uint16_t serviceId, const Bytes& descriptors) {
  Bytes s = {0x42,
             0xF0,
             0x00,
             0x7F,
             0xE0,
             0xC1,
             0x00,
             0x00,
             0x7F,
             0xE0,
             0xFF,
             static_cast<uint8_t>(serviceId >> 8),
             static_cast<uint8_t>(serviceId),
             0xFF,
             static_cast<uint8_t>(0x80 | (descriptors.size() >> 8)),
             static_cast<uint8_t>(descriptors.size())};
  s.insert(s.end(), descriptors.begin(), descriptors.end());
  tsmux::FinishSection(s);
  return s;
}

Bytes ServiceDescriptor(uint8_t type, const Bytes& provider, const Bytes& name) {
  Bytes d = {0x48, static_cast<uint8_t>(3 + provider.size() + name.size()), type,
             static_cast<uint8_t>(provider.size())};
  d.insert(d.end(), provider.begin(), provider.end());
  d.push_back(static_cast<uint8_t>(name.size()));
  d.insert(d.end(), name.begin(), name.end());
  return d;
}

void AddServices(PsiCollector& collector, std::initializer_list<uint16_t> ids) {
  for (uint16_t id : ids) collector.FindOrAddService(id);
}

}  // namespace

TEST(ServiceTable, InsertsInAscendingOrderAndReturnsTheCurrentSlot) {
  PsiCollector collector;
  EXPECT_EQ(collector.FindOrAddService(0x0410), 0);
  EXPECT_EQ(collector.FindOrAddService(0x0400), 0);
  EXPECT_EQ(collector.FindOrAddService(0x0408), 1);
  EXPECT_EQ(ServiceIds(collector), (std::vector<uint16_t>{0x0400, 0x0408, 0x0410}));
  EXPECT_EQ(collector.ServiceCount(), 3);
}

TEST(ServiceTable, ExistingServiceReturnsItsSlotAndAddsNothing) {
  PsiCollector collector;
  AddServices(collector, {0x0400, 0x0408, 0x0410});
  EXPECT_EQ(collector.FindOrAddService(0x0408), 1);
  EXPECT_EQ(collector.ServiceCount(), 3);
}

TEST(ServiceTable, FiftyFirstServiceIsRefused) {
  PsiCollector collector;
  for (int i = 0; i < 50; ++i)
    ASSERT_LT(collector.FindOrAddService(static_cast<uint16_t>(0x1000 + 2 * i)), 50);
  EXPECT_EQ(collector.FindOrAddService(0x0001), kMaxServices);  // would go first
  EXPECT_EQ(collector.FindOrAddService(0x1001), kMaxServices);  // would go in between
  EXPECT_EQ(collector.FindOrAddService(0xFFFF), kMaxServices);  // would go last
  EXPECT_EQ(collector.ServiceCount(), 50);
  EXPECT_EQ(ServiceIds(collector).front(), 0x1000);
  EXPECT_EQ(collector.FindOrAddService(0x1000 + 2 * 49), 49);
}

TEST(ServiceTable, RecordServiceChangeStoresTheHostValueUnlessFull) {
  PsiCollector collector;
  collector.RecordServiceChange(0x0400, 0xBEEF);
  ASSERT_NE(Service(collector, 0x0400), nullptr);
  EXPECT_EQ(Service(collector, 0x0400)->hostValue, 0xBEEF);
  for (int i = 0; i < 49; ++i) collector.FindOrAddService(static_cast<uint16_t>(0x2000 + i));
  collector.RecordServiceChange(0x0300, 7);
  EXPECT_EQ(Service(collector, 0x0300), nullptr);
  EXPECT_EQ(collector.ServiceCount(), 50);
}

TEST(SdtRules, TelevisionServiceDescriptorSetsBothNames) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, SdtWith(0x0400, "Provider", "Service"));
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->providerName, Text("Provider"));
  EXPECT_EQ(entry->serviceName, Text("Service"));
}

TEST(SdtRules, OtherServiceTypeGetsNoEntry) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, SdtWith(0x0580, "Provider", "OneSeg", 0xC0));
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(SdtRules, DescriptorOfOtherTypeIsPassedOverForALaterTelevisionOne) {
  PsiCollector collector;
  const Bytes descriptors = Concat({ServiceDescriptor(0xC0, Text("P1"), Text("wrong")),
                                    ServiceDescriptor(0x01, Text("P2"), Text("right")),
                                    ServiceDescriptor(0x01, Text("P3"), Text("later"))});
  FeedSections(collector, kPidSdt, SdtWithDescriptors(0x0400, descriptors));
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->serviceName, Text("right"));
}

TEST(SdtRules, BothNamesEmptyAddsNothing) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, SdtWithDescriptors(0x0400, ServiceDescriptor(0x01, {}, {})));
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(SdtRules, OneEmptyNameIsStoredAsZeroLength) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, SdtWith(0x0400, "Old", "Name"));
  FeedSections(collector, kPidSdt, SdtWithDescriptors(0x0400, ServiceDescriptor(0x01, {}, Text("New"))), 1);
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->providerName.size(), 0u);
  EXPECT_EQ(entry->serviceName, Text("New"));
}

TEST(SdtRules, NamesLongerThanTheFieldAreTruncated) {
  PsiCollector collector;
  const Bytes longProvider(60, 'p');
  Bytes longName(150, 'n');
  longName[49] = 'X';
  longName[50] = 'Y';
  FeedSections(collector, kPidSdt,
               SdtWithDescriptors(0x0400, ServiceDescriptor(0x01, longProvider, longName)));
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->providerName.size(), size_t{kNameFieldSize});
  EXPECT_EQ(entry->serviceName.size(), size_t{kNameFieldSize});
  EXPECT_EQ(entry->serviceName[49], 'X');
}

TEST(SdtRules, NameLengthPastTheSectionIsCutAtTheSection) {
  // The descriptor and its name length claim far more than the section
  // holds; only the bytes before the CRC are taken.
  PsiCollector collector;
  Bytes descriptor = {0x48, 0xF0, 0x01, 0x03, 'A', 'B', 'C', 0xC8, 'n', 'a', 'm'};
  Bytes section = SdtWithDescriptors(0x0400, descriptor);
  FeedSections(collector, kPidSdt, section);
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->providerName, Text("ABC"));
  EXPECT_EQ(entry->serviceName, Text("nam"));
}

TEST(SdtRules, LaterSectionsOverwriteEarlierNames) {
  PsiCollector collector;
  FeedSections(collector, kPidSdt, Concat({SdtWith(0x0400, "P", "First"), SdtWith(0x0400, "P", "Second")}));
  const auto entry = Service(collector, 0x0400);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->serviceName, Text("Second"));
}

TEST(NitRules, ServiceNotInTheTableIsPassedOver) {
  PsiCollector collector;
  FeedSections(collector, kPidNit, Nit(TransportEntry(TsInformation(3, Text("TS"), {0x0400}))));
  EXPECT_EQ(collector.ServiceCount(), 0);
}

TEST(NitRules, TsInformationAfterOtherDescriptorsSetsKeyAndName) {
  PsiCollector collector;
  AddServices(collector, {0x0400, 0x0401, 0x0402});
  const Bytes other = {0x41, 0x03, 0x04, 0x00, 0x01};
  FeedSections(collector, kPidNit,
               Nit(TransportEntry(Concat({other, TsInformation(5, Text("Tokyo"), {0x0400, 0x0402})}))));
  EXPECT_EQ(Service(collector, 0x0400)->remoteControlKeyId, 5);
  EXPECT_EQ(Service(collector, 0x0402)->tsName, Text("Tokyo"));
  EXPECT_EQ(Service(collector, 0x0401)->remoteControlKeyId, 0);
  EXPECT_EQ(Service(collector, 0x0401)->tsName.size(), 0u);
}

TEST(NitRules, OnlyTheFirstTsInformationDescriptorIsRead) {
  PsiCollector collector;
  AddServices(collector, {0x0400});
  FeedSections(collector, kPidNit,
               Nit(TransportEntry(
                   Concat({TsInformation(5, Text("A"), {0x0400}), TsInformation(9, Text("B"), {0x0400})}))));
  EXPECT_EQ(Service(collector, 0x0400)->remoteControlKeyId, 5);
}

TEST(NitRules, LoopLengthIsMaskedTo12Bits) {
  // 0xF0 0x1A covers 26 bytes: the first entry (26 bytes) is read, a second
  // entry after it lies outside the loop and is not.
  PsiCollector collector;
  AddServices(collector, {0x0400, 0x0401});
  const Bytes first =
      TransportEntry(Concat({TsInformation(4, Text("First"), {0x0400}), Bytes{0x80, 0x05, 1, 2, 3, 4, 5}}));
  ASSERT_EQ(first.size(), 26u);
  const Bytes second = TransportEntry(TsInformation(7, Text("Second"), {0x0401}));
  FeedSections(collector, kPidNit, Nit(Concat({first, second}), {0xF0, 0x1A}));
  EXPECT_EQ(Service(collector, 0x0400)->remoteControlKeyId, 4);
  EXPECT_EQ(Service(collector, 0x0401)->remoteControlKeyId, 0);
}

TEST(NitRules, LongTsNameIsTruncatedToTheField) {
  PsiCollector collector;
  AddServices(collector, {0x0400});
  FeedSections(collector, kPidNit, Nit(TransportEntry(TsInformation(1, Bytes(63, 't'), {0x0400}))));
  EXPECT_EQ(Service(collector, 0x0400)->tsName.size(), size_t{kNameFieldSize});
}

TEST(NitRules, DescriptorLengthsPastTheSectionStayInside) {
  // A TS information descriptor claiming 255 bytes, a service count of 200:
  // the walk stops at the CRC; services listed before it still count.
  PsiCollector collector;
  AddServices(collector, {0x0400});
  const Bytes descriptor = {0xCD, 0xFF, 6, static_cast<uint8_t>(2 << 2 | 1), 'T', 'S', 0x0F, 200, 0x04, 0x00};
  const Bytes entry = {0x7F, 0xE0, 0x7F, 0xE0, 0xFF, 0xFF};
  FeedSections(collector, kPidNit, Nit(Concat({entry, descriptor}), {0xFF, 0xFF}));
  EXPECT_EQ(Service(collector, 0x0400)->remoteControlKeyId, 6);
  EXPECT_EQ(Service(collector, 0x0400)->tsName, Text("TS"));
}

TEST(NitRules, OtherNetworkTableIsIgnored) {
  PsiCollector collector;
  AddServices(collector, {0x0400});
  Bytes nit = Nit(TransportEntry(TsInformation(3, Text("TS"), {0x0400})));
  nit[0] = 0x41;
  nit.resize(nit.size() - 4);
  tsmux::FinishSection(nit);
  FeedSections(collector, kPidNit, nit);
  EXPECT_EQ(Service(collector, 0x0400)->remoteControlKeyId, 0);
}

TEST(Parsers, SectionsTooShortForTheirFieldsAreHarmless) {
  PsiCollector collector;
  for (uint8_t table : {0x40, 0x42, 0x4E}) {
    for (size_t size = 0; size <= 30; ++size) {
      Bytes section(size, 0xFF);
      if (size > 0) section[0] = table;
      if (size >= 3) {
        section[1] = static_cast<uint8_t>(0xF0 | ((size - 3) >> 8));
        section[2] = static_cast<uint8_t>(size - 3);
      }
      for (uint16_t pid : {kPidNit, kPidSdt, kPidEit})
        collector.TakeSection(pid, section.data(), section.size());
    }
  }
  // Only the EIT framing can add a service (0xFFFF); the sanitizer builds
  // catch any stray read.
  EXPECT_LE(collector.ServiceCount(), 1);
}
