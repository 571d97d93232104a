#include "codec/Lz77Encoder.h"

#include <algorithm>
#include <cstddef>

#include "codec/Lz77Format.h"

namespace tarnwick::codec {
namespace {

// Hash table size grows with the input, so that small values (most stored values are
// small) do not pay for clearing a large table.
constexpr unsigned kMinHashBits = 10;
constexpr unsigned kMaxHashBits = 15;
constexpr std::size_t kMaxChain = 48;  // candidates tried per position
constexpr std::int64_t kNone = -1;
constexpr std::size_t kNoHalfByte = static_cast<std::size_t>(-1);

class StreamWriter {
 public:
  explicit StreamWriter(std::size_t reserve) {
    out_.reserve(reserve);
    beginFlagWord();
  }

  void literal(std::uint8_t b) {
    out_.push_back(b);
    pushFlag(0);
  }

  void match(std::size_t offset, std::size_t length) {
    std::uint64_t rest = length - lz77::kMinMatch;
    const auto token = static_cast<std::uint16_t>((offset - 1) << lz77::kOffsetShift);
    if (rest < lz77::kLengthInHalfByte) {
      put16(static_cast<std::uint16_t>(token | rest));
    } else {
      put16(static_cast<std::uint16_t>(token | lz77::kLengthInHalfByte));
      rest -= lz77::kLengthInHalfByte;
      const auto half = static_cast<std::uint8_t>(std::min<std::uint64_t>(rest, lz77::kHalfByteMax));
      if (halfBytePos_ == kNoHalfByte) {
        halfBytePos_ = out_.size();
        out_.push_back(half);
      } else {
        out_[halfBytePos_] = static_cast<std::uint8_t>(out_[halfBytePos_] | half << 4);
        halfBytePos_ = kNoHalfByte;
      }
      if (rest >= lz77::kHalfByteMax) {
        rest -= lz77::kHalfByteMax;
        if (rest < lz77::kByteMax) {
          out_.push_back(static_cast<std::uint8_t>(rest));
        } else {
          out_.push_back(static_cast<std::uint8_t>(lz77::kByteMax));
          const std::uint64_t whole = length - lz77::kMinMatch;
          if (whole <= 0xFFFF) {
            put16(static_cast<std::uint16_t>(whole));
          } else {
            put16(0);
            put32(static_cast<std::uint32_t>(whole));
          }
        }
      }
    }
    pushFlag(1);
  }

  // Fills the unused flag bits with ones (a match flag with no input left ends decoding).
  std::vector<std::uint8_t> finish() {
    const unsigned unused = lz77::kFlagsPerWord - flagCount_;
    std::uint64_t word = static_cast<std::uint64_t>(flags_) << unused;
    word |= (std::uint64_t{1} << unused) - 1;
    storeFlags(static_cast<std::uint32_t>(word));
    return std::move(out_);
  }

 private:
  void beginFlagWord() {
    flagPos_ = out_.size();
    out_.resize(out_.size() + lz77::kFlagWordBytes);
    flags_ = 0;
    flagCount_ = 0;
  }
  void pushFlag(std::uint32_t bit) {
    flags_ = flags_ << 1 | bit;
    if (++flagCount_ == lz77::kFlagsPerWord) {
      storeFlags(flags_);
      beginFlagWord();
    }
  }
  void storeFlags(std::uint32_t word) {
    for (std::size_t i = 0; i < lz77::kFlagWordBytes; ++i)
      out_[flagPos_ + i] = static_cast<std::uint8_t>(word >> (8 * i));
  }
  void put16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void put32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }

  std::vector<std::uint8_t> out_;
  std::size_t flagPos_ = 0;
  std::uint32_t flags_ = 0;
  unsigned flagCount_ = 0;
  std::size_t halfBytePos_ = kNoHalfByte;
};

unsigned hashBitsFor(std::size_t n) {
  unsigned bits = kMinHashBits;
  while (bits < kMaxHashBits && (std::size_t{1} << bits) < n) ++bits;
  return bits;
}

std::uint32_t hash3(const std::uint8_t* p, unsigned bits) {
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  return (v * 2654435761u) >> (32 - bits);
}

}  // namespace

std::vector<std::uint8_t> encodeLz77Stream(std::span<const std::uint8_t> data) {
  const std::size_t n = data.size();
  StreamWriter writer(n + n / 8 + lz77::kFlagWordBytes * 2);
  const unsigned hashBits = hashBitsFor(n);
  std::vector<std::int64_t> head(std::size_t{1} << hashBits, kNone);
  std::vector<std::int64_t> prev(n, kNone);
  auto insert = [&](std::size_t pos) {
    if (pos + lz77::kMinMatch > n) return;
    const std::uint32_t h = hash3(&data[pos], hashBits);
    prev[pos] = head[h];
    head[h] = static_cast<std::int64_t>(pos);
  };

  std::size_t i = 0;
  while (i < n) {
    std::size_t bestLength = 0;
    std::size_t bestOffset = 0;
    if (i + lz77::kMinMatch <= n) {
      std::int64_t candidate = head[hash3(&data[i], hashBits)];
      for (std::size_t tries = 0; candidate != kNone && tries < kMaxChain; ++tries) {
        const auto c = static_cast<std::size_t>(candidate);
        if (i - c > lz77::kMaxOffset) break;
        std::size_t length = 0;
        while (i + length < n && data[c + length] == data[i + length]) ++length;
        if (length > bestLength) {
          bestLength = length;
          bestOffset = i - c;
          if (i + length == n) break;
        }
        candidate = prev[c];
      }
    }
    if (bestLength >= lz77::kMinMatch) {
      writer.match(bestOffset, bestLength);
      for (std::size_t k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      writer.literal(data[i]);
      insert(i);
      ++i;
    }
  }
  return writer.finish();
}

std::optional<std::vector<std::uint8_t>> encodeLz77(std::span<const std::uint8_t> data) {
  if (data.size() > lz77::kMaxFramedSize) return std::nullopt;
  std::vector<std::uint8_t> stream = encodeLz77Stream(data);
  std::vector<std::uint8_t> value;
  value.reserve(lz77::kStreamOffset + stream.size());
  value.push_back(lz77::kFormatByte);
  value.push_back(static_cast<std::uint8_t>(data.size()));
  value.push_back(static_cast<std::uint8_t>(data.size() >> 8));
  value.insert(value.end(), stream.begin(), stream.end());
  return value;
}

}  // namespace tarnwick::codec
