#pragma once

// The folder tree of each mailbox (well-known folders with their container classes, then
// numbered subfolders nesting deeper) and, for 32 KB stores, the rows of the per-mailbox
// folder tables. A row is an ordinary record whose columns put its bytes where the 32 KB
// folder step looks: the directory distance 202 (bytes CA 00) at byte 10, the folder id
// and parent id after it, a variable column whose byte at row position 210 leads to the
// tagged-column directory, and the directory's entries 0x0100, 0x0104, 0x0105 (display
// name) and 0x0147 (container class), the texts 7-bit packed.

#include <vector>

#include "tools/storegen/Rng.h"
#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

// The folders of every mailbox of `plan`, `perMailbox` of them (at least the well-known
// ones when it is 12 or more).
std::vector<FolderPlan> planFolders(const std::vector<MailboxPlan>& mailboxes, std::uint32_t perMailbox, Rng& rng);

// The kind a scan gives a folder of this class and name.
char folderKind(const std::string& containerClass, const std::string& name);

TableDef largeFolderTable(const std::string& name);
RowSource largeFolderRows(std::vector<FolderPlan> folders);

inline constexpr std::uint16_t kFolderDirectoryDistance = 202;
inline constexpr std::size_t kFolderIdAt = 12;  // from the row's first byte (4-byte key)

}  // namespace tarnwick::storegen
