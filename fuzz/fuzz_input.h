// Reading decisions out of a fuzz input: each call takes the next bytes;
// once the input is used up every answer is 0, so a short input still runs
// to its end with the quiet defaults.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

namespace fuzz {

class FuzzInput {
 public:
  FuzzInput() = default;
  FuzzInput(const uint8_t *data, size_t size) : data_(data), size_(size) {}

  bool Empty() const { return position_ >= size_; }
  size_t Remaining() const { return Empty() ? 0 : size_ - position_; }

  uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | Byte() << 8); }
  uint32_t U32() { return static_cast<uint32_t>(U16()) | static_cast<uint32_t>(U16()) << 16; }
  // True for one in `n` (n > 0) of the byte values; false once used up.
  bool OneIn(uint8_t n) { return !Empty() && Byte() % n == 0; }

  // Up to `count` bytes as they stand.
  std::string Bytes(size_t count) {
    if (count > Remaining()) count = Remaining();
    std::string bytes(reinterpret_cast<const char *>(data_ + position_), count);
    position_ += count;
    return bytes;
  }
  std::string Rest() { return Bytes(Remaining()); }

 private:
  const uint8_t *data_ = nullptr;
  size_t size_ = 0;
  size_t position_ = 0;
};

}  // namespace fuzz
