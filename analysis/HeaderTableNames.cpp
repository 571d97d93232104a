#include "analysis/HeaderTableNames.h"

#include "store/BoundedBytes.h"
#include "store/TagArray.h"

#include <algorithm>
#include <cctype>

namespace tarnwick::analysis {

namespace {

// Distances back from the first byte of a header-table name in its catalogue record.
constexpr std::uint8_t kSmallNameMarker = 0x80;
constexpr std::int64_t kSmallMarkerToDash = 4;  // "-" stands four bytes after the marker
constexpr std::int64_t kSmallMarkerToName = 3;  // the name starts three bytes after it
constexpr std::int64_t kSmallLengthBack = 4;    // 4 KB/8 KB: name length four bytes before
constexpr std::int64_t kLargeLengthBack = 2;    // 32 KB: name length two bytes before
constexpr std::int64_t kSmallObjectIdBack = 34;
constexpr std::int64_t kLargeObjectIdBack = 30;
constexpr std::int64_t kSmallRootPageBack = 24;
constexpr std::int64_t kLargeRootPageBack = 20;
constexpr char kLargePrefix[] = "MsgHeader-";
constexpr std::int64_t kLargePrefixLength = sizeof kLargePrefix - 1;

}  // namespace

std::vector<HeaderTableCandidate> findHeaderTableCandidates(std::span<const std::uint8_t> bytes,
                                                            store::PageSizeClass pageSizeClass) {
  std::vector<HeaderTableCandidate> out;
  const store::BoundedBytes page(bytes);
  const bool large = store::isLargePage(pageSizeClass);
  // Every place in the page where a name may start, found once for the page; each tag then
  // takes the first such place inside its bytes. Tags of a damaged page may overlap the
  // whole page, so the page is not searched again for each tag.
  std::vector<std::int64_t> marks;
  for (std::int64_t i = 0; i < page.size(); ++i) {
    const std::uint8_t b = page.u8(i);
    if ((b == kSmallNameMarker && page.u8(i + kSmallMarkerToDash) == '-') || page.equalsNoCase(i, kLargePrefix)) {
      marks.push_back(i);
    }
  }
  for (const store::PageTag& tag : store::readTagArray(bytes, pageSizeClass)) {
    std::int64_t found = -1;
    const std::int64_t end = tag.offset + tag.size;
    for (auto it = std::lower_bound(marks.begin(), marks.end(), tag.offset); it != marks.end() && *it < end; ++it) {
      const std::int64_t i = *it;
      if (page.u8(i) == kSmallNameMarker) {
        found = i + kSmallMarkerToName;
        break;
      }
      if (i + kLargePrefixLength <= end) {
        found = i;
        break;
      }
    }
    if (found < 0) continue;

    std::int64_t length = 0;
    if (large) {
      if (!page.has(found - kLargeLengthBack, 1)) continue;
      length = page.u8(found - kLargeLengthBack);
    } else {
      if (!page.has(found - kSmallLengthBack, 2) || page.u8(found - kSmallMarkerToName) != kSmallNameMarker) continue;
      length = page.u8(found - kSmallLengthBack);
    }
    auto name = page.slice(found, length);
    if (name.size() != static_cast<std::size_t>(length)) continue;

    HeaderTableCandidate candidate;
    candidate.namePosition = found;
    for (auto c : name) candidate.storedName.push_back(static_cast<char>(std::toupper(c)));
    const std::int64_t objectIdAt = found - (large ? kLargeObjectIdBack : kSmallObjectIdBack);
    const std::int64_t rootAt = found - (large ? kLargeRootPageBack : kSmallRootPageBack);
    if (!page.has(objectIdAt, 4) || !page.has(rootAt, 4)) continue;
    candidate.objectId = page.u32(objectIdAt);
    candidate.rootPage = page.u32(rootAt);
    if (candidate.objectId == 0) continue;
    out.push_back(std::move(candidate));
  }
  return out;
}

}  // namespace tarnwick::analysis
