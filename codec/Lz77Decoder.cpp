#include "codec/Lz77Decoder.h"

#include "codec/Lz77Format.h"

namespace tarnwick::codec {
namespace {

// Reads bytes of the input one bounds-checked step at a time.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes, std::size_t pos) : bytes_(bytes), pos_(pos) {}

  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::size_t position() const { return pos_; }
  bool has(std::size_t n) const { return pos_ <= bytes_.size() && bytes_.size() - pos_ >= n; }
  std::uint8_t byteAt(std::size_t at) const { return bytes_[at]; }

  // Each read checks has(n) first; callers fail the decode when it returns false.
  bool u8(std::uint32_t& v) {
    if (!has(1)) return false;
    v = bytes_[pos_++];
    return true;
  }
  bool u16(std::uint32_t& v) {
    if (!has(2)) return false;
    v = static_cast<std::uint32_t>(bytes_[pos_]) | static_cast<std::uint32_t>(bytes_[pos_ + 1]) << 8;
    pos_ += 2;
    return true;
  }
  bool u32(std::uint32_t& v) {
    if (!has(4)) return false;
    v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | bytes_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_;
};

constexpr std::size_t kNoHalfByte = static_cast<std::size_t>(-1);

}  // namespace

std::optional<std::size_t> lz77UnpackedSize(std::span<const std::uint8_t> input) {
  if (input.size() < lz77::kStreamOffset || input[0] != lz77::kFormatByte) return std::nullopt;
  return static_cast<std::size_t>(input[lz77::kUnpackedSizeOffset]) |
         static_cast<std::size_t>(input[lz77::kUnpackedSizeOffset + 1]) << 8;
}

UnpackResult decodeLz77(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
  UnpackResult result;
  if (input.data() == nullptr || input.size() < lz77::kStreamOffset || output.data() == nullptr ||
      input[0] != lz77::kFormatByte) {
    return result;
  }
  Reader in(input, lz77::kStreamOffset);
  std::size_t& out = result.count;
  const std::size_t capacity = output.size();
  std::size_t halfBytePos = kNoHalfByte;

  while (!in.atEnd()) {
    std::uint32_t flags = 0;
    if (!in.u32(flags)) return result;  // a flag word cut short: the value is damaged
    for (unsigned bit = lz77::kFlagsPerWord; bit-- > 0;) {
      if (in.atEnd()) {
        result.ok = true;
        return result;
      }
      if ((flags >> bit & 1u) == 0) {
        std::uint32_t literal = 0;
        if (out >= capacity || !in.u8(literal)) return result;
        output[out++] = static_cast<std::uint8_t>(literal);
        continue;
      }
      std::uint32_t token = 0;
      if (!in.u16(token)) return result;
      const std::size_t offset = (token >> lz77::kOffsetShift) + 1;
      std::uint64_t lengthCode = token & lz77::kLengthCodeMask;
      if (lengthCode == lz77::kLengthInHalfByte) {
        std::uint32_t half = 0;
        if (halfBytePos == kNoHalfByte) {
          halfBytePos = in.position();
          if (!in.u8(half)) return result;
          half &= 0x0F;
        } else {
          half = in.byteAt(halfBytePos) >> 4;
          halfBytePos = kNoHalfByte;
        }
        lengthCode += half;
        if (half == lz77::kHalfByteMax) {
          std::uint32_t extra = 0;
          if (!in.u8(extra)) return result;
          lengthCode = lz77::kByteBase + extra;
          if (extra == lz77::kByteMax) {
            std::uint32_t whole = 0;
            if (!in.u16(whole)) return result;
            // A u16 of 0 means the length is held in the u32 that follows.
            if (whole == 0 && !in.u32(whole)) return result;
            lengthCode = whole;
          }
        }
      }
      const std::uint64_t length = lengthCode + lz77::kMinMatch;
      if (offset > out) return result;  // reaches before the start of the output
      if (length > capacity - out) {
        // Copy what fits so that the count says how far decoding got, then fail.
        while (out < capacity) {
          output[out] = output[out - offset];
          ++out;
        }
        return result;
      }
      for (std::uint64_t i = 0; i < length; ++i, ++out) output[out] = output[out - offset];
    }
  }
  result.ok = true;
  return result;
}

}  // namespace tarnwick::codec
