#pragma once

// A table's schema as data: any list of columns of any ESE type, plus the values of a row.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/EseLayout.h"
#include "tools/storegen/Ids.h"

namespace tarnwick::storegen {

using ese::ColumnType;

enum class ColumnKind { Fixed, Variable, Tagged };

struct ColumnDef {
  std::uint16_t id = 0;  // 1-127 fixed, 128-255 variable, 256+ tagged
  std::string name;
  ColumnType type = ColumnType::Long;
  std::uint32_t size = 0;  // fixed size, or the largest size of a variable column (0: type's own)
  bool multiValued = false;
  bool compressed = false;  // value compression asked for (32 KB stores)
  std::uint32_t codePage = ese::catalogue::kCodePageWestern;
  bool alwaysPack = false;  // 7-bit text is packed even when that does not save bytes

  ColumnKind kind() const {
    if (id < ese::record::kFirstVariableId) return ColumnKind::Fixed;
    if (id < ese::record::kFirstTaggedId) return ColumnKind::Variable;
    return ColumnKind::Tagged;
  }
};

// The natural size of a fixed-size type; 0 for text and binary types.
std::uint32_t fixedSizeOf(ColumnType type);
bool isLongType(ColumnType type);
std::string columnTypeName(ColumnType type);

struct TableDef {
  std::string name;
  ObjectId objectId;
  PageNumber rootPage;
  std::vector<ColumnDef> columns;  // ascending ids
  std::uint32_t initialPages = 1;  // "Pages" of the table's catalogue row
  std::string templateName;        // table it derives its columns from, if any
  bool isTemplate = false;
  bool inheritsColumns = false;  // columns come from the template: no rows of its own
  bool hasLongValues = true;     // writes an "LV" tree
  // Long values laid out for page scanners that find chunks by their keys (message and
  // attachment tables); libesedb 20181229 cannot look these up (see README).
  bool scannableLongValues = false;
  ObjectId longValueObjectId;
  PageNumber longValueRootPage;
  std::string primaryIndexName;  // index over the first column; empty: none

  const ColumnDef* column(std::uint16_t id) const;
};

// One column's value(s) in a row; several values for a multi-valued column.
struct ColumnValue {
  std::uint16_t columnId = 0;
  std::vector<Bytes> values;
  bool forceLongValue = false;  // goes to the long-value tree whatever its size
  bool prepacked = false;       // the value is already compressed (32 KB stores): stored as it is, flagged compressed
};
using Row = std::vector<ColumnValue>;  // ascending column ids, absent columns are NULL

}  // namespace tarnwick::storegen
