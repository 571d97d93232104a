#pragma once

// The mailbox table and its rows. Each row is an ordinary record of the table; its columns
// are sized so that the record's bytes fall where the mailbox step of a scan looks: the
// variable-column offsets 08 00 18 00 from byte 56 on, the identifier 16 bytes after them
// (and, in 32 KB stores, at bytes 23 to 30, the third fixed column), the distance to the
// tagged-column directory kept in the variable columns, and the display name as tagged
// column 0x0101 behind the directory's second entry (7-bit packed in 32 KB stores).

#include <vector>

#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

TableDef mailboxTable();
RowSource mailboxRows(const std::vector<MailboxPlan>& mailboxes);
// Display names of generated mailboxes, in order.
std::string mailboxDisplayName(std::uint32_t index);

// Where the mailbox step of a scan looks in a record (from the record's first byte).
inline constexpr std::size_t kMailboxAnchor = 56;  // 08 00 18 00
inline constexpr std::size_t kMailboxIdentifierSmall = kMailboxAnchor + 16;
inline constexpr std::size_t kMailboxIdentifierLarge = 23;
inline constexpr std::size_t kMailboxDirectory = 84;
inline constexpr std::uint16_t kMailboxNameColumn = 0x0101;

}  // namespace tarnwick::storegen
