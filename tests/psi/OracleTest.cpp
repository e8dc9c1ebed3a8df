// Cross-check against libdvbpsi as an independent decoder: on the generated
// samples, the service names and the present/following events that both see
// must agree, and so must the clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <dvbpsi/dvbpsi.h>
#include <dvbpsi/demux.h>
#include <dvbpsi/descriptor.h>
#include <dvbpsi/dr_48.h>
#include <dvbpsi/dr_4d.h>
#include <dvbpsi/eit.h>
#include <dvbpsi/psi.h>
#include <dvbpsi/sdt.h>
#include <dvbpsi/tot.h>
}

#include "PsiCollector.h"
#include "SectionDecoders.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct EventFacts {
  uint16_t eventId = 0;
  uint64_t start = 0;     // 40 bits: MJD and BCD time
  uint32_t duration = 0;  // 24 bits BCD
  // The first short event descriptor: language code, name and text.
  Bytes language, name, text;
  bool operator==(const EventFacts& o) const {
    return eventId == o.eventId && start == o.start && duration == o.duration && language == o.language &&
           name == o.name && text == o.text;
  }
};

struct OracleView {
  std::map<uint16_t, std::pair<Bytes, Bytes>> names;  // provider, service
  std::map<uint16_t, std::vector<EventFacts>> events;
  std::map<uint16_t, uint8_t> eventVersions;
  uint64_t clock = 0;
  bool haveClock = false;
};

void IgnoreMessages(dvbpsi_t*, const dvbpsi_msg_level_t, const char*) {}

void OnSdt(void* data, dvbpsi_sdt_t* sdt) {
  auto* view = static_cast<OracleView*>(data);
  for (dvbpsi_sdt_service_t* service = sdt->p_first_service; service; service = service->p_next) {
    for (dvbpsi_descriptor_t* d = service->p_first_descriptor; d; d = d->p_next) {
      if (d->i_tag != 0x48) continue;
      dvbpsi_service_dr_t* decoded = dvbpsi_DecodeServiceDr(d);
      if (!decoded || decoded->i_service_type != 0x01) continue;
      if (decoded->i_service_provider_name_length || decoded->i_service_name_length) {
        view->names[service->i_service_id] = {
            Bytes(decoded->i_service_provider_name,
                  decoded->i_service_provider_name + decoded->i_service_provider_name_length),
            Bytes(decoded->i_service_name, decoded->i_service_name + decoded->i_service_name_length)};
      }
      break;
    }
  }
  dvbpsi_sdt_delete(sdt);
}

void OnEit(void* data, dvbpsi_eit_t* eit) {
  auto* view = static_cast<OracleView*>(data);
  std::vector<EventFacts> events;
  for (dvbpsi_eit_event_t* event = eit->p_first_event; event; event = event->p_next) {
    EventFacts facts;
    facts.eventId = event->i_event_id;
    facts.start = event->i_start_time;
    facts.duration = event->i_duration;
    for (dvbpsi_descriptor_t* d = event->p_first_descriptor; d; d = d->p_next) {
      if (d->i_tag != 0x4D) continue;
      if (const dvbpsi_short_event_dr_t* decoded = dvbpsi_DecodeShortEventDr(d)) {
        facts.language.assign(decoded->i_iso_639_code, decoded->i_iso_639_code + 3);
        facts.name.assign(decoded->i_event_name, decoded->i_event_name + decoded->i_event_name_length);
        facts.text.assign(decoded->i_text, decoded->i_text + decoded->i_text_length);
      }
      break;
    }
    events.push_back(facts);
  }
  view->events[eit->i_extension] = events;
  view->eventVersions[eit->i_extension] = eit->i_version;
  dvbpsi_eit_delete(eit);
}

void OnTot(void* data, dvbpsi_tot_t* tot) {
  auto* view = static_cast<OracleView*>(data);
  view->clock = tot->i_utc_time;
  view->haveClock = true;
  dvbpsi_tot_delete(tot);
}

void OnNewSubtable(dvbpsi_t* handle, uint8_t tableId, uint16_t extension, void* data) {
  if (tableId == 0x42) dvbpsi_sdt_attach(handle, tableId, extension, OnSdt, data);
  if (tableId == 0x4E) dvbpsi_eit_attach(handle, tableId, extension, OnEit, data);
  if (tableId == 0x73) dvbpsi_tot_attach(handle, tableId, extension, OnTot, data);
}

struct Handle {
  dvbpsi_t* handle;
  explicit Handle(OracleView* view) : handle(dvbpsi_new(IgnoreMessages, DVBPSI_MSG_NONE)) {
    dvbpsi_AttachDemux(handle, OnNewSubtable, view);
  }
  ~Handle() {
    dvbpsi_DetachDemux(handle);
    dvbpsi_delete(handle);
  }
};

Bytes ReadFile(const std::string& path) {
  Bytes data;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return data;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) data.insert(data.end(), chunk, chunk + got);
  std::fclose(file);
  return data;
}

OracleView RunOracle(const Bytes& stream) {
  OracleView view;
  Handle sdt(&view), eit(&view), tot(&view);
  for (size_t at = 0; at + kTsPacketSize <= stream.size(); at += kTsPacketSize) {
    uint8_t* packet = const_cast<uint8_t*>(stream.data() + at);
    const uint16_t pid = static_cast<uint16_t>(((packet[1] & 0x1F) << 8) | packet[2]);
    if (pid == kPidSdt) dvbpsi_packet_push(sdt.handle, packet);
    if (pid == kPidEit) dvbpsi_packet_push(eit.handle, packet);
    if (pid == kPidTot) dvbpsi_packet_push(tot.handle, packet);
  }
  return view;
}

Bytes BytesOf(const ByteField& field) { return Bytes(field.data, field.data + field.size); }

EventFacts FactsOfCopy(const Bytes& section) {
  EventFacts facts;
  const EitFirstEvent event = DecodeFirstEvent(section.data(), section.size());
  if (!event.present) return facts;
  facts.eventId = event.eventId;
  facts.start = event.startMjd;
  for (uint8_t digits : event.startTime) facts.start = facts.start << 8 | digits;
  for (uint8_t digits : event.duration) facts.duration = facts.duration << 8 | digits;
  if (event.hasShortEvent && event.shortEvent.complete) {
    facts.language.assign(event.shortEvent.language, event.shortEvent.language + 3);
    facts.name = BytesOf(event.shortEvent.eventName);
    facts.text = BytesOf(event.shortEvent.text);
  }
  return facts;
}

PsiSnapshot RunCollector(const Bytes& stream) {
  auto collector = std::make_unique<PsiCollector>();
  for (size_t at = 0; at + kTsPacketSize <= stream.size(); at += kTsPacketSize) {
    collector->IntakePacket(stream.data() + at);
  }
  return collector->Snapshot();
}

uint64_t ClockAsTotTime(const PsiSnapshot& s) {
  // Compared through the decoded fields: rebuild the BCD time part only.
  auto bcd = [](int v) { return static_cast<uint64_t>((v / 10) << 4 | (v % 10)); };
  return bcd(s.clockHour) << 16 | bcd(s.clockMinute) << 8 | bcd(s.clockSecond);
}

// `strict`: every service and event both decoders know must be known to both.
void Compare(const std::string& path, bool strict) {
  const Bytes stream = ReadFile(path);
  ASSERT_GT(stream.size(), 188u * 1000) << path;
  const OracleView oracle = RunOracle(stream);
  const PsiSnapshot ours = RunCollector(stream);

  size_t namesCompared = 0, eventsCompared = 0;
  for (const ServiceSnapshot& service : ours.services) {
    const auto named = oracle.names.find(service.serviceId);
    if (named != oracle.names.end()) {
      EXPECT_EQ(service.providerName, named->second.first) << service.serviceId;
      EXPECT_EQ(service.serviceName, named->second.second) << service.serviceId;
      ++namesCompared;
    } else if (strict) {
      EXPECT_TRUE(service.serviceName.empty()) << "only we named " << service.serviceId;
    }
    const auto events = oracle.events.find(service.serviceId);
    if (events == oracle.events.end() || service.eventSections[0].size() < 30) continue;
    // Compare only when both hold the same table version.
    const uint8_t ourVersion = (service.eventSections[0][5] >> 1) & 0x1F;
    if (!strict && oracle.eventVersions.at(service.serviceId) != ourVersion) continue;
    ASSERT_EQ(events->second.size(), 2u) << service.serviceId;
    EXPECT_EQ(FactsOfCopy(service.eventSections[0]), events->second[0]) << service.serviceId;
    EXPECT_EQ(FactsOfCopy(service.eventSections[1]), events->second[1]) << service.serviceId;
    ++eventsCompared;
  }
  if (strict) {
    EXPECT_EQ(namesCompared, oracle.names.size());
    EXPECT_EQ(eventsCompared, oracle.events.size());
    ASSERT_TRUE(oracle.haveClock);
    EXPECT_EQ(ClockAsTotTime(ours), oracle.clock & 0xFFFFFF);
  }
  EXPECT_GT(namesCompared, 0u) << path;
  EXPECT_GT(eventsCompared, 0u) << path;
}

}  // namespace

TEST(Oracle, CleanSampleAgreesWithLibdvbpsi) { Compare(ZENTU_SAMPLE_DIR "/sample.ts", true); }

TEST(Oracle, DamagedSampleAgreesWhereBothDecoded) { Compare(ZENTU_SAMPLE_DIR "/sample-damaged.ts", false); }
