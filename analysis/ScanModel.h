#pragma once

#include "analysis/CatalogueLists.h"
#include "analysis/FolderList.h"
#include "analysis/HeaderTables.h"
#include "analysis/MessageHeaders.h"
#include "analysis/MessageItems.h"
#include "store/PageList.h"

#include <vector>

namespace tarnwick::analysis {

// Everything an analysis finds in a store, kept until the next analysis. The lists own
// their records and every string in them. Filled by the scan steps in order; read by the
// folder tree, the message list, the preview and the save engine afterwards.
struct ScanModel {
  store::PageList pages;  // every page read in steps 1 and 5, with VisitedPageCount

  TableList folderTables;
  TableList messageTables;
  TableList longValueTables;

  ColumnList MessageColumnList;
  ColumnList NoteColumnList;
  ColumnList AttachmentColumnList;
  ColumnList ContainerClassColumnList;

  FolderList folders;                 // mailbox roots and folders
  std::vector<FolderNode> mailboxes;  // copies of the roots, from step 2 until step 4 ends

  HeaderPageList scratchPages;  // pages of the header table being gathered
  HeaderTableList headerTables;
  MessageHeaderList messageHeaders;
  MessageItemList messages;  // the folder being shown or saved

  // Appends a table whose pages are `scratchPages`; leaves `scratchPages` empty.
  bool addHeaderTable(const FolderId& key, std::optional<std::string> ownerKey, std::uint32_t objectId,
                      FolderKind kind) {
    return headerTables.addHeaderTable(key, std::move(ownerKey), objectId, kind, scratchPages);
  }
  // Number of message headers found.
  std::uint32_t messageHeaderCount() const { return static_cast<std::uint32_t>(messageHeaders.size()); }

  // Copies the mailbox roots of the folder list (the nodes with a zero parent id).
  void copyMailboxRoots();
  // Frees every list with what it owns and resets every counter.
  void clearModel();
};

}  // namespace tarnwick::analysis
