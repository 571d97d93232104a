#include "analysis/FolderStep.h"

#include "analysis/FolderRow.h"
#include "store/PageHeader.h"
#include "store/TagArray.h"

#include <optional>

namespace tarnwick::analysis {

namespace {

bool ownerKeysMatch(const std::optional<std::string>& parentKey, const std::optional<std::string>& childKey) {
  if (!parentKey) return true;
  return childKey && *childKey == *parentKey;
}

}  // namespace

bool enumerateFolderTables(ScanContext& ctx) {
  auto& model = ctx.model;
  const auto& g = ctx.geometry;
  const bool large = ctx.largeStore();
  const std::size_t entryCount = model.pages.size();
  const std::uint32_t visited = std::max<std::uint32_t>(model.pages.VisitedPageCount(), 1);

  MailboxIdIndex mailboxes;
  for (const FolderNode& root : model.mailboxes) mailboxes.add(root.id);
  auto containerClass = static_cast<std::uint16_t>(ctx.findings.ContainerClassColumn.columnId);
  std::vector<std::uint8_t> page;

  for (std::size_t i = 0; i < entryCount; ++i) {
    if (ctx.control.checkpoint()) return false;
    const store::PageEntry entry = model.pages[i];
    if (const TableEntry* table = model.folderTables.findFirst(entry.objectId)) {
      if (large) {
        if (const ColumnEntry* column = model.ContainerClassColumnList.findFirstOfTable(entry.objectId)) {
          containerClass = column->columnId;
        }
      }
      const std::int64_t offset = entry.fileOffset.value;
      ctx.readPage(offset, ctx.stepReadLength(offset), page);
      const std::span<const std::uint8_t> bytes(page);
      for (const store::PageTag& tag : store::readTagArray(bytes, g.PageSizeClass)) {
        ctx.control.holdWhilePaused();
        const auto row = bytes.subspan(static_cast<std::size_t>(tag.offset), static_cast<std::size_t>(tag.size));
        std::optional<FolderRow> folder =
            large ? parseFolderRowLarge(row, containerClass) : parseFolderRowSmall(row, mailboxes, containerClass);
        if (!folder) continue;
        std::optional<std::string> ownerKey = large ? table->suffix : std::nullopt;
        model.folders.addFolderNode(folder->id, folder->parentId, folder->name, folder->kind, 0, std::move(ownerKey));
      }
    }
    ctx.progress.show(static_cast<int>(i * 100 / visited));
  }
  return true;
}

void buildFolderTrees(ScanContext& ctx) {
  auto& folders = ctx.model.folders;
  struct Frame {
    TreeItemHandle parentItem;
    std::vector<std::size_t> children;  // folder-list positions, in list order
    std::size_t next = 0;
  };
  auto childrenOf = [&](const FolderId& parentId, const std::optional<std::string>& parentKey) {
    std::vector<std::size_t> out;
    for (std::size_t pos : folders.childrenOf(parentId)) {
      const FolderNode& node = folders[pos];
      // A node with a zero parent id is a mailbox root, never a folder of another root.
      if (node.treeItem == 0 && !node.parentId.isZero() && ownerKeysMatch(parentKey, node.ownerKey)) {
        out.push_back(pos);
      }
    }
    return out;
  };

  for (const FolderNode& root : ctx.model.mailboxes) {
    std::vector<Frame> stack;
    stack.push_back(Frame{root.treeItem, childrenOf(root.id, root.ownerKey)});
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (frame.next >= frame.children.size()) {
        ctx.tree.sortChildren(frame.parentItem);
        stack.pop_back();
        continue;
      }
      const std::size_t pos = frame.children[frame.next++];
      FolderNode& node = folders[pos];
      if (node.treeItem != 0) continue;  // already placed through another parent
      const TreeItemHandle item = ctx.tree.insertFolder(frame.parentItem, node.name, node.kind);
      if (item == 0) continue;
      node.treeItem = item;
      const FolderId id = node.id;
      const std::optional<std::string> key = node.ownerKey;
      stack.push_back(Frame{item, childrenOf(id, key)});
    }
  }
  ctx.tree.finish();
}

}  // namespace tarnwick::analysis
