#pragma once

// What a store holds: format, rng value, how many mailboxes and folders, extra tables with
// known rows, filler up to a size, and the damage to do afterwards. Read from a JSON file
// or made from command-line flags; the same scenario gives the same bytes.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/storegen/Schema.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

struct DamageRequest {
  std::uint32_t zeroPages = 0;
  std::uint32_t randomPages = 0;
  std::uint32_t scrambleTagPages = 0;
  std::vector<std::uint32_t> zeroPageList;  // explicit page numbers
  std::vector<std::uint32_t> randomPageList;
  std::vector<std::uint32_t> scrambleTagPageList;
  std::optional<std::uint64_t> truncateTo;  // file size in bytes

  bool any() const {
    return zeroPages || randomPages || scrambleTagPages || !zeroPageList.empty() || !randomPageList.empty() ||
           !scrambleTagPageList.empty() || truncateTo.has_value();
  }
};

struct ExtraTable {
  TableDef def;           // object id and pages are assigned by the writer
  std::vector<Row> rows;  // in key order
};

struct Scenario {
  StoreFormat format = StoreFormat::Exchange2007;
  std::uint64_t randomSeed = 1;
  std::uint32_t mailboxes = 2;
  std::uint32_t foldersPerMailbox = 12;
  std::uint32_t messagesPerFolder = 3;
  bool columnKindsTable = true;  // the table of every column kind with known values
  std::uint64_t fillBytes = 0;   // grow the message table with bodies up to this size
  std::vector<ExtraTable> tables;
  DamageRequest damage;
};

// Parses a scenario document; throws std::invalid_argument naming what is wrong.
Scenario parseScenario(const nlohmann::json& document);
// Parses sizes such as "2G", "512M", "4096".
std::uint64_t parseByteSize(const std::string& text);
// The value bytes of a JSON value for a column (numbers, text, repeats, arrays).
std::vector<Bytes> columnValuesFromJson(const ColumnDef& column, const nlohmann::json& value);
std::optional<ColumnType> parseColumnType(const std::string& name);

}  // namespace tarnwick::storegen
