#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "pst/ltp/NodeContent.h"
#include "pst/ltp/Property.h"

namespace tarnwick::pst {

class NodeDatabaseWriter;

/// TCOLDESC: where a column's value lies in a row and its bit in the cell existence block.
struct TableColumn {
  std::uint32_t tag = 0;
  std::uint16_t ib = 0;
  std::uint8_t cb = 0;
  std::uint8_t iBit = 0;
};

/// One row: its id (dwRowID, the node id of the object it stands for) and its values.
struct TableRow {
  std::uint32_t rowId = 0;
  std::vector<Property> values;
};

/// Writes a table context: TCINFO, the row index BTH and the row matrix, kept in the heap
/// while small and in a subnode (rows never split across blocks) when large.
class TableContextBuilder {
 public:
  /// Gives row `index` (called once per row, in order).
  using RowSource = std::function<TableRow(std::size_t index)>;

  static NodeContent write(NodeDatabaseWriter& db, std::span<const TableColumn> columns, std::size_t rowCount,
                           const RowSource& rowAt, SubnodeTreeWriter& subnodes, std::uint32_t& nextLocalNid);
  static NodeContent write(NodeDatabaseWriter& db, std::span<const TableColumn> columns, std::vector<TableRow> rows,
                           SubnodeTreeWriter& subnodes, std::uint32_t& nextLocalNid);
  /// TCI_4b, TCI_2b, TCI_1b, TCI_bm: ends of the row's 4/8-byte, 2-byte and 1-byte
  /// parts and of the whole row with its cell existence block.
  static std::array<std::uint16_t, 4> rowLayout(std::span<const TableColumn> columns);
  /// Whether the row matrix went to a subnode in the last `write` (for tests).
  static bool lastRowsInSubnode();
};

/// A row kept compactly until its table is written: (tag, size, bytes) of each value.
std::vector<std::uint8_t> packTableRow(const TableRow& row);
TableRow unpackTableRow(std::span<const std::uint8_t> packed);

inline constexpr std::uint32_t kTagRowId = 0x67F20003;
inline constexpr std::uint32_t kTagRowVersion = 0x67F30003;

}  // namespace tarnwick::pst
