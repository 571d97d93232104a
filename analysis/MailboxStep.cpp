#include "analysis/MailboxStep.h"

#include "analysis/KeyText.h"
#include "store/MailboxRecord.h"
#include "store/RecordLocator.h"

namespace tarnwick::analysis {

bool enumerateMailboxes(ScanContext& ctx) {
  auto& model = ctx.model;
  const auto& g = ctx.geometry;
  const std::size_t entryCount = model.pages.size();
  const std::uint32_t visited = std::max<std::uint32_t>(model.pages.VisitedPageCount(), 1);
  store::MailboxRecordParser parser(g.PageSizeClass);
  std::vector<std::uint8_t> page;
  store::RecordSlotArray slots;

  for (std::size_t i = 0; i < entryCount; ++i) {
    if (ctx.control.checkpoint()) return false;
    const store::PageEntry entry = model.pages[i];
    if (entry.objectId == ctx.findings.MailboxTableObjectId) {
      const std::int64_t offset = entry.fileOffset.value;
      if (offset >= 0 && offset < g.FileSize) {
        ctx.readPage(offset, ctx.pageSize(), page);
        const std::size_t count = store::locateRecords(page, g.PageSizeClass, slots);
        for (std::size_t s = 0; s < count; ++s) {
          ctx.control.holdWhilePaused();
          auto record = parser.parse(store::recordBytes(page, slots[s]));
          if (!record) continue;
          FolderId id;
          id.bytes = record->id;
          std::optional<std::string> ownerKey;
          if (ctx.largeStore()) ownerKey = mailboxKeyText(record->id);
          model.folders.addFolderNode(id, FolderId{}, record->name, analysis::FolderKind::Other, 0,
                                      std::move(ownerKey));
        }
      }
    }
    ctx.progress.show(static_cast<int>(i * 100 / visited));
  }
  return true;
}

void insertMailboxRoots(ScanContext& ctx) {
  auto& model = ctx.model;
  ctx.tree.reset(ctx.databasePath);
  model.mailboxes.clear();
  for (const FolderNode& node : model.folders) {
    if (!node.parentId.isZero()) continue;
    FolderNode copy = node;
    copy.treeItem = ctx.tree.insertFolder(0, node.name, node.kind);
    model.mailboxes.push_back(std::move(copy));
  }
  ctx.mailboxesFound = model.mailboxes;
}

}  // namespace tarnwick::analysis
