#include "store/MessageRecordReader.h"

#include "store/BoundedBytes.h"
#include "store/MessageRecordLayout.h"
#include "store/RecordLocator.h"

#include <algorithm>

namespace tarnwick::store {

namespace mr = message_record;

namespace {

using Page = std::span<const std::uint8_t>;

// Record slots of a leaf page, as the tag array places them (at most 800).
struct Slot {
  std::uint32_t offset;
  std::uint32_t size;
};

std::vector<Slot> pageSlots(Page page, PageSizeClass pageSizeClass) {
  RecordSlotArray located;
  const std::size_t count = locateRecords(page, pageSizeClass, located);
  std::vector<Slot> slots(count);
  for (std::size_t i = 0; i < count; ++i) {
    slots[i] = {static_cast<std::uint32_t>(located[i].offset), static_cast<std::uint16_t>(located[i].size)};
  }
  return slots;
}

LongValueKeyBytes referenceKey(const BoundedBytes& bytes, std::size_t valueStart) {
  return {bytes.u8(valueStart + mr::kReferenceIdHigh), bytes.u8(valueStart + mr::kReferenceIdLow), 0, 0};
}

// The tagged-column directory of one record.
class Directory {
 public:
  Directory(const BoundedBytes& bytes, PageSizeClass pageSizeClass, std::uint32_t start, std::uint32_t slotEnd)
      : bytes_(bytes),
        large_(isLargePage(pageSizeClass)),
        start_(start),
        slotEnd_(std::min<std::size_t>(slotEnd, static_cast<std::size_t>(bytes.size()))) {
    if (bytes.has(start, mr::kEntryLength)) size_ = offsetWord(start + mr::kEntryOffsetWord);
  }

  std::uint32_t start() const { return start_; }
  std::size_t slotEnd() const { return slotEnd_; }
  // Number of entries: the directory ends where the first value begins.
  std::size_t count() const { return size_ / mr::kEntryLength; }
  // Whether entry i lies inside the record's slot.
  bool present(std::size_t i) const {
    std::size_t at = start_ + mr::kEntryLength * i;
    return i < count() && at + mr::kEntryLength <= slotEnd_;
  }
  std::uint16_t column(std::size_t i) const { return bytes_.u16(start_ + mr::kEntryLength * i); }
  std::uint32_t offset(std::size_t i) const { return offsetWord(start_ + mr::kEntryLength * i + mr::kEntryOffsetWord); }
  bool isLast(std::size_t i) const { return !present(i + 1); }
  // Where the value of entry i ends, as an offset from the directory start: the next
  // entry's offset, or for the last entry the end of the slot.
  std::uint32_t nextOffset(std::size_t i) const {
    if (!isLast(i)) return offset(i + 1);
    return slotEnd_ > start_ ? static_cast<std::uint32_t>(slotEnd_ - start_) : 0;
  }
  // Page position of a value offset.
  std::size_t at(std::uint32_t offset) const { return static_cast<std::size_t>(start_) + offset; }

 private:
  std::uint32_t offsetWord(std::size_t at) const {
    std::uint16_t v = bytes_.u16(at);
    return large_ ? v : (v & mr::kSmallOffsetMask);
  }

  const BoundedBytes& bytes_;
  bool large_;
  std::uint32_t start_;
  std::size_t slotEnd_;
  std::uint32_t size_ = 0;
};

// UTF-16 text of a value, up to a character whose low byte ends a text.
std::u16string wideText(Page value) {
  const BoundedBytes bytes(value);
  std::u16string text;
  for (std::size_t i = 0; i + 1 < value.size() && text.size() < mr::kMaxPropertyText; i += 2) {
    if (value[i] <= mr::kLastTextEndByte) break;
    text.push_back(static_cast<char16_t>(bytes.u16(i)));
  }
  return text;
}

// Text of a property value: UTF-16 or 8-bit by the value's first bytes, up to a
// character whose low byte is 0, 1 or 2.
std::u16string propertyText(Page value) {
  bool wide =
      value.size() >= 3 && (value[1] == 0 || value[0] < 32 || value[0] > 125 || value[1] < 32 || value[1] > 125);
  if (wide) return wideText(value);
  std::u16string text;
  for (std::size_t i = 0; i < value.size() && text.size() < mr::kMaxPropertyText; ++i) {
    if (value[i] <= mr::kLastTextEndByte) break;
    text.push_back(static_cast<char16_t>(value[i]));
  }
  return text;
}

// The value bytes of entry i after its format byte, cut to the slot.
Page valueAfterFormat(const BoundedBytes& bytes, const Directory& dir, std::size_t i) {
  std::size_t from = dir.at(dir.offset(i)) + 1;
  std::size_t to = std::min<std::size_t>(dir.at(dir.nextOffset(i)), dir.slotEnd());
  if (from >= to) return {};
  return bytes.slice(static_cast<std::int64_t>(from), static_cast<std::int64_t>(to - from));
}

// Where the address text of an inline address value lies (page position), or nothing.
std::optional<std::size_t> addressTextPosition(const BoundedBytes& bytes, std::size_t from, std::size_t to,
                                               bool large) {
  if (large && bytes.has(from, 2) && bytes.u8(from + 1) == mr::kLz77Marker) return from;
  for (std::size_t p = from; p + 1 < to; ++p) {
    std::size_t text = p + mr::kAddressMarkerDistance;
    if (bytes.u8(p) == mr::kAddressMarker0 && bytes.u8(p + 1) == mr::kAddressMarker1 && bytes.has(text, 1) &&
        bytes.u8(text) != 0) {
      return text;
    }
  }
  // Else the text is the run of address characters that ends at the first '@'.
  std::size_t at = from;
  while (at < to && bytes.u8(at) != '@') ++at;
  if (at >= to) return std::nullopt;
  bool wide = bytes.has(at + 1, 1) && bytes.u8(at + 1) == 0;
  std::size_t step = wide ? 2 : 1;
  std::size_t textStart = at;
  while (textStart >= from + step) {
    std::size_t before = textStart - step;
    unsigned ch = wide ? bytes.u16(before) : bytes.u8(before);
    if (ch == 0 || ch >= 128 || (ch >= 1 && ch <= 43)) return textStart;
    textStart = before;
  }
  return textStart;
}

}  // namespace

namespace {

// 32 KB stores: the byte at the placement position says where the message id lies.
std::uint32_t largeIdPosition(const BoundedBytes& bytes, const Slot& slot) {
  const std::uint8_t placement = bytes.u8(slot.offset + mr::kLargePlacementByte);
  const std::uint32_t low = placement & mr::kLargePlacementLowMask;
  return low <= mr::kLargePlacementLimit ? slot.offset + mr::kLargePlacementBase + placement : slot.offset + low;
}

// 4 KB / 8 KB stores: the message id follows the first marker in the slot's first bytes.
std::optional<std::uint32_t> smallIdPosition(const BoundedBytes& bytes, const Slot& slot) {
  const std::size_t window = std::min<std::size_t>(slot.size, mr::kSmallMarkerWindow);
  for (std::size_t i = 0; i + 1 < window; ++i) {
    if (bytes.u8(slot.offset + i) == mr::kSmallMarker0 && bytes.u8(slot.offset + i + 1) == mr::kSmallMarker1) {
      return static_cast<std::uint32_t>(slot.offset + i + mr::kSmallIdAfterMarker);
    }
  }
  return std::nullopt;
}

// 32 KB stores without a second id: the directory is the first pair of tagged-column
// entries after the id whose offset lies inside the slot; failing that, the last such pair
// seen, or the id position itself.
std::size_t searchLargeDirectory(const BoundedBytes& bytes, const RecordCandidate& candidate) {
  const std::size_t idAt = candidate.position;
  std::size_t directory = idAt;
  if (!bytes.has(idAt + mr::kLargeDirectoryFlagAfterId, 1) ||
      bytes.u8(idAt + mr::kLargeDirectoryFlagAfterId) == mr::kLargeDirectoryFlag) {
    return directory;
  }
  const std::size_t slotEnd = std::min<std::size_t>(candidate.slotEnd, static_cast<std::size_t>(bytes.size()));
  const std::size_t limit = slotEnd >= mr::kLargeSlotEndMargin ? slotEnd - mr::kLargeSlotEndMargin : 0;
  for (std::size_t high = idAt + mr::kLargeDirectorySearchStart; high < limit; ++high) {
    if (bytes.u8(high) != mr::kTaggedColumnHigh || bytes.u8(high + mr::kEntryLength) != mr::kTaggedColumnHigh) {
      continue;
    }
    directory = high - mr::kEntryColumnHighByte;
    const std::uint16_t firstOffset = bytes.u16(directory + mr::kEntryOffsetWord);
    if (firstOffset > 0 && firstOffset <= limit) break;
  }
  return directory;
}

// 32 KB stores: the directory follows a second copy of the id, or is searched for.
std::size_t largeDirectory(const BoundedBytes& bytes, const RecordCandidate& candidate,
                           const MessageIdBytes& messageId) {
  const std::size_t idAt = candidate.position;
  const std::size_t second =
      bytes.u8(idAt + mr::kLargeSecondIdSelector) != 0 ? idAt + mr::kLargeSecondIdFar : idAt + mr::kLargeSecondIdNear;
  if (bytes.equals(second, messageId)) return second + mr::kLargeDirectoryAfterSecondId;
  return searchLargeDirectory(bytes, candidate);
}

}  // namespace

std::vector<RecordCandidate> findMessageRecordCandidates(std::span<const std::uint8_t> page,
                                                         PageSizeClass pageSizeClass) {
  const BoundedBytes bytes(page);
  std::vector<RecordCandidate> candidates;
  for (const Slot& slot : pageSlots(page, pageSizeClass)) {
    const std::uint32_t slotEnd = slot.offset + slot.size;
    if (isLargePage(pageSizeClass)) {
      if (slot.size >= mr::kLargeMinSlotSize) candidates.push_back({largeIdPosition(bytes, slot), slotEnd});
    } else if (auto position = smallIdPosition(bytes, slot)) {
      candidates.push_back({*position, slotEnd});
    }
  }
  return candidates;
}

std::optional<std::uint32_t> matchMessageRecord(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass,
                                                const RecordCandidate& candidate, const MessageIdBytes& messageId) {
  const BoundedBytes bytes(page);
  if (!bytes.equals(candidate.position, messageId)) return std::nullopt;
  const std::size_t directory = isLargePage(pageSizeClass) ? largeDirectory(bytes, candidate, messageId)
                                                           : candidate.position + mr::kSmallDirectoryAfterId;
  if (!bytes.has(directory, mr::kEntryLength)) return std::nullopt;
  Directory dir(bytes, pageSizeClass, static_cast<std::uint32_t>(directory), candidate.slotEnd);
  if (dir.offset(0) < 1) return std::nullopt;
  return static_cast<std::uint32_t>(directory);
}

namespace {

// One matched record read against the columns of its table.
class RecordReading {
 public:
  RecordReading(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset, PageSizeClass pageSizeClass,
                const RecordCandidate& candidate, std::uint32_t directory, const MessageColumns& columns,
                const RecordReadOptions& options)
      : bytes_(page),
        pageFileOffset_(pageFileOffset),
        large_(isLargePage(pageSizeClass)),
        dir_(bytes_, pageSizeClass, directory, candidate.slotEnd),
        columns_(columns),
        options_(options) {}

  MessageRecordFields read() {
    if (options_.needsThirdText) readThirdText();
    walkDirectory();
    if (columns_.senderAddress != 0) readSenderAddress();
    if (contactSeen_) readContactSlots();
    if (appointmentSeen_) readAppointment();
    return std::move(fields_);
  }

 private:
  std::uint64_t file(std::size_t pagePosition) const { return pageFileOffset_ + pagePosition; }

  // The record's first short text stands in for a third header text the header lacked.
  void readThirdText() {
    for (std::size_t i = 0; i < mr::kThirdTextEntries && dir_.present(i); ++i) {
      if (dir_.column(i) == mr::kThirdTextExcludedColumn || dir_.offset(i) == mr::kThirdTextExcludedOffset) continue;
      const std::size_t value = dir_.at(dir_.offset(i));
      if (!bytes_.has(value, 3)) continue;
      const std::uint8_t first = bytes_.u8(value + mr::kTextPrefixFirst);
      const bool shortPrefix = ((first == mr::kAddressMarker0 || first == mr::kAddressMarkerAlt0) &&
                                bytes_.u8(value + mr::kTextPrefixSecond) == mr::kAddressMarker1) ||
                               first == mr::kShortPrefixMarker;
      const std::size_t text = value + (shortPrefix ? mr::kTextAfterShortPrefix : mr::kTextAfterLongPrefix);
      if (!bytes_.has(text, 1) || text > UINT16_MAX || bytes_.u8(text) == 0) continue;
      fields_.thirdFound = true;
      fields_.thirdOffset = static_cast<std::uint16_t>(text);
      fields_.thirdLength = bytes_.u8(text);
      break;
    }
  }

  // One pass over the directory: the address, the body and the attachment list, each
  // from its first entry, and whether contact or appointment columns are present. A value
  // that does not fit ends the walk.
  void walkDirectory() {
    bool addressDone = false;
    bool bodyDone = false;
    bool attachmentsDone = false;
    const bool propertyKind = options_.readsKindTexts;
    for (std::size_t i = 0; dir_.present(i); ++i) {
      const std::uint16_t column = dir_.column(i);
      if (!addressDone && column == columns_.address && column != 0) {
        addressDone = true;
        if (!readAddress(i)) break;
      } else if (!streamedBody_ && !bodyDone && column != 0 &&
                 (column == columns_.plainBody || column == columns_.htmlBody || column == columns_.rtfBody)) {
        bodyDone = true;
        if (!readBody(i, column)) break;
      } else if (!attachmentsDone && column != 0 && column == columns_.attachments) {
        attachmentsDone = true;
        readAttachmentIds(i);
      }
      if (propertyKind && column != 0) notePropertyColumn(column);
    }
  }

  void notePropertyColumn(std::uint16_t column) {
    if (std::find(columns_.contact.begin(), columns_.contact.end(), column) != columns_.contact.end()) {
      contactSeen_ = true;
    }
    if (column == columns_.appointmentContact || column == columns_.appointmentTimeZone ||
        column == columns_.appointmentLocation || column == columns_.startTime || column == columns_.endTime) {
      appointmentSeen_ = true;
    }
  }

  // The address value: a long-value reference or inline text; a streamed body entry may
  // follow it. False ends the walk.
  bool readAddress(std::size_t i) {
    const std::uint32_t valueOffset = dir_.offset(i);
    const std::uint32_t valueEnd = dir_.nextOffset(i);
    if (valueOffset < 1 || valueEnd < 1 || valueEnd <= valueOffset) return false;
    fields_.addressLength = static_cast<std::uint16_t>(valueEnd - valueOffset);
    const std::size_t from = dir_.at(valueOffset);
    if (!bytes_.has(from, 1)) return false;
    if (valueEnd - valueOffset == mr::kLongValueReferenceLength) {
      if (bytes_.has(from, mr::kLongValueReferenceLength)) fields_.addressKey = referenceKey(bytes_, from);
    } else {
      const std::size_t to = std::min<std::size_t>(dir_.at(valueEnd), static_cast<std::size_t>(bytes_.size()));
      if (auto text = addressTextPosition(bytes_, from, to, large_)) fields_.addressPosition = file(*text);
    }
    if (options_.streamingFileOpen && dir_.present(i + 1) && dir_.column(i + 1) == mr::kStreamedBodyColumn) {
      streamedBody_ = true;
      fields_.bodySource = BodySource::StreamingFile;
      return readStreamedBody(i + 1);
    }
    return true;
  }

  // A body kept in the streaming file: a long-value reference or an inline size.
  bool readStreamedBody(std::size_t i) {
    const std::uint32_t valueOffset = dir_.offset(i);
    const std::uint32_t valueEnd = dir_.nextOffset(i);
    if (valueOffset < 1 || valueEnd < 1 || valueEnd <= valueOffset) return false;
    fields_.bodyLength = static_cast<std::uint16_t>(valueEnd - valueOffset);
    const std::size_t at = dir_.at(valueOffset);
    if (valueEnd - valueOffset == mr::kLongValueReferenceLength) {
      if (bytes_.has(at, mr::kLongValueReferenceLength)) fields_.bodyKey = referenceKey(bytes_, at);
    } else if (bytes_.u32(at + mr::kStreamedBodySize) >= 1) {
      fields_.bodyPosition = file(at);
    }
    return true;
  }

  // The first body column's value: a long-value reference or the body in the record. The
  // last entry's value runs to the end of the slot.
  bool readBody(std::size_t i, std::uint16_t column) {
    if (column == columns_.plainBody) fields_.bodySource = BodySource::PlainUnicode;
    const std::uint32_t valueOffset = dir_.offset(i);
    const std::size_t at = dir_.at(valueOffset);
    std::int64_t length = 0;
    if (dir_.isLast(i)) {
      length = bytes_.u8(at) == mr::kLongValueReferenceLength
                   ? static_cast<std::int64_t>(mr::kLongValueReferenceLength)
                   : static_cast<std::int64_t>(dir_.slotEnd()) - static_cast<std::int64_t>(at);
    } else {
      const std::uint32_t valueEnd = dir_.nextOffset(i);
      if (valueEnd < 1) return false;
      length = static_cast<std::int64_t>(valueEnd) - valueOffset;
    }
    if (valueOffset < 1 || length < 1) return false;
    fields_.bodyLength = static_cast<std::uint16_t>(length);
    if (length == static_cast<std::int64_t>(mr::kLongValueReferenceLength)) {
      if (bytes_.has(at, mr::kLongValueReferenceLength)) fields_.bodyKey = referenceKey(bytes_, at);
    } else {
      fields_.bodyPosition = file(at);
    }
    return true;
  }

  void readAttachmentIds(std::size_t i) {
    const std::size_t from = dir_.at(dir_.offset(i));
    const std::size_t to = std::min<std::size_t>(dir_.at(dir_.nextOffset(i)), static_cast<std::size_t>(bytes_.size()));
    if (from >= to || bytes_.u8(from) != mr::kAttachmentListMarker) return;
    const BoundedBytes value(bytes_.slice(from, to - from));
    MessageIdBytes id{};
    if (value.copy8(mr::kFirstAttachmentId, id)) fields_.attachmentIds.push_back(id);
    for (std::size_t at = mr::kNextAttachmentIds; value.copy8(at, id); at += mr::kAttachmentIdStride) {
      fields_.attachmentIds.push_back(id);
    }
  }

  // The text of a property column: 7-bit packed in 32 KB stores when its format byte says
  // so, else UTF-16 or 8-bit text.
  std::u16string columnText(std::size_t i) const {
    std::u16string text;
    Page value = valueAfterFormat(bytes_, dir_, i);
    if (value.empty()) return text;
    const std::size_t formatAt = dir_.at(dir_.offset(i));
    if (large_ && bytes_.u8(formatAt) == mr::kCompressedFormat && options_.unpack7Bit) {
      if (auto unpacked = options_.unpack7Bit(value, mr::kCompressedTextCapacity)) {
        for (std::uint8_t b : *unpacked) {
          if (b == 0 || text.size() >= mr::kMaxCompressedPropertyText) break;
          text.push_back(static_cast<char16_t>(b));
        }
      }
    } else {
      text = propertyText(value);
    }
    return text;
  }

  void readSenderAddress() {
    for (std::size_t i = 0; dir_.present(i); ++i) {
      if (dir_.column(i) != columns_.senderAddress) continue;
      fields_.senderAddress = columnText(i);
      break;
    }
  }

  // Contact texts by kind, put in the model's slot order when any is found.
  void readContactSlots() {
    std::array<std::u16string, 18> byKind;
    bool any = false;
    for (std::size_t i = 0; dir_.present(i); ++i) {
      const std::uint16_t column = dir_.column(i);
      auto kind = std::find(columns_.contact.begin(), columns_.contact.end(), column);
      if (column == 0 || kind == columns_.contact.end()) continue;
      std::u16string text = columnText(i);
      if (!text.empty()) {
        byKind[static_cast<std::size_t>(kind - columns_.contact.begin())] = std::move(text);
        any = true;
      }
    }
    if (!any) return;
    std::array<std::u16string, 18> slots;
    for (std::size_t s = 0; s < slots.size(); ++s) slots[s] = byKind[kContactSlotKinds[s]];
    fields_.contactSlots = std::move(slots);
  }

  // The appointment's texts and times; kept when any of them is found.
  void readAppointment() {
    RecordAppointment appointment;
    bool any = false;
    for (std::size_t i = 0; dir_.present(i); ++i) {
      const std::uint16_t column = dir_.column(i);
      const std::uint32_t valueOffset = dir_.offset(i);
      const std::uint32_t valueEnd = dir_.nextOffset(i);
      if (column == 0 || valueOffset < 1 || valueEnd < 1 || valueEnd <= valueOffset) continue;
      const std::size_t at = dir_.at(valueOffset);
      auto readTime = [&](TimeBytes& out) {
        auto time = bytes_.slice(at + (large_ ? mr::kLargeTimeDistance : mr::kSmallTimeDistance), mr::kTimeLength);
        if (time.empty()) return;
        std::copy(time.begin(), time.end(), out.begin());
        any = true;
      };
      auto readText = [&](std::u16string& out) {
        out = wideText(valueAfterFormat(bytes_, dir_, i));
        any = any || !out.empty();
      };
      if (column == columns_.appointmentContact) {
        readText(appointment.contact);
      } else if (column == columns_.appointmentTimeZone) {
        readText(appointment.timeZone);
      } else if (column == columns_.appointmentLocation) {
        readText(appointment.location);
      } else if (column == columns_.startTime) {
        readTime(appointment.start);
      } else if (column == columns_.endTime) {
        readTime(appointment.end);
      }
    }
    if (any) fields_.appointment = std::move(appointment);
  }

  const BoundedBytes bytes_;
  const std::uint64_t pageFileOffset_;
  const bool large_;
  const Directory dir_;
  const MessageColumns& columns_;
  const RecordReadOptions& options_;
  MessageRecordFields fields_;
  bool streamedBody_ = false;
  bool contactSeen_ = false;
  bool appointmentSeen_ = false;
};

}  // namespace

MessageRecordFields readMessageRecord(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset,
                                      PageSizeClass pageSizeClass, const RecordCandidate& candidate,
                                      std::uint32_t directory, const MessageColumns& columns,
                                      const RecordReadOptions& options) {
  return RecordReading(page, pageFileOffset, pageSizeClass, candidate, directory, columns, options).read();
}

}  // namespace tarnwick::store
