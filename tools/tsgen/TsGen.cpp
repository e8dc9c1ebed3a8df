// zentu-tsgen: writes a deterministic ISDB-T-like sample multiplex with
// Japanese service information, optionally with injected damage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "TsWriter.h"

namespace {

using tsmux::Bytes;

constexpr uint16_t kPidNit = 0x0010, kPidSdt = 0x0011, kPidEit = 0x0012, kPidTot = 0x0014;
constexpr uint16_t kPidVideo = 0x0111, kPidAudio = 0x0112;
constexpr uint16_t kNetworkId = 0x7FE0, kTransportStreamId = 0x7FE0;
constexpr int kPacketsPerSecond = 11300;  // about 17 Mbit/s
constexpr int kSlotsPerSecond = 10;

struct Options {
  int seconds = 60;
  std::string output;
  bool damage = false;
  bool overrun = false;
  uint32_t seed = 1;
  int lostPerMille = 20, repeatedPerMille = 20, corruptedPerMille = 20;
};

struct Programme {
  const char* title;
  const char* text;
};

const Programme kProgrammes[] = {
    {"朝のニュース", "今日の出来事を全国からお伝えします。"},
    {"天気予報", "明日の天気と週間予報です。"},
    {"ドラマ「春の風」", "第３話　春の風が町に吹く。"},
    {"音楽の時間", "人気の歌手が新しい歌を歌います。"},
    {"こども番組", "楽しい工作と歌の時間です。"},
    {"スポーツ中継", "野球の試合を生放送でお送りします。"},
    {"料理の基本", "簡単でおいしい料理を紹介します。"},
    {"歴史探訪", "古い城と町の歴史を訪ねます。"},
    {"映画劇場", "名作映画をお楽しみください。"},
    {"深夜の討論", "専門家が社会の問題を話し合います。"},
};
constexpr int kProgrammeCount = sizeof(kProgrammes) / sizeof(kProgrammes[0]);

struct Service {
  uint16_t id;
  uint8_t type;
  const char* name;
  int programmeMinutes;  // every programme of this service lasts this long
  int firstProgramme;
};

const Service kServices[] = {
    {0x0400, 0x01, "東都テレビ１", 20, 0},
    {0x0401, 0x01, "東都テレビ２", 30, 3},
    {0x0402, 0x01, "全通教育", 45, 6},
    {0x0580, 0xC0, "東都ワンセグ", 20, 0},  // partial reception: not a TV service
};

// Stream time 0 is 2026-04-01 19:00:00 JST. The broadcast runs in fast
// motion, one minute for every second of stream, so that a minute-long
// sample shows programmes of ordinary length (20 to 45 minutes) change and
// the clock, the start and the end of each agree.
constexpr int kStartYear = 2026, kStartMonth = 4, kStartDay = 1, kStartSecondOfDay = 19 * 3600;
constexpr long kBroadcastSecondsPerStreamSecond = 60;

void BroadcastSecondToClock(long second, uint16_t* mjd, int* hour, int* minute, int* sec) {
  const long total = kStartSecondOfDay + second;
  *mjd = static_cast<uint16_t>(tsmux::DateToMjd(kStartYear, kStartMonth, kStartDay) + total / 86400);
  const long ofDay = total % 86400;
  *hour = static_cast<int>(ofDay / 3600);
  *minute = static_cast<int>(ofDay / 60 % 60);
  *sec = static_cast<int>(ofDay % 60);
}

tsmux::EventInfo MakeEvent(const Service& service, long index) {
  const Programme& programme = kProgrammes[(service.firstProgramme + index) % kProgrammeCount];
  tsmux::EventInfo event;
  event.eventId = static_cast<uint16_t>(0x1000 + (service.id & 0xFF) * 0x100 + index);
  BroadcastSecondToClock(index * service.programmeMinutes * 60, &event.startMjd, &event.startHour,
                         &event.startMinute, &event.startSecond);
  event.durationSeconds = service.programmeMinutes * 60;
  event.name = tsmux::EncodeAribText(programme.title);
  event.text = tsmux::EncodeAribText(programme.text);
  return event;
}

class Generator {
 public:
  explicit Generator(const Options& options) : options_(options), random_(options.seed) {}

  bool Run(std::FILE* out) {
    out_ = out;
    for (long second = 0; second < options_.seconds; ++second) {
      for (int slot = 0; slot < kSlotsPerSecond; ++slot) {
        Bytes packets;
        PutSlotTables(second, slot, packets);
        const size_t wanted = kPacketsPerSecond / kSlotsPerSecond * tsmux::kPacketSize;
        while (packets.size() < wanted) {
          const bool audio = (packets.size() / tsmux::kPacketSize) % 16 == 7;
          packetizer_.PutFiller(audio ? kPidAudio : kPidVideo, options_.seed, audio ? 0 : 50, packets);
        }
        if (!Write(packets)) return false;
      }
    }
    return true;
  }

 private:
  void PutSlotTables(long second, int slot, Bytes& packets) {
    if (slot == 0) {
      uint16_t mjd;
      int hour, minute, sec;
      BroadcastSecondToClock(second * kBroadcastSecondsPerStreamSecond, &mjd, &hour, &minute, &sec);
      packetizer_.PutSections(kPidTot, {tsmux::BuildTot(mjd, hour, minute, sec)}, packets);
    }
    if (slot == 2) packetizer_.PutSections(kPidNit, {BuildNit()}, packets);
    if (slot == 4) packetizer_.PutSections(kPidSdt, {BuildSdt()}, packets);
    if (slot == 1 || slot == 6) packetizer_.PutSections(kPidEit, BuildEits(second), packets);
  }

  Bytes BuildNit() const {
    std::vector<uint16_t> ids;
    for (const Service& service : kServices) ids.push_back(service.id);
    return tsmux::BuildNit(kNetworkId, 0, kTransportStreamId, kNetworkId, 1,
                           tsmux::EncodeAribText("東都テレビ"), ids);
  }

  Bytes BuildSdt() const {
    std::vector<tsmux::ServiceInfo> infos;
    for (const Service& service : kServices) {
      infos.push_back(
          {service.id, service.type, tsmux::EncodeAribText("全通放送"), tsmux::EncodeAribText(service.name)});
    }
    return tsmux::BuildSdt(kTransportStreamId, 0, kNetworkId, infos);
  }

  std::vector<Bytes> BuildEits(long second) const {
    std::vector<Bytes> sections;
    for (const Service& service : kServices) {
      if (service.type != 0x01) continue;
      const long index = second * kBroadcastSecondsPerStreamSecond / (service.programmeMinutes * 60L);
      const uint8_t version = static_cast<uint8_t>(index & 0x1F);
      tsmux::EventInfo present = MakeEvent(service, index);
      tsmux::EventInfo following = MakeEvent(service, index + 1);
      present.durationNotFixed = following.startNotFixed = options_.overrun;
      sections.push_back(
          tsmux::BuildEitPresentFollowing(service.id, version, 0, kTransportStreamId, kNetworkId, &present));
      sections.push_back(tsmux::BuildEitPresentFollowing(service.id, version, 1, kTransportStreamId,
                                                         kNetworkId, &following));
    }
    return sections;
  }

  bool Write(const Bytes& packets) {
    for (size_t at = 0; at < packets.size(); at += tsmux::kPacketSize) {
      const uint8_t* packet = packets.data() + at;
      int copies = 1;
      uint8_t damaged[tsmux::kPacketSize];
      if (options_.damage) {
        const int roll = static_cast<int>(random_() % 1000);
        if (roll < options_.lostPerMille) {
          copies = 0;
        } else if (roll < options_.lostPerMille + options_.repeatedPerMille) {
          copies = 2;
        } else if (roll < options_.lostPerMille + options_.repeatedPerMille + options_.corruptedPerMille) {
          std::memcpy(damaged, packet, tsmux::kPacketSize);
          damaged[4 + random_() % (tsmux::kPacketSize - 4)] ^= static_cast<uint8_t>(1 + random_() % 255);
          packet = damaged;
        }
      }
      for (int i = 0; i < copies; ++i) {
        if (std::fwrite(packet, 1, tsmux::kPacketSize, out_) != tsmux::kPacketSize) return false;
      }
    }
    return true;
  }

  Options options_;
  std::mt19937 random_;
  tsmux::Packetizer packetizer_;
  std::FILE* out_ = nullptr;
};

constexpr toolcli::Tool kTool{
    "zentu-tsgen",
    "usage: zentu-tsgen [--seconds N] [--overrun] [--damage SEED] [--lost N] [--repeated N]"
    " [--corrupted N] -o FILE\n"
    "       zentu-tsgen --help | --version\n"
    "Writes a deterministic sample multiplex: three television services and a\n"
    "partial-reception service with NIT, SDT, EIT present/following and TOT.\n"
    "  -o FILE         the output file (required; - writes standard output)\n"
    "  --seconds N     stream length in seconds, 1 to 86400 (default 60)\n"
    "  --overrun       the programmes on air may run over: their duration and\n"
    "                  the start of the programme after each are not fixed\n"
    "  --damage SEED   damage the stream: packets are lost, repeated and\n"
    "                  corrupted at random, from this seed (0 to 2147483647)\n"
    "  --lost N        with --damage: packets lost per 1000 (0 to 1000, default 20)\n"
    "  --repeated N    with --damage: packets sent twice per 1000 (default 20)\n"
    "  --corrupted N   with --damage: packets with a flipped byte per 1000 (default 20)\n"
    "The same options give the same bytes.\n"};

bool ParseInt(const char* text, long low, long high, long* value) {
  char* end = nullptr;
  const long parsed = std::strtol(text, &end, 10);
  if (!end || *end || end == text || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

int RunTool(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    long value = 0;
    const bool hasValue = i + 1 < argc;
    if (kTool.Answers(arg)) {
      return 0;
    } else if (arg == "-o" && hasValue) {
      options.output = argv[++i];
    } else if (arg == "--seconds" && hasValue && ParseInt(argv[++i], 1, 86400, &value)) {
      options.seconds = static_cast<int>(value);
    } else if (arg == "--overrun") {
      options.overrun = true;
    } else if (arg == "--damage" && hasValue && ParseInt(argv[++i], 0, 0x7FFFFFFF, &value)) {
      options.damage = true;
      options.seed = static_cast<uint32_t>(value);
    } else if (arg == "--lost" && hasValue && ParseInt(argv[++i], 0, 1000, &value)) {
      options.lostPerMille = static_cast<int>(value);
    } else if (arg == "--repeated" && hasValue && ParseInt(argv[++i], 0, 1000, &value)) {
      options.repeatedPerMille = static_cast<int>(value);
    } else if (arg == "--corrupted" && hasValue && ParseInt(argv[++i], 0, 1000, &value)) {
      options.corruptedPerMille = static_cast<int>(value);
    } else {
      const bool known = arg == "-o" || arg == "--seconds" || arg == "--damage" || arg == "--lost" ||
                         arg == "--repeated" || arg == "--corrupted";
      if (!known) return kTool.Refuse("unknown argument '" + arg + "'");
      if (!hasValue) return kTool.Refuse(arg + " needs a value");
      return kTool.Refuse("bad value '" + std::string(argv[i]) + "' for " + arg);
    }
  }
  if (options.output.empty()) return kTool.Refuse("no output file (-o FILE)");
  std::FILE* out = options.output == "-" ? stdout : std::fopen(options.output.c_str(), "wb");
  // NOLINTNEXTLINE(concurrency-mt-unsafe): the tool has one thread
  if (!out) return kTool.Fail(2, "cannot write " + options.output + ": " + std::strerror(errno));
  Generator generator(options);
  const bool written = generator.Run(out);
  const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
  if (!written || !closed) return kTool.Fail(1, "write error on " + options.output);
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kTool.Run(argc, argv, RunTool); }
