// TC: a table context (hierarchy, contents, recipient and attachment tables).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/LtpNode.h"

namespace tarnwick::pstcheck {

struct TableRow {
  std::uint32_t rowId = 0;
  std::map<std::uint32_t, std::vector<std::uint8_t>> values;  ///< by property tag, present columns only
};

struct Table {
  std::vector<std::uint32_t> columns;  ///< property tags
  std::vector<TableRow> rows;          ///< in row-index (row id) order
};

/// Checks the TCINFO, column layout, row index and row matrix of an opened node.
std::optional<Table> readTableContext(const LtpNode& node, const std::string& where, Report& report);

}  // namespace tarnwick::pstcheck
