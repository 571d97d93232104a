#pragma once

// Writes one table's rows: keys from the primary index column (or a sequence number when
// the table has no primary index), records in the engine's layout, long values into the
// table's own long-value tree.

#include <memory>
#include <optional>

#include "tools/storegen/BTreeWriter.h"
#include "tools/storegen/LongValueWriter.h"
#include "tools/storegen/RecordEncoder.h"
#include "tools/storegen/Schema.h"

namespace tarnwick::storegen {

struct TableResult {
  TreeStats table;
  std::optional<TreeStats> longValues;
  std::uint64_t longValueCount = 0;
};

class TableWriter {
 public:
  TableWriter(DatabaseFile& file, const TableDef& table);
  // Rows must come in ascending key order.
  void add(const Row& row);
  TableResult finish();

 private:
  Bytes keyOf(const Row& row);

  const TableDef& table_;
  RecordEncoder encoder_;
  BTreeWriter tree_;
  std::unique_ptr<LongValueWriter> longValues_;
  std::uint32_t sequence_ = 0;
};

}  // namespace tarnwick::storegen
