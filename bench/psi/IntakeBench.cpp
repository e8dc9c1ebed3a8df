// Intake of the generated 60-second multiplex: the collector against
// libdvbpsi demultiplexing and decoding the same PIDs (NIT, SDT, EIT, TOT).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/eit.h>
#include <dvbpsi/nit.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/sdt.h>
#include <dvbpsi/tot.h>
}

#include "PsiCollector.h"

namespace {

const std::vector<uint8_t>& Sample() {
  static const std::vector<uint8_t> kData = [] {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): read once, before any benchmark thread
    const char* path = std::getenv("ZENTU_BENCH_SAMPLE");
    std::vector<uint8_t> bytes;
    std::FILE* file = std::fopen(path ? path : ZENTU_SAMPLE_DIR "/sample.ts", "rb");
    if (!file) return bytes;
    std::vector<uint8_t> chunk(1 << 20);
    size_t got;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0)
      bytes.insert(bytes.end(), chunk.data(), chunk.data() + got);
    std::fclose(file);
    bytes.resize(bytes.size() / kTsPacketSize * kTsPacketSize);
    return bytes;
  }();
  return kData;
}

void Account(benchmark::State& state, const std::vector<uint8_t>& sample) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sample.size()));
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(sample.size() / kTsPacketSize));
}

void BM_CollectorIntake(benchmark::State& state) {
  const std::vector<uint8_t>& sample = Sample();
  if (sample.empty()) {
    state.SkipWithError("sample missing");
    return;
  }
  for (auto _ : state) {
    auto collector = std::make_unique<PsiCollector>();
    for (size_t at = 0; at < sample.size(); at += kTsPacketSize) collector->IntakePacket(sample.data() + at);
    benchmark::DoNotOptimize(collector->ServiceCount());
  }
  Account(state, sample);
}
BENCHMARK(BM_CollectorIntake)->Unit(benchmark::kMillisecond);

void IgnoreMessages(dvbpsi_t*, const dvbpsi_msg_level_t, const char*) {}
void DropSdt(void* data, dvbpsi_sdt_t* table) {
  ++*static_cast<int*>(data);
  dvbpsi_sdt_delete(table);
}
void DropEit(void* data, dvbpsi_eit_t* table) {
  ++*static_cast<int*>(data);
  dvbpsi_eit_delete(table);
}
void DropNit(void* data, dvbpsi_nit_t* table) {
  ++*static_cast<int*>(data);
  dvbpsi_nit_delete(table);
}
void DropTot(void* data, dvbpsi_tot_t* table) {
  ++*static_cast<int*>(data);
  dvbpsi_tot_delete(table);
}

void OnNewSubtable(dvbpsi_t* handle, uint8_t tableId, uint16_t extension, void* data) {
  if (tableId == 0x40) dvbpsi_nit_attach(handle, tableId, extension, DropNit, data);
  if (tableId == 0x42) dvbpsi_sdt_attach(handle, tableId, extension, DropSdt, data);
  if (tableId == 0x4E) dvbpsi_eit_attach(handle, tableId, extension, DropEit, data);
  if (tableId == 0x73) dvbpsi_tot_attach(handle, tableId, extension, DropTot, data);
}

void BM_LibdvbpsiIntake(benchmark::State& state) {
  const std::vector<uint8_t>& sample = Sample();
  if (sample.empty()) {
    state.SkipWithError("sample missing");
    return;
  }
  std::vector<uint8_t> copy = sample;  // libdvbpsi takes non-const packets
  int tables = 0;
  for (auto _ : state) {
    dvbpsi_t* handles[4];
    for (dvbpsi_t*& handle : handles) {
      handle = dvbpsi_new(IgnoreMessages, DVBPSI_MSG_NONE);
      dvbpsi_AttachDemux(handle, OnNewSubtable, &tables);
    }
    for (size_t at = 0; at < copy.size(); at += kTsPacketSize) {
      uint8_t* packet = copy.data() + at;
      const uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
      switch (pid) {
        case kPidNit: dvbpsi_packet_push(handles[0], packet); break;
        case kPidSdt: dvbpsi_packet_push(handles[1], packet); break;
        case kPidEit: dvbpsi_packet_push(handles[2], packet); break;
        case kPidTot: dvbpsi_packet_push(handles[3], packet); break;
        default: break;
      }
    }
    for (dvbpsi_t* handle : handles) {
      dvbpsi_DetachDemux(handle);
      dvbpsi_delete(handle);
    }
  }
  benchmark::DoNotOptimize(tables);
  Account(state, sample);
}
BENCHMARK(BM_LibdvbpsiIntake)->Unit(benchmark::kMillisecond);

// The same comparison restricted to the information packets, where the real
// work is (filler packets cost both sides only a PID check).
std::vector<uint8_t> InformationPackets() {
  std::vector<uint8_t> out;
  const std::vector<uint8_t>& sample = Sample();
  for (size_t at = 0; at < sample.size(); at += kTsPacketSize) {
    const uint16_t pid = static_cast<uint16_t>(((sample[at + 1] & 0x1F) << 8) | sample[at + 2]);
    if (pid == kPidNit || pid == kPidSdt || pid == kPidEit || pid == kPidTot) {
      out.insert(out.end(), sample.begin() + static_cast<std::ptrdiff_t>(at),
                 sample.begin() + static_cast<std::ptrdiff_t>(at + kTsPacketSize));
    }
  }
  return out;
}

void BM_CollectorInformationOnly(benchmark::State& state) {
  const std::vector<uint8_t> packets = InformationPackets();
  for (auto _ : state) {
    auto collector = std::make_unique<PsiCollector>();
    for (size_t at = 0; at < packets.size(); at += kTsPacketSize)
      collector->IntakePacket(packets.data() + at);
    benchmark::DoNotOptimize(collector->ServiceCount());
  }
  Account(state, packets);
}
BENCHMARK(BM_CollectorInformationOnly)->Unit(benchmark::kMicrosecond);

void BM_LibdvbpsiInformationOnly(benchmark::State& state) {
  std::vector<uint8_t> packets = InformationPackets();
  int tables = 0;
  for (auto _ : state) {
    dvbpsi_t* handles[4];
    for (dvbpsi_t*& handle : handles) {
      handle = dvbpsi_new(IgnoreMessages, DVBPSI_MSG_NONE);
      dvbpsi_AttachDemux(handle, OnNewSubtable, &tables);
    }
    for (size_t at = 0; at < packets.size(); at += kTsPacketSize) {
      uint8_t* packet = packets.data() + at;
      const uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
      const int index = pid == kPidNit ? 0 : pid == kPidSdt ? 1 : pid == kPidEit ? 2 : 3;
      dvbpsi_packet_push(handles[index], packet);
    }
    for (dvbpsi_t* handle : handles) {
      dvbpsi_DetachDemux(handle);
      dvbpsi_delete(handle);
    }
  }
  benchmark::DoNotOptimize(tables);
  Account(state, packets);
}
BENCHMARK(BM_LibdvbpsiInformationOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
