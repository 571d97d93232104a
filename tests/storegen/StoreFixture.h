#pragma once

// Helpers of the generator's tests: generated stores with their manifests and the oracle
// tools' exports. Scratch folders, commands and files come from the shared test support.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/Commands.h"
#include "tests/support/ScratchDir.h"
#include "tools/storegen/Scenario.h"

namespace tarnwick::storegen::testing {

using tarnwick::testing::CommandResult;
using tarnwick::testing::readFile;
using tarnwick::testing::run;
using tarnwick::testing::ScratchDir;
using tarnwick::testing::toolAvailable;

struct GeneratedStore {
  std::filesystem::path dir;
  std::filesystem::path edb;
  nlohmann::json manifest;
};

// Writes the scenario into `dir` and writes and re-reads manifest.json as the tool does.
GeneratedStore generate(const Scenario& scenario, const std::filesystem::path& dir);

// Rows of an esedbexport table file: header names and values, tab separated.
struct ExportedTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  const std::string& value(std::size_t row, const std::string& column) const;
};
ExportedTable readExport(const std::filesystem::path& exportDir, const std::string& table);

std::string hexOf(const std::string& bytes);
// "f4k", "f8k", "f32k": test names of the formats.
std::string formatTestName(StoreFormat format);
std::filesystem::path testDataDir();

}  // namespace tarnwick::storegen::testing
