#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanModel.h"

#include <string>

namespace tarnwick::session {

// Finds the folder named by 16 hex digits of its id or by its path as the tree shows it
// ("Mailbox/Inbox", a "/" inside a name written "\/"). Mailbox roots and folders that have
// no tree item are not taken. Null when there is none.
const analysis::FolderNode* lookUpFolder(const analysis::ScanModel& model, const analysis::FolderTreeModel& tree,
                                         const std::string& idOrPath);

// The folder shown by tree item `item`. Null when there is none.
const analysis::FolderNode* folderNodeOfTreeItem(const analysis::ScanModel& model, analysis::TreeItemHandle item);

}  // namespace tarnwick::session
