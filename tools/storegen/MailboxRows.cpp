#include "tools/storegen/MailboxRows.h"

#include <memory>
#include <string>

namespace tarnwick::storegen {

namespace cat = ese::catalogue;

namespace {
ColumnDef column(std::uint16_t id, const char* name, ColumnType type, std::uint32_t size = 0,
                 std::uint32_t codePage = cat::kCodePageWestern, bool compressed = false) {
  ColumnDef c;
  c.id = id;
  c.name = name;
  c.type = type;
  c.size = size ? size : fixedSizeOf(type);
  c.codePage = codePage;
  c.compressed = compressed;
  return c;
}
// Record layout of a mailbox row (key: 2-byte size and 5 key bytes, so the record's data
// starts at byte 7): header 4 bytes, six fixed columns (44 bytes), null bitmap, then the
// two variable-column end offsets at byte 56, their data from 60 (8 + 16 bytes) and the
// tagged directory at 84.
constexpr std::uint8_t kSmallDirectoryDistance = kMailboxDirectory - kMailboxIdentifierSmall;  // 12
constexpr std::uint8_t kLargeDirectoryDistance = kMailboxDirectory - (kMailboxAnchor + 12);    // 16
}  // namespace

TableDef mailboxTable() {
  TableDef t;
  t.name = "Mailbox";
  t.objectId = ObjectId{24};
  t.hasLongValues = false;
  t.primaryIndexName = "MailboxNumberIndex";
  t.columns = {
      column(1, "MailboxNumber", ColumnType::Long),
      column(2, "MailboxGuidLow", ColumnType::Currency),
      column(3, "MailboxOwnerId", ColumnType::Currency),
      column(4, "LastLogonTime", ColumnType::Currency),
      column(5, "CreationTime", ColumnType::Currency),
      column(6, "QuotaBytes", ColumnType::Currency),
      column(128, "MailboxSecurity", ColumnType::Binary, 8),
      column(129, "MailboxOwnerEntryId", ColumnType::Binary, 16),
      column(256, "N6704", ColumnType::LongBinary),
      column(257, "S3001", ColumnType::LongText, 0, cat::kCodePageUnicode, true),
      column(258, "L6638", ColumnType::LongBinary),
  };
  return t;
}

std::string mailboxDisplayName(std::uint32_t index) {
  static const char* const names[] = {"Administrator", "Alice Brown", "Bob Carter",  "Carol Davis",
                                      "Dan Evans",     "Erin Foster", "Frank Green", "Grace Hill"};
  std::string name = names[index % 8];
  if (index >= 8) {
    name += ' ';
    name += std::to_string(index / 8 + 1);
  }
  return name;
}

RowSource mailboxRows(const std::vector<MailboxPlan>& mailboxes) {
  auto list = std::make_shared<std::vector<MailboxPlan>>(mailboxes);
  auto next = std::make_shared<std::size_t>(0);
  return [list, next](Row& row) {
    if (*next >= list->size()) return false;
    const std::size_t i = (*next)++;
    const MailboxPlan& m = (*list)[i];
    row.clear();
    auto set = [&](std::uint16_t id, Bytes v) { row.push_back(ColumnValue{id, {std::move(v)}}); };
    set(1, le(100 + i, 4));
    set(2, le(0x5A5A000000000000ull + i, 8));
    set(3, le(m.id, 8));
    set(4, le(0x01D0000000000000ull + i, 8));
    set(5, le(0x01C0000000000000ull + i, 8));
    set(6, le(0x40000000ull, 8));
    Bytes security = le(0x0102030405060708ull, 8);
    security[6] = kLargeDirectoryDistance;
    set(128, security);
    Bytes entryId = {0, 0, kSmallDirectoryDistance, 0};
    const Bytes id = le(m.id, 8);
    entryId.insert(entryId.end(), id.begin(), id.end());
    for (std::uint8_t b : {0x11, 0x22, 0x33, 0x44}) entryId.push_back(b);
    set(129, entryId);
    set(256, le(0xDC00000000000000ull | i, 8));
    Bytes name;
    for (char c : m.name) append16(name, static_cast<std::uint8_t>(c));
    set(257, name);
    set(258, le(0x1234, 4));
    return true;
  };
}

}  // namespace tarnwick::storegen
