// zentu-aribdecode HEX...: decodes one ARIB-coded string, given in hex over
// one or more arguments (white space ignored), and prints it as UTF-8.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "AribString.h"
#include "CommandLine.h"
#include "TextConversion.h"

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Joins the arguments, drops white space and reads byte pairs. False on a
// character that is no hex digit or an odd number of digits.
bool ParseHexArguments(int argc, char** argv, std::vector<uint8_t>& bytes, std::string& error) {
  std::string digits;
  for (int i = 1; i < argc; ++i) {
    for (const char* p = argv[i]; *p; ++p) {
      if (std::isspace(static_cast<unsigned char>(*p))) continue;
      if (HexDigitValue(*p) < 0) {
        error = std::string("not a hex digit: '") + *p + "'";
        return false;
      }
      digits += *p;
    }
  }
  if (digits.size() % 2 != 0) {
    error = "odd number of hex digits";
    return false;
  }
  for (size_t i = 0; i < digits.size(); i += 2)
    bytes.push_back(uint8_t(HexDigitValue(digits[i]) << 4 | HexDigitValue(digits[i + 1])));
  return true;
}

constexpr toolcli::Tool kTool{"zentu-aribdecode",
                              "usage: zentu-aribdecode HEX...\n"
                              "       zentu-aribdecode --help | --version\n"
                              "Decodes one ARIB STD-B24 coded string, given in hex over one or more\n"
                              "arguments (white space ignored), and prints it as UTF-8.\n"};

int RunTool(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (kTool.Answers(arg)) return 0;
    if (arg[0] == '-') return kTool.Refuse("unknown option '" + arg + "'");
  }
  if (argc < 2) return kTool.Refuse("no HEX given");
  std::vector<uint8_t> coded;
  std::string error;
  if (!ParseHexArguments(argc, argv, coded, error)) return kTool.Refuse("bad hex: " + error);
  // At most 6 output bytes per 2 coded bytes, plus the terminator.
  std::vector<char> sjis(coded.size() * 3 + 8);
  DecodeAribString(coded.data(), uint32_t(coded.size()), sjis.data(), uint32_t(sjis.size()));

  std::string utf8;
  if (!textconv::Convert("UTF-8", "CP932", sjis.data(), utf8)) {
    std::fprintf(stderr, "zentu-aribdecode: output is not CP932\n");
    return 1;
  }
  std::printf("%s\n", utf8.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return kTool.Run(argc, argv, RunTool); }
