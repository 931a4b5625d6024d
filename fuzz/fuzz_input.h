#pragma once

// The fuzzer's bytes read as fields, in order, for the targets that build
// requests from fuzzed values. Missing bytes read as 0, so every input is a
// whole set of fields.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace updater::fuzz {

inline void require(bool holds) {
  if (!holds) __builtin_trap();
}

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t u8() { return at_ < size_ ? data_[at_++] : 0; }

  std::uint32_t u32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(u8()) << (8 * i);
    return value;
  }

  /// `count` bytes; the ones past the end of the input are 0.
  std::vector<std::uint8_t> bytes(std::size_t count) {
    std::vector<std::uint8_t> out(count);
    for (auto& byte : out) byte = u8();
    return out;
  }

  /// Fills `out` with the next bytes.
  void fill(std::span<std::uint8_t> out) {
    for (auto& byte : out) byte = u8();
  }

  /// Whatever is left, at most `limit` bytes.
  std::vector<std::uint8_t> rest(std::size_t limit) {
    const std::size_t count = size_ - at_ < limit ? size_ - at_ : limit;
    std::vector<std::uint8_t> out(data_ + at_, data_ + at_ + count);
    at_ += count;
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace updater::fuzz
