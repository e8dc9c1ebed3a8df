// Intake on one thread while another reads, resets fills, records service
// changes and finally shuts the collector down (run under ThreadSanitizer in
// the native-tsan build).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "PsiTestStreams.h"
#include "ServiceSelection.h"

using namespace psitest;

namespace {

// A loop of packets: TOT, SDT, EIT p/f for a few services and filler.
Bytes BuildStreamLoop() {
  tsmux::Packetizer packetizer;
  Bytes stream;
  for (int round = 0; round < 20; ++round) {
    packetizer.PutSections(kPidTot, {tsmux::BuildTot(0xD4CE, 21, 30, round % 60)}, stream);
    std::vector<tsmux::ServiceInfo> services;
    std::vector<Bytes> eits;
    for (uint16_t id = 0x0400; id < 0x0406; ++id) {
      services.push_back({id, 0x01, Text("Provider"), Text("Service")});
      const tsmux::EventInfo present = SampleEvent(static_cast<uint16_t>(round), "Present");
      const tsmux::EventInfo following = SampleEvent(static_cast<uint16_t>(round + 1), "Following");
      eits.push_back(Eit(id, 0, static_cast<uint8_t>(round), &present));
      eits.push_back(Eit(id, 1, static_cast<uint8_t>(round), &following));
    }
    packetizer.PutSections(kPidSdt, {tsmux::BuildSdt(0x7FE0, 0, 0x7FE0, services)}, stream);
    packetizer.PutSections(kPidEit, eits, stream);
    for (int i = 0; i < 50; ++i) packetizer.PutFiller(0x0111, 1, 10, stream);
  }
  return stream;
}

}  // namespace

TEST(Concurrency, IntakeReadersAndShutdownOnTwoThreads) {
  const Bytes stream = BuildStreamLoop();
  PsiCollector collector;
  std::atomic<bool> readerDone{false};
  std::atomic<long> packetsFed{0};

  std::thread intake([&] {
    // Keep feeding until the other thread has shut the collector down, and
    // a little beyond, as a host might.
    int roundsAfterStop = 0;
    while (roundsAfterStop < 3) {
      for (size_t at = 0; at + kTsPacketSize <= stream.size(); at += kTsPacketSize) {
        collector.IntakePacket(stream.data() + at);
        packetsFed.fetch_add(1, std::memory_order_relaxed);
      }
      if (readerDone.load()) ++roundsAfterStop;
    }
  });

  size_t sawServices = 0;
  std::vector<uint8_t> present;
  for (int i = 0; i < 2000; ++i) {
    const PsiSnapshot snapshot = collector.Snapshot();
    sawServices = std::max(sawServices, snapshot.services.size());
    if (collector.CopyPresentSection(0x0402, present)) {
      ASSERT_GE(present.size(), 30u);
      ASSERT_EQ(present[0], 0x4E);
    }
    if (i % 100 == 0) collector.ResetSectionFills();
    if (i % 250 == 0)
      collector.RecordServiceChange(static_cast<uint16_t>(0x0400 + i % 7), static_cast<uint16_t>(i));
    const std::vector<ServiceSnapshot> services = collector.Snapshot().services;
    for (size_t slot = 0; slot + 1 < services.size(); ++slot) {
      ASSERT_LT(services[slot].serviceId, services[slot + 1].serviceId);
    }
    if (i > 1000 && sawServices >= 6 && packetsFed.load() > 20000) break;
  }
  collector.Shutdown();
  readerDone.store(true);
  intake.join();

  EXPECT_GE(sawServices, 6u);
  EXPECT_TRUE(collector.Snapshot().services.empty());
  EXPECT_FALSE(collector.CopyPresentSection(0x0402, present));
}

TEST(Concurrency, ServiceChangesOnTheStreamingThreadWhileTheProgrammeIsRead) {
  const Bytes stream = BuildStreamLoop();
  PsiCollector collector;
  std::atomic<int32_t> lastServiceId{0};
  std::atomic<int32_t> currentServiceId{0};
  std::atomic<bool> stop{false};

  // The host's streaming thread: packets and service changes interleaved.
  std::thread streaming([&] {
    for (int round = 0; !stop.load(); ++round) {
      for (size_t at = 0; at + kTsPacketSize <= stream.size(); at += kTsPacketSize) {
        collector.IntakePacket(stream.data() + at);
        if (at % (kTsPacketSize * 64) == 0) {
          ApplyServiceChange(&collector, lastServiceId, currentServiceId, round,
                             0x0400 + (round + static_cast<int>(at)) % 6);
        }
      }
    }
  });

  // The painting thread: the present section of whatever service is current.
  int read = 0;
  std::vector<uint8_t> present;
  for (long i = 0; i < 20000000 && read < 500; ++i) {
    const int32_t serviceId = currentServiceId.load();
    if (!collector.CopyPresentSection(static_cast<uint16_t>(serviceId), present)) {
      std::this_thread::yield();
      continue;
    }
    ASSERT_EQ((present[3] << 8) | present[4], serviceId);
    ++read;
  }
  stop.store(true);
  streaming.join();
  EXPECT_GT(read, 0);
  EXPECT_EQ(currentServiceId.load(), lastServiceId.load());
}
