#include "analysis/HeaderTableStep.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::Id8;
using testing::PageBytes;

struct NullObserver : ScanObserver {
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};

struct Discovery {
  Discovery(Bytes storeBytes, std::uint32_t pageSize) : store(std::move(storeBytes)), source(store) {
    geometry = store::makeStoreGeometry(pageSize, static_cast<std::int64_t>(store.size()));
  }
  FolderNode& addFolder(const Id8& id, const Id8& parent, FolderKind kind = FolderKind::Other,
                        std::optional<std::string> owner = std::nullopt) {
    model.folders.addFolderNode(FolderId::fromBytes(id), FolderId::fromBytes(parent), u"f", kind, 7, owner);
    return model.folders[model.folders.size() - 1];
  }
  // Runs the discovery over one catalogue page.
  bool discover(const Bytes& page) {
    ScanContext ctx(source, geometry, model, tree, control, progress);
    HeaderTableDiscovery discovery(ctx);
    const bool found = discovery.discoverHeaderTables(page);
    tables = ctx.headerTableCount;
    return found;
  }
  std::vector<std::int64_t> pagesOf(std::size_t table) const {
    std::vector<std::int64_t> out;
    for (const auto& ref : model.headerTables.entries()[table].pages) out.push_back(ref.position.value);
    return out;
  }

  Bytes store;
  store::MemoryByteSource source;
  store::StoreGeometry geometry;
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  NullObserver observer;
  ProgressReporter progress{observer};
  std::uint32_t tables = 0;
};

const Id8 kMailbox{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};
const Id8 kInbox{0x01, 0, 0, 0, 0, 0, 0, 0x1C};
const Id8 kZero{};

TEST(HeaderTableStep, FindsTheTableOfAFolderAndGathersItsPagesDepthFirst) {
  // 8 KB store: positions are (8192 / 512) x (page + 1).
  testing::StoreImage file(8192, 60);
  file.page(20, PageBytes(8192, 50, true)
                    .add(testing::branchRecord(21))
                    .add(testing::branchRecord(22))
                    .add(testing::branchRecord(23))  // tag 0: never followed
                    .bytes());
  file.page(21, PageBytes(8192, 50, true).add(testing::branchRecord(24)).add(testing::branchRecord(25)).bytes());
  file.page(22, PageBytes(8192, 50).bytes());
  file.page(24, PageBytes(8192, 50).bytes());
  Discovery d(file.bytes(), 8192);
  d.addFolder(kMailbox, kZero);
  d.addFolder(kInbox, kMailbox, FolderKind::Contacts);
  const Bytes catalogue = PageBytes(8192, 2).add(testing::smallHeaderTableRecord("1-1c", 50, 20)).bytes();
  ASSERT_TRUE(d.discover(catalogue));
  ASSERT_EQ(d.model.headerTables.size(), 1u);
  const HeaderTable& table = d.model.headerTables.entries()[0];
  EXPECT_EQ(table.key.bytes, kInbox);
  EXPECT_EQ(table.objectId, 50u);
  EXPECT_EQ(table.kind, FolderKind::Contacts);
  EXPECT_EQ(d.pagesOf(0), (std::vector<std::int64_t>{16 * 21, 16 * 22, 16 * 25, 16 * 23}));
  EXPECT_EQ(d.tables, 1u);
  EXPECT_TRUE(d.model.folders[1].headerTableFound);
  EXPECT_FALSE(d.model.folders[0].headerTableFound);
}

TEST(HeaderTableStep, ARootOfAnotherTableStillMarksTheFolderAndAddsAnEmptyTable) {
  testing::StoreImage file(4096, 40);
  file.page(20, PageBytes(4096, 99).bytes());
  Discovery d(file.bytes(), 4096);
  d.addFolder(kInbox, kMailbox);
  ASSERT_TRUE(d.discover(PageBytes(4096, 2).add(testing::smallHeaderTableRecord("1-1C", 50, 20)).bytes()));
  ASSERT_EQ(d.model.headerTables.size(), 1u);
  EXPECT_TRUE(d.pagesOf(0).empty());
  EXPECT_TRUE(d.model.folders[0].headerTableFound);
}

TEST(HeaderTableStep, NamesMustMatchInFullAndObjectIdZeroIsPassedOver) {
  testing::StoreImage file(4096, 40);
  file.page(20, PageBytes(4096, 50).bytes());
  Discovery d(file.bytes(), 4096);
  d.addFolder(kInbox, kMailbox);
  // "1-1C0" is longer than the expected name; object id 0 is no table.
  EXPECT_TRUE(d.discover(PageBytes(4096, 2)
                             .add(testing::smallHeaderTableRecord("1-1C0", 50, 20))
                             .add(testing::smallHeaderTableRecord("1-1C", 0, 20))
                             .bytes()));
  EXPECT_TRUE(d.model.headerTables.empty());
  EXPECT_FALSE(d.model.folders[0].headerTableFound);
  EXPECT_FALSE(d.discover(PageBytes(4096, 2).add(testing::tableRecord("Folders", 8, 12, 1, 9)).bytes()));
}

TEST(HeaderTableStep, AFolderIsMatchedOnceEvenWhenSeveralPagesNameItsTable) {
  testing::StoreImage file(4096, 40);
  file.page(20, PageBytes(4096, 50).bytes());
  file.page(21, PageBytes(4096, 51).bytes());
  Discovery d(file.bytes(), 4096);
  d.addFolder(kInbox, kMailbox);
  ScanContext ctx(d.source, d.geometry, d.model, d.tree, d.control, d.progress);
  HeaderTableDiscovery discovery(ctx);
  discovery.discoverHeaderTables(PageBytes(4096, 2).add(testing::smallHeaderTableRecord("1-1C", 50, 20)).bytes());
  discovery.discoverHeaderTables(PageBytes(4096, 2).add(testing::smallHeaderTableRecord("1-1C", 51, 21)).bytes());
  ASSERT_EQ(d.model.headerTables.size(), 1u);
  EXPECT_EQ(d.model.headerTables.entries()[0].objectId, 50u);
}

TEST(HeaderTableStep, LargeStoresMatchOnlyMailboxRootsByTheirOwnerKey) {
  testing::StoreImage file(32768, 30);
  file.page(20, PageBytes(32768, 70).bytes());
  Discovery d(file.bytes(), 32768);
  d.addFolder(kMailbox, kZero, analysis::FolderKind::Other, "4-48A06756");
  d.addFolder(kInbox, kMailbox, analysis::FolderKind::Other, "4-48A06756");
  const std::string inboxName = "MsgHeader-1-1C";
  ASSERT_TRUE(d.discover(PageBytes(32768, 2)
                             .add(testing::largeHeaderTableRecord(inboxName, 71, 20))
                             .add(testing::largeHeaderTableRecord("MSGHEADER-4-48a06756", 70, 20))
                             .bytes()));
  ASSERT_EQ(d.model.headerTables.size(), 1u);
  const HeaderTable& table = d.model.headerTables.entries()[0];
  EXPECT_TRUE(table.key.isZero());
  EXPECT_EQ(table.ownerKey, std::optional<std::string>("4-48A06756"));
  EXPECT_EQ(table.objectId, 70u);
  EXPECT_EQ(d.pagesOf(0), (std::vector<std::int64_t>{64 * 21}));
  EXPECT_FALSE(d.model.folders[1].headerTableFound);
}

TEST(HeaderTableStep, ABranchPointingBackAtItsOwnTreeEnds) {
  testing::StoreImage file(4096, 40);
  file.page(20, testing::branchPage(4096, 50, {20, 21, 0}));
  file.page(21, testing::branchPage(4096, 50, {20, 21, 0}));
  Discovery d(file.bytes(), 4096);
  d.addFolder(kInbox, kMailbox);
  ASSERT_TRUE(d.discover(PageBytes(4096, 2).add(testing::smallHeaderTableRecord("1-1C", 50, 20)).bytes()));
  EXPECT_EQ(d.pagesOf(0), (std::vector<std::int64_t>{8 * 21, 8 * 22}));
}

}  // namespace
}  // namespace tarnwick::analysis
