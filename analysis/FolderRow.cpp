#include "analysis/FolderRow.h"

#include "analysis/FolderRowLayout.h"
#include "store/BoundedBytes.h"
#include "store/PackedText.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick::analysis {

namespace {

using store::BoundedBytes;
namespace fr = folder_row;

struct ClassKind {
  std::u16string_view name;
  FolderKind kind;
};
// Tested in this order; the first match wins.
constexpr ClassKind kClassKinds[] = {
    {u"IPF.CONTACT", FolderKind::Contacts}, {u"IPF.APPOINTMENT", FolderKind::Calendar},
    {u"IPF.NOTE", FolderKind::Notes},       {u"IPF.StickyNote", FolderKind::Notes},
    {u"IPF.Task", FolderKind::Tasks},       {u"IPF.Journal", FolderKind::Journal},
};

char16_t foldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

// The first entry of `column` in the directory at `directory`, searched while below `limit`.
std::int64_t findEntry(const BoundedBytes& r, std::int64_t directory, std::int64_t limit, std::uint16_t column) {
  for (std::int64_t pos = directory; pos < limit && r.has(pos, fr::kEntryLength); pos += fr::kEntryLength) {
    if (r.u16(pos) == column) return pos;
  }
  return -1;
}

// The value offset of a 4 KB / 8 KB entry.
std::int64_t maskedOffset(const BoundedBytes& r, std::int64_t entry) {
  const std::uint8_t high = r.u8(entry + fr::kEntryOffsetWord + 1) & fr::kSmallOffsetHighMask;
  return r.u8(entry + fr::kEntryOffsetWord) | (high << 8);
}

// UTF-16 characters of a 4 KB/8 KB value, at most `maxBytes` of it.
std::u16string readSmallText(const BoundedBytes& r, std::int64_t start, std::int64_t maxBytes) {
  std::u16string text;
  for (std::int64_t used = 0; used < maxBytes && r.has(start + used, 2) && text.size() < kMaxFolderNameChars;
       used += 2) {
    const std::uint8_t low = r.u8(start + used);
    if (low == 0 || low == 1 || low == 2) break;
    text.push_back(static_cast<char16_t>(low | (r.u8(start + used + 1) << 8)));
  }
  return text;
}

// The container class of a 4 KB/8 KB row as UTF-16 characters, long enough for the
// longest class name.
std::u16string readSmallClass(const BoundedBytes& r, std::int64_t start) {
  std::u16string text;
  for (std::int64_t pos = start; r.has(pos, 2) && text.size() < fr::kSmallClassChars; pos += 2) {
    text.push_back(static_cast<char16_t>(r.u16(pos)));
  }
  return text;
}

// A 32 KB value: its format byte at `directory + offset`, the packed text after it.
std::u16string readLargeText(const BoundedBytes& r, std::int64_t directory, std::int64_t offset, std::int64_t length) {
  const std::int64_t value = directory + offset;
  if (length <= 1 || !r.has(value, length)) return {};
  const std::uint8_t format = r.u8(value);
  auto text = store::unpackStoredText(r.slice(value + fr::kTextAfterFormat, length - fr::kTextAfterFormat), format,
                                      kMaxFolderNameChars);
  return text ? *text : std::u16string();
}

}  // namespace

void MailboxIdIndex::add(const FolderId& id) {
  first_.try_emplace(id, ids_.size());
  ids_.push_back(id);
}

std::int64_t MailboxIdIndex::find(std::span<const std::uint8_t, 8> bytes) const {
  FolderId id;
  std::copy(bytes.begin(), bytes.end(), id.bytes.begin());
  auto found = first_.find(id);
  return found == first_.end() ? -1 : static_cast<std::int64_t>(found->second);
}

FolderKind kindOfContainerClass(std::u16string_view value, bool prefixTest) {
  for (const auto& c : kClassKinds) {
    std::u16string_view compared = value;
    if (prefixTest) {
      if (value.size() < c.name.size()) continue;
      compared = value.substr(0, c.name.size());
    }
    if (equalNoCase(compared, c.name)) return c.kind;
  }
  return FolderKind::Other;
}

FolderKind applyNotesRule(FolderKind kind, const std::u16string& name) {
  if (kind == FolderKind::Notes && !equalNoCase(name, u"Notes")) return FolderKind::Other;
  return kind;
}

namespace {

// ---- 4 KB / 8 KB rows

// Where the identifier search of a row starts, or -1 when the row has no marker.
std::int64_t smallWindowStart(const BoundedBytes& r) {
  if (r.u8(fr::kFixedMarkerPosition) == fr::kSmallRowMarker && r.has(fr::kFixedMarkerPosition + 1, 1) &&
      r.u8(fr::kFixedMarkerPosition + 1) == 0x00) {
    return fr::kFixedWindowStart;
  }
  for (std::int64_t marker = 0; marker < fr::kMarkerSearchLength && marker < r.size(); ++marker) {
    if (r.u8(marker) == fr::kSmallRowMarker) {
      // Bytes before the row read as zero.
      return marker + r.u8(marker - 3) + r.u8(marker - 2) + r.u8(marker - 1);
    }
  }
  return -1;
}

// A place in the window where a mailbox identifier stands.
struct Hit {
  std::int64_t mailbox;
  std::int64_t pos;
};

// Every hit in the window, ordered by the mailbox's list position and then by place: the
// same order as searching the window once per mailbox.
std::vector<Hit> mailboxHits(const BoundedBytes& r, const MailboxIdIndex& mailboxes, std::int64_t start,
                             std::int64_t end) {
  std::vector<Hit> hits;
  for (std::int64_t pos = start; pos < end && r.has(pos, fr::kIdLength); ++pos) {
    auto slice = r.slice(pos, fr::kIdLength);
    std::int64_t mailbox = mailboxes.find(std::span<const std::uint8_t, 8>(slice.data(), 8));
    if (mailbox >= 0) hits.push_back({mailbox, pos});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.mailbox < b.mailbox; });
  return hits;
}

// The folder at one hit, or where the search for this mailbox goes on.
struct SmallRowAttempt {
  std::optional<FolderRow> row;
  std::int64_t resume = 0;
};

// The container class and display name of a 4 KB / 8 KB row whose directory is at `directory`.
void readSmallTexts(const BoundedBytes& r, std::int64_t directory, std::uint16_t containerClassColumn, FolderRow& row) {
  std::int64_t directorySize = maskedOffset(r, directory);
  if (directorySize < fr::kMinDirectorySize || directorySize > r.size()) directorySize = fr::kMinDirectorySize;

  const std::int64_t classEntry = findEntry(r, directory, directory + directorySize + 1, containerClassColumn);
  if (classEntry >= 0) {
    const std::int64_t valueStart = directory + maskedOffset(r, classEntry) + fr::kTextAfterFormat;
    if (r.has(valueStart, 1)) row.kind = kindOfContainerClass(readSmallClass(r, valueStart), true);
  }

  const std::int64_t nameOffset = maskedOffset(r, directory + fr::kNameEntry);
  const std::int64_t nameLength = maskedOffset(r, directory + fr::kAfterNameEntry) - nameOffset;
  row.name = readSmallText(r, directory + nameOffset + fr::kTextAfterFormat, nameLength - fr::kTextAfterFormat);
  row.kind = applyNotesRule(row.kind, row.name);
}

SmallRowAttempt readSmallRowAt(const BoundedBytes& r, const Hit& hit, const FolderId& rootId,
                               std::uint16_t containerClassColumn) {
  const std::int64_t found = hit.pos;
  const std::int64_t parent = r.equals(found + fr::kRootIdAfterParent, rootId.bytes) ? found : found - fr::kIdLength;
  const std::int64_t folder = parent + fr::kFolderIdDistance;
  const std::int64_t distanceField = parent + fr::kDirectoryDistanceField;
  FolderRow row;
  const std::int64_t directoryDistance = r.u16(distanceField);
  if (!r.has(distanceField, folder + fr::kIdLength - distanceField) || r.s16(folder) <= 0 || directoryDistance < 1 ||
      directoryDistance > fr::kMaxDirectoryDistance || !r.copy8(folder, row.id.bytes) || row.id.isZero()) {
    return {std::nullopt, parent + fr::kResumeAfterBadIds};
  }
  const std::int64_t directory = folder + directoryDistance;
  if (!r.has(directory + fr::kEntryColumnHighByte, 1) ||
      r.u8(directory + fr::kEntryColumnHighByte) != fr::kTaggedColumnHigh) {
    return {std::nullopt, parent + fr::kResumeAfterBadIds};
  }
  if (r.u16(directory + fr::kSecondEntry) != fr::kSecondColumn ||
      r.u16(directory + fr::kNameEntry) != fr::kNameColumn) {
    return {std::nullopt,
            (parent + fr::kResumeAfterBadDirectory <= found) ? found + 1 : parent + fr::kResumeAfterBadDirectory};
  }
  r.copy8(parent, row.parentId.bytes);
  readSmallTexts(r, directory, containerClassColumn, row);
  return {std::move(row), 0};
}

// ---- 32 KB rows

// The directory of a 32 KB row, tried at a few places after the anchor; -1 when none fits.
std::int64_t largeDirectory(const BoundedBytes& r, std::int64_t anchor, std::int64_t directoryDistance) {
  for (int i = 0; i < fr::kLargeDirectoryTries; ++i) {
    const std::int64_t probe = anchor + directoryDistance + fr::kLargeDirectoryProbe + fr::kLargeDirectoryProbeStep * i;
    if (!r.has(probe, 1)) continue;
    const std::int64_t directory = probe + r.u8(probe) + fr::kLargeDirectoryAfterProbe;
    // The bytes from the probe's target through the name entry's column id.
    const std::int64_t checked = fr::kLargeDirectoryAfterProbe + fr::kNameEntry + 2;
    if (r.has(directory - fr::kLargeDirectoryAfterProbe, checked) &&
        r.u8(directory + fr::kEntryColumnHighByte) == fr::kTaggedColumnHigh &&
        r.u16(directory + fr::kSecondEntry) == fr::kSecondColumn &&
        r.u16(directory + fr::kNameEntry) == fr::kNameColumn) {
      return directory;
    }
  }
  return -1;
}

// The container class of a 32 KB row: the value of its class entry, up to the next entry's
// value or, for the last entry, the end of the row; nothing without a class entry.
std::optional<std::u16string> largeClass(const BoundedBytes& r, std::int64_t directory, std::int64_t windowEnd,
                                         std::uint16_t containerClassColumn) {
  const std::int64_t classEntry = findEntry(r, directory, windowEnd, containerClassColumn);
  if (classEntry < 0) return std::nullopt;
  const std::int64_t offset = r.u16(classEntry + fr::kEntryOffsetWord);
  const std::int64_t next = classEntry + fr::kEntryLength;
  const std::int64_t length = (next < windowEnd && r.has(next, fr::kEntryLength))
                                  ? r.u16(next + fr::kEntryOffsetWord) - offset
                                  : r.size() - offset - directory;
  return readLargeText(r, directory, offset, length);
}

}  // namespace

std::optional<FolderRow> parseFolderRowSmall(std::span<const std::uint8_t> bytes, const MailboxIdIndex& mailboxes,
                                             std::uint16_t containerClassColumn) {
  const BoundedBytes r(bytes);
  const std::int64_t start = smallWindowStart(r);
  if (start < 0) return std::nullopt;
  const std::int64_t end = start + std::min<std::int64_t>(r.size(), fr::kMaxWindowLength);

  std::int64_t resume = start;
  std::int64_t currentMailbox = -1;
  for (const Hit& hit : mailboxHits(r, mailboxes, start, end)) {
    if (hit.mailbox != currentMailbox) {
      currentMailbox = hit.mailbox;
      resume = start;
    }
    if (hit.pos < resume) continue;
    const FolderId& rootId = mailboxes[static_cast<std::size_t>(hit.mailbox)];
    SmallRowAttempt attempt = readSmallRowAt(r, hit, rootId, containerClassColumn);
    if (attempt.row) return attempt.row;
    resume = attempt.resume;
  }
  return std::nullopt;
}

std::optional<FolderRow> parseFolderRowLarge(std::span<const std::uint8_t> bytes, std::uint16_t containerClassColumn) {
  const BoundedBytes r(bytes);
  std::int64_t anchor = fr::kFixedWindowStart;
  for (std::int64_t marker = 0; marker < fr::kMarkerSearchLength && r.has(marker, 2); ++marker) {
    if (r.u8(marker) == fr::kLargeRowMarker && r.u8(marker + 1) == 0x00) {
      anchor = marker + fr::kLargeAnchorDistance;
      break;
    }
  }

  FolderRow row;
  const std::int64_t folder = anchor + fr::kFolderIdDistance;
  const std::int64_t directoryDistance = r.u16(anchor + fr::kDirectoryDistanceField);
  if (!r.has(anchor + fr::kDirectoryDistanceField, fr::kLargeIdsLength) || r.s16(folder) <= 0 ||
      directoryDistance < 1 || directoryDistance > fr::kMaxDirectoryDistance || !r.copy8(folder, row.id.bytes) ||
      row.id.isZero() || !r.copy8(anchor, row.parentId.bytes)) {
    return std::nullopt;
  }

  const std::int64_t directory = largeDirectory(r, anchor, directoryDistance);
  if (directory < 0) return std::nullopt;

  std::int64_t directorySize = r.u16(directory + fr::kEntryOffsetWord);
  if (directorySize > r.size()) directorySize = fr::kMinDirectorySize;
  const std::int64_t windowEnd = directory + directorySize + 1;
  if (auto containerClass = largeClass(r, directory, windowEnd, containerClassColumn)) {
    row.kind = kindOfContainerClass(*containerClass, false);
  }

  const std::int64_t nameOffset = r.u16(directory + fr::kNameEntry + fr::kEntryOffsetWord);
  row.name = readLargeText(r, directory, nameOffset,
                           r.u16(directory + fr::kAfterNameEntry + fr::kEntryOffsetWord) - nameOffset);
  row.kind = applyNotesRule(row.kind, row.name);
  return row;
}

}  // namespace tarnwick::analysis
