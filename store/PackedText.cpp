#include "store/PackedText.h"

#include "codec/SevenBitText.h"

#include <array>

namespace tarnwick::store {

std::optional<std::u16string> unpackStoredText(std::span<const std::uint8_t> value, std::uint8_t formatByte,
                                               std::size_t maxChars) {
  std::u16string text;
  if (formatByte != kSingleByteTextFormat) {
    // A value stored without packing holds its UTF-16 characters as they are.
    for (std::size_t i = 0; i + 1 < value.size() && text.size() < maxChars; i += 2) {
      const auto c = static_cast<char16_t>(value[i] | (value[i + 1] << 8));
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }
  std::array<std::uint8_t, kPackedTextCapacity> unpacked{};
  const codec::UnpackResult result = codec::decode7Bit(value, unpacked);
  if (!result.ok) return std::nullopt;
  for (std::size_t i = 0; i < result.count && i < unpacked.size() && text.size() < maxChars; ++i) {
    if (unpacked[i] == 0) break;
    text.push_back(static_cast<char16_t>(unpacked[i]));
  }
  return text;
}

}  // namespace tarnwick::store
