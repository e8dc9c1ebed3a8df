// The plug-in object in-process: construction, the SDK check, stream intake,
// service changes and deletion while its controller window still exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "PluginHarness.h"
#include "PsiCollector.h"

using testsupport::GuardedBuffer;
using testsupport::StartOfLongSection;

namespace {

class PluginObject : public ::testing::Test {
 protected:
  void SetUp() override { testsupport::ResetModule(); }
  // The viewer's windows, for the objects that create their controller.
  HWND StartViewer() { return viewer.Create() ? viewer.MainWindow() : nullptr; }

  static bool HasBufferedData(CSamplePlugin& plugin, uint16_t pid) {
    const SectionBufferState buffer = plugin.Collector()->SectionBufferOf(pid);
    return buffer.allocated && buffer.fill > 0;
  }

  testsupport::ProgramIni ini;
  standin::StandInViewer viewer;
};

TEST_F(PluginObject, ConstructionSetsTheCountdownAndZeroes) {
  CSamplePlugin plugin;
  EXPECT_EQ(plugin.GetController().Monitor().discoveryCountdown, 3);
  EXPECT_NE(plugin.Collector(), nullptr);
  EXPECT_EQ(plugin.GetController().Window(), nullptr);
  EXPECT_EQ(plugin.Host().WindowList().count, 0);
  EXPECT_EQ(plugin.GetController().Monitor().timerId, 0u);
  EXPECT_EQ(plugin.GetController().Settings().positionValid, 0);
  EXPECT_EQ(plugin.GetController().Settings().autoDispStatus, 0);
  EXPECT_EQ(plugin.GetController().Tray().Data().cbSize, 0u);
  EXPECT_EQ(plugin.GetController().Settings().iniPath[0], '\0');
  EXPECT_EQ(plugin.Host().ChannelName(11)[0], '\0');
  EXPECT_EQ(plugin.CurrentServiceId(), 0);
}

TEST_F(PluginObject, InputTsDataHandsOnWholePacketsOnly) {
  CSamplePlugin plugin;
  std::vector<uint8_t> stream = StartOfLongSection(0x0010);
  const std::vector<uint8_t> second = StartOfLongSection(0x0011);
  stream.insert(stream.end(), second.begin(), second.end());

  EXPECT_EQ(plugin.InputTsData(stream.data(), 0), 1);
  EXPECT_FALSE(HasBufferedData(plugin, 0x0010));

  // 375 bytes: the second packet is a fragment and is skipped.
  EXPECT_EQ(plugin.InputTsData(stream.data(), 375), 1);
  EXPECT_TRUE(HasBufferedData(plugin, 0x0010));
  EXPECT_FALSE(HasBufferedData(plugin, 0x0011));

  EXPECT_EQ(plugin.InputTsData(stream.data(), 376), 1);
  EXPECT_TRUE(HasBufferedData(plugin, 0x0011));
}

TEST_F(PluginObject, InputTsDataNeverReadsPastTheCallersBuffer) {
  CSamplePlugin plugin;
  const std::vector<uint8_t> packet = StartOfLongSection(0x0010);
  for (uint32_t count : {1u, 100u, 187u, 189u, 188u * 3 + 7}) {
    GuardedBuffer buffer(count);
    for (uint32_t at = 0; at < count; at += 188) {
      std::memcpy(buffer.Data() + at, packet.data(), std::min<uint32_t>(188, count - at));
    }
    EXPECT_EQ(plugin.InputTsData(buffer.Data(), count), 1) << count;
  }
  EXPECT_EQ(plugin.InputTsData(nullptr, 188), 1);
}

TEST_F(PluginObject, ServiceChangeRecordsIdAndHostValueOnce) {
  CSamplePlugin plugin;
  const std::vector<uint8_t> packet = StartOfLongSection(0x0010);
  plugin.InputTsData(packet.data(), 188);
  ASSERT_TRUE(HasBufferedData(plugin, 0x0010));

  EXPECT_EQ(plugin.OnServiceChange(0x12345, 0x0400), 1);
  EXPECT_FALSE(HasBufferedData(plugin, 0x0010));
  EXPECT_EQ(plugin.CurrentServiceId(), 0x0400);
  EXPECT_EQ(Module().lastServiceId, 0x0400);
  PsiSnapshot first = plugin.Collector()->Snapshot();
  ASSERT_EQ(first.services.size(), 1u);
  EXPECT_EQ(first.services[0].hostValue, 0x2345);

  // The same service again only empties the section buffers: an object
  // that has recorded no service yet keeps none.
  CSamplePlugin other;
  other.InputTsData(packet.data(), 188);
  EXPECT_EQ(other.OnServiceChange(0x999, 0x0400), 1);
  EXPECT_FALSE(HasBufferedData(other, 0x0010));
  EXPECT_EQ(other.CurrentServiceId(), 0);
  EXPECT_TRUE(other.Collector()->Snapshot().services.empty());
  EXPECT_EQ(plugin.OnServiceChange(0x999, 0x0400), 1);
  PsiSnapshot second = plugin.Collector()->Snapshot();
  ASSERT_EQ(second.services.size(), 1u);
  EXPECT_EQ(second.services[0].hostValue, 0x2345);
}

TEST_F(PluginObject, ServiceChangeWithFullTableStillRecordsTheId) {
  CSamplePlugin plugin;
  for (int i = 0; i < 50; ++i) plugin.OnServiceChange(1, 0x0100 + i);
  EXPECT_EQ(plugin.OnServiceChange(0x7777, 0x0900), 1);
  EXPECT_EQ(plugin.CurrentServiceId(), 0x0900);
  EXPECT_EQ(Module().lastServiceId, 0x0900);
  PsiSnapshot snapshot = plugin.Collector()->Snapshot();
  EXPECT_EQ(snapshot.services.size(), 50u);
  for (const ServiceSnapshot& service : snapshot.services) {
    EXPECT_NE(service.serviceId, 0x0900);
    EXPECT_NE(service.hostValue, 0x7777);
  }
}

// Each controller window's end concerns its own object.
TEST_F(PluginObject, DeletingAnotherObjectLeavesTheFirstOneServing) {
  CSamplePlugin first;
  ASSERT_EQ(first.Create(StartViewer()), 1);
  auto* second = new CSamplePlugin();
  ASSERT_EQ(second->Create(viewer.MainWindow()), 1);
  HWND secondController = second->GetController().Window();
  delete second;
  EXPECT_FALSE(IsWindow(secondController));
  EXPECT_TRUE(IsWindow(first.GetController().Window()));
  EXPECT_NE(first.Collector(), nullptr);  // the first object's shutdown did not run
  EXPECT_NE(first.GetController().Monitor().timerId, 0u);
}

}  // namespace
