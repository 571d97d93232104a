#include "analysis/ScanModel.h"

namespace tarnwick::analysis {

void ScanModel::copyMailboxRoots() {
  mailboxes.clear();
  for (std::size_t position : folders.childrenOf(FolderId{})) mailboxes.push_back(folders[position]);
}

void ScanModel::clearModel() {
  pages.clear();
  folderTables.clear();
  messageTables.clear();
  longValueTables.clear();
  MessageColumnList.clear();
  NoteColumnList.clear();
  AttachmentColumnList.clear();
  ContainerClassColumnList.clear();
  folders.clear();
  mailboxes.clear();
  scratchPages.clear();
  headerTables.clear();
  messageHeaders.clear();
  messages.clear();
}

}  // namespace tarnwick::analysis
