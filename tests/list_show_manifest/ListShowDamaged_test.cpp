// `tarnwick list` and `tarnwick show` on damaged generated stores (zeroed pages, random
// pages, scrambled tag arrays, a truncated file): every folder lists and every listed item
// shows without a crash or a sanitizer report, and every item whose pages the damage left
// alone comes back whole. The damage is done after every page is written, so the clean
// store of the same scenario says which page held what.
#include "tests/list_show_manifest/GeneratedStore.h"
#include "tests/list_show_manifest/ManifestExpectations.h"

#include <gtest/gtest.h>

#include <iostream>

namespace tarnwick::testing {
namespace {

std::string scenarioText(int rng) {
  return R"({"mailboxes": 1, "foldersPerMailbox": 13, "messagesPerFolder": 3, "rng": )" + std::to_string(rng) + "}";
}

bool sound(const SeparatedResult& run) {
  return run.status >= 0 && run.errors.find("Sanitizer") == std::string::npos &&
         run.errors.find("runtime error") == std::string::npos;
}

std::set<std::int64_t> damagedPages(const nlohmann::json& manifest, std::int64_t pageCount, std::int64_t pageSize) {
  std::set<std::int64_t> damaged;
  const nlohmann::json& damage = manifest["damage"];
  for (const char* list : {"zeroedPages", "randomPages", "scrambledTagPages"}) {
    if (!damage.contains(list)) continue;
    for (const nlohmann::json& p : damage[list]) damaged.insert(p.get<std::int64_t>());
  }
  if (damage.contains("truncatedTo")) {
    const std::int64_t size = damage["truncatedTo"].get<std::int64_t>();
    for (std::int64_t n = 0; n <= pageCount; ++n) {
      if ((n + 2) * pageSize > size) damaged.insert(n);
    }
  }
  return damaged;
}

// Pages of a store every item needs whole: the catalogue, the mailbox and folder tables.
std::set<std::int64_t> sharedPages(const nlohmann::json& manifest, const DatabaseBytes& clean) {
  std::set<std::int64_t> pages;
  for (const nlohmann::json& t : manifest["tables"]) {
    const std::string name = t["name"];
    if (t.contains("pageNumbers")) {
      for (const nlohmann::json& p : t["pageNumbers"]) pages.insert(p.get<std::int64_t>());
    }
    if (name == "Mailbox" || name.rfind("Folders", 0) == 0) {
      for (std::int64_t p : clean.pagesOwnedBy(t["objectId"].get<std::uint32_t>())) pages.insert(p);
      pages.insert(t["rootPage"].get<std::int64_t>());
    }
  }
  return pages;
}

// Pages of every long-value tree.
std::set<std::int64_t> longValuePagesOf(const nlohmann::json& manifest, const DatabaseBytes& clean) {
  std::set<std::int64_t> pages;
  for (const nlohmann::json& t : manifest["tables"]) {
    if (!t.contains("longValues")) continue;
    for (std::int64_t p : clean.pagesOwnedBy(t["longValues"]["objectId"].get<std::uint32_t>())) pages.insert(p);
  }
  return pages;
}

// Whether any value of the message may lie in a long-value tree: where the manifest says so,
// and for values above the size the generator keeps in a record (it moves longer ones out).
bool usesLongValues(const nlohmann::json& message) {
  constexpr std::uint64_t kLongestRecordValue = 1024;
  for (const char* key : {"bodyPlacement", "runDescriptorPlacement", "recipientPlacement"}) {
    if (message.value(key, "") == "longValue") return true;
  }
  if (message.value("bodyForm", "") != "eml" && message.value("bodySize", std::uint64_t{0}) > kLongestRecordValue)
    return true;
  if (message.contains("attachments")) {
    for (const nlohmann::json& a : message["attachments"]) {
      if (a.value("placement", "") == "longValue" || a.value("size", std::uint64_t{0}) > kLongestRecordValue)
        return true;
    }
  }
  return false;
}

// Whether none of the pages that hold the message's header, record, attachment rows and
// long values is damaged.
bool certainlyIntact(const nlohmann::json& message, const std::set<std::int64_t>& damaged, const DatabaseBytes& clean,
                     const std::set<std::int64_t>& longValuePages) {
  auto untouched = [&](const std::set<std::int64_t>& pages) {
    for (std::int64_t p : pages) {
      if (damaged.count(p)) return false;
    }
    return true;
  };
  if (!untouched(clean.pagesHolding(idBytes(message["id"])))) return false;
  if (message.contains("attachments")) {
    for (const nlohmann::json& a : message["attachments"]) {
      if (a.contains("id") && !untouched(clean.pagesHolding(idBytes(a["id"])))) return false;
    }
  }
  return !usesLongValues(message) || untouched(longValuePages);
}

class ListShowDamaged : public ::testing::TestWithParam<std::string> {};

TEST_P(ListShowDamaged, NeverCrashesAndKeepsEveryItemOnUndamagedPages) {
  if (!std::filesystem::exists(generatorPath())) GTEST_SKIP() << "the store generator is not built";
  const std::string format = GetParam();
  std::size_t intactChecked = 0, shownDamaged = 0, storesReachable = 0, storesWalkable = 0;
  // Each damage on a store of its own rng value (which also picks the damaged pages); an
  // empty damage cuts the file half a page after the last page the folder tree needs.
  const std::vector<std::pair<std::string, int>> damages = {{"--zero-pages 5", 9},
                                                            {"--random-pages 5", 10},
                                                            {"--scramble-tags 5", 11},
                                                            {"--zero-pages 2 --random-pages 2 --scramble-tags 2", 12},
                                                            {"", 13}};
  for (const auto& [requested, rng] : damages) {
    const GeneratedStore clean(format, scenarioText(rng));
    ASSERT_TRUE(clean.ok());
    const std::int64_t pageSize = clean.pageSize();
    const DatabaseBytes cleanBytes(clean.dir() / "store.edb", pageSize);
    const std::set<std::int64_t> shared = sharedPages(clean.manifest(), cleanBytes);
    const std::set<std::int64_t> longValuePages = longValuePagesOf(clean.manifest(), cleanBytes);
    const std::int64_t pageCount = clean.manifest()["pageCount"];
    const ManifestIndex index(clean.manifest());
    const std::string damage = requested.empty()
                                   ? "--truncate " + std::to_string((*shared.rbegin() + 2) * pageSize + pageSize / 2)
                                   : requested;

    SCOPED_TRACE(damage);
    const GeneratedStore store(format, scenarioText(rng), damage);
    ASSERT_TRUE(store.ok()) << damage;
    const std::set<std::int64_t> damaged = damagedPages(store.manifest(), pageCount, pageSize);
    const bool reachable =
        std::none_of(damaged.begin(), damaged.end(), [&](std::int64_t p) { return shared.count(p) > 0; });
    // Items come back whole only while every tree can be walked down to its leaves.
    const std::set<std::int64_t> inner = cleanBytes.innerPages();
    const bool walkable =
        std::none_of(damaged.begin(), damaged.end(), [&](std::int64_t p) { return inner.count(p) > 0; });
    storesReachable += reachable;
    storesWalkable += reachable && walkable;
    ShowTally tally;
    for (const nlohmann::json& folder : clean.manifest()["folders"]) {
      const std::string folderId = folder["id"];
      const SeparatedResult list = runTarnwick("list " + store.storeArguments() + " --folder " + folderId + " --json");
      ASSERT_TRUE(sound(list)) << damage << " " << folder["path"] << "\n" << list.errors;
      if (list.status != 0) {
        EXPECT_FALSE(reachable) << damage << ": " << folder["path"] << " is gone\n" << list.errors;
        continue;
      }
      const ListedRows rows = parseRows(list.output);
      for (const auto& [id, row] : rows) {
        const SeparatedResult show =
            runTarnwick("show " + store.storeArguments() + " --folder " + folderId + " --message " + id + " --json");
        EXPECT_TRUE(sound(show)) << damage << " " << id << "\n" << show.errors;
        ++shownDamaged;
      }
      if (!reachable || !walkable) continue;
      for (const nlohmann::json* message : index.messagesOf(folderId)) {
        if (!isListedYear(*message) || !certainlyIntact(*message, damaged, cleanBytes, longValuePages)) continue;
        auto row = rows.find((*message)["id"]);
        ASSERT_NE(row, rows.end()) << damage << ": intact item " << (*message)["id"] << " is not listed";
        expectRowMatches(row->second, *message, folder, index);
        expectShowMatches(store, folder, *message, index, tally);
        ++intactChecked;
      }
    }
  }
  EXPECT_GT(storesReachable, 1u);
  EXPECT_GT(storesWalkable, 0u);
  EXPECT_GT(intactChecked, 0u);
  std::cout << format << ": " << shownDamaged << " items shown on damaged stores, " << intactChecked
            << " intact items checked whole (" << storesReachable << " of " << damages.size()
            << " damaged stores kept their folder tree, " << storesWalkable << " every tree's inner pages)\n";
}

INSTANTIATE_TEST_SUITE_P(Formats, ListShowDamaged, ::testing::Values("4k", "8k", "32k"));

}  // namespace
}  // namespace tarnwick::testing
