#include "codec/RtfCompressor.h"

#include <algorithm>
#include <cstddef>

#include "codec/CompressedRtfFormat.h"
#include "codec/Crc32.h"

namespace tarnwick::codec {
namespace {

constexpr std::size_t kMaxChain = 256;  // candidates tried per position
// Once a reference of the greatest length is found, only this many more candidates are
// tried for one nearer the dictionary's start.
constexpr std::size_t kTriesAfterLongest = 16;
constexpr std::int64_t kNone = -1;

void putU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Collects tokens into control groups of up to eight.
class GroupWriter {
 public:
  explicit GroupWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void literal(std::uint8_t b) {
    tokens_[used_++] = b;
    next(false);
  }
  void reference(std::size_t offset, std::size_t length) {
    const auto token = static_cast<std::uint16_t>(offset << rtfcp::kReferenceOffsetShift | (length - rtfcp::kMinMatch));
    tokens_[used_++] = static_cast<std::uint8_t>(token >> 8);
    tokens_[used_++] = static_cast<std::uint8_t>(token);
    next(true);
  }
  void flush() {
    if (count_ == 0) return;
    out_.push_back(control_);
    out_.insert(out_.end(), tokens_, tokens_ + used_);
    control_ = 0;
    count_ = 0;
    used_ = 0;
  }

 private:
  void next(bool isReference) {
    if (isReference) control_ = static_cast<std::uint8_t>(control_ | 1u << count_);
    if (++count_ == rtfcp::kTokensPerGroup) flush();
  }

  std::vector<std::uint8_t>& out_;
  std::uint8_t control_ = 0;
  unsigned count_ = 0;
  std::uint8_t tokens_[2 * rtfcp::kTokensPerGroup] = {};
  std::size_t used_ = 0;
};

}  // namespace

std::vector<std::uint8_t> compressRtf(std::string_view rtf) {
  return compressRtf(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size()));
}

std::vector<std::uint8_t> compressRtf(std::span<const std::uint8_t> rtf) {
  // The history the decoder's dictionary holds, written out linearly: the initial text,
  // then the input. History index h lies at dictionary position h mod 4096.
  std::vector<std::uint8_t> history(rtfcp::kInitialDictionary.begin(), rtfcp::kInitialDictionary.end());
  const std::size_t start = history.size();
  history.insert(history.end(), rtf.begin(), rtf.end());
  const std::size_t total = history.size();

  // Chains of earlier positions by their first two bytes.
  std::vector<std::int64_t> head(1u << 16, kNone);
  std::vector<std::int64_t> prev(total, kNone);
  std::size_t inserted = 0;
  auto insertUpTo = [&](std::size_t limit) {
    for (; inserted < limit && inserted + 1 < total; ++inserted) {
      const std::size_t key = static_cast<std::size_t>(history[inserted]) << 8 | history[inserted + 1];
      prev[inserted] = head[key];
      head[key] = static_cast<std::int64_t>(inserted);
    }
  };

  std::vector<std::uint8_t> out(rtfcp::kHeaderSize, 0);
  out.reserve(rtfcp::kHeaderSize + rtf.size() + rtf.size() / 8 + 4);
  GroupWriter groups(out);

  std::size_t pos = start;
  while (pos < total) {
    insertUpTo(pos);
    std::size_t bestLength = 0;
    std::size_t bestOffset = 0;
    if (pos + 1 < total) {
      const std::size_t key = static_cast<std::size_t>(history[pos]) << 8 | history[pos + 1];
      const std::size_t maxLength = std::min(rtfcp::kMaxMatch, total - pos);
      // A source a whole dictionary back would name the write position, which ends the stream.
      const std::size_t oldest = pos >= rtfcp::kDictionarySize - 1 ? pos - (rtfcp::kDictionarySize - 1) : 0;
      std::int64_t candidate = head[key];
      std::size_t budget = kMaxChain;
      for (std::size_t tries = 0; candidate != kNone && tries < budget; ++tries) {
        const auto s = static_cast<std::size_t>(candidate);
        if (s < oldest) break;
        std::size_t length = 0;
        while (length < maxLength && history[s + length] == history[pos + length]) ++length;
        const std::size_t offset = s & rtfcp::kDictionaryMask;
        if (length > bestLength || (length == bestLength && length > 0 && offset < bestOffset)) {
          if (length == maxLength && bestLength < maxLength) budget = std::min(budget, tries + 1 + kTriesAfterLongest);
          bestLength = length;
          bestOffset = offset;
        }
        candidate = prev[s];
      }
    }
    if (bestLength >= rtfcp::kMinMatch) {
      groups.reference(bestOffset, bestLength);
      pos += bestLength;
    } else {
      groups.literal(history[pos]);
      ++pos;
    }
  }
  groups.reference(total & rtfcp::kDictionaryMask, rtfcp::kMinMatch);  // end marker: length bits 0
  groups.flush();

  const std::span<const std::uint8_t> contents(out.data() + rtfcp::kHeaderSize, out.size() - rtfcp::kHeaderSize);
  putU32(out, rtfcp::kCompressedSizeOffset, static_cast<std::uint32_t>(out.size() - rtfcp::kCompressedSizeBase));
  putU32(out, rtfcp::kRawSizeOffset, static_cast<std::uint32_t>(rtf.size()));
  putU32(out, rtfcp::kTypeOffset, rtfcp::kTypeCompressed);
  putU32(out, rtfcp::kCrcOffset, codec::crc32(contents));
  return out;
}

}  // namespace tarnwick::codec
