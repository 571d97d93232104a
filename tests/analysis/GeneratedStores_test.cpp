#include "analysis/ScanEngine.h"
#include "analysis/ScanSummary.h"
#include "platform/CodePage.h"
#include "platform/StoreFile.h"
#include "tests/support/Generator.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/StoreScan.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

namespace tarnwick::analysis {
namespace {

// Stores written by the store generator: genuine ESE files with a manifest of what they
// hold. Skipped when the generator is not part of the build.

// A folder as (mailbox id, folder id, parent id, name, kind letter or "").
using FolderKey = std::tuple<std::string, std::string, std::string, std::string, std::string>;

// A message header as (folder id, message id, subject, sender, FILETIME).
using MessageKey = std::tuple<std::string, std::string, std::string, std::string, std::uint64_t>;

struct GeneratedScan {
  ScanOutcome outcome{};
  std::set<std::pair<std::string, std::string>> mailboxes;  // (id, name)
  std::set<FolderKey> folders;
  std::multiset<MessageKey> messages;
  std::vector<std::pair<MessageKey, std::int64_t>> messagePages;  // each header with its page number
  // Calendar items: message id -> (start, end) as FILETIMEs.
  std::map<std::string, std::pair<std::uint64_t, std::uint64_t>> appointments;
  nlohmann::json manifest;
};

// The manifest's letter for a folder kind; none for a mail folder.
std::string manifestKind(FolderKind kind) {
  switch (kind) {
    case FolderKind::Contacts: return "c";
    case FolderKind::Calendar: return "a";
    case FolderKind::Notes: return "n";
    case FolderKind::Tasks: return "t";
    case FolderKind::Journal: return "j";
    case FolderKind::Other: break;
  }
  return {};
}

void collectFolders(const std::string& mailbox, const std::string& parent, const std::vector<FolderSummary>& folders,
                    std::set<FolderKey>& out) {
  for (const auto& f : folders) {
    out.emplace(mailbox, idHex(f.id), parent, utf16ToUtf8(f.name), manifestKind(f.kind));
    collectFolders(mailbox, idHex(f.id), f.folders, out);
  }
}

std::uint64_t fileTimeOf(const ModelTime& time) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < time.bytes.size(); ++i)
    value |= static_cast<std::uint64_t>(time.bytes[i]) << (16 + 8 * i);
  return value;
}

// The UTF-16 text of `length` bytes (counted with the value's format byte) at `offset` of the
// page at `pageOffset` of the file.
std::string textAt(std::ifstream& file, std::int64_t pageOffset, std::uint16_t offset, std::uint16_t length) {
  if (offset == 0 || length < 1) return {};
  std::string bytes(length - 1u, '\0');
  file.clear();
  file.seekg(pageOffset + offset);
  file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(
        static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
  }
  return utf16ToUtf8(text);
}

std::multiset<MessageKey> manifestMessages(const nlohmann::json& manifest) {
  std::multiset<MessageKey> out;
  for (const auto& m : manifest["messages"]) {
    out.emplace(m["folder"], m["id"], m["subject"], m["sender"], m["fileTime"].get<std::uint64_t>());
  }
  return out;
}

std::set<FolderKey> manifestFolders(const nlohmann::json& manifest) {
  std::set<FolderKey> out;
  for (const auto& f : manifest["folders"]) out.emplace(f["mailbox"], f["id"], f["parentId"], f["name"], f["kind"]);
  return out;
}

// `extra`: further generator options; `scenario`: the text of a scenario file, if any.
GeneratedScan scanGenerated(const std::string& format, const std::string& extra = "",
                            const std::string& scenario = "") {
  testing::ScratchDir dir;
  EXPECT_EQ(testing::generateStore(dir.path(), format, "--seed 7 " + extra, scenario), 0) << format << " " << extra;
  GeneratedScan out;
  std::ifstream manifest(dir.path() / "manifest.json");
  out.manifest = nlohmann::json::parse(manifest);
  const auto scan = testing::scanStore(dir.path() / "store.edb");
  const ScanResult& result = scan->result;
  ScanModel& model = scan->model;
  FolderTreeModel& tree = scan->tree;
  out.outcome = result.outcome;
  for (const auto& mailbox : summarizeScan(result, model, tree)) {
    out.mailboxes.emplace(idHex(mailbox.id), utf16ToUtf8(mailbox.name));
    collectFolders(idHex(mailbox.id), idHex(mailbox.id), mailbox.folders, out.folders);
  }
  // In 4 KB/8 KB stores the first text is the subject prefix when there is one; in 32 KB
  // stores it is the normalized subject, the prefix second.
  const bool large = out.manifest["format"] == "32k";
  std::ifstream file(dir.path() / "store.edb", std::ios::binary);
  for (const MessageHeader& h : model.messageHeaders) {
    const std::int64_t page = h.pageOffset.value;
    const std::string primary = textAt(file, page, h.primaryOffset, h.primaryLength);
    const std::string secondary = textAt(file, page, h.secondaryOffset, h.secondaryLength);
    const std::string subject = large ? secondary + primary : primary + secondary;
    const std::string sender = textAt(file, page, h.thirdOffset, h.thirdLength);
    FolderId message;
    message.bytes = h.messageId.bytes;
    const MessageKey key(idHex(h.folderId), idHex(message), subject, sender, fileTimeOf(h.time));
    out.messages.insert(key);
    out.messagePages.emplace_back(key, page / out.manifest["pageSize"].get<std::int64_t>() - 1);
    if (h.appointment && h.appointment->start && h.appointment->end) {
      out.appointments[idHex(message)] = {fileTimeOf(*h.appointment->start), fileTimeOf(*h.appointment->end)};
    }
  }
  return out;
}

class GeneratedStore : public ::testing::TestWithParam<std::string> {};

TEST_P(GeneratedStore, ScanFindsExactlyTheManifestMailboxes) {
  if (!std::filesystem::exists(testing::generatorPath())) GTEST_SKIP() << "the store generator is not built";
  const GeneratedScan scan = scanGenerated(GetParam());
  ASSERT_EQ(scan.outcome, ScanOutcome::Completed);
  std::set<std::pair<std::string, std::string>> expected;
  for (const auto& m : scan.manifest["mailboxes"]) expected.emplace(m["id"], m["name"]);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(scan.mailboxes, expected);
}

TEST_P(GeneratedStore, ScanFindsExactlyTheManifestFolderTree) {
  if (!std::filesystem::exists(testing::generatorPath())) GTEST_SKIP() << "the store generator is not built";
  // The default store, then several mailboxes with deep trees of folders (names beyond
  // ASCII among them) and one mailbox with the well-known folders only.
  for (const std::string& scenario : {std::string(), std::string(R"({"mailboxes": 3, "foldersPerMailbox": 40})"),
                                      std::string(R"({"mailboxes": 1, "foldersPerMailbox": 12, "rng": 11})")}) {
    const GeneratedScan scan = scanGenerated(GetParam(), "", scenario);
    ASSERT_EQ(scan.outcome, ScanOutcome::Completed) << scenario;
    const std::set<FolderKey> expected = manifestFolders(scan.manifest);
    ASSERT_FALSE(expected.empty()) << scenario;
    EXPECT_EQ(scan.folders, expected) << scenario;
  }
}

TEST_P(GeneratedStore, ScanFindsExactlyTheManifestMessageHeaders) {
  if (!std::filesystem::exists(testing::generatorPath())) GTEST_SKIP() << "the store generator is not built";
  for (const std::string& scenario :
       {std::string(), std::string(R"({"mailboxes": 2, "foldersPerMailbox": 20, "messagesPerFolder": 9})"),
        std::string(R"({"mailboxes": 1, "foldersPerMailbox": 13, "messagesPerFolder": 60, "rng": 5})")}) {
    const GeneratedScan scan = scanGenerated(GetParam(), "", scenario);
    ASSERT_EQ(scan.outcome, ScanOutcome::Completed) << scenario;
    const std::multiset<MessageKey> expected = manifestMessages(scan.manifest);
    ASSERT_FALSE(expected.empty()) << scenario;
    EXPECT_EQ(scan.messages, expected) << scenario;
    // Calendar items of 4 KB/8 KB stores carry their start and end (a 32 KB table serves a
    // whole mailbox and reads no appointment times).
    if (scan.manifest["format"] == "32k") continue;
    std::size_t calendarItems = 0;
    for (const auto& m : scan.manifest["messages"]) {
      if (!m.contains("start")) continue;
      ++calendarItems;
      auto found = scan.appointments.find(m["id"].get<std::string>());
      ASSERT_NE(found, scan.appointments.end()) << m["id"];
      EXPECT_EQ(found->second.first, m["startFileTime"].get<std::uint64_t>()) << m["id"];
      EXPECT_EQ(found->second.second, m["endFileTime"].get<std::uint64_t>()) << m["id"];
    }
    EXPECT_GT(calendarItems, 0u);
    EXPECT_EQ(scan.appointments.size(), calendarItems);
  }
}

TEST_P(GeneratedStore, DamagedStoresAlwaysFinishTheScan) {
  if (!std::filesystem::exists(testing::generatorPath())) GTEST_SKIP() << "the store generator is not built";
  for (const std::string damage : {"--zero-pages 6", "--random-pages 6", "--scramble-tags 6", "--truncate 200000"}) {
    const GeneratedScan scan = scanGenerated(GetParam(), damage);
    EXPECT_TRUE(scan.outcome == ScanOutcome::Completed || scan.outcome == ScanOutcome::NoMailbox) << damage;
    // Damage loses folders but never invents one.
    const std::set<FolderKey> expected = manifestFolders(scan.manifest);
    for (const auto& folder : scan.folders) EXPECT_TRUE(expected.count(folder)) << damage << " " << std::get<3>(folder);
    // Damage to the catalogue may cost a header its prefix or sender column, so a message
    // may come with less text than the manifest gives it, but with its own id, folder and time.
    const std::multiset<MessageKey> messages = manifestMessages(scan.manifest);
    for (const auto& message : scan.messages) {
      const bool known = std::any_of(messages.begin(), messages.end(), [&](const MessageKey& m) {
        return std::get<0>(m) == std::get<0>(message) && std::get<1>(m) == std::get<1>(message) &&
               std::get<4>(m) == std::get<4>(message) &&
               std::get<2>(m).find(std::get<2>(message)) != std::string::npos &&
               (std::get<3>(message).empty() || std::get<3>(m) == std::get<3>(message));
      });
      EXPECT_TRUE(known) << damage << " " << std::get<2>(message);
    }
  }
}

// Pages without which a scan cannot reach the header tables at all: the catalogue and the
// mailbox and folder tables (single-page trees in the default scenario).
std::set<std::int64_t> pagesEveryHeaderNeeds(const nlohmann::json& manifest) {
  std::set<std::int64_t> pages;
  for (const auto& t : manifest["tables"]) {
    const std::string name = t["name"];
    if (t.contains("pageNumbers")) {
      for (const auto& p : t["pageNumbers"]) pages.insert(p.get<std::int64_t>());
    }
    if (name == "Mailbox" || name.rfind("Folders", 0) == 0) pages.insert(t["rootPage"].get<std::int64_t>());
  }
  return pages;
}

TEST_P(GeneratedStore, DamagedStoresKeepEveryHeaderOnAnUndamagedPage) {
  if (!std::filesystem::exists(testing::generatorPath())) GTEST_SKIP() << "the store generator is not built";
  // The same store with and without damage (the damage comes after every page is written).
  const GeneratedScan clean = scanGenerated(GetParam());
  ASSERT_EQ(clean.outcome, ScanOutcome::Completed);
  const std::set<std::int64_t> needed = pagesEveryHeaderNeeds(clean.manifest);
  std::size_t compared = 0;
  for (const std::string& damage :
       {std::string("--zero-pages 4"), std::string("--random-pages 4"), std::string("--scramble-tags 4"),
        std::string("--zero-pages 12"), std::string("--zero-pages 1")}) {
    const GeneratedScan scan = scanGenerated(GetParam(), damage);
    std::set<std::int64_t> damaged;
    for (const char* list : {"zeroedPages", "randomPages", "scrambledTagPages"}) {
      for (const auto& p : scan.manifest["damage"][list]) damaged.insert(p.get<std::int64_t>());
    }
    const bool reachable =
        std::none_of(damaged.begin(), damaged.end(), [&](std::int64_t p) { return needed.count(p) > 0; });
    if (!reachable) continue;
    ++compared;
    for (const auto& [message, page] : clean.messagePages) {
      if (damaged.count(page)) continue;
      EXPECT_TRUE(scan.messages.count(message)) << damage << ": " << std::get<2>(message) << " on page " << page;
    }
  }
  // At least one damage left the catalogue and the folder tables whole.
  EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, GeneratedStore, ::testing::Values("4k", "8k", "32k"));

}  // namespace
}  // namespace tarnwick::analysis
