#include "analysis/ScanEngine.h"
#include "analysis/ScanSummary.h"
#include "platform/CFile64.h"
#include "platform/CodePage.h"
#include "tests/common/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <set>

namespace tarnwick::analysis {
namespace {

// Stores written by the store generator: genuine ESE files with a manifest of what they
// hold. Skipped when the generator is not part of the build.
std::filesystem::path Generator() {
  return std::filesystem::path(TARNWICK_BINARY_DIR) / "tools" / "storegen" / "tarnwick-storegen";
}

struct Quiet : ScanObserver {
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};
struct Silent : MessageSink {
  MessageAnswer show(const Message&) override { return MessageAnswer::Ok; }
};

struct GeneratedScan {
  ScanOutcome outcome{};
  std::set<std::pair<std::string, std::string>> mailboxes;  // (id, name)
  nlohmann::json manifest;
};

GeneratedScan ScanGenerated(const std::string& format, const std::string& extra = "") {
  testing::ScratchDir dir;
  std::string command(1, '\'');
  command.append(Generator().string()).append("' --format ").append(format).append(" --seed 7 --out '");
  command.append(dir.path().string()).append("' ").append(extra).append(" > /dev/null 2>&1");
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  GeneratedScan out;
  std::ifstream manifest(dir.path() / "manifest.json");
  out.manifest = nlohmann::json::parse(manifest);
  CFile64 database;
  EXPECT_TRUE(database.Open((dir.path() / "store.edb").string()));
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  Quiet observer;
  Silent sink;
  ScanOptions options;
  options.sleep = [](std::chrono::milliseconds) {};
  ScanEngine engine(database, nullptr, u"store.edb", model, tree, control, observer, sink, options);
  const ScanResult result = engine.run();
  out.outcome = result.outcome;
  for (const auto& mailbox : SummarizeScan(result, model, tree)) {
    out.mailboxes.emplace(IdHex(mailbox.id), Utf16ToUtf8(mailbox.name));
  }
  return out;
}

class GeneratedStore : public ::testing::TestWithParam<std::string> {};

TEST_P(GeneratedStore, ScanFindsExactlyTheManifestMailboxes) {
  if (!std::filesystem::exists(Generator())) GTEST_SKIP() << "the store generator is not built";
  const GeneratedScan scan = ScanGenerated(GetParam());
  ASSERT_EQ(scan.outcome, ScanOutcome::Completed);
  std::set<std::pair<std::string, std::string>> expected;
  for (const auto& m : scan.manifest["mailboxes"]) expected.emplace(m["id"], m["name"]);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(scan.mailboxes, expected);
}

TEST_P(GeneratedStore, DamagedStoresAlwaysFinishTheScan) {
  if (!std::filesystem::exists(Generator())) GTEST_SKIP() << "the store generator is not built";
  for (const std::string damage : {"--zero-pages 6", "--random-pages 6", "--scramble-tags 6", "--truncate 200000"}) {
    const GeneratedScan scan = ScanGenerated(GetParam(), damage);
    EXPECT_TRUE(scan.outcome == ScanOutcome::Completed || scan.outcome == ScanOutcome::NoMailbox) << damage;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, GeneratedStore, ::testing::Values("4k", "8k", "32k"));

}  // namespace
}  // namespace tarnwick::analysis
