#include "codec/SevenBitText.h"

namespace tarnwick::codec {
namespace {

constexpr std::uint32_t kCharMask = 0x7F;
constexpr unsigned kGroupBytes = 7;  // seven packed bytes hold eight characters

}  // namespace

UnpackResult decode7Bit(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  UnpackResult result;
  if (input.data() == nullptr || output.data() == nullptr || input.empty() || input[0] == sevenbit::kLz77Format) {
    return result;
  }
  const std::size_t chars = (input.size() - 1) * 8 / sevenbit::kCharBits;
  if (output.size() < chars) return result;

  std::uint32_t accumulator = 0;
  unsigned i = 0;
  std::size_t& out = result.count;
  for (std::size_t p = 1; p < input.size(); ++p) {
    accumulator += static_cast<std::uint32_t>(input[p]) << i;
    output[out++] = static_cast<std::uint8_t>(accumulator & kCharMask);
    accumulator >>= sevenbit::kCharBits;
    if (i == kGroupBytes - 1) {
      output[out++] = static_cast<std::uint8_t>(accumulator & kCharMask);
      accumulator >>= sevenbit::kCharBits;
      i = 0;
    } else {
      ++i;
    }
  }
  result.ok = accumulator == 0;
  return result;
}

std::optional<std::vector<std::uint8_t>> unpack7Bit(std::span<const std::uint8_t> input, std::size_t capacity) {
  std::vector<std::uint8_t> out(capacity, 0);
  const UnpackResult result = decode7Bit(input, out);
  if (!result.ok) return std::nullopt;
  out.resize(result.count);
  return out;
}

std::optional<std::vector<std::uint8_t>> unpack7BitText(std::span<const std::uint8_t> value) {
  if (value.empty()) return std::nullopt;
  const std::uint8_t format = value[0] & sevenbit::kFormatMask;
  if (format != sevenbit::kAsciiFormat && format != sevenbit::kUnicodeFormat) return std::nullopt;
  const std::size_t lastBits = (value[0] & sevenbit::kLastBitsMask) + 1u;
  const std::size_t bits = value.size() < 2 ? 0 : (value.size() - 2) * 8 + lastBits;
  const std::size_t chars = bits / sevenbit::kCharBits;
  const bool unicode = format == sevenbit::kUnicodeFormat;

  std::vector<std::uint8_t> out;
  out.reserve(unicode ? 2 * chars : chars);
  for (std::size_t c = 0; c < chars; ++c) {
    const std::size_t bit = c * sevenbit::kCharBits;
    const std::size_t byte = 1 + bit / 8;
    std::uint32_t v = value[byte];
    if (byte + 1 < value.size()) v |= static_cast<std::uint32_t>(value[byte + 1]) << 8;
    out.push_back(static_cast<std::uint8_t>(v >> (bit % 8) & kCharMask));
    if (unicode) out.push_back(0);
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> encode7Bit(std::span<const std::uint8_t> text, SevenBitKind kind) {
  const bool unicode = kind == SevenBitKind::Unicode;
  if (unicode && text.size() % 2 != 0) return std::nullopt;
  const std::size_t step = unicode ? 2 : 1;
  const std::size_t chars = text.size() / step;
  const std::size_t bits = chars * sevenbit::kCharBits;
  const std::size_t bytes = (bits + 7) / 8;
  const std::size_t lastBits = bytes == 0 ? 8 : bits - (bytes - 1) * 8;

  std::vector<std::uint8_t> out(1 + bytes, 0);
  out[0] = static_cast<std::uint8_t>((unicode ? sevenbit::kUnicodeFormat : sevenbit::kAsciiFormat) | (lastBits - 1));
  for (std::size_t c = 0; c < chars; ++c) {
    const std::uint8_t ch = text[c * step];
    if (ch > kCharMask || (unicode && text[c * step + 1] != 0)) return std::nullopt;
    const std::size_t bit = c * sevenbit::kCharBits;
    const std::size_t byte = 1 + bit / 8;
    const unsigned shift = bit % 8;
    out[byte] = static_cast<std::uint8_t>(out[byte] | ch << shift);
    if (shift > 1) out[byte + 1] = static_cast<std::uint8_t>(out[byte + 1] | ch >> (8 - shift));
  }
  return out;
}

}  // namespace tarnwick::codec
