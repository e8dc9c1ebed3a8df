// DecodeAribString output read back with the system's code page 932 (glibc
// iconv): every two-byte code gives text that code page 932 shows, and real
// broadcast strings give the characters other decoders give.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AribString.h"
#include "TextConversion.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Decode(const Bytes& coded) {
  std::vector<char> out(coded.size() * 4 + 16);
  DecodeAribString(coded.data(), uint32_t(coded.size()), out.data(), uint32_t(out.size()));
  return std::string(out.data());
}

Bytes FromHex(const char* hex) {
  Bytes bytes;
  for (const char* p = hex; p[0] && p[1]; p += 2)
    bytes.push_back(uint8_t(std::stoi(std::string(p, 2), nullptr, 16)));
  return bytes;
}

// Code page 932 to `encoding`; false where the input is no code page 932 text.
bool FromCodePage932(const char* encoding, const std::string& sjis, std::string& result) {
  return textconv::Convert(encoding, "CP932", sjis, result);
}

// glibc also decodes control bytes, 0x80, 0xA0 and the user-defined area
// (0xF040-0xF9FC, to private use), none of which the decoder may produce.
bool IsCodePage932Text(const std::string& sjis) {
  std::string utf32;
  if (!FromCodePage932("UTF-32LE", sjis, utf32)) return false;
  for (size_t i = 0; i + 4 <= utf32.size(); i += 4) {
    const auto byte = [&](size_t k) { return uint32_t(uint8_t(utf32[i + k])); };
    const uint32_t c = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || (c >= 0xE000 && c <= 0xF8FF)) return false;
  }
  return true;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (char b : bytes) text += {kDigits[uint8_t(b) >> 4], kDigits[b & 15]};
  return text;
}

constexpr uint8_t kKanjiSet = 0x42, kJisPlane1 = 0x39, kJisPlane2 = 0x3A;

TEST(AribStringCodePage932, EveryTwoByteCodeGivesNothingOrCodePage932Text) {
  int failures = 0;
  for (uint8_t finalByte : {kKanjiSet, kJisPlane1, kJisPlane2}) {
    for (int c1 = 0x21; c1 <= 0x7E; ++c1) {
      for (int c2 = 0x21; c2 <= 0x7E; ++c2) {
        const std::string text = Decode({0x1B, 0x24, finalByte, uint8_t(c1), uint8_t(c2)});
        if (text.empty() || IsCodePage932Text(text)) continue;
        ADD_FAILURE() << "set " << std::hex << int(finalByte) << " code " << (c1 << 8 | c2) << " gives "
                      << Hex(text);
        if (++failures == 10) return;
      }
    }
  }
}

// Codes that JIS-to-Shift_JIS arithmetic alone got wrong, and the character
// each gives now; 〓 (the geta mark) where code page 932 has no character.
TEST(AribStringCodePage932, RowsBeyondJisX0208) {
  const struct {
    uint8_t finalByte;
    uint16_t code;
    const char* character;
  } cases[] = {
      {kKanjiSet, 0x7540, "﨑"},                               // additional kanji, in the IBM extensions
      {kKanjiSet, 0x7647, "髙"},  {kKanjiSet, 0x754B, "曙"},   // additional kanji that JIS X 0208 has too
      {kKanjiSet, 0x7521, "〓"},                               // 㐂, not in code page 932
      {kKanjiSet, 0x764C, "〓"},                               // after the last additional kanji
      {kKanjiSet, 0x7921, "〓"},  {kKanjiSet, 0x7427, "〓"},   // after JIS X 0208's last kanji
      {kKanjiSet, 0x2239, "〓"},  {kKanjiSet, 0x2D21, "①"},    // code page 932 has NEC's row 13
      {kJisPlane1, 0x7A50, "〓"},                              // 腠 of JIS X 0213, not in code page 932
      {kJisPlane1, 0x7E72, "黑"}, {kJisPlane1, 0x2D70, "〓"},  // NEC's ≒ there, unassigned in JIS X 0213
      {kJisPlane2, 0x2121, "〓"},
  };
  for (const auto& c : cases) {
    const Bytes coded = {0x1B, 0x24, c.finalByte, uint8_t(c.code >> 8), uint8_t(c.code)};
    std::string utf8;
    EXPECT_TRUE(FromCodePage932("UTF-8", Decode(coded), utf8));
    EXPECT_EQ(utf8, c.character) << "set " << std::hex << int(c.finalByte) << " code " << c.code;
  }
}

// Strings from broadcasts in the test suites of other decoders, with the text
// they expect, verbatim.
struct BroadcastString {
  const char* source;
  const char* coded;
  const char* expected;
};

const BroadcastString kBroadcastStrings[] = {
    // TSDuck, src/utest/utestARIBCharset.cpp, testDecode1-26: service names of
    // Akita stations, then programme titles and descriptions.
    {"tsduck 1", "0E4E484B0F416D39670E31FE0F3D294544", "NHK総合1・秋田"},
    {"tsduck 2", "0E4E484B0F416D39670E32FE0F3D294544", "NHK総合2・秋田"},
    {"tsduck 3", "0E4E484B0F374842530E47FE0F3D294544", "NHK携帯G・秋田"},
    {"tsduck 4", "0E4E484B451D461D6C310F3D294544", "NHKEテレ1秋田"},
    {"tsduck 5", "0E4E484B451D461D6C320F3D294544", "NHKEテレ2秋田"},
    {"tsduck 6", "0E4E484B451D461D6C330F3D294544", "NHKEテレ3秋田"},
    {"tsduck 7", "0E4E484B0F374842530E32", "NHK携帯2"},
    {"tsduck 8", "3D294544442B467C4A7C4177", "秋田朝日放送"},
    {"tsduck 9", "0E4142530F3D2945444A7C41770E31", "ABS秋田放送1"},
    {"tsduck 10", "0E4142530F3D2945444A7C41770E32", "ABS秋田放送2"},
    {"tsduck 11", "3D2945444A7C417737484253", "秋田放送携帯"},
    {"tsduck 12", "0E4142530F3D2945444A7C41774E573B7E", "ABS秋田放送臨時"},
    {"tsduck 13", "0E414B540F3D2945441B7CC6ECD30E31", "AKT秋田テレビ1"},
    {"tsduck 14", "0E414B540F3D2945441B7CC6ECD30E32", "AKT秋田テレビ2"},
    {"tsduck 15", "0E414B540F4E573B7E", "AKT臨時"},
    {"tsduck 16", "0E471B7CACA4C9", "Gガイド"},
    {"tsduck 17", "0E414B540F3D2945441B7CC6ECD3", "AKT秋田テレビ"},
    {"tsduck 18", "0E4E484B1D4B1D65F91D39370F1B243B7A5A7A56", "NHKニュース7🈔🈑"},
    {"tsduck 19",
     "4C6B0E370F3B7EFDFB306C4A624068D8FD306C4A623F3CAFFC21213A23FDB3CE1D4B1D65F91D39F2464FB1BFA4"
     "2121215A1B7CADE3B9BFF9215B404430663C422124215AB5D6ADE3B9BFF9215B435345443F2D3B522124304B46"
     "23332449272124215A35243E5DADE3B9BFF9215B4366423C487E3878",
     "夜7時、「一歩先へ、一歩深く」　今、このニュースを届けたい　【キャスター】青井実，"
     "【サブキャスター】池田伸子，伊藤海彦，【気象キャスター】中村美公"},
    {"tsduck 20", "3D5031693C54", "出演者"},
    {"tsduck 21",
     "215A1B7CADE3B9BFF9215B404430663C422124215AB5D6ADE3B9BFF9215B435345443F2D3B522124304B462333"
     "2449272124215A35243E5DADE3B9BFF9215B4366423C487E3878",
     "【キャスター】青井実，【サブキャスター】池田伸子，伊藤海彦，【気象キャスター】中村美公"},
    {"tsduck 22",
     "1D40F91B6F262373AC0F4D68BF212AFB47484D70CE1B7CE9A4AAF333583160194B4078467E212A49343D43194E"
     "322619724D5C402E212A212AFC1B243B7A5C7A56",
     "ダーウィンが来た！「波乱のライオン学園に潜入！百獣の王を養成！！」🈖🈑"},
    {"tsduck 23",
     "402E4439DEC3BFC04366CE1B6F69242A73CE0F3B52C9E2BFC1ACFD3732ECCE4366C7406840384C72CE42673F4D"
     "ABE93C6DEACE353BE43B523069C63D51F23358D6FA49543F3F4C4C4C5CCA4038454CCF426033583D684A2CCB21"
     "2A2129335831601B7CC9E9DE346949691931194E47484D70194E467C2139194B4C294365212A",
     "成長まっただ中のライオンの子どもたちが、群れの中で先生役の大人から狩りの技や子育て術を学ぶ。"
     "不真面目な生徒は退学処分に！？学園ドラマ顔負けの波乱の日々に密着！"},
    // JIS-compatible plane 1 (ESC $ 9) for the parentheses.
    {"tsduck 24",
     "215A455A4D4B3B7E42651B7CC9E9DE215B31404C383F4E3A3831524C670E330F21211B243B7A6B1B2439214A0E"
     "310F214BFB4D72194E4D3D3436FC1B243B7A5C7A56",
     "【土曜時代ドラマ】雲霧仁左衛門3　🈟（1）「嵐の予感」🈖🈑"},
    {"tsduck 25",
     "1B7CCACBB3EC44414934374A2040561B7DC1E3F3AC254A255E253AF23F29D9EB2129444149773D2C4233213921"
     "7546304A2AC83F4DCE3643ADCE3B364A620E53501B243B0F7A56",
     "ナニコレ珍百景　赤ちゃんがナマズを食べる？珍風習続々＆動物と人の驚きの散歩SP🈑"},
    {"tsduck 26",
     "217A467C4B5C41343971C73643ADCE3877374AF2482F382B2227355C3A6A2144AA3F29A43D69E1CF254A255E25"
     "3A4E414D7D22274A21322C21443824CE426737334344AC3B364A622227357E45542144252A25262560C83B364A"
     "62B9EB1B7E89B7B78A3A5022274045322C21443324345F1B7DCB34714057CE3565424E3464222740694D552144"
     "4C5ACE3B5EC7382436214D5C",
     "★日本全国で驚きの光景を発見▼宮崎…お食い初めはナマズ料理▼福岡…犬の大軍団が散歩▼京都…"
     "オウムと散歩する77歳▼静岡…海岸に奇跡の球体岩▼千葉…木の枝で犬供養"},
    // ariblib (youzaka), tests/sections/test_nit.py and test_sdt.py: a network
    // name, a transport stream name and a service name.
    {"ariblib nit", "456C357E1B7EB7", "東京7"},
    {"ariblib nit", "1B7ED4CFCBD9CF2121CDD8", "TOKYO　MX"},
    {"ariblib sdt", "1B7ED4CFCBD9CF2121CDD8B1", "TOKYO　MX1"},
};

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The references in this decoder's terms: letters and digits full-width,
// enclosed ideographs as bracketed texts. Ideographic spaces are dropped on
// both sides: the space control 0x20 gives nothing here and U+3000 there.
std::string AsOurs(const std::string& reference) {
  std::string text;
  for (char c : reference) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      const uint32_t full = 0xFF00 + uint32_t(c - 0x20);  // U+FF10-U+FF5A
      text += {char(0xE0 | full >> 12), char(0x80 | (full >> 6 & 0x3F)), char(0x80 | (full & 0x3F))};
    } else {
      text += c;
    }
  }
  ReplaceAll(text, "🈑", "[字]");
  ReplaceAll(text, "🈔", "[二]");
  ReplaceAll(text, "🈖", "[解]");
  ReplaceAll(text, "🈟", "[新]");
  ReplaceAll(text, "　", "");
  return text;
}

TEST(AribStringCodePage932, BroadcastStringsGiveTheReferenceCharacters) {
  for (const BroadcastString& s : kBroadcastStrings) {
    std::string ours;
    EXPECT_TRUE(FromCodePage932("UTF-8", Decode(FromHex(s.coded)), ours)) << s.source;
    ReplaceAll(ours, "　", "");
    EXPECT_EQ(ours, AsOurs(s.expected)) << s.source;
  }
}

}  // namespace
