#include "analysis/CatalogueWalk.h"

#include "store/BoundedBytes.h"
#include "store/CatalogueLayout.h"
#include "store/PageHeader.h"
#include "store/PageLayout.h"
#include "store/PageList.h"
#include "store/RecordLocator.h"
#include "store/TagArray.h"

#include <algorithm>

namespace tarnwick::analysis {

namespace {

using namespace store::catalogue;

store::PageNumber pageNumberOf(std::uint32_t stored) {
  return store::PageNumber(static_cast<std::int32_t>(stored));  // sign-extended from 32 bits
}

}  // namespace

bool CatalogueWalk::run() {
  const auto& g = ctx_.geometry;
  if (!g.supported()) return false;
  const bool large = store::isLargePage(g.PageSizeClass);
  const auto cls = static_cast<std::size_t>(store::classNumber(g.PageSizeClass));  // indexes the fallbacks
  auto& model = ctx_.model;
  auto& found = ctx_.findings;
  progressTotal_ = kInitialProgressTotal;
  progressDone_ = 0;
  lastProgress_ = 0;

  // 1. The catalogue root.
  readAndWalk(store::pageOffset(g, store::PageNumber(kCatalogueRootPage)).value);
  ctx_.cataloguePageCount = model.pages.VisitedPageCount();

  // 2. The mailbox table's root.
  std::int64_t offset = found.MailboxTablePage != 0
                            ? store::pageOffset(g, store::PageNumber(found.MailboxTablePage)).value
                            : kMailboxRootFallback[cls];
  readAndWalk(offset, /*takeOwnerAsMailboxTable=*/true);
  const std::int64_t mailboxOffset = offset;

  // 3. The message tables.
  if (!model.messageTables.empty()) {
    std::vector<store::PageNumber> roots;
    for (const auto& e : model.messageTables) roots.push_back(e.rootPage);
    for (auto root : roots) {
      offset = store::pageOffset(g, root).value;
      readAndWalk(offset);
    }
  } else {
    // Stands in for the missing message table; the entry goes into the folder-table list,
    // so that step 3 also looks at the pages of object 19.
    model.folderTables.addTableEntry(kMessageTableObjectId, store::PageNumber(0));
    offset = large ? mailboxOffset : kMessageRootFallback[cls];
    readAndWalk(offset);
  }

  // 4. The folder tables.
  if (!model.folderTables.empty()) {
    std::vector<store::PageNumber> roots;
    for (const auto& e : model.folderTables) roots.push_back(e.rootPage);
    for (auto root : roots) {
      offset = store::pageOffset(g, root).value;
      readAndWalk(offset);
    }
  } else {
    model.folderTables.addTableEntry(kFolderTableObjectId, store::PageNumber(0));
    if (!large) offset = kFolderRootFallback[cls];
    readAndWalk(offset);
  }

  // 5. One more page of fixed place.
  if (!large) offset = kExtraPageOffset[cls];
  readAndWalk(offset);

  // 6. The message table's long values.
  offset = found.MessageLongValuePage > 0 ? store::pageOffset(g, store::PageNumber(found.MessageLongValuePage)).value
                                          : kLongValueRootFallback;
  readAndWalk(offset, false, /*takeOwnerAsLongValue=*/true);

  // 7. Every other long-value table.
  for (std::size_t i = 0; i < model.longValueTables.size(); ++i) {
    const auto& entry = model.longValueTables.entries()[i];
    offset = store::pageOffset(g, entry.rootPage).value;
    if (offset == 0 || offset >= g.FileSize) continue;
    readAndWalk(offset);
    // The long-value table's object id is the one its root page carries (4 KB/8 KB).
    if (!large) model.longValueTables.replaceObjectId(i, store::pageOwnerObjectId(buffer_));
  }
  return !ctx_.control.checkpoint();
}

void CatalogueWalk::readAndWalk(std::int64_t offset, bool takeOwnerAsMailboxTable, bool takeOwnerAsLongValue) {
  // Once a stop was requested nothing more is read.
  if (ctx_.control.stopRequested()) return;
  ctx_.readPage(offset, ctx_.geometry.PageReadLength, buffer_);
  if (takeOwnerAsMailboxTable) ctx_.findings.MailboxTableObjectId = store::pageOwnerObjectId(buffer_);
  if (takeOwnerAsLongValue) ctx_.findings.MessageLongValueObjectId = store::pageOwnerObjectId(buffer_);
  store::recordPageVisit(ctx_.model.pages, buffer_, store::FileOffset(offset));
  walkPage(buffer_, offset);
}

void CatalogueWalk::walkPage(std::span<const std::uint8_t> page, std::int64_t offset) {
  descended_.clear();
  if (ctx_.geometry.PageSize > 0) descended_.insert(offset / ctx_.geometry.PageSize - 1);
  walk(page, offset, 0);
}

void CatalogueWalk::walk(std::span<const std::uint8_t> page, std::int64_t offset, int depth) {
  if (ctx_.control.checkpoint()) return;
  if (store::isBranchPage(page)) {
    walkBranch(page, offset, depth);
    return;
  }
  if (store::pageOwnerObjectId(page) != kCatalogueObjectId || ctx_.findings.allKnown()) return;
  examineLeaf(page);
}

void CatalogueWalk::walkBranch(std::span<const std::uint8_t> page, std::int64_t offset, int depth) {
  const auto& g = ctx_.geometry;
  const std::int64_t tagBytes = static_cast<std::int64_t>(store::pageTagCount(page)) * store::layout::kTagLength;
  const std::int64_t tagArrayStart = offset + g.PageSize - tagBytes;
  if (tagArrayStart < 0 || tagArrayStart > g.FileSize) return;
  progressTotal_ += store::pageTagCount(page);

  for (const store::PageTag& tag :
       store::readTagArray(page, g.PageSizeClass, store::TagSelection::AllButLastUnlessSingle)) {
    if (ctx_.control.stopRequested()) return;
    if (tag.size >= 1 && tag.size <= kMaxBranchRecordSize) {
      const auto child = store::BoundedBytes(page).u32(tag.offset + tag.size - 4);
      const std::int64_t childOffset = store::pageOffset(g, store::PageNumber(child)).value;
      probe_.assign(kChildProbeSize, 0);
      store::readZeroFilled(ctx_.source, childOffset, probe_);
      store::recordPageVisit(ctx_.model.pages, probe_, store::FileOffset(childOffset));
      const bool descend = store::isBranchPage(probe_) || store::pageOwnerObjectId(probe_) == kCatalogueObjectId;
      // A damaged tree may point back at a page already walked; each page is walked once.
      if (descend && depth + 1 < kMaxDepth && descended_.insert(child).second) {
        auto& childPage = childBuffers_[static_cast<std::size_t>(depth)];
        ctx_.readPage(childOffset, ctx_.pageSize(), childPage);
        walk(childPage, childOffset, depth + 1);
      }
    }
    countTag();
  }
}

void CatalogueWalk::countTag() {
  ++progressDone_;
  const auto percent = static_cast<int>((progressDone_ - 1) * 100 / std::max<std::uint64_t>(progressTotal_, 1));
  lastProgress_ = std::max(lastProgress_, std::min(percent, 100));
  ctx_.progress.show(lastProgress_);
}

void CatalogueWalk::examineLeaf(std::span<const std::uint8_t> page) {
  store::RecordSlotArray slots;
  const std::size_t count = store::locateRecords(page, ctx_.geometry.PageSizeClass, slots);
  const store::BoundedBytes bytes(page);
  store::CataloguePageMatcher matcher(bytes, ctx_.geometry.PageSizeClass);
  for (std::size_t i = 0; i < count; ++i) {
    const std::int64_t start = slots[i].offset;
    if (auto match = matcher.matchRecord(start, start + slots[i].size)) apply(*match);
  }
}

void CatalogueWalk::apply(const store::CatalogueMatch& m) {
  using K = store::CatalogueMatchKind;
  auto& model = ctx_.model;
  auto& found = ctx_.findings;
  const bool large = ctx_.largeStore();
  const auto low16 = static_cast<std::uint16_t>(m.tableObjectId & 0xFFFF);
  switch (m.kind) {
    case K::MailboxTable:
      found.MailboxTableObjectId = m.objectId;
      found.MailboxTablePage = m.rootPage;
      break;
    case K::MessageTable:
      found.MessageTablePage = m.rootPage;
      model.messageTables.addTableEntry(m.objectId, pageNumberOf(m.rootPage));
      break;
    case K::BodyTable:
      found.MessageTablePage = m.rootPage;
      model.messageTables.addTableEntry(m.objectId, pageNumberOf(m.rootPage), m.suffix);
      break;
    case K::FolderTable:
      found.FolderTablePage = m.rootPage;
      model.folderTables.addTableEntry(m.objectId, pageNumberOf(m.rootPage),
                                       large ? std::optional<std::string>(m.suffix) : std::nullopt);
      break;
    case K::MessageLongValue:
      found.MessageLongValueObjectId = m.objectId;
      found.MessageLongValuePage = m.rootPage;
      break;
    case K::TableLongValue:
      found.MessageTablePage = m.rootPage;
      model.longValueTables.addTableEntry(m.objectId, pageNumberOf(m.rootPage), std::nullopt, low16);
      break;
    case K::SecondLongValue:
      found.SecondLongValuePage = m.rootPage;
      model.longValueTables.addTableEntry(m.objectId, pageNumberOf(m.rootPage));
      break;
    case K::ContainerClass: found.ContainerClassColumn = {m.columnId, m.columnType}; break;
    case K::ContainerClassOther:
      if (containerClassKeys_.emplace(m.letter, low16).second) {
        model.ContainerClassColumnList.addColumnEntry(m.columnId, m.tableObjectId, m.letter);
      }
      break;
    case K::Column8225: found.MessageColumn8225 = {m.columnId, m.columnType}; break;
    case K::Column810c: found.MessageColumn810c = {m.columnId, m.columnType}; break;
    case K::Column8201: found.MessageColumn8201 = {m.columnId, m.columnType}; break;
    case K::MessageColumn:
      if (messageColumnKeys_.emplace(m.letter, low16).second) {
        model.MessageColumnList.addColumnEntry(m.columnId, m.tableObjectId, m.letter);
      }
      break;
    case K::NoteColumn:
      if (noteColumnKeys_.emplace(m.columnId, low16, m.letter).second) {
        model.NoteColumnList.addColumnEntry(m.columnId, m.tableObjectId, m.letter);
      }
      break;
    case K::AttachmentColumn: model.AttachmentColumnList.addColumnEntry(m.columnId, m.tableObjectId, m.letter); break;
  }
}

}  // namespace tarnwick::analysis
