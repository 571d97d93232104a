#pragma once

#include <cstdint>

namespace tarnwick::content {

// Where a value of a message record lies, as the record gives it: inline at a 40-bit file
// position (the position of its format byte) with its length counted from that byte, or,
// when the length is 5 or not positive, in long-value chunks.
struct StoredValueLocation {
  static constexpr std::int32_t kLongValueLength = 5;

  std::uint64_t position = 0;
  std::int32_t length = 0;

  bool inChunks() const { return length == kLongValueLength || length <= 0; }
};

}  // namespace tarnwick::content
