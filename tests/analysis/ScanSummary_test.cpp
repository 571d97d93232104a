#include "analysis/ScanSummary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

namespace tarnwick::analysis {
namespace {

FolderId idOf(std::uint32_t n) {
  std::array<std::uint8_t, 8> bytes{};
  for (int i = 0; i < 4; ++i) bytes[7 - i] = static_cast<std::uint8_t>(n >> (8 * i));
  return FolderId::fromBytes(bytes);
}

std::size_t countFolders(const std::vector<FolderSummary>& folders, std::size_t depth, std::size_t& deepest) {
  std::size_t count = 0;
  deepest = std::max(deepest, folders.empty() ? depth - 1 : depth);
  for (const auto& f : folders) count += 1 + countFolders(f.folders, depth + 1, deepest);
  return count;
}

// A damaged store can chain folders a hundred thousand levels deep. The summary (and with
// it `scan`) must neither exhaust the stack building, printing or freeing it, nor lose a
// folder: the ones below the last level are listed on it, and counted.
TEST(ScanSummary, AFolderChainOfAnyDepthIsSummarizedWithEveryFolder) {
  constexpr std::uint32_t kChain = 100000;
  ScanModel model;
  FolderTreeModel tree;
  tree.reset(u"store.edb");
  ScanResult result;
  const TreeItemHandle mailbox = tree.insertFolder(0, u"Mailbox - Deep", FolderKind::Other);
  model.folders.addFolderNode(idOf(1), {}, u"Mailbox - Deep", FolderKind::Other, mailbox, std::nullopt);
  result.mailboxes.push_back(model.folders[0]);
  TreeItemHandle parent = mailbox;
  FolderId parentId = idOf(1);
  for (std::uint32_t level = 1; level <= kChain; ++level) {
    std::u16string name(u"L");
    name.push_back(static_cast<char16_t>(u'a' + level % 26));
    const TreeItemHandle item = tree.insertFolder(parent, name, FolderKind::Other);
    model.folders.addFolderNode(idOf(level + 1), parentId, name, FolderKind::Other, item, std::nullopt);
    parent = item;
    parentId = idOf(level + 1);
  }
  tree.insertFolder(mailbox, u"Inbox", FolderKind::Other);  // in the tree but not a listed folder
  tree.finish();

  const std::vector<MailboxSummary> mailboxes = summarizeScan(result, model, tree);
  ASSERT_EQ(mailboxes.size(), 1u);
  std::size_t deepest = 0;
  EXPECT_EQ(countFolders(mailboxes[0].folders, 1, deepest), kChain);
  EXPECT_EQ(deepest, kMaxFolderNesting);
  EXPECT_EQ(mailboxes[0].flattenedFolders, kChain - kMaxFolderNesting);
  // Each folder holds the next down to the last level; the deeper ones follow the one on the
  // last level beside it, in chain order.
  const FolderSummary* at = &mailboxes[0].folders.at(0);
  for (std::size_t level = 1; level + 1 < kMaxFolderNesting; ++level) {
    ASSERT_EQ(at->folders.size(), 1u) << level;
    at = &at->folders[0];
  }
  ASSERT_EQ(at->folders.size(), 1 + kChain - kMaxFolderNesting);
  EXPECT_EQ(at->folders[0].id, idOf(kMaxFolderNesting + 1));
  EXPECT_EQ(at->folders[1].id, idOf(kMaxFolderNesting + 2));
  EXPECT_EQ(at->folders.back().id, idOf(kChain + 1));
  EXPECT_TRUE(at->folders.back().folders.empty());
}

}  // namespace
}  // namespace tarnwick::analysis
