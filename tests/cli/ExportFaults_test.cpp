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

// SIGTERM during the save (a service stop) stops it like Stop: the item being written is
// finished, every output is closed as a valid file under its own name, the report is
// written, and the exit code is 143.
TEST(ExportFaults, SigtermStopsTheSaveWithValidOutputsAndAReport) {
  const fs::path checker = fs::path(TARNWICK_BINARY_DIR) / "tools" / "pstcheck" / "tarnwick-pstcheck";
  if (testing::generatorPath().empty() || !fs::exists(testing::generatorPath()) || !fs::exists(checker))
    GTEST_SKIP() << "no generator or checker";
  testing::ScratchDir dir;
  ASSERT_EQ(testing::generateStore(dir.path() / "store", "8k", "--fill 128M"), 0);
  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  // The signal goes once the first output is being written.
  std::string command = testing::shellQuoted(fs::path(TARNWICK_BINARY_DIR) / "tarnwick");
  command += " export ";
  command += testing::shellQuoted(dir.path() / "store" / "store.edb");
  command += " --all --yes --json --out ";
  command += testing::shellQuoted(out);
  command += " > ";
  command += testing::shellQuoted(dir.path() / "result.json");
  command += " 2>/dev/null & pid=$!; until ls ";
  command += testing::shellQuoted(out);
  command +=
      " | grep -q partial || ! kill -0 $pid 2>/dev/null; do sleep 0.01; done; kill -TERM $pid; wait $pid; echo $?";
  const testing::SeparatedResult r = testing::runApart("bash -c " + testing::shellQuoted(command));
  ASSERT_EQ(r.output, "143\n") << r.errors;
  const nlohmann::json result = nlohmann::json::parse(testing::readText(dir.path() / "result.json"));
  const nlohmann::json report = nlohmann::json::parse(testing::readText(result["report"].get<std::string>()));
  EXPECT_EQ(report["outcome"], "stopped by the user");
  std::size_t outputs = 0;
  for (const auto& entry : fs::directory_iterator(out)) {
    if (entry.path().extension() != ".pst") {
      EXPECT_NE(entry.path().extension(), ".partial") << entry.path();
      continue;
    }
    ++outputs;
    const auto check = testing::run(testing::shellQuoted(checker) + " " + testing::shellQuoted(entry.path()));
    EXPECT_EQ(check.status, 0) << entry.path() << "\n" << check.output;
  }
  EXPECT_GE(outputs, 1u);
}

}  // namespace
}  // namespace tarnwick
