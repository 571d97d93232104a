#include "StoreFixture.h"

#include <fstream>
#include <iomanip>
#include <sstream>
#include <stdexcept>

#include "tools/storegen/Manifest.h"
#include "tools/storegen/StoreWriter.h"

namespace tarnwick::storegen::testing {

namespace fs = std::filesystem;

GeneratedStore generate(const Scenario& scenario, const fs::path& dir) {
  const StoreReport report = writeStore(scenario, dir.string());
  GeneratedStore g;
  g.dir = dir;
  g.edb = report.edbPath;
  std::ofstream(dir / "manifest.json") << std::setw(2) << manifestOf(report);
  std::ifstream in(dir / "manifest.json");
  in >> g.manifest;
  return g;
}

const std::string& ExportedTable::value(std::size_t row, const std::string& column) const {
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (columns[c] == column) return rows.at(row).at(c);
  }
  throw std::out_of_range("no exported column " + column);
}

namespace {
std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    out.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return out;
}
}  // namespace

ExportedTable readExport(const fs::path& exportDir, const std::string& table) {
  for (const auto& entry : fs::directory_iterator(exportDir)) {
    const std::string name = entry.path().filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || name.substr(0, dot) != table) continue;
    ExportedTable t;
    std::ifstream in(entry.path());
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
      if (first) {
        t.columns = splitTabs(line);
        first = false;
      } else if (!line.empty()) {
        auto values = splitTabs(line);
        values.resize(t.columns.size());
        t.rows.push_back(std::move(values));
      }
    }
    return t;
  }
  throw std::runtime_error("esedbexport wrote no file for table " + table);
}

std::string hexOf(const std::string& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (unsigned char c : bytes) {
    s.push_back(digits[c >> 4]);
    s.push_back(digits[c & 15]);
  }
  return s;
}

std::string formatTestName(StoreFormat format) {
  std::string name = "f";
  name += traitsOf(format).name;
  return name;
}

fs::path testDataDir() { return fs::path(TARNWICK_TESTDATA_DIR); }

}  // namespace tarnwick::storegen::testing
