#include "analysis/HeaderRow.h"

#include "analysis/HeaderRowLayout.h"
#include "store/BoundedBytes.h"
#include "store/TagArray.h"

#include <algorithm>

namespace tarnwick::analysis {

namespace {

using store::BoundedBytes;
namespace hr = header_row;

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
    const std::uint8_t high = page_.u8(entry + hr::kEntryOffsetHigh);
    return page_.u8(entry + hr::kEntryOffsetLow) | ((large_ ? high : (high & hr::kSmallOffsetHighMask)) << 8);
  }
  std::int64_t column(std::int64_t entry) const { return page_.u16(entry); }

  // First entry of `columnId` from `directory` while below `limit`, or -1.
  std::int64_t find(std::int64_t directory, std::int64_t limit, std::optional<std::uint16_t> columnId) const {
    if (!columnId) return -1;
    for (std::int64_t pos = directory; pos < limit && page_.has(pos, hr::kEntryLength); pos += hr::kEntryLength) {
      if (column(pos) == *columnId) return pos;
    }
    return -1;
  }

 private:
  const BoundedBytes& page_;
  bool large_;
};

bool readTime(const BoundedBytes& page, std::int64_t pos, ModelTime& out) {
  auto bytes = page.slice(pos, hr::kTimeLength);
  if (bytes.empty()) return false;
  std::copy(bytes.begin(), bytes.end(), out.bytes.begin());
  return true;
}

// A row that may hold a header: its anchor and the tag it lies in.
struct Candidate {
  std::int64_t anchor;
  store::PageTag tag;
};

// Where a row's directory and its time (with the time used when that one fails) lie.
struct RowPlaces {
  std::int64_t directory = 0;
  std::int64_t time = 0;
  std::int64_t fallbackTime = 0;
};

// A text of the row: its start as a directory offset (at its format byte) and length.
struct TextPlace {
  bool found = false;
  std::int64_t start = 0;
  std::int64_t length = 0;
};

// ---- candidates

// 32 KB stores: every long enough row; the byte at row + 2 places its anchor.
std::optional<Candidate> largeCandidate(const BoundedBytes& page, const store::PageTag& tag) {
  if (tag.size <= hr::kLargeMinRowSize) return std::nullopt;
  const std::int64_t placement = page.u8(tag.offset + hr::kLargePlacementByte);
  const std::int64_t low = placement & hr::kLargePlacementLowMask;
  const std::int64_t distance = low > hr::kLargePlacementBase ? low : placement + hr::kLargePlacementBase;
  return Candidate{tag.offset + distance, tag};
}

// 4 KB / 8 KB stores: the folder key found a fixed distance after the row's marker.
std::optional<Candidate> smallCandidate(const BoundedBytes& page, const store::PageTag& tag,
                                        const HeaderTableInfo& table) {
  std::int64_t marker = -1;
  for (std::int64_t i = tag.offset; i < tag.offset + hr::kMarkerSearchLength && page.has(i, 1); ++i) {
    if (page.u8(i) == hr::kSmallRowMarker) {
      marker = i;
      break;
    }
  }
  if (marker < 0) return std::nullopt;
  const std::int64_t from = marker + hr::kAnchorSearchDistance;
  const std::int64_t to = from + std::min<std::int64_t>(tag.size, hr::kAnchorSearchLength);
  for (std::int64_t j = from; j < to && page.has(j, hr::kFolderKeyLength); ++j) {
    if (page.equals(j, table.key.bytes)) return Candidate{j, tag};
  }
  return std::nullopt;
}

std::vector<Candidate> findCandidates(const BoundedBytes& page, store::PageSizeClass pageSizeClass,
                                      const HeaderTableInfo& table) {
  std::vector<Candidate> candidates;
  for (const store::PageTag& tag : store::readTagArray(page.span(), pageSizeClass)) {
    auto candidate = store::isLargePage(pageSizeClass) ? largeCandidate(page, tag) : smallCandidate(page, tag, table);
    if (candidate) candidates.push_back(*candidate);
  }
  return candidates;
}

// ---- directory and time

// 32 KB rows: the directory from the byte before the anchor, the time by its distance.
std::optional<RowPlaces> largePlaces(const BoundedBytes& page, std::int64_t anchor) {
  if (!page.has(anchor + hr::kLargeKeyDistance, 1)) return std::nullopt;
  const std::int64_t k = page.u8(anchor + hr::kLargeKeyDistance);
  RowPlaces places;
  places.directory = anchor + hr::kLargeDirectoryBase + k;
  const std::int64_t directory = places.directory;
  if (k >= hr::kLargeFixedTimeK) {
    const bool starred =
        page.u8(anchor + hr::kLargeFixedTime) == '*' && page.u8(anchor + hr::kLargeFixedTime + 1) == '*';
    places.time = places.fallbackTime = anchor + (starred ? hr::kLargeFixedTimeAlternative : hr::kLargeFixedTime);
    return places;
  }
  const std::uint8_t marker = page.u8(directory + hr::kTimeMarkerDistance);
  if (marker == hr::kTimeMarkerFE) {
    places.time = places.fallbackTime = directory + hr::kTimeAfterFE;
  } else if (marker == 'R' && page.u8(directory + hr::kTimeMarkerSecond) == ' ') {
    places.time = places.fallbackTime = directory + hr::kTimeAfterR;
  } else {
    places.time = directory + hr::kTimeUnmarked;
    places.fallbackTime = directory + hr::kFallbackTimeUnmarked;
  }
  return places;
}

// 4 KB / 8 KB rows: the directory a fixed distance after the anchor, or the first pair of
// tagged-column entries from there whose first offset lies inside the row.
RowPlaces smallPlaces(const BoundedBytes& page, const RowReader& reader, std::int64_t anchor, std::int64_t tagEnd) {
  RowPlaces places;
  places.time = anchor + hr::kSmallTimeDistance;
  places.fallbackTime = anchor + hr::kSmallFallbackTimeDistance;
  const std::int64_t fixed = anchor + hr::kSmallDirectoryDistance;
  const std::int64_t searchEnd = tagEnd - hr::kTagEndMargin;
  places.directory = fixed;
  if (page.u8(fixed + hr::kEntryColumnHighByte) == hr::kTaggedColumnHigh || fixed >= searchEnd) return places;
  for (std::int64_t at = fixed - 1; at + 1 < searchEnd; ++at) {
    const std::int64_t firstOffset = reader.offset(at);
    if (page.u8(at + hr::kEntryColumnHighByte) == hr::kTaggedColumnHigh &&
        page.u8(at + hr::kEntryLength + hr::kEntryColumnHighByte) == hr::kTaggedColumnHigh && firstOffset >= 1 &&
        firstOffset <= searchEnd) {
      places.directory = at;
      break;
    }
  }
  return places;
}

// The header's time, or the fallback when the time is missing or implausible; nothing
// when neither reads or the one taken does not convert.
std::optional<ModelTime> rowTime(const BoundedBytes& page, const RowPlaces& places, bool large) {
  ModelTime time;
  bool useFallback = !readTime(page, places.time, time);
  if (!useFallback) {
    const bool highBitsZero = time.bytes[2] == 0 && time.bytes[3] == 0 && time.bytes[4] == 0 && time.bytes[5] == 0;
    useFallback = (!large && highBitsZero) || !modelTimeConverts(time) || modelTimeInYear1601(time);
  }
  if (useFallback && !readTime(page, places.fallbackTime, time)) return std::nullopt;
  if (!modelTimeConverts(time)) return std::nullopt;
  return time;
}

}  // namespace

namespace {

// Reads the rows of one header page against the columns of its table.
class HeaderRowReading {
 public:
  HeaderRowReading(std::span<const std::uint8_t> bytes, store::PageSizeClass pageSizeClass,
                   const HeaderTableInfo& table, const HeaderColumns& columns, store::FileOffset pageOffset)
      : page_(bytes),
        large_(store::isLargePage(pageSizeClass)),
        reader_(page_, large_),
        table_(table),
        columns_(columns),
        pageOffset_(pageOffset),
        // Which column plays which part in this store format.
        primaryColumn_(large_ ? columns.normalizedSubject : columns.subjectPrefix),
        secondaryColumn_(large_ ? columns.subjectPrefix : columns.normalizedSubject) {}

  std::vector<MessageHeader> read(store::PageSizeClass pageSizeClass) {
    std::vector<MessageHeader> out;
    for (const Candidate& candidate : findCandidates(page_, pageSizeClass, table_)) {
      if (auto header = readRow(candidate)) out.push_back(std::move(*header));
    }
    return out;
  }

 private:
  // One row's directory: where it starts, where it ends and where the text searches stop.
  struct Directory {
    std::int64_t start = 0;
    std::int64_t end = 0;
    std::int64_t tagEnd = 0;
    std::int64_t textSearchEnd = 0;
  };

  std::optional<MessageHeader> readRow(const Candidate& candidate) const {
    const std::int64_t anchor = candidate.anchor;
    const std::int64_t tagEnd = candidate.tag.offset + candidate.tag.size;
    if (!large_ && !page_.equals(anchor, table_.key.bytes)) return std::nullopt;
    std::optional<RowPlaces> places = large_ ? largePlaces(page_, anchor) : smallPlaces(page_, reader_, anchor, tagEnd);
    if (!places) return std::nullopt;
    auto directory = directoryAt(places->directory, tagEnd);
    if (!directory) return std::nullopt;

    const TextPlace third = thirdText(*directory);
    const TextPlace primary = primaryText(*directory);
    const TextPlace secondary = primary.found ? secondaryText(*directory, primary.start) : TextPlace{};

    MessageHeader header;
    if (table_.kind == FolderKind::Calendar) header.appointment = appointmentTimes(*directory);
    if (large_) {
      if (!page_.copy8(anchor + hr::kFolderIdDistance, header.folderId.bytes)) return std::nullopt;
    } else {
      header.folderId = table_.key;
    }
    if (!page_.copy8(anchor + hr::kMessageIdDistance, header.messageId.bytes)) return std::nullopt;
    auto time = rowTime(page_, *places, large_);
    if (!time) return std::nullopt;
    header.time = *time;

    header.pageOffset = pageOffset_;
    keepText(directory->start, primary, header.primaryOffset, header.primaryLength);
    keepText(directory->start, secondary, header.secondaryOffset, header.secondaryLength);
    keepText(directory->start, third, header.thirdOffset, header.thirdLength);
    header.flag = table_.kind;
    if (large_) header.ownerKey = table_.ownerKey;
    return header;
  }

  // The directory at `start` when its size entry reads and it ends inside the page.
  std::optional<Directory> directoryAt(std::int64_t start, std::int64_t tagEnd) const {
    if (!page_.has(start, hr::kEntryLength)) return std::nullopt;
    const std::int64_t size = reader_.offset(start);
    if (start + size > page_.size() || size <= 0) return std::nullopt;
    // A row's directory lies inside the row: the text searches stop at its end too, so a
    // damaged directory size cannot make every row walk the whole page.
    return Directory{start, start + size, tagEnd, std::min(start + size, tagEnd)};
  }

  // The third text: the sender name's entry in 32 KB stores; in the others an entry of one
  // of two fixed columns before the primary column's.
  TextPlace thirdText(const Directory& directory) const {
    TextPlace third;
    for (std::int64_t pos = directory.start;
         pos < directory.end && pos < directory.tagEnd && page_.has(pos, hr::kEntryLength); pos += hr::kEntryLength) {
      const std::int64_t column = reader_.column(pos);
      if (large_) {
        if (columns_.senderName && column == *columns_.senderName) {
          third.start = reader_.offset(pos);
          third.length = reader_.offset(pos + hr::kEntryLength) - third.start;
          break;
        }
      } else {
        if (primaryColumn_ && column == *primaryColumn_) break;
        if (column == hr::kSmallThirdColumns[0] || column == hr::kSmallThirdColumns[1]) {
          third.start = page_.u8(pos + hr::kEntryOffsetLow);
          const std::int64_t next = page_.u8(pos + hr::kEntryLength + hr::kEntryOffsetLow);
          third.length = next - third.start;
          break;
        }
      }
    }
    if (third.length < 0) third.length = 0;
    third.found = third.length >= 1;
    return third;
  }

  // The primary text: the primary column, or the secondary one when the primary is missing
  // or empty.
  TextPlace primaryText(const Directory& directory) const {
    TextPlace primary;
    for (auto wanted : {primaryColumn_, secondaryColumn_}) {
      const std::int64_t entry = reader_.find(directory.start, directory.textSearchEnd, wanted);
      if (entry < 0) continue;
      const std::int64_t start = reader_.offset(entry);
      const std::int64_t next = reader_.offset(entry + hr::kEntryLength);
      if (next - start == 1) continue;
      if (start > 0 && next > 0 && next > start) primary = {true, start, next - start};
      break;
    }
    return primary;
  }

  // The secondary text must have a length of its own (its next offset beyond its own
  // start), wherever it lies in the directory relative to the primary.
  TextPlace secondaryText(const Directory& directory, std::int64_t primaryStart) const {
    const std::int64_t entry = reader_.find(directory.start, directory.textSearchEnd, secondaryColumn_);
    if (entry < 0) return {};
    const std::int64_t start = reader_.offset(entry);
    const std::int64_t next = reader_.offset(entry + hr::kEntryLength);
    if (primaryStart >= 1 && next > 0 && next - start >= 1 && start != primaryStart) {
      return {true, start, next - start};
    }
    return {};
  }

  // Calendar rows: the start and end time of the first 8-byte value after the first two
  // entries, when both read.
  std::optional<AppointmentTimes> appointmentTimes(const Directory& directory) const {
    for (std::int64_t pos = directory.start + hr::kAppointmentFirstEntry;
         pos < directory.end && pos < directory.tagEnd && page_.has(pos, hr::kEntryLength); pos += hr::kEntryLength) {
      const std::int64_t valueOffset = reader_.offset(pos);
      const std::int64_t valueEnd = reader_.offset(pos + hr::kEntryLength);
      if (valueOffset <= 0 || valueEnd <= 0 || valueEnd <= valueOffset) continue;
      if (valueEnd - valueOffset != hr::kAppointmentValueLength) continue;
      ModelTime start;
      ModelTime end;
      if (!readTime(page_, directory.start + valueOffset + hr::kAppointmentTimeDistance, start) ||
          !readTime(page_, directory.start + valueEnd + hr::kAppointmentTimeDistance, end)) {
        return std::nullopt;
      }
      AppointmentTimes times;
      times.start = start;
      times.end = end;
      return times;
    }
    return std::nullopt;
  }

  // A text is kept only when all of it lies inside the page: a damaged directory can
  // point anywhere, and a position past the page would not even fit the header's fields.
  void keepText(std::int64_t directory, const TextPlace& text, std::uint16_t& offsetOut,
                std::uint16_t& lengthOut) const {
    const std::int64_t start = directory + text.start + hr::kTextAfterFormat;
    if (!text.found || text.length < 1 || start < 1 || start > page_.size() - text.length) return;
    offsetOut = static_cast<std::uint16_t>(start);
    lengthOut = static_cast<std::uint16_t>(text.length);
  }

  const BoundedBytes page_;
  const bool large_;
  const RowReader reader_;
  const HeaderTableInfo& table_;
  const HeaderColumns& columns_;
  const store::FileOffset pageOffset_;
  const std::optional<std::uint16_t> primaryColumn_;
  const std::optional<std::uint16_t> secondaryColumn_;
};

}  // namespace

bool modelTimeConverts(const ModelTime& time) { return (fileTimeOf(time) >> 63) == 0; }
bool modelTimeInYear1601(const ModelTime& time) { return fileTimeOf(time) < kTicksOfYear1601; }

std::vector<MessageHeader> parseHeaderRows(std::span<const std::uint8_t> bytes, store::PageSizeClass pageSizeClass,
                                           const HeaderTableInfo& table, const HeaderColumns& columns,
                                           store::FileOffset pageOffset) {
  return HeaderRowReading(bytes, pageSizeClass, table, columns, pageOffset).read(pageSizeClass);
}

}  // namespace tarnwick::analysis
