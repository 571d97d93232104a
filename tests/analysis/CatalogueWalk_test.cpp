#include "analysis/CatalogueWalk.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::PageBytes;

struct NullObserver : ScanObserver {
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};

// A walk over store bytes held in memory.
struct Walk {
  explicit Walk(Bytes storeBytes, std::int32_t pageSize = 4096) : store(std::move(storeBytes)), source(store) {
    geometry = store::makeStoreGeometry(static_cast<std::uint32_t>(pageSize), static_cast<std::int64_t>(store.size()));
  }
  // Walks the page `number` as the catalogue root would be.
  void walkPage(std::uint32_t number) {
    ScanContext ctx(source, geometry, model, tree, control, progress);
    CatalogueWalk walk(ctx);
    std::vector<std::uint8_t> page(static_cast<std::size_t>(geometry.PageSize));
    const std::int64_t offset = store::pageOffset(geometry, store::PageNumber(number)).value;
    store::readZeroFilled(source, offset, page);
    walk.walkPage(page, offset);
    findings = ctx.findings;
  }
  ScanContext context() { return ScanContext(source, geometry, model, tree, control, progress); }

  Bytes store;
  store::MemoryByteSource source;
  store::StoreGeometry geometry;
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  NullObserver observer;
  ProgressReporter progress{observer};
  CatalogueFindings findings;
};

// Page numbers of the probes recorded in the page list, in order.
std::vector<std::int64_t> visited(const Walk& w) {
  std::vector<std::int64_t> out;
  for (const auto& e : w.model.pages) out.push_back(e.fileOffset.value / 4096 - 1);
  return out;
}

TEST(CatalogueWalk, BranchWithOneTagDescendsThroughIt) {
  testing::StoreImage file(4096, 40);
  file.page(4, PageBytes(4096, 2, true).add(testing::branchRecord(7)).bytes());
  file.page(7, PageBytes(4096, 2).add(testing::tableRecord("Mailbox", 21, 30)).bytes());
  Walk w(file.bytes());
  w.walkPage(4);
  EXPECT_EQ(visited(w), (std::vector<std::int64_t>{7}));
  EXPECT_EQ(w.findings.MailboxTablePage, 30u);
}

TEST(CatalogueWalk, BranchWithSeveralTagsNeverFollowsTheLastOne) {
  testing::StoreImage file(4096, 40);
  file.page(4, PageBytes(4096, 2, true).add(testing::branchRecord(7)).add(testing::branchRecord(8)).bytes());
  file.page(7, PageBytes(4096, 2).bytes());
  file.page(8, PageBytes(4096, 2).add(testing::tableRecord("Mailbox", 21, 30)).bytes());
  Walk w(file.bytes());
  w.walkPage(4);
  EXPECT_EQ(visited(w), (std::vector<std::int64_t>{7}));
  EXPECT_EQ(w.findings.MailboxTablePage, 0u);
}

TEST(CatalogueWalk, LongBranchRecordsAreNoChildPointers) {
  testing::StoreImage file(4096, 40);
  Bytes longRecord = testing::branchRecord(7, 97);  // 101 bytes
  file.page(
      4,
      PageBytes(4096, 2, true).add(longRecord).add(testing::branchRecord(9, 96)).add(testing::branchRecord(0)).bytes());
  file.page(9, PageBytes(4096, 2).bytes());
  Walk w(file.bytes());
  w.walkPage(4);
  EXPECT_EQ(visited(w), (std::vector<std::int64_t>{9}));  // 100 bytes still is one
}

TEST(CatalogueWalk, ProbesOfOtherTablesAreRecordedButNotWalked) {
  testing::StoreImage file(4096, 40);
  file.page(4, testing::branchPage(4096, 2, {7, 500, 0}));
  file.page(7, PageBytes(4096, 33).add(testing::tableRecord("Mailbox", 21, 30)).bytes());
  Walk w(file.bytes());
  w.walkPage(4);
  // Page 7 belongs to table 33 (a leaf): recorded with its owner, not examined. Page 500
  // lies beyond the end of the file: its probe reads nothing and is not followed.
  ASSERT_EQ(w.model.pages.size(), 2u);
  EXPECT_EQ(w.model.pages[0].objectId, 33u);
  EXPECT_EQ(w.model.pages[1].objectId, 0u);
  EXPECT_EQ(w.findings.MailboxTablePage, 0u);
}

TEST(CatalogueWalk, ABranchThatPointsBackAtItselfEnds) {
  testing::StoreImage file(4096, 40);
  file.page(4, testing::branchPage(4096, 2, {4, 6, 0}));
  file.page(6, testing::branchPage(4096, 2, {4, 6, 0}));
  Walk w(file.bytes());
  w.walkPage(4);
  EXPECT_LE(w.model.pages.size(), 6u);
}

TEST(CatalogueWalk, ListsKeepTheirOwnUniquenessRules) {
  testing::StoreImage file(4096, 40);
  PageBytes leaf(4096, 2);
  leaf.add(testing::tableRecord("Folders", 8, 12, 1, 9))
      .add(testing::tableRecord("Folders", 8, 12, 1, 9))   // same id and page: once
      .add(testing::tableRecord("Folders", 31, 13, 1, 9))  // another id: listed too
      .add(testing::columnRecord("S3a51", 19, 0x60))
      .add(testing::columnRecord("S3A51001F", 19, 0x61))  // same kind and table: first stays
      .add(testing::columnRecord("S3d", 40, 0x70))
      .add(testing::columnRecord("S3d", 40, 0x71));  // another column: listed
  file.page(4, leaf.bytes());
  Walk w(file.bytes());
  w.walkPage(4);
  ASSERT_EQ(w.model.folderTables.size(), 2u);
  EXPECT_EQ(w.model.folderTables.entries()[1].objectId, 31u);
  EXPECT_EQ(w.findings.FolderTablePage, 13u);
  ASSERT_EQ(w.model.MessageColumnList.size(), 1u);
  EXPECT_EQ(w.model.MessageColumnList.entries()[0].columnId, 0x60);
  EXPECT_EQ(w.model.NoteColumnList.size(), 2u);
}

TEST(CatalogueWalk, PageSequenceFallsBackToFixedPlacesWhenTheCatalogueNamesNoTables) {
  testing::StoreImage file(4096, 500);
  file.page(4, PageBytes(4096, 2).bytes());
  Walk w(file.bytes());
  ScanContext ctx = w.context();
  CatalogueWalk walk(ctx);
  ASSERT_TRUE(walk.run());
  // No message table: the stand-in entry with object id 19 goes into the folder-table
  // list, the message-table list stays empty.
  EXPECT_TRUE(w.model.messageTables.empty());
  ASSERT_GE(w.model.folderTables.size(), 1u);
  EXPECT_EQ(w.model.folderTables.entries()[0].objectId, 19u);
  // Page 4, the mailbox root at 0x8D000, the message-table stand-in at 0x71000, the
  // (19, page 0) folder entry at page 0, then 0xED000 and the long-value root 0x168000.
  std::vector<std::int64_t> offsets;
  for (const auto& e : w.model.pages) offsets.push_back(e.fileOffset.value);
  EXPECT_EQ(offsets, (std::vector<std::int64_t>{5 * 4096, 0x8D000, 0x71000, 4096, 0xED000, 0x168000}));
  EXPECT_EQ(ctx.cataloguePageCount, 1u);
}

TEST(CatalogueWalk, LongValueTablesTakeTheObjectIdOfTheirRootPage) {
  testing::StoreImage file(4096, 400);
  PageBytes leaf(4096, 2);
  leaf.add(testing::columnRecord("LV", 61, 77, 20));
  file.page(4, leaf.bytes());
  file.page(20, PageBytes(4096, 78).bytes());
  Walk w(file.bytes());
  ScanContext ctx = w.context();
  CatalogueWalk walk(ctx);
  ASSERT_TRUE(walk.run());
  EXPECT_EQ(ctx.findings.SecondLongValuePage, 20u);
  ASSERT_EQ(w.model.longValueTables.size(), 1u);
  EXPECT_EQ(w.model.longValueTables.entries()[0].objectId, 78u);
}

}  // namespace
}  // namespace tarnwick::analysis
