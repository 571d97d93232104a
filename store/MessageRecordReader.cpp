#include "store/MessageRecordReader.h"

#include "store/MessageRecordLayout.h"
#include "store/RecordLocator.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::store {

namespace mr = message_record;

namespace {

using Page = std::span<const std::uint8_t>;

std::uint16_t u16At(Page p, std::size_t at) { return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8)); }

std::uint32_t u32At(Page p, std::size_t at) {
  return static_cast<std::uint32_t>(p[at]) | (static_cast<std::uint32_t>(p[at + 1]) << 8) |
         (static_cast<std::uint32_t>(p[at + 2]) << 16) | (static_cast<std::uint32_t>(p[at + 3]) << 24);
}

bool fits(Page p, std::size_t at, std::size_t n) { return at <= p.size() && n <= p.size() - at; }

bool idAt(Page p, std::size_t at, const MessageIdBytes& id) {
  return fits(p, at, id.size()) && std::memcmp(p.data() + at, id.data(), id.size()) == 0;
}

// Record slots of a leaf page, as the tag array places them (at most 800).
struct Slot {
  std::uint32_t offset;
  std::uint32_t size;
};

std::vector<Slot> pageSlots(Page page, int pageSizeClass) {
  RecordSlotArray located;
  const std::size_t count = LocateRecords(page, pageSizeClass, located);
  std::vector<Slot> slots(count);
  for (std::size_t i = 0; i < count; ++i) {
    slots[i] = {static_cast<std::uint32_t>(located[i].offset), static_cast<std::uint16_t>(located[i].size)};
  }
  return slots;
}

LongValueKeyBytes referenceKey(Page p, std::size_t valueStart) {
  return {p[valueStart + 2], p[valueStart + 1], 0, 0};
}

// The tagged-column directory of one record.
class Directory {
 public:
  Directory(Page page, int pageSizeClass, std::uint32_t start, std::uint32_t slotEnd)
      : page_(page), large_(pageSizeClass == 2), start_(start), slotEnd_(std::min<std::size_t>(slotEnd, page.size())) {
    if (fits(page, start, mr::kEntryLength)) size_ = offsetWord(start + 2);
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
  std::uint16_t column(std::size_t i) const { return u16At(page_, start_ + mr::kEntryLength * i); }
  std::uint32_t offset(std::size_t i) const { return offsetWord(start_ + mr::kEntryLength * i + 2); }
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
    std::uint16_t v = u16At(page_, at);
    return large_ ? v : (v & mr::kSmallOffsetMask);
  }

  Page page_;
  bool large_;
  std::uint32_t start_;
  std::size_t slotEnd_;
  std::uint32_t size_ = 0;
};

// Text of a property value: UTF-16 or 8-bit by the value's first bytes, up to a
// character whose low byte is 0, 1 or 2.
std::u16string propertyText(Page value) {
  std::u16string text;
  bool wide = value.size() >= 3 &&
              (value[1] == 0 || value[0] < 32 || value[0] > 125 || value[1] < 32 || value[1] > 125);
  if (wide) {
    for (std::size_t i = 0; i + 1 < value.size() && text.size() < mr::kMaxPropertyText; i += 2) {
      if (value[i] <= 2) break;
      text.push_back(static_cast<char16_t>(value[i] | (value[i + 1] << 8)));
    }
  } else {
    for (std::size_t i = 0; i < value.size() && text.size() < mr::kMaxPropertyText; ++i) {
      if (value[i] <= 2) break;
      text.push_back(static_cast<char16_t>(value[i]));
    }
  }
  return text;
}

std::u16string wideText(Page value) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < value.size() && text.size() < mr::kMaxPropertyText; i += 2) {
    if (value[i] <= 2) break;
    text.push_back(static_cast<char16_t>(value[i] | (value[i + 1] << 8)));
  }
  return text;
}

// The value bytes of entry i after its format byte, cut to the slot.
Page valueAfterFormat(Page page, const Directory& dir, std::size_t i) {
  std::size_t from = dir.at(dir.offset(i)) + 1;
  std::size_t to = std::min<std::size_t>(dir.at(dir.nextOffset(i)), dir.slotEnd());
  if (from >= to) return {};
  return page.subspan(from, to - from);
}

// Where the address text of an inline address value lies (page position), or nothing.
std::optional<std::size_t> addressTextPosition(Page page, std::size_t from, std::size_t to, bool large) {
  if (large && fits(page, from, 2) && page[from + 1] == mr::kLz77Marker) return from;
  for (std::size_t p = from; p + 1 < to; ++p) {
    std::size_t text = p + mr::kAddressMarkerDistance;
    if (page[p] == mr::kAddressMarker0 && page[p + 1] == mr::kAddressMarker1 && text < page.size() &&
        page[text] != 0) {
      return text;
    }
  }
  std::size_t at = from;
  while (at < to && page[at] != '@') ++at;
  if (at >= to) return std::nullopt;
  bool wide = at + 1 < page.size() && page[at + 1] == 0;
  std::size_t step = wide ? 2 : 1;
  std::size_t s = at;
  while (s >= from + step) {
    std::size_t c = s - step;
    unsigned ch = wide ? static_cast<unsigned>(page[c] | (page[c + 1] << 8)) : page[c];
    if (ch == 0 || ch >= 128 || (ch >= 1 && ch <= 43)) return s;
    s = c;
  }
  return s;
}

}  // namespace

std::vector<RecordCandidate> findMessageRecordCandidates(std::span<const std::uint8_t> page, int pageSizeClass) {
  std::vector<RecordCandidate> candidates;
  for (const Slot& slot : pageSlots(page, pageSizeClass)) {
    std::uint32_t slotEnd = slot.offset + slot.size;
    if (pageSizeClass == 2) {
      if (slot.size < mr::kLargeMinSlotSize) continue;
      std::uint8_t c = page[slot.offset + mr::kLargePlacementByte];
      std::uint32_t low = c & 0x0F;
      std::uint32_t position = low <= mr::kLargePlacementLimit ? slot.offset + mr::kLargePlacementBase + c
                                                                : slot.offset + low;
      candidates.push_back({position, slotEnd});
      continue;
    }
    std::size_t window = std::min<std::size_t>(slot.size, mr::kSmallMarkerWindow);
    for (std::size_t i = 0; i + 1 < window; ++i) {
      if (page[slot.offset + i] == mr::kSmallMarker0 && page[slot.offset + i + 1] == mr::kSmallMarker1) {
        candidates.push_back({static_cast<std::uint32_t>(slot.offset + i + mr::kSmallIdAfterMarker), slotEnd});
        break;
      }
    }
  }
  return candidates;
}

std::optional<std::uint32_t> matchMessageRecord(std::span<const std::uint8_t> page, int pageSizeClass,
                                                const RecordCandidate& candidate, const MessageIdBytes& messageId) {
  const std::size_t c = candidate.position;
  if (!idAt(page, c, messageId)) return std::nullopt;
  std::size_t directory = 0;
  if (pageSizeClass != 2) {
    directory = c + mr::kSmallDirectoryAfterId;
  } else {
    std::size_t second = fits(page, c + mr::kLargeSecondIdSelector, 1) && page[c + mr::kLargeSecondIdSelector] != 0
                             ? c + mr::kLargeSecondIdFar
                             : c + mr::kLargeSecondIdNear;
    if (idAt(page, second, messageId)) {
      directory = second + mr::kLargeDirectoryAfterSecondId;
    } else {
      directory = c;
      if (fits(page, c + 1, 1) && page[c + 1] != 1) {
        const std::size_t slotEnd = std::min<std::size_t>(candidate.slotEnd, page.size());
        const std::size_t limit = slotEnd >= mr::kLargeSlotEndMargin ? slotEnd - mr::kLargeSlotEndMargin : 0;
        for (std::size_t j = c + mr::kLargeDirectorySearchStart; j < limit; ++j) {
          if (page[j] != 1 || page[j + 4] != 1) continue;
          directory = j - 1;
          std::uint16_t v = u16At(page, j + 1);
          if (v > 0 && v <= limit) break;
        }
      }
    }
  }
  if (!fits(page, directory, mr::kEntryLength)) return std::nullopt;
  Directory dir(page, pageSizeClass, static_cast<std::uint32_t>(directory), candidate.slotEnd);
  if (dir.offset(0) < 1) return std::nullopt;
  return static_cast<std::uint32_t>(directory);
}

MessageRecordFields readMessageRecord(std::span<const std::uint8_t> page, std::uint64_t pageFileOffset,
                                      int pageSizeClass, const RecordCandidate& candidate,
                                      std::uint32_t directory, const MessageColumns& columns,
                                      const RecordReadOptions& options) {
  MessageRecordFields f;
  const bool large = pageSizeClass == 2;
  Directory dir(page, pageSizeClass, directory, candidate.slotEnd);
  auto file = [&](std::size_t pagePosition) { return pageFileOffset + pagePosition; };

  // The record's first short text stands in for a third header text the header lacked.
  if (options.needsThirdText) {
    for (std::size_t i = 0; i < 2 && dir.present(i); ++i) {
      if (dir.column(i) == mr::kThirdTextExcludedColumn || dir.offset(i) == mr::kThirdTextExcludedOffset) continue;
      std::size_t w = dir.at(dir.offset(i));
      if (!fits(page, w, 3)) continue;
      bool shortPrefix = ((page[w + 1] == mr::kAddressMarker0 || page[w + 1] == mr::kAddressMarkerAlt0) &&
                          page[w + 2] == mr::kAddressMarker1) ||
                         page[w + 1] == mr::kShortPrefixMarker;
      std::size_t p = w + (shortPrefix ? 3 : 5);
      if (p >= page.size() || p > UINT16_MAX || page[p] == 0) continue;
      f.thirdFound = true;
      f.thirdOffset = static_cast<std::uint16_t>(p);
      f.thirdLength = page[p];
      break;
    }
  }

  bool addressDone = false;
  bool bodyDone = false;
  bool attachmentsDone = false;
  bool streamedBody = false;
  bool contactSeen = false;
  bool appointmentSeen = false;
  const bool propertyKind = options.itemKind != 'j' && options.itemKind != 't' && options.itemKind != 'n';
  for (std::size_t i = 0; dir.present(i); ++i) {
    const std::uint16_t column = dir.column(i);
    const std::uint32_t k = dir.offset(i);
    const std::uint32_t l = dir.nextOffset(i);
    if (!addressDone && column == columns.address && column != 0) {
      addressDone = true;
      if (k < 1 || l < 1 || l <= k) break;
      f.addressLength = static_cast<std::uint16_t>(l - k);
      const std::size_t from = dir.at(k);
      if (!fits(page, from, 1)) break;
      if (l - k == mr::kLongValueReferenceLength) {
        if (fits(page, from, mr::kLongValueReferenceLength)) f.addressKey = referenceKey(page, from);
      } else {
        std::size_t to = std::min<std::size_t>(dir.at(l), page.size());
        if (auto text = addressTextPosition(page, from, to, large)) f.addressPosition = file(*text);
      }
      if (options.streamingFileOpen && dir.present(i + 1) && dir.column(i + 1) == mr::kStreamedBodyColumn) {
        streamedBody = true;
        f.bodySource = 'y';
        const std::uint32_t m = dir.offset(i + 1);
        const std::uint32_t n = dir.nextOffset(i + 1);
        if (m < 1 || n < 1 || n <= m) break;
        f.bodyLength = static_cast<std::uint16_t>(n - m);
        const std::size_t at = dir.at(m);
        if (n - m == mr::kLongValueReferenceLength) {
          if (fits(page, at, mr::kLongValueReferenceLength)) f.bodyKey = referenceKey(page, at);
        } else if (fits(page, at + 1, 4) && u32At(page, at + 1) >= 1) {
          f.bodyPosition = file(at);
        }
      }
    } else if (!streamedBody && !bodyDone && column != 0 &&
               (column == columns.plainBody || column == columns.htmlBody || column == columns.rtfBody)) {
      bodyDone = true;
      if (column == columns.plainBody) f.bodySource = 'p';
      const std::size_t at = dir.at(k);
      std::int64_t length = 0;
      if (dir.isLast(i)) {
        length = fits(page, at, 1) && page[at] == mr::kLongValueReferenceLength
                     ? static_cast<std::int64_t>(mr::kLongValueReferenceLength)
                     : static_cast<std::int64_t>(dir.slotEnd()) - static_cast<std::int64_t>(at);
      } else {
        if (l < 1) break;
        length = static_cast<std::int64_t>(l) - k;
      }
      if (k < 1 || length < 1) break;
      f.bodyLength = static_cast<std::uint16_t>(length);
      if (length == static_cast<std::int64_t>(mr::kLongValueReferenceLength)) {
        if (fits(page, at, mr::kLongValueReferenceLength)) f.bodyKey = referenceKey(page, at);
      } else {
        f.bodyPosition = file(at);
      }
    } else if (!attachmentsDone && column != 0 && column == columns.attachments) {
      attachmentsDone = true;
      const std::size_t from = dir.at(k);
      const std::size_t to = std::min<std::size_t>(dir.at(l), page.size());
      if (from < to && page[from] == mr::kAttachmentListMarker) {
        Page value = page.subspan(from, to - from);
        auto take = [&](std::size_t at) {
          MessageIdBytes id{};
          std::memcpy(id.data(), value.data() + at, id.size());
          f.attachmentIds.push_back(id);
        };
        if (fits(value, mr::kFirstAttachmentId, mr::kAttachmentIdLength)) take(mr::kFirstAttachmentId);
        for (std::size_t at = mr::kNextAttachmentIds; fits(value, at, mr::kAttachmentIdLength);
             at += mr::kAttachmentIdStride) {
          take(at);
        }
      }
    }
    if (propertyKind && column != 0) {
      if (std::find(columns.contact.begin(), columns.contact.end(), column) != columns.contact.end()) {
        contactSeen = true;
      }
      if (column == columns.appointmentContact || column == columns.appointmentTimeZone ||
          column == columns.appointmentLocation || column == columns.startTime || column == columns.endTime) {
        appointmentSeen = true;
      }
    }
  }

  // The text of a property column: 7-bit packed in 32 KB stores when its format byte says
  // so, else UTF-16 or 8-bit text.
  auto columnText = [&](std::size_t i) {
    std::u16string text;
    Page value = valueAfterFormat(page, dir, i);
    if (value.empty()) return text;
    std::size_t formatAt = dir.at(dir.offset(i));
    if (large && page[formatAt] == mr::kCompressedFormat && options.unpack7Bit) {
      if (auto bytes = options.unpack7Bit(value, mr::kCompressedTextCapacity)) {
        for (std::uint8_t b : *bytes) {
          if (b == 0 || text.size() >= mr::kMaxCompressedPropertyText) break;
          text.push_back(static_cast<char16_t>(b));
        }
      }
    } else {
      text = propertyText(value);
    }
    return text;
  };

  if (columns.senderAddress != 0) {
    for (std::size_t i = 0; dir.present(i); ++i) {
      if (dir.column(i) != columns.senderAddress) continue;
      f.senderAddress = columnText(i);
      break;
    }
  }

  if (contactSeen) {
    std::array<std::u16string, 18> byKind;
    bool any = false;
    for (std::size_t i = 0; dir.present(i); ++i) {
      const std::uint16_t column = dir.column(i);
      auto kind = std::find(columns.contact.begin(), columns.contact.end(), column);
      if (column == 0 || kind == columns.contact.end()) continue;
      std::u16string text = columnText(i);
      if (!text.empty()) {
        byKind[static_cast<std::size_t>(kind - columns.contact.begin())] = std::move(text);
        any = true;
      }
    }
    if (any) {
      std::array<std::u16string, 18> slots;
      for (std::size_t s = 0; s < slots.size(); ++s) slots[s] = byKind[kContactSlotKinds[s]];
      f.contactSlots = std::move(slots);
    }
  }

  if (appointmentSeen) {
    RecordAppointment a;
    bool any = false;
    for (std::size_t i = 0; dir.present(i); ++i) {
      const std::uint16_t column = dir.column(i);
      const std::uint32_t k = dir.offset(i);
      const std::uint32_t l = dir.nextOffset(i);
      if (column == 0 || k < 1 || l < 1 || l <= k) continue;
      const std::size_t at = dir.at(k);
      auto readTime = [&](TimeBytes& out) {
        std::size_t t = at + (large ? mr::kLargeTimeDistance : mr::kSmallTimeDistance);
        if (!fits(page, t, mr::kTimeLength)) return;
        std::memcpy(out.data(), page.data() + t, out.size());
        any = true;
      };
      auto readText = [&](std::u16string& out) {
        out = wideText(valueAfterFormat(page, dir, i));
        any = any || !out.empty();
      };
      if (column == columns.appointmentContact) {
        readText(a.contact);
      } else if (column == columns.appointmentTimeZone) {
        readText(a.timeZone);
      } else if (column == columns.appointmentLocation) {
        readText(a.location);
      } else if (column == columns.startTime) {
        readTime(a.start);
      } else if (column == columns.endTime) {
        readTime(a.end);
      }
    }
    if (any) f.appointment = std::move(a);
  }
  return f;
}

}  // namespace tarnwick::store
