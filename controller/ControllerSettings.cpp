#include "ControllerSettings.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

int32_t ParseIniInteger(const char* text) {
  if (text == nullptr) return 0;
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

int32_t ParseOptionValue(const char* text, const OptionSpec& spec) {
  if (text == nullptr || text[0] == '\0' || std::strlen(text) > 9) return spec.defaultValue;
  int32_t value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (!std::isdigit(static_cast<unsigned char>(*c))) return spec.defaultValue;
    value = value * 10 + (*c - '0');
  }
  return value <= spec.maxValue ? value : spec.defaultValue;
}

namespace {

struct ModifierName {
  const char* name;
  uint32_t bit;
};
constexpr ModifierName kModifierNames[] = {{"ctrl", kHotKeyCtrl},
                                           {"control", kHotKeyCtrl},
                                           {"alt", kHotKeyAlt},
                                           {"shift", kHotKeyShift},
                                           {"win", kHotKeyWin}};
constexpr uint32_t kVirtualKeyF1 = 0x70;
constexpr int kFunctionKeys = 24;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The key part: a letter or digit is its own virtual key; F1 to F24 follow 0x70.
bool ParseKeyName(const std::string& name, uint32_t* virtualKey) {
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    *virtualKey = static_cast<uint32_t>(std::toupper(static_cast<unsigned char>(name[0])));
    return true;
  }
  if (name.size() < 2 || name.size() > 3 || (name[0] != 'f' && name[0] != 'F')) return false;
  int number = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    number = number * 10 + (name[i] - '0');
  }
  if (number < 1 || number > kFunctionKeys || name[1] == '0') return false;
  *virtualKey = kVirtualKeyF1 + static_cast<uint32_t>(number - 1);
  return true;
}

bool IsFunctionKey(uint32_t virtualKey) {
  return virtualKey >= kVirtualKeyF1 && virtualKey < kVirtualKeyF1 + kFunctionKeys;
}

}  // namespace

bool ParseHotKey(const char* text, HotKey* key) {
  if (text == nullptr) return false;
  HotKey parsed;
  std::string rest = text;
  for (;;) {
    const size_t plus = rest.find('+');
    const std::string part = rest.substr(0, plus);
    if (plus == std::string::npos) {
      if (!ParseKeyName(part, &parsed.virtualKey)) return false;
      break;
    }
    uint32_t bit = 0;
    for (const ModifierName& modifier : kModifierNames) {
      if (Lower(part) == modifier.name) bit = modifier.bit;
    }
    if (bit == 0 || (parsed.modifiers & bit) != 0) return false;
    parsed.modifiers |= bit;
    rest = rest.substr(plus + 1);
  }
  if (parsed.modifiers == 0 && !IsFunctionKey(parsed.virtualKey)) return false;
  *key = parsed;
  return true;
}

std::string FormatHotKey(const HotKey& key) {
  std::string text;
  if (key.modifiers & kHotKeyCtrl) text += "Ctrl+";
  if (key.modifiers & kHotKeyAlt) text += "Alt+";
  if (key.modifiers & kHotKeyShift) text += "Shift+";
  if (key.modifiers & kHotKeyWin) text += "Win+";
  if (IsFunctionKey(key.virtualKey)) return text + "F" + std::to_string(key.virtualKey - kVirtualKeyF1 + 1);
  return text + static_cast<char>(key.virtualKey);
}
