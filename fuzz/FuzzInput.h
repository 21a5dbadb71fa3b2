// Reads a fuzzer's bytes as the small decisions and the texts of one case.
// Past the end every read gives zeros, so any input makes a whole case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "StandInControl.h"

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  std::uint32_t Word() {
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word = word << 8 | Byte();
    return word;
  }

  /// The next `count` bytes, fewer when the input ends first.
  std::string Text(std::size_t count) {
    const std::size_t taken = count < size_ - at_ ? count : size_ - at_;
    const std::string text(reinterpret_cast<const char*>(data_ + at_), taken);
    at_ += taken;
    return text;
  }

  std::string Rest() { return Text(size_ - at_); }

  /// Rights on a key: mostly full, now and then read-only or none.
  standin::KeyRights Rights() {
    switch (Byte() % 8) {
      case 6:
        return standin::KeyRights::ReadOnly;
      case 7:
        return standin::KeyRights::None;
      default:
        return standin::KeyRights::Full;
    }
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};
