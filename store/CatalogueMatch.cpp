#include "store/CatalogueMatch.h"

#include "store/CatalogueLayout.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tarnwick::store {

namespace {

using namespace catalogue;

struct NamedKind {
  std::string_view name;
  std::uint8_t letter;
};

// Message-column names whose kind is a letter.
constexpr NamedKind kIndexColumns[] = {
    {"T81ef", 'I'}, {"T8199", 'I'}, {"T81bc", 'I'}, {"T60", 'I'}, {"T8198", 'J'}, {"T81bb", 'J'}, {"T61", 'J'},
};
constexpr NamedKind kRecordColumns[] = {{"S1000", 'P'}, {"N1009", 'R'}, {"N1013", 'H'}, {"N67b3", 'A'}, {"S0c1f", 'E'}};
constexpr NamedKind kAttachmentColumns[] = {{"S3001", 'A'}, {"S3704", 'B'}, {"S3707", 'C'}, {"N3701", 'I'}};

// Contact columns: the kind is the name's index. Compared without regard to letter case.
constexpr std::string_view kContactColumns[] = {
    "S3a51", "S3a4f", "S3a48", "S3a46", "S3a2e", "S3a1c", "S3a18", "S3a19", "S3a17",
    "S3a11", "S3a08", "S3a06", "S808d", "S8097", "S80a6", "S81b0", "S3a16", "S809e",
};
constexpr NamedKind kContactAlternates[] = {
    {"S801f", 15}, {"S801a", 15}, {"S3a26", 12}, {"S80dd", 13}, {"S3a27", 13}, {"S3a29", 14},
};

class RecordMatcher {
 public:
  RecordMatcher(const BoundedBytes& page, PageSizeClass pageSizeClass)
      : page_(page), large_(isLargePage(pageSizeClass)) {}

  std::optional<CatalogueMatch> at(std::int64_t n) const {
    const std::uint8_t first = page_.u8(n);
    switch (first) {
      case 'M':
        if (auto m = mailbox(n)) return m;
        if (auto m = msg(n)) return m;
        break;
      case 'B':
        if (auto m = body(n)) return m;
        break;
      case 'F':
        if (auto m = folders(n)) return m;
        break;
      case 'L':
        if (auto m = longValue(n)) return m;
        break;
      default: break;
    }
    if (first == 'S' || first == 'T' || first == 'N' || first == 's') return column(n);
    return std::nullopt;
  }

 private:
  CatalogueMatch tableMatch(CatalogueMatchKind kind, std::int64_t n) const {
    CatalogueMatch m;
    m.kind = kind;
    m.namePosition = n;
    m.objectId = page_.u32(n - kTableObjectId);
    m.rootPage = page_.u32(n - kTableRootPage);
    return m;
  }

  CatalogueMatch columnMatch(CatalogueMatchKind kind, std::int64_t n, std::uint8_t letter) const {
    CatalogueMatch m;
    m.kind = kind;
    m.namePosition = n;
    m.tableObjectId = owningTable(n);
    m.columnId = page_.u16(n - kColumnId);
    m.columnType = page_.u32(n - kColumnType);
    m.letter = letter;
    return m;
  }

  std::uint32_t owningTable(std::int64_t n) const { return page_.u32(n - kColumnTable); }
  bool zeroBefore(std::int64_t n) const { return page_.has(n - 1, 1) && page_.u8(n - 1) == 0; }
  std::int64_t nameLength(std::int64_t n) const {
    return page_.u8(n - kNameLengthLow) | (page_.u8(n - kNameLengthHigh) << 8);
  }
  // The stored name after its first `prefix` bytes, bounded by the page.
  std::string nameSuffix(std::int64_t n, std::int64_t prefix) const {
    const std::int64_t length = nameLength(n) - prefix;
    if (length <= 0) return {};
    auto bytes = page_.slice(n + prefix, length);
    return std::string(bytes.begin(), bytes.end());
  }

  std::optional<CatalogueMatch> mailbox(std::int64_t n) const {
    if (!page_.equals(n, "Mailbox")) return std::nullopt;
    if (!page_.has(n - kNameLengthLow, 2)) return std::nullopt;
    if (page_.u8(n - kNameLengthLow) != kMailboxNameLength || page_.u8(n - kNameLengthHigh) != 0) return std::nullopt;
    return tableMatch(CatalogueMatchKind::MailboxTable, n);
  }

  std::optional<CatalogueMatch> msg(std::int64_t n) const {
    if (!page_.equals(n, "Msg")) return std::nullopt;
    if (!page_.has(n - kOwningTableOfMsg, 4) || page_.u32(n - kOwningTableOfMsg) != kMessageTableObjectId) {
      return std::nullopt;
    }
    return tableMatch(CatalogueMatchKind::MessageTable, n);
  }

  std::optional<CatalogueMatch> body(std::int64_t n) const {
    if (!large_ || !page_.equals(n, "Body-")) return std::nullopt;
    CatalogueMatch m = tableMatch(CatalogueMatchKind::BodyTable, n);
    m.suffix = nameSuffix(n, 5);
    return m;
  }

  std::optional<CatalogueMatch> folders(std::int64_t n) const {
    if (!page_.equals(n, "Folders")) return std::nullopt;
    if (!page_.has(n - kFoldersMarker, 4) || page_.u32(n - kFoldersMarker) != kFoldersMarkerValue) return std::nullopt;
    CatalogueMatch m = tableMatch(CatalogueMatchKind::FolderTable, n);
    if (large_) m.suffix = nameSuffix(n, 8);
    return m;
  }

  std::optional<CatalogueMatch> longValue(std::int64_t n) const {
    if (!page_.equals(n, "LV") || !zeroBefore(n)) return std::nullopt;
    const std::uint32_t owner = owningTable(n);
    CatalogueMatchKind kind;
    if (owner == kMessageTableObjectId) {
      kind = CatalogueMatchKind::MessageLongValue;
    } else if (large_) {
      kind = CatalogueMatchKind::TableLongValue;
    } else if (owner == kSecondLongValueOwner) {
      kind = CatalogueMatchKind::SecondLongValue;
    } else {
      return std::nullopt;
    }
    CatalogueMatch m;
    m.kind = kind;
    m.namePosition = n;
    m.tableObjectId = owner;
    m.objectId = page_.u32(n - kColumnId);
    m.rootPage = page_.u32(n - kColumnType);
    return m;
  }

  std::optional<CatalogueMatch> column(std::int64_t n) const {
    const std::uint32_t owner = owningTable(n);
    const bool messageOwner = owner == kMessageTableObjectId;
    // In 4 KB and 8 KB stores several message columns must belong to the message table.
    const bool messageTest = large_ || messageOwner;

    if (page_.equals(n, "S361")) {
      if (owner == kFolderTableObjectId) return columnMatch(CatalogueMatchKind::ContainerClass, n, 0);
      if (large_) return columnMatch(CatalogueMatchKind::ContainerClassOther, n, 0);
    }
    if (messageOwner) {
      if (page_.equals(n, "S8225")) return columnMatch(CatalogueMatchKind::Column8225, n, 0);
      if (page_.equals(n, "S810c")) return columnMatch(CatalogueMatchKind::Column810c, n, 0);
      if (page_.equals(n, "S8201")) return columnMatch(CatalogueMatchKind::Column8201, n, 0);
    }
    if (zeroBefore(n) && messageTest) {
      for (const auto& c : kIndexColumns) {
        if (page_.equals(n, c.name)) return columnMatch(CatalogueMatchKind::MessageColumn, n, c.letter);
      }
    }
    if (messageTest) {
      for (const auto& c : kRecordColumns) {
        if (page_.equals(n, c.name)) return columnMatch(CatalogueMatchKind::MessageColumn, n, c.letter);
      }
      if (page_.equals(n, "N67b4")) return columnMatch(CatalogueMatchKind::MessageColumn, n, 'T');
    }
    if (zeroBefore(n)) {
      if (large_ && page_.equals(n, "S42")) return columnMatch(CatalogueMatchKind::NoteColumn, n, 'F');
      if (page_.equals(n, "S3d")) return columnMatch(CatalogueMatchKind::NoteColumn, n, 'S');
      if (page_.equals(n, "Se1d")) return columnMatch(CatalogueMatchKind::NoteColumn, n, 'T');
    }
    if (large_) {
      for (const auto& c : kAttachmentColumns) {
        if (page_.equals(n, c.name)) return columnMatch(CatalogueMatchKind::AttachmentColumn, n, c.letter);
      }
    }
    if (messageTest) {
      for (std::size_t i = 0; i < std::size(kContactColumns); ++i) {
        if (page_.equalsNoCase(n, kContactColumns[i])) {
          return columnMatch(CatalogueMatchKind::MessageColumn, n, static_cast<std::uint8_t>(i));
        }
      }
      for (const auto& c : kContactAlternates) {
        if (page_.equalsNoCase(n, c.name)) return columnMatch(CatalogueMatchKind::MessageColumn, n, c.letter);
      }
    }
    return std::nullopt;
  }

  const BoundedBytes& page_;
  bool large_;
};

}  // namespace

std::optional<CatalogueMatch> matchCatalogueRecord(const BoundedBytes& page, std::int64_t recordStart,
                                                   std::int64_t recordEnd, PageSizeClass pageSizeClass) {
  RecordMatcher matcher(page, pageSizeClass);
  if (recordEnd > page.size()) recordEnd = page.size();
  for (std::int64_t n = recordStart + kFirstNamePosition; n < recordEnd; ++n) {
    if (auto m = matcher.at(n)) return m;
  }
  return std::nullopt;
}

std::optional<CatalogueMatch> CataloguePageMatcher::matchRecord(std::int64_t recordStart, std::int64_t recordEnd) {
  const RecordMatcher matcher(page_, pageSizeClass_);
  const std::int64_t size = page_.size();
  if (nextMatch_.empty() && size > 0) {
    nextMatch_.resize(static_cast<std::size_t>(size) + 1);
    nextMatch_[static_cast<std::size_t>(size)] = size;
    for (std::int64_t n = size - 1; n >= 0; --n) {
      const auto at = static_cast<std::size_t>(n);
      nextMatch_[at] = matcher.at(n) ? n : nextMatch_[at + 1];
    }
  }
  const std::int64_t end = std::min(recordEnd, size);
  const std::int64_t from = std::max<std::int64_t>(0, recordStart + kFirstNamePosition);
  if (from >= end) return std::nullopt;
  const std::int64_t found = nextMatch_[static_cast<std::size_t>(from)];
  if (found >= end) return std::nullopt;
  return matcher.at(found);
}

}  // namespace tarnwick::store
