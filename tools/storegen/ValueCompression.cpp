#include "tools/storegen/ValueCompression.h"

#include "codec/Lz77Encoder.h"
#include "codec/SevenBitText.h"

namespace tarnwick::storegen {

bool valueCompressionAvailable() { return true; }

std::optional<Bytes> compressValue(std::span<const std::uint8_t> value, ValueKind kind, bool alwaysPack) {
  if (value.empty()) return std::nullopt;
  if (kind != ValueKind::Binary && value.size() < kSevenBitLimit) {
    const auto packed = codec::encode7Bit(
        value, kind == ValueKind::AsciiText ? codec::SevenBitKind::Ascii : codec::SevenBitKind::Unicode);
    if (packed && (alwaysPack || packed->size() < value.size())) return Bytes(packed->begin(), packed->end());
    if (packed) return std::nullopt;
  }
  const auto packed = codec::encodeLz77(value);
  if (packed && packed->size() < value.size()) return Bytes(packed->begin(), packed->end());
  return std::nullopt;
}

}  // namespace tarnwick::storegen
