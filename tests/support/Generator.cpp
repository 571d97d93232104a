#include "tests/support/Generator.h"

#include "tests/support/Commands.h"

#include <cstdlib>
#include <fstream>

namespace tarnwick::testing {

namespace fs = std::filesystem;

fs::path generatorPath() { return fs::path(TARNWICK_BINARY_DIR) / "tools" / "storegen" / "tarnwick-storegen"; }

int generateStore(const fs::path& dir, const std::string& format, const std::string& options,
                  const std::string& scenario) {
  std::string command = shellQuoted(generatorPath()) + " --format " + format + " --out " + shellQuoted(dir);
  if (!scenario.empty()) {
    std::ofstream(dir / "scenario.json") << scenario;
    command += " --scenario " + shellQuoted(dir / "scenario.json");
  }
  command += " " + options + " > /dev/null 2>&1";
  return std::system(command.c_str());
}

}  // namespace tarnwick::testing
