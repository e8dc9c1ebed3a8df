#include "TsWriter.h"

#include <algorithm>

namespace tsmux {

namespace {

struct JisCode {
  uint32_t codePoint;
  uint16_t jis;
};

// Non-kana characters the sample texts use, with their JIS X 0208 codes.
const JisCode kJisTable[] = {
    {0x3000, 0x2121},  // 　
    {0x3002, 0x2123},  // 。
    {0x300C, 0x2156},  // 「
    {0x300D, 0x2157},  // 」
    {0x30FC, 0x213C},  // ー
    {0x4E2D, 0x4366},  // 中
    {0x4E88, 0x4D3D},  // 予
    {0x4E8B, 0x3B76},  // 事
    {0x4EBA, 0x3F4D},  // 人
    {0x4ECA, 0x3A23},  // 今
    {0x4ECB, 0x3270},  // 介
    {0x4F1A, 0x3271},  // 会
    {0x4F1D, 0x4541},  // 伝
    {0x4F5C, 0x3A6E},  // 作
    {0x5168, 0x4134},  // 全
    {0x51FA, 0x3D50},  // 出
    {0x5287, 0x3760},  // 劇
    {0x5358, 0x4331},  // 単
    {0x53E4, 0x3845},  // 古
    {0x53F2, 0x3B4B},  // 史
    {0x5408, 0x3967},  // 合
    {0x540D, 0x4C3E},  // 名
    {0x5439, 0x3F61},  // 吹
    {0x554F, 0x4C64},  // 問
    {0x56FD, 0x3971},  // 国
    {0x57CE, 0x3E6B},  // 城
    {0x57FA, 0x3470},  // 基
    {0x5831, 0x4A73},  // 報
    {0x5834, 0x3E6C},  // 場
    {0x591C, 0x4C6B},  // 夜
    {0x5929, 0x4537},  // 天
    {0x592E, 0x317B},  // 央
    {0x5BB6, 0x3248},  // 家
    {0x5C02, 0x406C},  // 専
    {0x5DE5, 0x3929},  // 工
    {0x624B, 0x3C6A},  // 手
    {0x63A2, 0x4335},  // 探
    {0x653E, 0x4A7C},  // 放
    {0x6559, 0x3635},  // 教
    {0x6599, 0x4E41},  // 料
    {0x65B0, 0x3F37},  // 新
    {0x65E5, 0x467C},  // 日
    {0x660E, 0x4C40},  // 明
    {0x6620, 0x3147},  // 映
    {0x6625, 0x3D55},  // 春
    {0x6642, 0x3B7E},  // 時
    {0x671D, 0x442B},  // 朝
    {0x672C, 0x4B5C},  // 本
    {0x6765, 0x4D68},  // 来
    {0x6771, 0x456C},  // 東
    {0x697D, 0x335A},  // 楽
    {0x6B4C, 0x324E},  // 歌
    {0x6B74, 0x4E72},  // 歴
    {0x6C17, 0x3524},  // 気
    {0x6DF1, 0x3F3C},  // 深
    {0x7403, 0x3565},  // 球
    {0x7406, 0x4D7D},  // 理
    {0x751F, 0x4038},  // 生
    {0x753A, 0x442E},  // 町
    {0x753B, 0x3268},  // 画
    {0x756A, 0x4856},  // 番
    {0x793E, 0x3C52},  // 社
    {0x7B2C, 0x4268},  // 第
    {0x7C21, 0x344A},  // 簡
    {0x7D39, 0x3E52},  // 紹
    {0x7D44, 0x4148},  // 組
    {0x7D99, 0x3751},  // 継
    {0x7DCF, 0x416D},  // 総
    {0x80B2, 0x3069},  // 育
    {0x8A0E, 0x4624},  // 討
    {0x8A2A, 0x4B2C},  // 訪
    {0x8A66, 0x3B6E},  // 試
    {0x8A71, 0x4F43},  // 話
    {0x8AD6, 0x4F40},  // 論
    {0x9001, 0x4177},  // 送
    {0x901A, 0x444C},  // 通
    {0x9031, 0x3D35},  // 週
    {0x90FD, 0x4554},  // 都
    {0x91CE, 0x4C6E},  // 野
    {0x9580, 0x4C67},  // 門
    {0x9593, 0x3456},  // 間
    {0x97F3, 0x323B},  // 音
    {0x984C, 0x426A},  // 題
    {0x98A8, 0x4977},  // 風
    {0xFF11, 0x2331},  // １
    {0xFF12, 0x2332},  // ２
    {0xFF13, 0x2333},  // ３
};

constexpr uint16_t kJisFullWidthQuestion = 0x2129;

uint16_t ToJis(uint32_t codePoint) {
  if (codePoint >= 0x3041 && codePoint <= 0x3093) return static_cast<uint16_t>(0x2421 + (codePoint - 0x3041));
  if (codePoint >= 0x30A1 && codePoint <= 0x30F6) return static_cast<uint16_t>(0x2521 + (codePoint - 0x30A1));
  for (const JisCode& entry : kJisTable) {
    if (entry.codePoint == codePoint) return entry.jis;
  }
  return kJisFullWidthQuestion;
}

// Next code point of a UTF-8 string; malformed bytes count as one each.
uint32_t NextCodePoint(const std::string& text, size_t& i) {
  const uint8_t lead = static_cast<uint8_t>(text[i++]);
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  uint32_t value = extra == 3 ? lead & 0x07 : extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
  while (extra-- > 0 && i < text.size()) value = (value << 6) | (static_cast<uint8_t>(text[i++]) & 0x3F);
  return value;
}

void PutU16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutLength12(Bytes& out, size_t at, size_t length, uint8_t reservedBits = 0xF0) {
  out[at] = static_cast<uint8_t>(reservedBits | ((length >> 8) & 0x0F));
  out[at + 1] = static_cast<uint8_t>(length);
}

}  // namespace

uint32_t Crc32Mpeg2(const uint8_t* data, size_t length) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < length; ++i) {
    crc ^= static_cast<uint32_t>(data[i]) << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
  }
  return crc;
}

Bytes EncodeAribText(const std::string& utf8) {
  enum class Set { kNone, kAlphanumeric, kKanji } current = Set::kNone;
  Bytes out;
  size_t i = 0;
  while (i < utf8.size()) {
    const uint32_t codePoint = NextCodePoint(utf8, i);
    if (codePoint >= 0x20 && codePoint < 0x7F) {
      if (current != Set::kAlphanumeric) {
        out.insert(out.end(), {0x1B, 0x28, 0x4A});  // ESC ( J: alphanumeric into G0
        current = Set::kAlphanumeric;
      }
      out.push_back(static_cast<uint8_t>(codePoint));
      continue;
    }
    if (current != Set::kKanji) {
      out.insert(out.end(), {0x1B, 0x24, 0x42});  // ESC $ B: kanji into G0
      current = Set::kKanji;
    }
    PutU16(out, ToJis(codePoint));
  }
  return out;
}

uint16_t DateToMjd(int year, int month, int day) {
  // Days from civil (proleptic Gregorian), then shift to the MJD epoch.
  year -= month <= 2;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const long daysSince1970 = static_cast<long>(era) * 146097 + dayOfEra - 719468;
  return static_cast<uint16_t>(daysSince1970 + 40587);
}

uint8_t ToBcd(int value) { return static_cast<uint8_t>(((value / 10) % 10) << 4 | (value % 10)); }

void FinishSection(Bytes& section) {
  const size_t sectionLength = section.size() - 3 + 4;
  section[1] = static_cast<uint8_t>((section[1] & 0xF0) | ((sectionLength >> 8) & 0x0F));
  section[2] = static_cast<uint8_t>(sectionLength);
  const uint32_t crc = Crc32Mpeg2(section.data(), section.size());
  for (int shift = 24; shift >= 0; shift -= 8) section.push_back(static_cast<uint8_t>(crc >> shift));
}

Bytes BuildNit(uint16_t networkId, uint8_t version, uint16_t transportStreamId, uint16_t originalNetworkId,
               uint8_t remoteControlKeyId, const Bytes& tsName, const std::vector<uint16_t>& serviceIds) {
  Bytes s = {0x40, 0xF0, 0x00};
  PutU16(s, networkId);
  s.push_back(static_cast<uint8_t>(0xC1 | (version & 0x1F) << 1));
  s.push_back(0);  // section_number
  s.push_back(0);  // last_section_number
  // Network descriptors: a network name descriptor (0x40).
  const size_t networkLengthAt = s.size();
  s.insert(s.end(), {0xF0, 0x00});
  s.push_back(0x40);
  s.push_back(static_cast<uint8_t>(tsName.size()));
  s.insert(s.end(), tsName.begin(), tsName.end());
  PutLength12(s, networkLengthAt, s.size() - networkLengthAt - 2);

  const size_t loopLengthAt = s.size();
  s.insert(s.end(), {0xF0, 0x00});
  PutU16(s, transportStreamId);
  PutU16(s, originalNetworkId);
  const size_t descriptorsLengthAt = s.size();
  s.insert(s.end(), {0xF0, 0x00});
  // A service list descriptor (0x41) first, then the TS information descriptor.
  s.push_back(0x41);
  s.push_back(static_cast<uint8_t>(serviceIds.size() * 3));
  for (uint16_t id : serviceIds) {
    PutU16(s, id);
    s.push_back(0x01);
  }
  s.push_back(0xCD);
  s.push_back(static_cast<uint8_t>(2 + tsName.size() + 2 + 2 * serviceIds.size()));
  s.push_back(remoteControlKeyId);
  s.push_back(static_cast<uint8_t>(tsName.size() << 2 | 1));  // one transmission type
  s.insert(s.end(), tsName.begin(), tsName.end());
  s.push_back(0x0F);  // transmission_type_info
  s.push_back(static_cast<uint8_t>(serviceIds.size()));
  for (uint16_t id : serviceIds) PutU16(s, id);
  PutLength12(s, descriptorsLengthAt, s.size() - descriptorsLengthAt - 2);
  PutLength12(s, loopLengthAt, s.size() - loopLengthAt - 2);
  FinishSection(s);
  return s;
}

Bytes BuildSdt(uint16_t transportStreamId, uint8_t version, uint16_t originalNetworkId,
               const std::vector<ServiceInfo>& services) {
  Bytes s = {0x42, 0xF0, 0x00};
  PutU16(s, transportStreamId);
  s.push_back(static_cast<uint8_t>(0xC1 | (version & 0x1F) << 1));
  s.push_back(0);
  s.push_back(0);
  PutU16(s, originalNetworkId);
  s.push_back(0xFF);  // reserved_future_use
  for (const ServiceInfo& service : services) {
    PutU16(s, service.serviceId);
    s.push_back(0xFF);  // EIT flags
    const size_t loopLengthAt = s.size();
    s.insert(s.end(), {0x80, 0x00});  // running, not scrambled
    s.push_back(0x48);
    s.push_back(static_cast<uint8_t>(3 + service.providerName.size() + service.serviceName.size()));
    s.push_back(service.serviceType);
    s.push_back(static_cast<uint8_t>(service.providerName.size()));
    s.insert(s.end(), service.providerName.begin(), service.providerName.end());
    s.push_back(static_cast<uint8_t>(service.serviceName.size()));
    s.insert(s.end(), service.serviceName.begin(), service.serviceName.end());
    PutLength12(s, loopLengthAt, s.size() - loopLengthAt - 2, 0x80);
  }
  FinishSection(s);
  return s;
}

Bytes BuildEitPresentFollowing(uint16_t serviceId, uint8_t version, uint8_t sectionNumber,
                               uint16_t transportStreamId, uint16_t originalNetworkId,
                               const EventInfo* event) {
  Bytes s = {0x4E, 0xF0, 0x00};
  PutU16(s, serviceId);
  s.push_back(static_cast<uint8_t>(0xC1 | (version & 0x1F) << 1));
  s.push_back(sectionNumber);
  s.push_back(1);  // last_section_number
  PutU16(s, transportStreamId);
  PutU16(s, originalNetworkId);
  s.push_back(1);     // segment_last_section_number
  s.push_back(0x4E);  // last_table_id
  if (event) {
    PutU16(s, event->eventId);
    if (event->startNotFixed) {
      s.insert(s.end(), 5, 0xFF);
    } else {
      PutU16(s, event->startMjd);
      s.push_back(ToBcd(event->startHour));
      s.push_back(ToBcd(event->startMinute));
      s.push_back(ToBcd(event->startSecond));
    }
    if (event->durationNotFixed) {
      s.insert(s.end(), 3, 0xFF);
    } else {
      s.push_back(ToBcd(event->durationSeconds / 3600));
      s.push_back(ToBcd(event->durationSeconds / 60 % 60));
      s.push_back(ToBcd(event->durationSeconds % 60));
    }
    const size_t loopLengthAt = s.size();
    s.insert(s.end(), {0x00, 0x00});
    // Short event descriptor: language "jpn", name, text.
    s.push_back(0x4D);
    s.push_back(static_cast<uint8_t>(5 + event->name.size() + event->text.size()));
    s.insert(s.end(), {'j', 'p', 'n'});
    s.push_back(static_cast<uint8_t>(event->name.size()));
    s.insert(s.end(), event->name.begin(), event->name.end());
    s.push_back(static_cast<uint8_t>(event->text.size()));
    s.insert(s.end(), event->text.begin(), event->text.end());
    const uint8_t running = sectionNumber == 0 ? 4 : 1;  // running / not yet running
    PutLength12(s, loopLengthAt, s.size() - loopLengthAt - 2, static_cast<uint8_t>(running << 5));
  }
  FinishSection(s);
  return s;
}

Bytes BuildTot(uint16_t mjd, int hour, int minute, int second) {
  Bytes s = {0x73, 0x70, 0x00};
  PutU16(s, mjd);
  s.push_back(ToBcd(hour));
  s.push_back(ToBcd(minute));
  s.push_back(ToBcd(second));
  // Local time offset descriptor: JPN, region 0, +09:00, no change scheduled.
  const size_t loopLengthAt = s.size();
  s.insert(s.end(), {0xF0, 0x00});
  s.insert(s.end(), {0x58, 13, 'J', 'P', 'N', 0x02, 0x09, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x09, 0x00});
  PutLength12(s, loopLengthAt, s.size() - loopLengthAt - 2);
  FinishSection(s);
  return s;
}

uint8_t Packetizer::NextCounter(uint16_t pid) {
  uint8_t& counter = counters_[pid];
  const uint8_t value = counter;
  counter = (counter + 1) & 0x0F;
  return value;
}

void Packetizer::PutSections(uint16_t pid, const std::vector<Bytes>& sections, Bytes& out) {
  Bytes stream;
  std::vector<size_t> starts;
  for (const Bytes& section : sections) {
    starts.push_back(stream.size());
    stream.insert(stream.end(), section.begin(), section.end());
  }
  size_t position = 0;
  size_t nextStart = 0;  // index into starts
  while (position < stream.size()) {
    while (nextStart < starts.size() && starts[nextStart] < position) ++nextStart;
    uint8_t packet[kPacketSize];
    std::fill(packet, packet + kPacketSize, 0xFF);
    packet[0] = 0x47;
    packet[2] = static_cast<uint8_t>(pid);
    const bool startHere = nextStart < starts.size() && starts[nextStart] - position < kPacketSize - 5;
    packet[1] = static_cast<uint8_t>((startHere ? 0x40 : 0x00) | ((pid >> 8) & 0x1F));
    packet[3] = static_cast<uint8_t>(0x10 | NextCounter(pid));
    size_t at = 4;
    size_t room = kPacketSize - 4;
    if (startHere) {
      packet[at++] = static_cast<uint8_t>(starts[nextStart] - position);
      --room;
    } else if (nextStart < starts.size() && starts[nextStart] - position < room) {
      // A section would begin in a packet without a pointer_field: end this
      // packet before it and let the next one start it.
      room = starts[nextStart] - position;
    }
    const size_t count = std::min(room, stream.size() - position);
    std::copy(stream.begin() + static_cast<std::ptrdiff_t>(position),
              stream.begin() + static_cast<std::ptrdiff_t>(position + count), packet + at);
    position += count;
    out.insert(out.end(), packet, packet + kPacketSize);
  }
}

void Packetizer::PutFiller(uint16_t pid, uint32_t seed, int adaptationEvery, Bytes& out) {
  const uint32_t count = fillerCounts_[pid]++;
  uint8_t packet[kPacketSize];
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>(((count % 30 == 0) ? 0x40 : 0x00) | ((pid >> 8) & 0x1F));
  packet[2] = static_cast<uint8_t>(pid);
  size_t at = 4;
  if (adaptationEvery > 0 && count % static_cast<uint32_t>(adaptationEvery) == 0) {
    packet[3] = static_cast<uint8_t>(0x30 | NextCounter(pid));
    packet[4] = 7;     // adaptation_field_length
    packet[5] = 0x10;  // PCR_flag
    const uint64_t pcr = static_cast<uint64_t>(count) * 1500;
    packet[6] = static_cast<uint8_t>(pcr >> 25);
    packet[7] = static_cast<uint8_t>(pcr >> 17);
    packet[8] = static_cast<uint8_t>(pcr >> 9);
    packet[9] = static_cast<uint8_t>(pcr >> 1);
    packet[10] = static_cast<uint8_t>((pcr & 1) << 7 | 0x7E);
    packet[11] = 0;
    at = 12;
  } else {
    packet[3] = static_cast<uint8_t>(0x10 | NextCounter(pid));
  }
  uint32_t state = seed ^ (count * 2654435761u) ^ pid;
  for (; at < kPacketSize; ++at) {
    state = state * 1664525u + 1013904223u;
    packet[at] = static_cast<uint8_t>(state >> 24);
  }
  out.insert(out.end(), packet, packet + kPacketSize);
}

}  // namespace tsmux
