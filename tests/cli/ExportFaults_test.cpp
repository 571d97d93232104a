// The export when its output cannot be written: the headline, the report and the exit code
// must say what was lost, never "Completed Successfully".

#include "tests/support/Commands.h"
#include "tests/support/Generator.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

// Writes past a file-size limit fail (the program does not die of SIGXFSZ): the items of an
// output that could not be finished are failed, the headline says the save had failures, the
// exit code is 6, the report (small enough for the limit) counts no item as written, and the
// cut outputs never take their own names.
TEST(ExportFaults, AFileSizeLimitFailsTheItemsOfTheOutputsItCut) {
  if (testing::generatorPath().empty() || !fs::exists(testing::generatorPath())) GTEST_SKIP() << "no generator";
  testing::ScratchDir dir;
  ASSERT_EQ(testing::generateStore(dir.path() / "store", "8k"), 0);
  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  const std::string command = "ulimit -f 40; '" + std::string(TARNWICK_BINARY_DIR) + "/tarnwick' export " +
                              testing::shellQuoted(dir.path() / "store" / "store.edb") + " --all --yes --json --out " +
                              testing::shellQuoted(out);
  const testing::SeparatedResult r = testing::runApart("bash -c " + testing::shellQuoted(command));
  ASSERT_EQ(r.status, 6) << r.output << r.errors;
  const nlohmann::json result = nlohmann::json::parse(r.output);
  EXPECT_EQ(result["result"], "Saving Completed with Failures");
  const nlohmann::json report = nlohmann::json::parse(testing::readText(result["report"].get<std::string>()));
  EXPECT_EQ(report["totals"]["written"], 0);
  EXPECT_GT(report["totals"]["failed"], 0);
  std::size_t failedNamed = 0;
  for (const auto& mailbox : report["mailboxes"]) {
    EXPECT_FALSE(mailbox["errors"].empty()) << mailbox["name"];
    for (const auto& folder : mailbox["folders"]) failedNamed += folder["failed"].size();
  }
  EXPECT_EQ(failedNamed, report["totals"]["failed"].get<std::size_t>());
  // The cut outputs keep their working names: no .pst under its own name is unfinished.
  std::size_t partial = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    EXPECT_NE(entry.path().extension(), ".pst") << entry.path();
    partial += entry.path().extension() == ".partial";
  }
  EXPECT_GT(partial, 0u);
}

}  // namespace
}  // namespace tarnwick
