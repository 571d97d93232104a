#include "analysis/ScanSummary.h"

#include <algorithm>
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

  // The folders below mailbox root `item`, nested as the tree nests them down to
  // kMaxFolderNesting levels; a folder deeper than that is listed under its ancestor on the
  // last level, and counted in `flattened`. Built without recursion, so that a folder chain
  // of any depth (a damaged store can make one) cannot exhaust the stack.
  std::vector<FolderSummary> foldersBelow(TreeItemHandle item, std::size_t& flattened) const {
    struct Entry {
      FolderSummary summary;
      std::size_t parent;  // index of the entry it is listed under; kTop for the mailbox's own
      std::vector<std::size_t> children;
    };
    constexpr std::size_t kTop = static_cast<std::size_t>(-1);
    std::vector<Entry> entries;
    // Pending tree items with the entry they go under and the level they would stand on.
    struct Pending {
      TreeItemHandle item;
      std::size_t parent;
      std::size_t level;
    };
    std::vector<Pending> pending;
    const auto pushChildren = [&](TreeItemHandle of, std::size_t parent, std::size_t level) {
      const auto& kids = tree_.children(of);
      for (auto it = kids.rbegin(); it != kids.rend(); ++it) pending.push_back({*it, parent, level});
    };
    pushChildren(item, kTop, 1);
    while (!pending.empty()) {
      const Pending next = pending.back();
      pending.pop_back();
      auto found = byItem_.find(next.item);
      if (found == byItem_.end()) continue;
      const FolderNode& node = model_.folders[found->second];
      const std::size_t index = entries.size();
      entries.push_back({summaryOf(node, next.item), next.parent, {}});
      if (next.parent != kTop) entries[next.parent].children.push_back(index);
      if (next.level > kMaxFolderNesting) ++flattened;
      // Below the last level, children are listed beside this folder, under its parent.
      const bool deeper = next.level < kMaxFolderNesting;
      pushChildren(next.item, deeper ? index : next.parent, next.level + 1);
    }
    // Children come after their parent, so from the back every child is complete when it is
    // moved into its parent.
    std::vector<FolderSummary> top;
    for (std::size_t i = entries.size(); i-- > 0;) {
      Entry& entry = entries[i];
      entry.summary.folders.reserve(entry.children.size());
      for (std::size_t child : entry.children) entry.summary.folders.push_back(std::move(entries[child].summary));
      if (entry.parent == kTop) top.push_back(std::move(entry.summary));
    }
    std::reverse(top.begin(), top.end());
    return top;
  }

 private:
  FolderSummary summaryOf(const FolderNode& node, TreeItemHandle item) const {
    FolderSummary folder;
    folder.id = node.id;
    folder.name = node.name;
    folder.kind = node.kind;
    folder.path = tree_.folderPath(item);
    folder.messages = messagesOf(node);
    return folder;
  }

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
    mailbox.folders = summarizer.foldersBelow(item, mailbox.flattenedFolders);
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
