#include "store/MailboxRecord.h"

#include "store/BoundedBytes.h"
#include "store/PackedText.h"

namespace tarnwick::store {

namespace {

// Mailbox record layout, as positions and distances in the record.
constexpr std::int64_t kAnchorSearchStart = 54;
constexpr std::uint8_t kAnchorPattern[] = {0x08, 0x00, 0x18, 0x00};
constexpr std::size_t kAnchorPatternLengthSmall = 4;  // classes 0 and 1 compare all four bytes
constexpr std::size_t kAnchorPatternLengthLarge = 3;  // class 2 compares three
constexpr std::uint8_t kFallbackPattern[] = {0x08, 0x00, 0x00};
constexpr std::uint8_t kLongStepMarker = 0x80;   // byte at A - 2 giving step 14
constexpr std::uint8_t kLargeStepMarker = 0x18;  // byte at A + 2 giving step 12 in class 2
constexpr std::int64_t kLongStep = 14;
constexpr std::int64_t kLargeStep = 12;
constexpr std::int64_t kDefaultStep = 16;
constexpr std::int64_t kLargeIdPosition = 23;       // class 2: identifier at bytes 23 to 30
constexpr std::int64_t kDirectoryDistanceBack = 2;  // G is the byte at A + K - 2
constexpr std::uint8_t kNameEntryMarker = 0x01;     // a name entry starts 01 01
constexpr std::int64_t kNameEntryCandidates[] = {0, 4, 8};
constexpr std::int64_t kDirectoryEntryLength = 4;

std::int64_t findPattern(const BoundedBytes& r, std::span<const std::uint8_t> pattern) {
  for (std::int64_t pos = kAnchorSearchStart; pos + static_cast<std::int64_t>(pattern.size()) <= r.size(); ++pos) {
    if (r.equals(pos, pattern)) return pos;
  }
  return -1;
}

}  // namespace

std::optional<MailboxRecord> MailboxRecordParser::parse(std::span<const std::uint8_t> bytes) {
  const BoundedBytes r(bytes);
  const bool large = isLargePage(pageSizeClass_);
  if (r.size() <= kAnchorSearchStart) return std::nullopt;

  const std::size_t patternLength = large ? kAnchorPatternLengthLarge : kAnchorPatternLengthSmall;
  std::int64_t a = findPattern(r, std::span(kAnchorPattern, patternLength));
  if (a < 0) a = findPattern(r, kFallbackPattern);
  if (a < 0) return std::nullopt;

  std::int64_t k = kDefaultStep;
  if (r.u8(a - 2) == kLongStepMarker) {
    k = kLongStep;
  } else if (large && r.u8(a + 2) == kLargeStepMarker) {
    k = kLargeStep;
  }

  MailboxRecord found;
  if (!r.copy8(large ? kLargeIdPosition : a + k, found.id)) return std::nullopt;

  const std::int64_t g = r.u8(a + k - kDirectoryDistanceBack);
  std::int64_t t = rememberedDirectory_;
  if (g > 0) {
    t = a + k + g;
    rememberedDirectory_ = t;
  }

  // The directory may lie a little further on than the distance says: look for the first
  // entry pair whose second bytes are both 1.
  const std::uint8_t highMask = large ? 0xFF : 0x0F;
  if (r.u8(t + 1) != 1) {
    for (std::int64_t p = t; p < r.size() - 6; ++p) {
      if (r.u8(p) == 1 && r.u8(p + 4) == 1) {
        t = p - 1;
        const int value = r.u8(p + 1) | ((r.u8(p + 2) & highMask) << 8);
        if (value != 0) break;
      }
    }
  }

  std::int64_t entry = -1;
  for (std::int64_t candidate : kNameEntryCandidates) {
    if (r.has(t + candidate, 2) && r.u8(t + candidate) == kNameEntryMarker &&
        r.u8(t + candidate + 1) == kNameEntryMarker) {
      entry = t + candidate;
      break;
    }
  }
  if (entry < 0) return std::nullopt;

  auto offsetAt = [&](std::int64_t pos) -> std::int64_t { return r.u8(pos) | ((r.u8(pos + 1) & highMask) << 8); };
  const std::int64_t s = offsetAt(entry + 2);
  const std::int64_t e = offsetAt(entry + 2 + kDirectoryEntryLength);
  if (s > 0 && e > 0 && e > s) {
    if (!large) {
      for (std::int64_t pos = t + s + 1; pos < t + e && r.has(pos, 2) && found.name.size() < kMaxMailboxNameChars;
           pos += 2) {
        const std::uint8_t low = r.u8(pos);
        if (low == 0 || low == 1) break;
        found.name.push_back(static_cast<char16_t>(low | (r.u8(pos + 1) << 8)));
      }
    } else if (r.has(t + s, 1)) {
      const std::uint8_t format = r.u8(t + s);
      auto packed = r.slice(t + s + 1, e - s - 1);
      if (!packed.empty()) {
        if (auto text = unpackStoredText(packed, format, kMaxMailboxNameChars)) found.name = std::move(*text);
      }
    }
  }
  if (found.name.empty()) return std::nullopt;
  return found;
}

}  // namespace tarnwick::store
