// Shared by the fuzzers of what the user sees: texts taken from the input,
// buffers of exact size, and the checks that every shown text passes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ShiftJisCut.h"

namespace fuzztext {

// The input from `offset` on as texts separated by zero bytes; `count`
// texts, the missing ones empty.
inline std::vector<std::string> SplitTexts(const uint8_t* data, size_t size, size_t offset, size_t count) {
  std::vector<std::string> texts(count);
  size_t at = offset;
  for (size_t i = 0; i < count && at < size; ++i) {
    const auto* begin = reinterpret_cast<const char*>(data + at);
    const size_t length = strnlen(begin, size - at);
    texts[i].assign(begin, length);
    at += length + 1;
  }
  return texts;
}

// A heap buffer of exactly `size` bytes (so that AddressSanitizer sees any
// write past it), filled with a byte that is no terminator.
class ExactBuffer {
 public:
  static constexpr unsigned char kFill = 0xA5;
  explicit ExactBuffer(size_t size) : size_(size), data_(new char[size]) {
    std::memset(data_.get(), kFill, size);
  }
  char* Data() const { return data_.get(); }
  size_t Size() const { return size_; }
  bool Untouched() const {
    for (size_t i = 0; i < size_; ++i) {
      if (static_cast<unsigned char>(data_[i]) != kFill) return false;
    }
    return true;
  }

 private:
  size_t size_;
  std::unique_ptr<char[]> data_;
};

// Bytes copied into a heap buffer of their exact size.
inline std::unique_ptr<uint8_t[]> ExactCopy(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> copy(new uint8_t[size ? size : 1]);
  if (size) std::memcpy(copy.get(), data, size);
  return copy;
}

// Whether the text's last character is a Shift_JIS lead byte without its
// trail byte, its characters read from the start.
inline bool EndsInHalfCharacter(const char* text) {
  for (size_t i = 0; text[i] != '\0';) {
    if (!sjis::IsLeadByte(static_cast<unsigned char>(text[i]))) {
      ++i;
    } else if (text[i + 1] == '\0') {
      return true;
    } else {
      i += 2;
    }
  }
  return false;
}

// Every text the user sees: terminated inside its buffer and ending in a
// whole character.
inline void CheckShownText(const char* text, size_t size) {
  if (size == 0 || std::memchr(text, '\0', size) == nullptr) __builtin_trap();
  if (EndsInHalfCharacter(text)) __builtin_trap();
}

inline void CheckShownText(const std::string& text) {
  if (text.find('\0') != std::string::npos || EndsInHalfCharacter(text.c_str())) __builtin_trap();
}

}  // namespace fuzztext
