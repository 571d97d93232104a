// `tarnwick list` and `tarnwick show` on generated stores of every format, against what the
// generator's manifest says each item holds: every item lists in its folder with its From,
// Subject, Date, kind and attachment mark; show gives its recipients, its body in its form
// (streamed messages byte for byte), its attachments and its summary lines.
#include "tests/list_show_manifest/GeneratedStore.h"
#include "tests/list_show_manifest/ManifestExpectations.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>

namespace tarnwick::testing {
namespace {

constexpr const char* kScenario = R"({"mailboxes": 2, "foldersPerMailbox": 14, "messagesPerFolder": 4, "rng": 3})";

const GeneratedStore& storeFor(const std::string& format) {
  static std::map<std::string, std::unique_ptr<GeneratedStore>> stores;
  auto& store = stores[format];
  if (!store) store = std::make_unique<GeneratedStore>(format, kScenario);
  return *store;
}

class ListShowManifest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(generatorPath())) GTEST_SKIP() << "the store generator is not built";
    ASSERT_TRUE(storeFor(GetParam()).ok()) << "the generator failed";
  }
};

TEST_P(ListShowManifest, EveryItemListsInItsFolderWithItsTexts) {
  const GeneratedStore& store = storeFor(GetParam());
  const ManifestIndex index(store.manifest());
  std::size_t listed = 0, hidden = 0;
  for (const nlohmann::json& folder : store.manifest()["folders"]) {
    const std::string folderId = folder["id"];
    const SeparatedResult run = runTarnwick("list " + store.storeArguments() + " --folder " + folderId + " --json");
    ASSERT_EQ(run.status, 0) << folder["path"] << "\n" << run.errors;
    const ListedRows rows = parseRows(run.output);
    std::size_t expectedRows = 0;
    for (const nlohmann::json* message : index.messagesOf(folderId)) {
      const std::string id = (*message)["id"];
      auto row = rows.find(id);
      if (!isListedYear(*message)) {
        EXPECT_EQ(row, rows.end()) << id << " dated " << (*message)["time"] << " is listed";
        ++hidden;
        continue;
      }
      ++expectedRows;
      ++listed;
      ASSERT_NE(row, rows.end()) << id << " (" << (*message)["subject"] << ") is not listed in " << folder["path"];
      expectRowMatches(row->second, *message, folder, index);
    }
    EXPECT_EQ(rows.size(), expectedRows) << "rows the manifest does not have in " << folder["path"];
  }
  EXPECT_GT(listed, 0u);
  std::cout << GetParam() << ": " << listed << " items listed as the manifest says, " << hidden
            << " outside 1980-2099 left out\n";
}

TEST_P(ListShowManifest, EveryListedItemShowsItsContent) {
  const GeneratedStore& store = storeFor(GetParam());
  const ManifestIndex index(store.manifest());
  ShowTally tally;
  for (const nlohmann::json& folder : store.manifest()["folders"]) {
    for (const nlohmann::json* message : index.messagesOf(folder["id"])) {
      if (!isListedYear(*message)) continue;
      expectShowMatches(store, folder, *message, index, tally);
    }
  }
  EXPECT_GT(tally.shown, 0u);
  std::cout << GetParam() << ": " << tally.describe() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Formats, ListShowManifest, ::testing::Values("4k", "8k", "32k"));

}  // namespace
}  // namespace tarnwick::testing
