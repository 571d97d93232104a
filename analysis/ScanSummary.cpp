#include "analysis/ScanSummary.h"

#include <cstdio>
#include <unordered_map>

namespace tarnwick::analysis {

namespace {

class Summarizer {
 public:
  Summarizer(const ScanModel& model, const FolderTreeModel& tree) : model_(model), tree_(tree) {
    for (std::size_t pos = 0; pos < model.folders.size(); ++pos) {
      const FolderNode& node = model.folders[pos];
      if (node.treeItem != 0) byItem_.try_emplace(node.treeItem, pos);
    }
  }

  std::vector<FolderSummary> childrenOf(TreeItemHandle item) const {
    std::vector<FolderSummary> out;
    for (TreeItemHandle child : tree_.children(item)) {
      auto found = byItem_.find(child);
      if (found == byItem_.end()) continue;
      const FolderNode& node = model_.folders[found->second];
      FolderSummary folder;
      folder.id = node.id;
      folder.name = node.name;
      folder.kind = node.kind;
      folder.path = tree_.folderPath(child);
      folder.messages = messagesOf(node);
      folder.folders = childrenOf(child);
      out.push_back(std::move(folder));
    }
    return out;
  }

 private:
  // A 32 KB store keeps a message for a folder only when their owner keys agree.
  std::size_t messagesOf(const FolderNode& node) const {
    std::size_t count = 0;
    for (std::size_t pos : model_.messageHeaders.headersOfFolder(node.id)) {
      if (model_.messageHeaders[pos].ownerKey == node.ownerKey) ++count;
    }
    return count;
  }

  const ScanModel& model_;
  const FolderTreeModel& tree_;
  std::unordered_map<TreeItemHandle, std::size_t> byItem_;
};

}  // namespace

std::vector<MailboxSummary> summarizeScan(const ScanResult& result, const ScanModel& model,
                                          const FolderTreeModel& tree) {
  Summarizer summarizer(model, tree);
  std::vector<MailboxSummary> out;
  // Mailboxes in tree order (the tree sorts them by name).
  std::unordered_map<TreeItemHandle, const FolderNode*> byItem;
  for (const FolderNode& root : result.mailboxes) byItem.try_emplace(root.treeItem, &root);
  for (TreeItemHandle item : tree.children(tree.root())) {
    auto found = byItem.find(item);
    if (found == byItem.end()) continue;
    MailboxSummary mailbox;
    mailbox.id = found->second->id;
    mailbox.name = found->second->name;
    mailbox.folders = summarizer.childrenOf(item);
    out.push_back(std::move(mailbox));
  }
  return out;
}

const char* folderKindName(FolderKind kind) {
  switch (kind) {
    case FolderKind::Contacts: return "contacts";
    case FolderKind::Calendar: return "calendar";
    case FolderKind::Notes: return "notes";
    case FolderKind::Tasks: return "tasks";
    case FolderKind::Journal: return "journal";
    case FolderKind::Other: break;
  }
  return "folder";
}

std::string idHex(const FolderId& id) {
  std::string out;
  char digits[3];
  for (auto b : id.bytes) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    out += digits;
  }
  return out;
}

}  // namespace tarnwick::analysis
