// zentu-tsinfo: feeds a transport stream through the collector's packet
// intake and prints the services, their present/following events and the
// broadcast clock, as a table or as one JSON object.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AribString.h"
#include "CommandLine.h"
#include "EventTimes.h"
#include "PsiCollector.h"
#include "SectionDecoders.h"
#include "ShiftJisTexts.h"
#include "TextConversion.h"

namespace {

// ARIB-coded bytes to UTF-8: DecodeAribString into Shift_JIS, then iconv.
std::string DecodeToUtf8(const uint8_t* bytes, size_t length) {
  if (length == 0) return std::string();
  std::vector<char> shiftJis(length * 16 + 16);
  DecodeAribString(bytes, static_cast<uint32_t>(length), shiftJis.data(),
                   static_cast<uint32_t>(shiftJis.size()));
  return textconv::CodePage932ToUtf8Lenient(shiftJis.data());
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Utf8Of(const std::vector<uint8_t>& coded) { return DecodeToUtf8(coded.data(), coded.size()); }

// A part of the start or the duration that is not fixed reads 未定 in the
// table; in the JSON a start or duration that is not whole is null.
struct EventFacts {
  uint16_t eventId = 0;
  std::string start, duration, name, text;
  bool startFixed = false, durationFixed = false;
};

std::string ClockText(const EventClock& clock) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", clock.hours, clock.minutes, clock.seconds);
  return buffer;
}

// The first event of a stored EIT section; false when the copy is empty or
// too short to hold an event.
bool ReadEvent(const std::vector<uint8_t>& section, EventFacts* facts) {
  const EitFirstEvent event = DecodeFirstEvent(section.data(), section.size());
  if (!event.present) return false;
  facts->eventId = event.eventId;
  const std::string notFixed = textconv::CodePage932ToUtf8Lenient(sjis::kNotFixed);
  const std::optional<EventDate> date = EventStartDate(event);
  const std::optional<EventClock> time = EventStartTime(event);
  const std::optional<EventClock> duration = EventDuration(event);
  std::string dateText = notFixed;
  if (date) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date->year, date->month, date->day);
    dateText = buffer;
  }
  facts->start = date || time ? dateText + " " + (time ? ClockText(*time) : notFixed) : notFixed;
  facts->startFixed = date && time;
  facts->duration = duration ? ClockText(*duration) : notFixed;
  facts->durationFixed = duration.has_value();
  if (event.hasShortEvent) {
    facts->name = DecodeToUtf8(event.shortEvent.eventName.data, event.shortEvent.eventName.size);
    facts->text = DecodeToUtf8(event.shortEvent.text.data, event.shortEvent.text.size);
  }
  return true;
}

std::string ClockText(const PsiSnapshot& s) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", s.clockYear, s.clockMonth, s.clockDay,
                s.clockHour, s.clockMinute, s.clockSecond);
  return buffer;
}

std::string EventJson(const std::vector<uint8_t>& section) {
  EventFacts facts;
  if (!ReadEvent(section, &facts)) return "null";
  return "{\"event_id\": " + std::to_string(facts.eventId) +
         ", \"start\": " + (facts.startFixed ? JsonString(facts.start) : "null") +
         ", \"duration\": " + (facts.durationFixed ? JsonString(facts.duration) : "null") +
         ", \"name\": " + JsonString(facts.name) + ", \"text\": " + JsonString(facts.text) + "}";
}

void PrintJson(uint64_t packets, const PsiSnapshot& snapshot) {
  std::string out = "{\"packets\": " + std::to_string(packets) + ",\n \"clock\": ";
  out += snapshot.clockYear == 0 ? "null" : JsonString(ClockText(snapshot));
  out += ",\n \"services\": [";
  for (size_t i = 0; i < snapshot.services.size(); ++i) {
    const ServiceSnapshot& service = snapshot.services[i];
    out += i ? ",\n  " : "\n  ";
    out += "{\"service_id\": " + std::to_string(service.serviceId);
    out += ", \"provider\": " + JsonString(Utf8Of(service.providerName));
    out += ", \"name\": " + JsonString(Utf8Of(service.serviceName));
    out += ", \"remote_control_key_id\": " + std::to_string(service.remoteControlKeyId);
    out += ", \"ts_name\": " + JsonString(Utf8Of(service.tsName));
    out += ",\n   \"present\": " + EventJson(service.eventSections[0]);
    out += ",\n   \"following\": " + EventJson(service.eventSections[1]) + "}";
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
}

void PrintEventLine(const char* label, const std::vector<uint8_t>& section) {
  EventFacts facts;
  if (!ReadEvent(section, &facts)) {
    std::printf("    %-9s -\n", label);
    return;
  }
  std::printf("    %-9s event %u  %s  (%s)  %s\n", label, facts.eventId, facts.start.c_str(),
              facts.duration.c_str(), facts.name.c_str());
  if (!facts.text.empty()) std::printf("              %s\n", facts.text.c_str());
}

void PrintTable(uint64_t packets, const PsiSnapshot& snapshot) {
  std::printf("packets:  %llu\n", static_cast<unsigned long long>(packets));
  std::printf("clock:    %s\n", snapshot.clockYear == 0 ? "(none)" : ClockText(snapshot).c_str());
  std::printf("services: %zu\n", snapshot.services.size());
  for (const ServiceSnapshot& service : snapshot.services) {
    std::printf("\n  service 0x%04X (%u)  key %u\n", service.serviceId, service.serviceId,
                service.remoteControlKeyId);
    std::printf("    provider  %s\n", Utf8Of(service.providerName).c_str());
    std::printf("    name      %s\n", Utf8Of(service.serviceName).c_str());
    std::printf("    ts name   %s\n", Utf8Of(service.tsName).c_str());
    PrintEventLine("present", service.eventSections[0]);
    PrintEventLine("following", service.eventSections[1]);
  }
}

constexpr toolcli::Tool kTool{
    "zentu-tsinfo",
    "usage: zentu-tsinfo [--json] FILE   (FILE - reads standard input)\n"
    "       zentu-tsinfo --help | --version\n"
    "Shows the services, their present and following programmes and the broadcast\n"
    "clock that the plug-in reads from a transport stream; --json as one object.\n"};

int RunTool(int argc, char** argv) {
  bool json = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (kTool.Answers(arg)) return 0;
    if (arg == "--json") {
      json = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return kTool.Refuse("unknown option '" + arg + "'");
    } else if (path) {
      return kTool.Refuse("one FILE only, got '" + std::string(path) + "' and '" + arg + "'");
    } else {
      path = argv[i];
    }
  }
  if (!path) return kTool.Refuse("no FILE given");
  const bool fromStdin = std::strcmp(path, "-") == 0;
  std::FILE* in = fromStdin ? stdin : std::fopen(path, "rb");
  if (!in) {
    // NOLINTNEXTLINE(concurrency-mt-unsafe): the tool has one thread
    return kTool.Fail(2, std::string("cannot open ") + path + ": " + std::strerror(errno));
  }
  auto collector = std::make_unique<PsiCollector>();
  std::vector<uint8_t> buffer(kTsPacketSize * 2048);
  size_t held = 0;
  uint64_t packets = 0;
  for (;;) {
    const size_t got = std::fread(buffer.data() + held, 1, buffer.size() - held, in);
    held += got;
    const size_t whole = held / kTsPacketSize;
    for (size_t k = 0; k < whole; ++k) collector->IntakePacket(buffer.data() + k * kTsPacketSize);
    packets += whole;
    const size_t rest = held - whole * kTsPacketSize;
    std::memmove(buffer.data(), buffer.data() + whole * kTsPacketSize, rest);
    held = rest;  // a trailing fragment is skipped at the end
    if (got == 0) break;
  }
  const bool readError = std::ferror(in) != 0;
  const int readErrno = errno;
  if (!fromStdin) std::fclose(in);
  // NOLINTNEXTLINE(concurrency-mt-unsafe): the tool has one thread
  if (readError) return kTool.Fail(2, std::string("cannot read ") + path + ": " + std::strerror(readErrno));
  const PsiSnapshot snapshot = collector->Snapshot();
  if (json) {
    PrintJson(packets, snapshot);
  } else {
    PrintTable(packets, snapshot);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kTool.Run(argc, argv, RunTool); }
