#pragma once

// Helpers of the generator's tests: scratch folders, generated stores with their
// manifests, running the oracle tools, reading pages.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/storegen/Scenario.h"

namespace tarnwick::storegen::testing {

// A fresh folder under the build tree, removed when the object goes.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct GeneratedStore {
  std::filesystem::path dir;
  std::filesystem::path edb;
  nlohmann::json manifest;
};

// Writes the scenario into `dir` and writes and re-reads manifest.json as the tool does.
GeneratedStore generate(const Scenario& scenario, const std::filesystem::path& dir);

struct CommandResult {
  int status = -1;
  std::string output;  // stdout and stderr
};
CommandResult run(const std::string& command);
bool toolAvailable(const std::string& name);

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
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
