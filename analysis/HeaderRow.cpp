#include "analysis/HeaderRow.h"

#include "store/BoundedBytes.h"
#include "store/TagArray.h"

#include <algorithm>

namespace tarnwick::analysis {

namespace {

using store::BoundedBytes;

// Header row layout: distances from the row's anchor p.
constexpr std::uint8_t kSmallRowMarker = 0x6D;
constexpr std::int64_t kMarkerSearchLength = 16;
constexpr std::int64_t kAnchorSearchDistance = 109;
constexpr std::int64_t kAnchorSearchLength = 100;
constexpr std::int64_t kMessageIdDistance = 16;
constexpr std::int64_t kSmallTimeDistance = -99;
constexpr std::int64_t kSmallFallbackTimeDistance = -18;
constexpr std::int64_t kSmallDirectoryDistance = 32;
constexpr std::int64_t kTagEndMargin = 6;
constexpr std::int64_t kLargeMinRowSize = 88;  // 32 KB rows this long or shorter hold no header
constexpr std::int64_t kLargeKeyDistance = 6;  // K is the byte at p - 6
constexpr std::int64_t kLargeFixedTimeK = 112;
constexpr std::int64_t kLargeFixedTime = 90;
constexpr std::int64_t kLargeFixedTimeAlternative = 82;
constexpr std::uint8_t kTimeMarkerFE = 0xFE;
constexpr std::int64_t kEntryLength = 4;
constexpr std::uint16_t kSmallThirdColumns[] = {0x0108, 0x010C};
constexpr std::int64_t kTimeLength = 6;
constexpr std::int64_t kAppointmentValueLength = 8;

// FILETIME ticks from 1601-01-01 to 1602-01-01 (1601 is not a leap year).
constexpr std::uint64_t kTicksOfYear1601 = 365ULL * 24 * 3600 * 10000000ULL;

std::uint64_t fileTimeOf(const ModelTime& time) {
  std::uint64_t value = 0;
  for (int i = 5; i >= 0; --i) value = (value << 8) | time.bytes[static_cast<std::size_t>(i)];
  return value << 16;
}

class RowReader {
 public:
  RowReader(const BoundedBytes& page, bool large) : page_(page), large_(large) {}

  std::int64_t offset(std::int64_t entry) const {
    const std::uint8_t high = page_.u8(entry + 3);
    return page_.u8(entry + 2) | ((large_ ? high : (high & 0x0F)) << 8);
  }
  std::int64_t column(std::int64_t entry) const { return page_.u16(entry); }

  // First entry of `columnId` from `d` while below `limit`, or -1.
  std::int64_t find(std::int64_t d, std::int64_t limit, std::optional<std::uint16_t> columnId) const {
    if (!columnId) return -1;
    for (std::int64_t pos = d; pos < limit && page_.has(pos, kEntryLength); pos += kEntryLength) {
      if (column(pos) == *columnId) return pos;
    }
    return -1;
  }

 private:
  const BoundedBytes& page_;
  bool large_;
};

bool readTime(const BoundedBytes& page, std::int64_t pos, ModelTime& out) {
  auto bytes = page.slice(pos, kTimeLength);
  if (bytes.empty()) return false;
  std::copy(bytes.begin(), bytes.end(), out.bytes.begin());
  return true;
}

struct Candidate {
  std::int64_t pos;
  store::PageTag tag;
};

}  // namespace

bool modelTimeConverts(const ModelTime& time) { return (fileTimeOf(time) >> 63) == 0; }
bool modelTimeInYear1601(const ModelTime& time) { return fileTimeOf(time) < kTicksOfYear1601; }

std::vector<MessageHeader> parseHeaderRows(std::span<const std::uint8_t> bytes, std::int32_t pageSizeClass,
                                           const HeaderTableInfo& table, const HeaderColumns& columns,
                                           store::FileOffset pageOffset) {
  std::vector<MessageHeader> out;
  const BoundedBytes page(bytes);
  const bool large = pageSizeClass == 2;
  const RowReader reader(page, large);

  std::vector<Candidate> candidates;
  for (const store::PageTag& tag : store::ReadTagArray(bytes, pageSizeClass)) {
    const std::int64_t n = tag.offset;
    const std::int64_t s = tag.size;
    if (large) {
      if (s <= kLargeMinRowSize) continue;
      const std::int64_t b = page.u8(n + 2);
      const std::int64_t x = (b & 0x0F) > 12 ? (b & 0x0F) : b + 12;
      candidates.push_back({n + x, tag});
      continue;
    }
    std::int64_t c = -1;
    for (std::int64_t i = n; i < n + kMarkerSearchLength && page.has(i, 1); ++i) {
      if (page.u8(i) == kSmallRowMarker) {
        c = i;
        break;
      }
    }
    if (c < 0) continue;
    const std::int64_t from = c + kAnchorSearchDistance;
    const std::int64_t to = from + std::min<std::int64_t>(s, kAnchorSearchLength);
    for (std::int64_t j = from; j < to && page.has(j, 8); ++j) {
      if (page.equals(j, table.key.bytes)) {
        candidates.push_back({j, tag});
        break;
      }
    }
  }

  // Which column plays which part in this store format.
  const auto primaryColumn = large ? columns.normalizedSubject : columns.subjectPrefix;
  const auto secondaryColumn = large ? columns.subjectPrefix : columns.normalizedSubject;

  for (const Candidate& candidate : candidates) {
    const std::int64_t p = candidate.pos;
    const std::int64_t tagEnd = candidate.tag.offset + candidate.tag.size;
    if (!large && !page.equals(p, table.key.bytes)) continue;

    std::int64_t d = 0;
    std::int64_t time1 = 0;
    std::int64_t time2 = 0;
    if (large) {
      if (!page.has(p - kLargeKeyDistance, 1)) continue;
      const std::int64_t k = page.u8(p - kLargeKeyDistance);
      d = k + p - 8;
      if (k >= kLargeFixedTimeK) {
        const bool starred = page.u8(p + kLargeFixedTime) == '*' && page.u8(p + kLargeFixedTime + 1) == '*';
        time1 = time2 = p + (starred ? kLargeFixedTimeAlternative : kLargeFixedTime);
      } else {
        const std::uint8_t z = page.u8(d - 1);
        if (z == kTimeMarkerFE) {
          time1 = time2 = d - 9;
        } else if (z == 'R' && page.u8(d - 2) == ' ') {
          time1 = time2 = d - 8;
        } else {
          time1 = d - 14;
          time2 = d - 22;
        }
      }
    } else {
      time1 = p + kSmallTimeDistance;
      time2 = p + kSmallFallbackTimeDistance;
      d = p + kSmallDirectoryDistance;
      if (page.u8(p + kSmallDirectoryDistance + 1) != 1 && p + kSmallDirectoryDistance < tagEnd - kTagEndMargin) {
        for (std::int64_t at = p + kSmallDirectoryDistance - 1; at + 1 < tagEnd - kTagEndMargin; ++at) {
          const std::int64_t first = reader.offset(at);
          if (page.u8(at + 1) == 1 && page.u8(at + 5) == 1 && first >= 1 && first <= tagEnd - kTagEndMargin) {
            d = at;
            break;
          }
        }
      }
    }

    if (!page.has(d, kEntryLength)) continue;
    const std::int64_t w = reader.offset(d);
    if (d + w > page.size() || w <= 0) continue;
    const std::int64_t directoryEnd = d + w;
    // A row's directory lies inside the row: the text searches stop at its end too, so a
    // damaged directory size cannot make every row walk the whole page.
    const std::int64_t textSearchEnd = std::min(directoryEnd, tagEnd);

    // Third text.
    std::int64_t thirdStart = 0;
    std::int64_t thirdLength = 0;
    for (std::int64_t pos = d; pos < directoryEnd && pos < tagEnd && page.has(pos, kEntryLength);
         pos += kEntryLength) {
      const std::int64_t col = reader.column(pos);
      if (large) {
        if (columns.senderName && col == *columns.senderName) {
          thirdStart = reader.offset(pos);
          thirdLength = reader.offset(pos + kEntryLength) - thirdStart;
          break;
        }
      } else {
        if (primaryColumn && col == *primaryColumn) break;
        if (col == kSmallThirdColumns[0] || col == kSmallThirdColumns[1]) {
          thirdStart = page.u8(pos + 2);
          thirdLength = static_cast<std::int64_t>(page.u8(pos + kEntryLength + 2)) - thirdStart;
          break;
        }
      }
    }
    if (thirdLength < 0) thirdLength = 0;

    // Primary text: the primary column, or the secondary one when the primary is missing
    // or empty.
    bool hasPrimary = false;
    std::int64_t u = 0;
    std::int64_t primaryLength = 0;
    for (auto wanted : {primaryColumn, secondaryColumn}) {
      const std::int64_t entry = reader.find(d, textSearchEnd, wanted);
      if (entry < 0) continue;
      const std::int64_t start = reader.offset(entry);
      const std::int64_t next = reader.offset(entry + kEntryLength);
      if (next - start == 1) continue;
      if (start > 0 && next > 0 && next > start) {
        hasPrimary = true;
        u = start;
        primaryLength = next - start;
      }
      break;
    }

    std::int64_t u2 = 0;
    std::int64_t secondaryLength = 0;
    bool hasSecondary = false;
    if (hasPrimary) {
      const std::int64_t entry = reader.find(d, textSearchEnd, secondaryColumn);
      if (entry >= 0) {
        const std::int64_t start = reader.offset(entry);
        const std::int64_t next = reader.offset(entry + kEntryLength);
        // The secondary text must have a length of its own (its next offset beyond its own
        // start), wherever it lies in the directory relative to the primary.
        if (u >= 1 && next > 0 && next - start >= 1 && start != u) {
          hasSecondary = true;
          u2 = start;
          secondaryLength = next - start;
        }
      }
    }

    MessageHeader header;
    if (table.kind == 'a') {
      for (std::int64_t pos = d + 8; pos < directoryEnd && pos < tagEnd && page.has(pos, kEntryLength);
           pos += kEntryLength) {
        const std::int64_t o1 = reader.offset(pos);
        const std::int64_t o2 = reader.offset(pos + kEntryLength);
        if (o1 <= 0 || o2 <= 0 || o2 <= o1) continue;
        if (o2 - o1 == kAppointmentValueLength) {
          ModelTime start;
          ModelTime end;
          if (readTime(page, d + o1 + 2, start) && readTime(page, d + o2 + 2, end)) {
            header.appointment = AppointmentTimes{};
            header.appointment->start = start;
            header.appointment->end = end;
          }
          break;
        }
      }
    }

    if (large) {
      if (!page.copy8(p, header.folderId.bytes)) continue;
    } else {
      header.folderId = table.key;
    }
    if (!page.copy8(p + kMessageIdDistance, header.messageId.bytes)) continue;

    ModelTime time;
    bool useFallback = !readTime(page, time1, time);
    if (!useFallback) {
      const bool highBitsZero = time.bytes[2] == 0 && time.bytes[3] == 0 && time.bytes[4] == 0 && time.bytes[5] == 0;
      useFallback = (!large && highBitsZero) || !modelTimeConverts(time) || modelTimeInYear1601(time);
    }
    if (useFallback && !readTime(page, time2, time)) continue;
    if (!modelTimeConverts(time)) continue;
    header.time = time;

    header.pageOffset = pageOffset;
    // A text is kept only when all of it lies inside the page: a damaged directory can
    // point anywhere, and a position past the page would not even fit the header's fields.
    const auto keepText = [&page](bool found, std::int64_t start, std::int64_t length, std::uint16_t& offsetOut,
                                  std::uint16_t& lengthOut) {
      if (!found || length < 1 || start < 1 || start > page.size() - length) return;
      offsetOut = static_cast<std::uint16_t>(start);
      lengthOut = static_cast<std::uint16_t>(length);
    };
    keepText(hasPrimary, d + u + 1, primaryLength, header.primaryOffset, header.primaryLength);
    keepText(hasSecondary, d + u2 + 1, secondaryLength, header.secondaryOffset, header.secondaryLength);
    keepText(thirdLength >= 1, d + thirdStart + 1, thirdLength, header.thirdOffset, header.thirdLength);
    header.flag = table.kind;
    if (large) header.ownerKey = table.ownerKey;
    out.push_back(std::move(header));
  }
  return out;
}

}  // namespace tarnwick::analysis
