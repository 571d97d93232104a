#pragma once

// A table with a column of every kind and known values: fixed columns of every type,
// variable text and binary, tagged text and binary, long values kept in the record and in
// the long-value tree, multi-valued columns and a column asking for compression. The
// tests read it back through an independent reader and compare with these rows.

#include <vector>

#include "tools/storegen/Schema.h"

namespace tarnwick::storegen {

inline constexpr const char* kColumnKindsTableName = "ColumnKinds";
inline constexpr std::uint32_t kColumnKindsRows = 3;

TableDef columnKindsTable();
// Row `index` (0-based) of the table.
Row columnKindsRow(std::uint32_t index);

// The text values of the rows as UTF-8, for comparisons.
std::string columnKindsLongText(std::uint32_t index);    // long text kept in the long-value tree
std::string columnKindsLongBinary(std::uint32_t index);  // several chunks of binary
std::string columnKindsShortText(std::uint32_t index);
std::string columnKindsLongUnicode(std::uint32_t index);       // ASCII text stored as UTF-16
std::string columnKindsCompressible(std::uint32_t index);      // 7-bit packed in 32 KB stores
std::string columnKindsCompressibleLong(std::uint32_t index);  // over 1 KB: LZ77 in 32 KB stores

}  // namespace tarnwick::storegen
