// A bounds-checked cursor over a byte range. Reading past the end records an
// error and yields zeros instead of touching memory outside the range.
#pragma once
#include <cstddef>
#include <cstdint>

class SectionReader {
 public:
  SectionReader() = default;  // over no bytes
  SectionReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t Position() const { return position_; }
  size_t Size() const { return size_; }
  size_t Remaining() const { return position_ < size_ ? size_ - position_ : 0; }
  bool Failed() const { return failed_; }
  bool AtEnd() const { return position_ >= size_; }

  uint8_t U8() {
    if (position_ + 1 > size_) return Fail();
    return data_[position_++];
  }
  uint16_t U16() {
    if (position_ + 2 > size_) return Fail();
    const uint16_t value = static_cast<uint16_t>((data_[position_] << 8) | data_[position_ + 1]);
    position_ += 2;
    return value;
  }
  // 12-bit length field in two bytes.
  uint16_t Length12() { return U16() & 0x0FFF; }

  void Skip(size_t count) {
    if (count > Remaining()) {
      position_ = size_;
      failed_ = true;
      return;
    }
    position_ += count;
  }

  // Returns a pointer to up to `count` bytes and advances past them; when
  // fewer are left, `taken` says how many and the reader fails.
  const uint8_t* Bytes(size_t count, size_t* taken) {
    const uint8_t* start = data_ + (position_ < size_ ? position_ : size_);
    size_t available = Remaining();
    if (count > available) {
      failed_ = true;
      count = available;
    }
    position_ += count;
    *taken = count;
    return start;
  }

  // A reader over the next `count` bytes (clipped to this range); this
  // reader moves past them.
  SectionReader Sub(size_t count) {
    const uint8_t* start = data_ + (position_ < size_ ? position_ : size_);
    size_t available = Remaining();
    if (count > available) count = available;
    position_ += count;
    return SectionReader(start, count);
  }

 private:
  uint8_t Fail() {
    failed_ = true;
    position_ = size_;
    return 0;
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
  bool failed_ = false;
};
