#pragma once

// The folder tree of each mailbox (well-known folders with their container classes, then
// numbered subfolders nesting deeper) and, for 32 KB stores, the rows of the per-mailbox
// folder tables. A row is an ordinary record whose columns put its bytes where the 32 KB
// folder step looks: the directory distance 202 (bytes CA 00) at byte 10, the folder id
// and parent id after it, a variable column whose byte at row position 210 leads to the
// tagged-column directory, and the directory's entries 0x0100, 0x0104, 0x0105 (display
// name), 0x0147 (container class) and 0x0150 (whose offset ends the class), the texts
// 7-bit packed.

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

// 4 KB/8 KB stores: the one "Folders" table of the store. Its key is a short folder number
// (numbers whose key bytes hold 0xA7 are left out, so the row's marker is the first 0xA7);
// then a long whose top byte is the marker 0xA7 (its three lower bytes add up to the
// distance from the marker to where the identifier search starts), the distance from the
// folder id to the tagged directory, folder id, parent id and mailbox id, and the tagged
// columns 0x0100, 0x0104, 0x0105 (display name, UTF-16) and 0x0147 (container class).
TableDef smallFolderTable(const std::string& name, std::uint32_t initialPages);
RowSource smallFolderRows(std::vector<FolderPlan> folders, std::vector<MailboxPlan> mailboxes);

// UTF-8 as code points; names of the generator are UTF-8 in the plan and the manifest.
std::u32string codePointsOf(const std::string& utf8);

inline constexpr std::uint16_t kFolderDirectoryDistance = 202;
inline constexpr std::size_t kFolderIdAt = 12;  // from the row's first byte (4-byte key)

}  // namespace tarnwick::storegen
