#include "tools/storegen/TableWriter.h"

#include <stdexcept>

#include "tools/storegen/KeyEncoding.h"
#include "tools/storegen/RootHeader.h"

namespace tarnwick::storegen {

TableWriter::TableWriter(DatabaseFile& file, const TableDef& table)
    : table_(table),
      encoder_(file.traits(), table),
      tree_(file, table.objectId, table.rootPage, 0,
            rootHeader(table.initialPages, PageNumber{ese::catalogue::kDatabaseRootPage})) {
  if (table.hasLongValues) {
    longValues_ = std::make_unique<LongValueWriter>(file, table.longValueObjectId, table.longValueRootPage,
                                                    table.rootPage, table.scannableLongValues);
  }
}

Bytes TableWriter::keyOf(const Row& row) {
  Bytes key;
  if (table_.primaryIndexName.empty()) {
    appendBigEndian32(key, ++sequence_);
    return key;
  }
  const ColumnDef& first = table_.columns.front();
  for (const auto& v : row) {
    if (v.columnId == first.id && !v.values.empty()) {
      appendKeySegment(key, first.type, v.values.front());
      return key;
    }
  }
  throw std::invalid_argument("a row of table " + table_.name + " has no value in its key column " + first.name);
}

void TableWriter::add(const Row& row) {
  Bytes key = keyOf(row);
  const std::size_t room = tree_.maxLeafPayload() - key.size();
  tree_.add(key, encoder_.encode(row, longValues_.get(), room));
}

TableResult TableWriter::finish() {
  TableResult result;
  result.table = tree_.finish();
  if (longValues_) {
    result.longValueCount = longValues_->count();
    result.longValues = longValues_->finish();
  }
  return result;
}

}  // namespace tarnwick::storegen
