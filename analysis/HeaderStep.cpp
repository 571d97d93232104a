#include "analysis/HeaderStep.h"

#include "store/PageHeader.h"
#include "store/PageList.h"

namespace tarnwick::analysis {

namespace {

void assign(HeaderColumns& columns, const ColumnEntry& entry) {
  switch (entry.letter) {
    case 'S': columns.subjectPrefix = entry.columnId; break;
    case 'T': columns.normalizedSubject = entry.columnId; break;
    case 'F': columns.senderName = entry.columnId; break;
    default: break;
  }
}

constexpr int kLargeStoreColumnMatches = 3;

}  // namespace

HeaderEnumeration::HeaderEnumeration(ScanContext& context) : ctx_(context) {
  const auto& tables = ctx_.model.headerTables.entries();
  for (std::size_t i = 0; i < tables.size(); ++i) tableByObjectId_.try_emplace(tables[i].objectId, i);

  if (ctx_.largeStore()) {
    // Per table: its entries in list order, until three were counted.
    std::unordered_map<std::uint32_t, int> counted;
    for (const ColumnEntry& entry : ctx_.model.NoteColumnList) {
      int& n = counted[entry.tableObjectId];
      if (n >= kLargeStoreColumnMatches) continue;
      ++n;
      assign(largeStoreColumns_[entry.tableObjectId], entry);
    }
  } else {
    // The last entry of each letter, whatever its table.
    for (const ColumnEntry& entry : ctx_.model.NoteColumnList) assign(smallStoreColumns_, entry);
  }
}

const HeaderColumns& HeaderEnumeration::columnsFor(std::uint32_t objectId) {
  if (!ctx_.largeStore()) return smallStoreColumns_;
  return largeStoreColumns_[objectId];
}

bool HeaderEnumeration::run() {
  auto& model = ctx_.model;
  const auto& g = ctx_.geometry;
  model.messageHeaders.clear();
  const std::size_t tableCount = model.headerTables.size();
  std::vector<std::uint8_t> page;
  for (std::size_t t = 0; t < tableCount; ++t) {
    const HeaderTable& table = model.headerTables.entries()[t];
    for (const HeaderPageRef& ref : table.pages) {
      if (ctx_.control.checkpoint()) return false;
      const std::int64_t offset = ref.position.toFileOffset().value;
      if (offset <= 0 || offset >= g.FileSize) continue;
      ctx_.readPage(offset, ctx_.stepReadLength(offset), page);
      parseHeaderPage(page, store::FileOffset(offset));
      store::recordPageVisit(model.pages, page, store::FileOffset(offset));
    }
    ctx_.progress.show(static_cast<int>(t * 100 / std::max<std::size_t>(ctx_.headerTableCount, 1)));
  }
  model.headerTables.clear();
  return true;
}

bool HeaderEnumeration::parseHeaderPage(std::span<const std::uint8_t> page, store::FileOffset offset) {
  const std::uint32_t objectId = store::pageOwnerObjectId(page);
  if (objectId == 0) return false;
  auto found = tableByObjectId_.find(objectId);
  if (found == tableByObjectId_.end()) return false;
  const HeaderTable& table = ctx_.model.headerTables.entries()[found->second];
  HeaderTableInfo info{table.key, table.kind, table.ownerKey};
  for (MessageHeader& header : parseHeaderRows(page, ctx_.geometry.PageSizeClass, info, columnsFor(objectId), offset)) {
    ctx_.model.messageHeaders.addMessageHeader(std::move(header));
  }
  return true;
}

}  // namespace tarnwick::analysis
