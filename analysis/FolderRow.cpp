#include "analysis/FolderRow.h"

#include "store/BoundedBytes.h"
#include "store/PackedText.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick::analysis {

namespace {

using store::BoundedBytes;

// Folder row layout.
constexpr std::uint8_t kSmallRowMarker = 0xA7;
constexpr std::int64_t kFixedWindowStart = 167;   // also B when a 32 KB row has no marker
constexpr std::int64_t kMarkerSearchLength = 16;
constexpr std::int64_t kMaxWindowLength = 300;
constexpr std::int64_t kMaxDirectoryDistance = 1024;
constexpr std::int64_t kMinDirectorySize = 100;
constexpr std::uint16_t kNameColumn = 0x0105;
constexpr std::uint16_t kSecondColumn = 0x0104;
constexpr std::int64_t kEntryLength = 4;
constexpr std::uint8_t kLargeRowMarker = 0xCA;
constexpr std::int64_t kLargeAnchorDistance = 10;
constexpr int kLargeDirectoryTries = 4;

struct ClassKind {
  std::u16string_view name;
  std::uint8_t kind;
};
// Tested in this order; the first match wins.
constexpr ClassKind kClassKinds[] = {
    {u"IPF.CONTACT", 'c'}, {u"IPF.APPOINTMENT", 'a'}, {u"IPF.NOTE", 'n'},
    {u"IPF.StickyNote", 'n'}, {u"IPF.Task", 't'},        {u"IPF.Journal", 'j'},
};

char16_t foldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (foldAscii(a[i]) != foldAscii(b[i])) return false;
  }
  return true;
}

// The first entry of `column` in the directory at `d`, searched while below `limit`.
std::int64_t findEntry(const BoundedBytes& r, std::int64_t d, std::int64_t limit, std::uint16_t column) {
  for (std::int64_t pos = d; pos < limit && r.has(pos, kEntryLength); pos += kEntryLength) {
    if (r.u16(pos) == column) return pos;
  }
  return -1;
}

std::int64_t maskedOffset(const BoundedBytes& r, std::int64_t entry) {
  return r.u8(entry + 2) | ((r.u8(entry + 3) & 0x0F) << 8);
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
  for (std::int64_t pos = start; r.has(pos, 2) && text.size() < 16; pos += 2) {
    text.push_back(static_cast<char16_t>(r.u16(pos)));
  }
  return text;
}

// A 32 KB value: its format byte at `d + offset`, the packed text after it.
std::u16string readLargeText(const BoundedBytes& r, std::int64_t d, std::int64_t offset, std::int64_t length) {
  if (length <= 1 || !r.has(d + offset, length)) return {};
  const std::uint8_t format = r.u8(d + offset);
  auto text = store::unpackStoredText(r.slice(d + offset + 1, length - 1), format, kMaxFolderNameChars);
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

std::uint8_t kindOfContainerClass(std::u16string_view value, bool prefixTest) {
  for (const auto& c : kClassKinds) {
    std::u16string_view compared = value;
    if (prefixTest) {
      if (value.size() < c.name.size()) continue;
      compared = value.substr(0, c.name.size());
    }
    if (equalNoCase(compared, c.name)) return c.kind;
  }
  return 0;
}

std::uint8_t applyNotesRule(std::uint8_t kind, const std::u16string& name) {
  if (kind == 'n' && !equalNoCase(name, u"Notes")) return 0;
  return kind;
}

std::optional<FolderRow> parseFolderRowSmall(std::span<const std::uint8_t> bytes, const MailboxIdIndex& mailboxes,
                                             std::uint16_t containerClassColumn) {
  const BoundedBytes r(bytes);
  // Window of the identifier search.
  std::int64_t start = -1;
  if (r.u8(6) == kSmallRowMarker && r.has(7, 1) && r.u8(7) == 0x00) {
    start = kFixedWindowStart;
  } else {
    for (std::int64_t p = 0; p < kMarkerSearchLength && p < r.size(); ++p) {
      if (r.u8(p) == kSmallRowMarker) {
        // Bytes before the row read as zero.
        start = p + r.u8(p - 3) + r.u8(p - 2) + r.u8(p - 1);
        break;
      }
    }
    if (start < 0) return std::nullopt;
  }
  const std::int64_t end = start + std::min<std::int64_t>(r.size(), kMaxWindowLength);

  // Every place in the window where a mailbox identifier stands, ordered by the mailbox's
  // list position and then by place: the same order as searching the window once per
  // mailbox.
  struct Hit {
    std::int64_t mailbox;
    std::int64_t pos;
  };
  std::vector<Hit> hits;
  for (std::int64_t m = start; m < end && r.has(m, 8); ++m) {
    auto slice = r.slice(m, 8);
    std::int64_t mailbox = mailboxes.find(std::span<const std::uint8_t, 8>(slice.data(), 8));
    if (mailbox >= 0) hits.push_back({mailbox, m});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.mailbox < b.mailbox; });

  std::int64_t resume = start;
  std::int64_t currentMailbox = -1;
  for (const Hit& hit : hits) {
    if (hit.mailbox != currentMailbox) {
      currentMailbox = hit.mailbox;
      resume = start;
    }
    const std::int64_t m = hit.pos;
    if (m < resume) continue;
    const FolderId& rootId = mailboxes[static_cast<std::size_t>(hit.mailbox)];
    const std::int64_t p = r.equals(m + 8, rootId.bytes) ? m : m - 8;
    const std::int64_t f = p - 8;
    FolderRow row;
    const std::int64_t v = r.u16(f - 2);
    if (!r.has(f - 2, 10) || r.s16(f) <= 0 || v < 1 || v > kMaxDirectoryDistance ||
        !r.copy8(f, row.id.bytes) || row.id.isZero()) {
      resume = p + 9;
      continue;
    }
    const std::int64_t d = f + v;
    if (!r.has(d + 1, 1) || r.u8(d + 1) != 1) {
      resume = p + 9;
      continue;
    }
    if (r.u16(d + 4) != kSecondColumn || r.u16(d + 8) != kNameColumn) {
      resume = (p + 2 <= m) ? m + 1 : p + 2;
      continue;
    }
    r.copy8(p, row.parentId.bytes);

    std::int64_t w = maskedOffset(r, d);
    if (w < kMinDirectorySize || w > r.size()) w = kMinDirectorySize;

    const std::int64_t classEntry = findEntry(r, d, d + w + 1, containerClassColumn);
    if (classEntry >= 0) {
      const std::int64_t valueStart = d + maskedOffset(r, classEntry) + 1;
      if (r.has(valueStart, 1)) row.kind = kindOfContainerClass(readSmallClass(r, valueStart), true);
    }

    const std::int64_t nameOffset = maskedOffset(r, d + 8);
    const std::int64_t nameLength = maskedOffset(r, d + 12) - nameOffset;
    row.name = readSmallText(r, d + nameOffset + 1, nameLength - 1);
    row.kind = applyNotesRule(row.kind, row.name);
    return row;
  }
  return std::nullopt;
}

std::optional<FolderRow> parseFolderRowLarge(std::span<const std::uint8_t> bytes, std::uint16_t containerClassColumn) {
  const BoundedBytes r(bytes);
  std::int64_t b = kFixedWindowStart;
  for (std::int64_t p = 0; p < kMarkerSearchLength && r.has(p, 2); ++p) {
    if (r.u8(p) == kLargeRowMarker && r.u8(p + 1) == 0x00) {
      b = p + kLargeAnchorDistance;
      break;
    }
  }

  FolderRow row;
  const std::int64_t v = r.u16(b - 10);
  if (!r.has(b - 10, 18) || r.s16(b - 8) <= 0 || v < 1 || v > kMaxDirectoryDistance ||
      !r.copy8(b - 8, row.id.bytes) || row.id.isZero() || !r.copy8(b, row.parentId.bytes)) {
    return std::nullopt;
  }

  std::int64_t d = -1;
  for (int i = 0; i < kLargeDirectoryTries; ++i) {
    const std::int64_t q = b + v - 12 + 2 * i;
    if (!r.has(q, 1)) continue;
    const std::int64_t x = q + r.u8(q);
    if (r.has(x, 12) && r.u8(x + 3) == 1 && r.u16(x + 6) == kSecondColumn && r.u16(x + 10) == kNameColumn) {
      d = x + 2;
      break;
    }
  }
  if (d < 0) return std::nullopt;

  std::int64_t w = r.u16(d + 2);
  if (w > r.size()) w = kMinDirectorySize;

  const std::int64_t windowEnd = d + w + 1;
  const std::int64_t classEntry = findEntry(r, d, windowEnd, containerClassColumn);
  if (classEntry >= 0) {
    const std::int64_t offset = r.u16(classEntry + 2);
    const std::int64_t next = classEntry + kEntryLength;
    const std::int64_t length =
        (next < windowEnd && r.has(next, kEntryLength)) ? r.u16(next + 2) - offset : r.size() - offset - d;
    row.kind = kindOfContainerClass(readLargeText(r, d, offset, length), false);
  }

  const std::int64_t nameOffset = r.u16(d + 10);
  row.name = readLargeText(r, d, nameOffset, r.u16(d + 14) - nameOffset);
  row.kind = applyNotesRule(row.kind, row.name);
  return row;
}

}  // namespace tarnwick::analysis
