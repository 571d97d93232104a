#pragma once

#include "analysis/FolderKind.h"
#include "analysis/FolderTreeModel.h"
#include "analysis/ModelIds.h"
#include "analysis/ScanEngine.h"
#include "analysis/ScanModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// One folder as a scan found it, with the folders below it in tree order.
struct FolderSummary {
  FolderId id;
  std::u16string name;
  FolderKind kind = FolderKind::Other;
  std::u16string path;       // as the selection list gives it: "Mailbox\Inbox\"
  std::size_t messages = 0;  // message headers listed for the folder
  std::vector<FolderSummary> folders;
};

// How deep a summary nests folders: as deep as the tree gives folder paths.
inline constexpr std::size_t kMaxFolderNesting = FolderTreeModel::kMaxPathLevels;

// One mailbox with its top-level folders.
struct MailboxSummary {
  FolderId id;
  std::u16string name;
  std::vector<FolderSummary> folders;
  // Folders more than kMaxFolderNesting levels deep, listed on that level under their
  // ancestor there instead of nested further.
  std::size_t flattenedFolders = 0;
};

// The mailboxes and folders of a finished (or stopped) scan, in tree order.
std::vector<MailboxSummary> summarizeScan(const ScanResult& result, const ScanModel& model,
                                          const FolderTreeModel& tree);

// A folder kind in words: "contacts", "calendar", "notes", "tasks", "journal" or "folder".
const char* folderKindName(FolderKind kind);

// An identifier as 16 lower-case hexadecimal digits, its bytes in stored order.
std::string idHex(const FolderId& id);

}  // namespace tarnwick::analysis
