#include "analysis/AttachmentRowReader.h"

#include "store/BoundedBytes.h"
#include "store/RecordLocator.h"

#include <algorithm>

namespace tarnwick::analysis {

namespace {

using store::BoundedBytes;
using L = AttachmentRowLayout;

std::uint32_t offsetWord(const BoundedBytes& bytes, std::size_t at, bool large) {
  std::uint32_t v = bytes.u16(at);
  return large ? v : (v & L::kSmallOffsetMask);
}

std::u16string compressedName(const std::vector<std::uint8_t>& bytes) {
  std::size_t n = 0;
  while (n < bytes.size() && bytes[n] != 0) ++n;
  // Decoded UTF-16 shows itself by a "." or a space followed by a zero byte.
  bool wide = false;
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    if ((bytes[i] == '.' || bytes[i] == ' ') && bytes[i + 1] == 0) {
      wide = true;
      break;
    }
  }
  std::u16string name;
  if (wide) {
    const BoundedBytes decoded(bytes);
    for (std::size_t i = 0; i + 1 < bytes.size() && name.size() < L::kMaxName; i += 2) {
      char16_t c = static_cast<char16_t>(decoded.u16(i));
      if (c == 0) break;
      name.push_back(c);
    }
  } else {
    for (std::size_t i = 0; i < n && name.size() < L::kMaxName; ++i) name.push_back(bytes[i]);
  }
  return name;
}

}  // namespace

AttachmentColumns AttachmentColumns::smallPageStore() {
  AttachmentColumns c;
  c.longFileName = L::kSmallLongFileName;
  c.displayName = L::kSmallDisplayName;
  c.data = L::kSmallData;
  return c;
}

std::vector<AttachmentCandidate> findAttachmentCandidates(std::span<const std::uint8_t> page,
                                                          store::PageSizeClass pageSizeClass) {
  const BoundedBytes bytes(page);
  std::vector<AttachmentCandidate> out;
  store::RecordSlotArray slots;
  const std::size_t count = store::locateRecords(page, pageSizeClass, slots);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t n = static_cast<std::uint32_t>(slots[i].offset);
    const std::uint32_t end = n + static_cast<std::uint16_t>(slots[i].size);
    if (store::isLargePage(pageSizeClass)) {
      if (!bytes.has(n + L::kPlacementByte, 1)) continue;
      std::uint8_t b = bytes.u8(n + L::kPlacementByte);
      std::uint32_t x = (b & 0x0F) > 8 ? (b & 0x0F) : b + 8u;
      out.push_back({n + x, end});
    } else {
      // A row starts at a 32-bit 1, or 8 bytes later when three zero bytes and a non-zero
      // one follow it.
      for (std::uint32_t q = n; q < end && bytes.has(q, 4); ++q) {
        if (bytes.u32(q) != 1) continue;
        bool shifted = bytes.has(q + 4, 4) && bytes.u8(q + 4) == 0 && bytes.u8(q + 5) == 0 && bytes.u8(q + 6) == 0 &&
                       bytes.u8(q + 7) != 0;
        out.push_back({shifted ? q + 8 : q, end});
        if (out.size() >= L::kMaxCandidates) return out;
      }
    }
    if (out.size() >= L::kMaxCandidates) break;
  }
  return out;
}

std::optional<AttachmentIdBytes> candidateIdentifier(std::span<const std::uint8_t> page, const AttachmentCandidate& c) {
  AttachmentIdBytes id{};
  if (!BoundedBytes(page).copy8(c.position, id)) return std::nullopt;
  return id;
}

AttachmentRowResult readAttachmentRow(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset,
                                      store::PageSizeClass pageSizeClass, const AttachmentCandidate& candidate,
                                      const AttachmentIdBytes& identifier, const AttachmentColumns& columns,
                                      const NameUnpacker& unpack7Bit) {
  const BoundedBytes bytes(page);
  const bool large = store::isLargePage(pageSizeClass);
  std::size_t c = candidate.position;
  if (!bytes.equals(c, identifier)) return AttachmentRowMiss::NotThisRow;
  if (large) {
    std::size_t second = bytes.u8(c + L::kSecondIdSelector) != 0 ? c + L::kSecondIdFar : c + L::kSecondIdNear;
    if (bytes.equals(second, identifier)) c = second + L::kAfterSecondId;
  }
  const std::size_t tagEnd = std::min<std::size_t>(candidate.tagEnd, page.size());
  const std::size_t margin = tagEnd >= L::kTagEndMargin ? tagEnd - L::kTagEndMargin : 0;
  std::size_t d = c;
  if (!(bytes.has(c + 1, 1) && bytes.u8(c + 1) == 1) && c < margin) {
    for (std::size_t l = c; l < margin; ++l) {
      if (bytes.u8(l) != 1 || bytes.u8(l + 4) != 1 || l == 0) continue;
      std::uint32_t v = offsetWord(bytes, l + 1, large);
      if (v >= 1 && v <= margin) {
        d = l - 1;
        break;
      }
    }
  }
  if (!bytes.has(d, 4)) return AttachmentRowMiss::NotThisRow;
  const std::uint32_t size = offsetWord(bytes, d + 2, large);

  // Entries inside the directory and the tag.
  auto present = [&](std::size_t i) { return 4 * i < size && d + 4 * i + 4 <= tagEnd; };
  auto column = [&](std::size_t i) { return bytes.u16(d + 4 * i); };
  auto offset = [&](std::size_t i) { return offsetWord(bytes, d + 4 * i + 2, large); };
  auto next = [&](std::size_t i) -> std::uint32_t {
    if (present(i + 1)) return offset(i + 1);
    return tagEnd > d ? static_cast<std::uint32_t>(tagEnd - d) : 0;
  };

  std::optional<std::size_t> name[3];
  std::optional<std::size_t> data;
  for (std::size_t i = 0; present(i); ++i) {
    std::uint16_t col = column(i);
    if (col == 0) continue;
    if (col == columns.longFileName && !name[0]) {
      name[0] = i;
      if (!large) break;
    } else if (!large && (col == L::kSmallDisplayName || col == L::kSmallDisplayNameAlt) && !name[1]) {
      name[1] = i;
    } else if (large && col == columns.displayName && !name[1]) {
      name[1] = i;
    } else if (large && col == columns.fileName && !name[2]) {
      name[2] = i;
    }
    if (col == columns.data && !data) data = i;
  }
  std::optional<std::size_t> chosen = name[0] ? name[0] : name[1] ? name[1] : name[2];
  if (!chosen) return AttachmentRowMiss::NotThisRow;

  AttachmentRow row;
  {
    std::uint32_t from = offset(*chosen);
    std::uint32_t to = next(*chosen);
    if (from == 0 || to == 0 || to <= from) return AttachmentRowMiss::GiveUpIdentifier;
    std::size_t formatAt = d + from;
    std::size_t valueEnd = std::min<std::size_t>(d + to, page.size());
    if (formatAt >= valueEnd) return AttachmentRowMiss::GiveUpIdentifier;
    const BoundedBytes value(bytes.slice(formatAt + 1, valueEnd - formatAt - 1));
    if (large && bytes.u8(formatAt) == L::kCompressedFormat && unpack7Bit) {
      if (auto decoded = unpack7Bit(value.span(), L::kCompressedNameCapacity)) row.name = compressedName(*decoded);
    } else {
      for (std::int64_t i = 0; i + 1 < value.size() && row.name.size() < L::kMaxName; i += 2) {
        if (value.u8(i) <= 2) break;
        row.name.push_back(static_cast<char16_t>(value.u16(i)));
      }
    }
  }
  if (data) {
    std::uint32_t q = offset(*data);
    std::uint32_t g = next(*data);
    // Data that would run past the page is not data of this row.
    if (q == 0 || g == 0 || q >= g || d + g > page.size()) return AttachmentRowMiss::GiveUpIdentifier;
    std::size_t r = d + q + 1;
    if (g - q == L::kLongValueLength) {
      if (!bytes.has(r, 2)) return AttachmentRowMiss::GiveUpIdentifier;
      row.longValueKey = {bytes.u8(r + 1), bytes.u8(r)};
      row.dataLength = static_cast<std::int16_t>(L::kLongValueLength);
    } else {
      row.dataOffset = pageFileOffset + r;
      row.dataLength = static_cast<std::int16_t>(std::min<std::uint32_t>(g - q, INT16_MAX));
    }
  }
  return row;
}

}  // namespace tarnwick::analysis
