// What showing a folder costs in page reads, on generated stores of every format: the first
// showing reads each page of the message tables at most once and each header page the rows
// need once; showing the folder again reads no message-table page at all.
#include "analysis/ScanSummary.h"
#include "content/MessageListFill.h"
#include "platform/MessageSink.h"
#include "session/StoreSession.h"
#include "tests/list_show_manifest/GeneratedStore.h"

#include <gtest/gtest.h>

#include <set>

namespace tarnwick::testing {
namespace {

// Counts the reads that go through it.
class CountingSource : public store::ByteSource {
 public:
  explicit CountingSource(const store::ByteSource& inner) : inner_(inner) {}
  std::uint64_t length() const override { return inner_.length(); }
  std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    ++reads;
    return inner_.readAt(offset, out);
  }
  mutable std::size_t reads = 0;

 private:
  const store::ByteSource& inner_;
};

class ListCost : public ::testing::TestWithParam<std::string> {};

TEST_P(ListCost, AFolderIsReadOnceAndShownAgainFromWhatWasKept) {
  if (!std::filesystem::exists(generatorPath())) GTEST_SKIP() << "the store generator is not built";
  const GeneratedStore store(GetParam(),
                             R"({"mailboxes": 2, "foldersPerMailbox": 12, "messagesPerFolder": 120, "rng": 4})");
  ASSERT_TRUE(store.ok());
  session::StoreSession session;
  const std::filesystem::path stm = store.dir() / "store.stm";
  StreamMessageSink sink(stderr);
  ASSERT_TRUE(
      session.openAndScan((store.dir() / "store.edb").string(), std::filesystem::exists(stm) ? stm.string() : "", sink)
          .ready());
  analysis::ScanModel& model = session.model();
  const bool large = store::isLargePage(session.geometry().PageSizeClass);

  const analysis::FolderNode* folder = nullptr;
  for (const analysis::FolderNode& node : model.folders) {
    if (node.treeItem == 0 || node.parentId.isZero()) continue;
    if (folder == nullptr || model.messageHeaders.headersOfFolder(node.id).size() >
                                 model.messageHeaders.headersOfFolder(folder->id).size()) {
      folder = &node;
    }
  }
  ASSERT_NE(folder, nullptr);
  std::set<std::int64_t> tablePages, headerPages;
  for (const analysis::TableEntry& t : model.messageTables) {
    if (large && t.suffix != folder->ownerKey) continue;
    for (std::size_t at : model.pages.positionsOf(t.objectId)) tablePages.insert(model.pages[at].fileOffset.value);
  }
  for (std::size_t at : model.messageHeaders.headersOfFolder(folder->id)) {
    headerPages.insert(model.messageHeaders[at].pageOffset.value);
  }
  ASSERT_FALSE(tablePages.empty());

  std::vector<std::size_t> rows;
  for (int round = 0; round < 2; ++round) {
    session.loadFolder(*folder);
    if (round == 0) {
      EXPECT_GT(session.loader()->pagesRead(), 0u);
      EXPECT_LE(session.loader()->pagesRead(), tablePages.size());
    } else {
      EXPECT_EQ(session.loader()->pagesRead(), 0u) << "the message tables were read again";
    }
    CountingSource counting(*session.database());
    const std::vector<content::MessageRow> shown = content::buildMessageRows(
        model.messages, *folder, session.tree().mailboxNameFor(folder->treeItem), counting, session.geometry());
    // The header pages, and the message-table pages that hold senders, each read once.
    EXPECT_LE(counting.reads, headerPages.size() + tablePages.size());
    EXPECT_LT(counting.reads, shown.size());
    rows.push_back(shown.size());
  }
  EXPECT_GT(rows[0], 20u);
  EXPECT_EQ(rows[0], rows[1]);
}

INSTANTIATE_TEST_SUITE_P(Formats, ListCost, ::testing::Values("4k", "8k", "32k"));

}  // namespace
}  // namespace tarnwick::testing
