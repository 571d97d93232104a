#include "tools/storegen/FolderRows.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>

namespace tarnwick::storegen {

namespace cat = ese::catalogue;

namespace {

struct WellKnown {
  const char* name;
  const char* containerClass;
};
constexpr WellKnown kWellKnown[] = {
    {"Inbox", "IPF.Note"},       {"Sent Items", "IPF.Note"},  {"Deleted Items", "IPF.Note"},
    {"Drafts", "IPF.Note"},      {"Outbox", "IPF.Note"},      {"Calendar", "IPF.Appointment"},
    {"Contacts", "IPF.Contact"}, {"Tasks", "IPF.Task"},       {"Notes", "IPF.StickyNote"},
    {"Journal", "IPF.Journal"},  {"Junk E-mail", "IPF.Note"}, {"Sync Issues", "IPF.Note"},
};

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

ColumnDef column(std::uint16_t id, const char* name, ColumnType type, std::uint32_t size = 0, bool packed = false) {
  ColumnDef c;
  c.id = id;
  c.name = name;
  c.type = type;
  c.size = size ? size : fixedSizeOf(type);
  c.compressed = packed;
  c.alwaysPack = packed;
  return c;
}

// Row layout (32 KB): 2-byte key size and a 4-byte sequence key, record from byte 6:
// header (4), three fixed columns from byte 10 (distance, folder id, parent id), null
// bitmap at 28, one variable-column offset at 29, the variable column from 31 for 200
// bytes, the tagged directory at 231.
constexpr std::size_t kVariableStart = 31;
constexpr std::size_t kVariableSize = 200;
constexpr std::size_t kDirectoryAt = kVariableStart + kVariableSize;
constexpr std::size_t kPointerAt = kFolderIdAt + 8 + kFolderDirectoryDistance - 12;  // row position 210

}  // namespace

char folderKind(const std::string& containerClass, const std::string& name) {
  // The exact (32 KB) comparison; "IPF.Note" folders count as notes only when named Notes.
  auto is = [&](const char* c) {
    return containerClass.size() == std::string(c).size() && startsWithNoCase(containerClass, c);
  };
  if (is("IPF.Contact")) return 'c';
  if (is("IPF.Appointment")) return 'a';
  if (is("IPF.Note") || is("IPF.StickyNote")) {
    std::string lower = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower == "notes" ? 'n' : 0;
  }
  if (is("IPF.Task")) return 't';
  if (is("IPF.Journal")) return 'j';
  return 0;
}

std::vector<FolderPlan> planFolders(const std::vector<MailboxPlan>& mailboxes, std::uint32_t perMailbox, Rng& rng) {
  std::vector<FolderPlan> out;
  for (std::size_t m = 0; m < mailboxes.size(); ++m) {
    // Small replica numbers, as stores have: the header-table name of a 4 KB/8 KB folder is
    // "R-..." with a one-digit replica R.
    const std::uint64_t replica = 1 + rng.below(15);
    std::uint64_t counter = 0x100 + rng.below(0x1000);
    auto nextId = [&]() {
      ++counter;
      // Bytes 0-1: the replica number; bytes 2-7: a counter, most significant byte first.
      std::uint64_t id = replica;
      for (int i = 0; i < 6; ++i) id |= ((counter >> (8 * (5 - i))) & 0xFF) << (8 * (2 + i));
      return id;
    };
    std::vector<std::size_t> mine;
    for (std::uint32_t i = 0; i < perMailbox; ++i) {
      FolderPlan f;
      f.id = nextId();
      f.mailbox = m;
      if (i < std::size(kWellKnown)) {
        f.name = kWellKnown[i].name;
        f.containerClass = kWellKnown[i].containerClass;
        f.parentId = mailboxes[m].id;
        f.path = f.name;
      } else {
        // Subfolders: each under the previous one for a few levels, then under the Inbox.
        const std::size_t depth = (i - std::size(kWellKnown)) % 5;
        const FolderPlan& parent = depth == 0 || mine.empty() ? out[mine.front()] : out[mine.back()];
        // Every third name has letters beyond ASCII (Latin-1, which every format can hold).
        static const char* const kStems[] = {"Folder ", "Entw\xC3\xBCrfe ", "R\xC3\xA9union \xC3\x86 "};
        const std::size_t n = i - std::size(kWellKnown);
        f.name = kStems[n % 3] + std::to_string(n + 1);
        f.containerClass = "IPF.Note";
        f.parentId = parent.id;
        f.path = parent.path + "/" + f.name;
      }
      f.kind = folderKind(f.containerClass, f.name);
      mine.push_back(out.size());
      out.push_back(f);
    }
  }
  return out;
}

TableDef largeFolderTable(const std::string& name) {
  TableDef t;
  t.name = name;
  t.initialPages = 9;
  t.hasLongValues = false;
  t.columns = {
      column(1, "FolderDirectoryDistance", ColumnType::Short),
      column(2, "FolderId", ColumnType::Currency),
      column(3, "ParentFolderId", ColumnType::Currency),
      column(128, "FolderBlob", ColumnType::Binary, 255),
      column(256, "N6748", ColumnType::LongBinary),
      column(260, "S3004", ColumnType::LongText, 0, true),
      column(261, "S3001", ColumnType::LongText, 0, true),
      column(0x0147, "S3613", ColumnType::LongText, 0, true),
      // The class is not the directory's last entry: the next entry's offset ends it.
      column(0x0150, "L3600", ColumnType::Long),
  };
  return t;
}

RowSource largeFolderRows(std::vector<FolderPlan> folders) {
  auto list = std::make_shared<std::vector<FolderPlan>>(std::move(folders));
  auto next = std::make_shared<std::size_t>(0);
  return [list, next](Row& row) {
    if (*next >= list->size()) return false;
    const FolderPlan& f = (*list)[(*next)++];
    row.clear();
    auto set = [&](std::uint16_t id, Bytes v) { row.push_back(ColumnValue{id, {std::move(v)}}); };
    set(1, le(kFolderDirectoryDistance, 2));
    set(2, le(f.id, 8));
    set(3, le(f.parentId, 8));
    Bytes blob(kVariableSize, 0x5F);
    blob[kPointerAt - kVariableStart] = static_cast<std::uint8_t>(kDirectoryAt - 2 - kPointerAt);
    set(128, blob);
    set(256, le(f.id, 8));
    const std::string comment = "Folder";
    set(260, Bytes(comment.begin(), comment.end()));
    // An ASCII name is 8-bit text, 7-bit packed; any other is UTF-16, which the packing
    // cannot hold, so it stays as it is (flags byte without the compressed bit).
    Bytes name;
    const std::u32string chars = codePointsOf(f.name);
    const bool ascii = std::all_of(chars.begin(), chars.end(), [](char32_t c) { return c < 0x80; });
    for (char32_t c : chars) {
      if (ascii)
        name.push_back(static_cast<std::uint8_t>(c));
      else
        append16(name, static_cast<std::uint16_t>(c));
    }
    set(261, name);
    set(0x0147, Bytes(f.containerClass.begin(), f.containerClass.end()));
    set(0x0150, le(1, 4));
    return true;
  };
}

std::u32string codePointsOf(const std::string& utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<std::uint8_t>(utf8[i]);
    const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
      c = (c << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3F);
    out.push_back(c);
    i += 1 + extra;
  }
  return out;
}

namespace {

// Row layout (4 KB/8 KB): record header (4 bytes), then the fixed columns: folder number
// (2, the key), marker long (4, top byte 0xA7 at record byte 9), directory distance (2),
// folder id (8) at record byte 12, parent id (8), mailbox id (8), the null bitmap (1) and
// the variable offsets at 37; no variable columns, so the tagged directory is at 37.
constexpr std::uint8_t kSmallMarker = 0xA7;
constexpr std::uint32_t kSmallMarkerLong = 0xA7010204u;  // bytes 04 02 01 A7: the search starts 7 bytes on
constexpr std::size_t kSmallFolderIdAt = 12;
constexpr std::size_t kSmallDirectoryAt = 37;
constexpr std::uint16_t kSmallDirectoryDistance = kSmallDirectoryAt - kSmallFolderIdAt;

bool holdsMarker(std::uint16_t number) {
  return (number & 0xFF) == kSmallMarker || (number >> 8) == kSmallMarker || ((number >> 8) ^ 0x80) == kSmallMarker;
}

}  // namespace

TableDef smallFolderTable(const std::string& name, std::uint32_t initialPages) {
  TableDef t;
  t.name = name;
  t.initialPages = initialPages;
  t.hasLongValues = false;
  t.primaryIndexName = "FolderNumberIndex";
  t.columns = {
      column(1, "FolderNumber", ColumnType::Short),
      column(2, "FolderFlags", ColumnType::Long),
      column(3, "FolderDirectoryDistance", ColumnType::Short),
      column(4, "FolderId", ColumnType::Currency),
      column(5, "ParentFolderId", ColumnType::Currency),
      column(6, "MailboxId", ColumnType::Currency),
      column(256, "N6748", ColumnType::LongBinary),
      column(260, "S3004", ColumnType::LongText),
      column(261, "S3001", ColumnType::LongText),
      column(0x0147, "S3613", ColumnType::LongText),
  };
  for (auto& c : t.columns) {
    if (c.type == ColumnType::LongText) c.codePage = cat::kCodePageUnicode;
  }
  return t;
}

RowSource smallFolderRows(std::vector<FolderPlan> folders, std::vector<MailboxPlan> mailboxes) {
  auto list = std::make_shared<std::vector<FolderPlan>>(std::move(folders));
  auto boxes = std::make_shared<std::vector<MailboxPlan>>(std::move(mailboxes));
  auto next = std::make_shared<std::size_t>(0);
  auto number = std::make_shared<std::uint16_t>(0);
  return [list, boxes, next, number](Row& row) {
    if (*next >= list->size()) return false;
    const FolderPlan& f = (*list)[(*next)++];
    do {
      ++*number;
      if (*number >= 0x7FFF) throw std::length_error("more folders than a 4 KB/8 KB folder table numbers");
    } while (holdsMarker(*number));
    row.clear();
    auto set = [&](std::uint16_t id, Bytes v) { row.push_back(ColumnValue{id, {std::move(v)}}); };
    auto utf16 = [](const std::string& text) {
      Bytes b;
      for (char32_t c : codePointsOf(text)) append16(b, static_cast<std::uint16_t>(c));
      return b;
    };
    set(1, le(*number, 2));
    set(2, le(kSmallMarkerLong, 4));
    set(3, le(kSmallDirectoryDistance, 2));
    set(4, le(f.id, 8));
    set(5, le(f.parentId, 8));
    set(6, le((*boxes)[f.mailbox].id, 8));
    set(256, le(f.id, 8));
    set(260, utf16("Folder"));
    set(261, utf16(f.name));
    set(0x0147, utf16(f.containerClass));
    return true;
  };
}

}  // namespace tarnwick::storegen
