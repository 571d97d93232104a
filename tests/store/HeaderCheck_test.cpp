#include "store/HeaderCheck.h"
#include "platform/StoreFile.h"
#include "store/PageList.h"
#include "store/RecordLocator.h"
#include "tests/support/PageBytes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

namespace tarnwick::store {
namespace {

using testing::PageBytes;
using testing::ScratchDir;
using testing::storeFileBytes;

HeaderCheckResult check(const std::vector<std::uint8_t>& file, StoreFile* streaming = nullptr) {
  ScratchDir dir;
  StoreFile db;
  EXPECT_TRUE(db.Open(dir.write("store.edb", file)));
  return checkStoreHeader(db, streaming);
}

TEST(HeaderCheck, SupportedPageSizesGiveTheirClass) {
  for (auto [size, cls] :
       {std::pair{4096u, PageSizeClass::Page4K}, {8192u, PageSizeClass::Page8K}, {32768u, PageSizeClass::Page32K}}) {
    auto r = check(storeFileBytes(size, size * 6));
    EXPECT_EQ(r.outcome, HeaderCheckOutcome::Supported);
    EXPECT_EQ(r.geometry.PageSize, static_cast<std::int32_t>(size));
    EXPECT_EQ(r.geometry.PageSizeClass, cls);
    EXPECT_EQ(r.geometry.FileSize, static_cast<std::int64_t>(size) * 6);
    EXPECT_EQ(r.geometry.PageReadLength, size);
    EXPECT_EQ(r.geometry.pageCount(), 4);
  }
}

TEST(HeaderCheck, AnyOtherPageSizeIsUnsupported) {
  for (std::uint32_t size : {16384u, 0u, 2048u, 4097u, 65536u, 0xFFFFFFFFu}) {
    auto r = check(storeFileBytes(size, 8192));
    EXPECT_EQ(r.outcome, HeaderCheckOutcome::UnsupportedPageSize) << size;
    EXPECT_EQ(r.headerPageSize, size);
    EXPECT_EQ(r.geometry.PageSizeClass, PageSizeClass::Unsupported);
  }
}

// A refused file is told apart: empty, too short, not an ESE database, or a page size the
// program does not read.
TEST(HeaderCheck, ARefusedHeaderSaysWhatIsWrong) {
  EXPECT_EQ(check({}).problem, "the file is empty");
  EXPECT_EQ(check(std::vector<std::uint8_t>(100, 'x')).problem, "the file is too short to be a database (100 bytes)");
  std::vector<std::uint8_t> text(4096, 'a');
  EXPECT_EQ(check(text).problem, "it is not an ESE database (its header has no database signature)");
  for (std::uint32_t size : {16384u, 2048u}) {
    std::vector<std::uint8_t> file = storeFileBytes(size, 8192);
    testing::putU32(file, 4, 0x89ABCDEF);
    const auto r = check(file);
    EXPECT_EQ(r.outcome, HeaderCheckOutcome::UnsupportedPageSize);
    EXPECT_EQ(r.problem, size == 16384
                             ? "16 KB pages: not an Exchange mailbox store format this program reads"
                             : "its header gives a page size of 2048 bytes; 4096, 8192 and 32768 are supported");
  }
  EXPECT_TRUE(check(storeFileBytes(4096, 8192)).problem.empty());
}

TEST(HeaderCheck, FileShorterThanAPageReadsOnlyItsLength) {
  auto r = check(storeFileBytes(4096, 1000));
  EXPECT_EQ(r.outcome, HeaderCheckOutcome::Supported);
  EXPECT_EQ(r.geometry.PageReadLength, 1000u);
  EXPECT_EQ(r.geometry.pageCount(), 0);
}

TEST(HeaderCheck, FileEndingBeforeThePageSizeFieldIsUnsupported) {
  // 238 bytes hold only half of the field: the missing bytes read as zero, not as memory.
  auto bytes = storeFileBytes(4096, 238);
  auto r = check(bytes);
  EXPECT_EQ(r.outcome, HeaderCheckOutcome::UnsupportedPageSize);
  EXPECT_EQ(check({}).outcome, HeaderCheckOutcome::UnsupportedPageSize);
}

TEST(HeaderCheck, StreamingFileStaysOpenOnlyFor4KStores) {
  ScratchDir dir;
  auto stm = dir.write("store.stm", std::vector<std::uint8_t>(100, 1));
  for (auto [size, keep] : {std::pair{4096u, true}, {8192u, false}, {32768u, false}}) {
    StoreFile streaming;
    ASSERT_TRUE(streaming.Open(stm));
    auto r = check(storeFileBytes(size, size * 3), &streaming);
    EXPECT_EQ(streaming.IsOpen(), keep) << size;
    EXPECT_EQ(r.streamingFileClosed, !keep);
  }
  StoreFile streaming;
  ASSERT_TRUE(streaming.Open(stm));
  check(storeFileBytes(16384, 16384 * 3), &streaming);
  EXPECT_TRUE(streaming.IsOpen());  // the analysis ends before the streaming file is looked at
}

TEST(PageArithmetic, PageOffsetIsOnePageFurtherIn64Bits) {
  auto g = makeStoreGeometry(32768, 1);
  EXPECT_EQ(pageOffset(g, PageNumber(0)).value, 32768);
  EXPECT_EQ(pageOffset(g, PageNumber(4)).value, 5 * 32768);
  EXPECT_EQ(pageOffset(g, PageNumber(0x7FFFFFFF)).value, 0x80000000LL * 32768);
}

TEST(FileLocator, OffsetsOutsideTheFileGiveNoSlotsAndShortPagesReadZeros) {
  ScratchDir dir;
  auto file = storeFileBytes(4096, 4096 * 3);
  PageBytes page(4096);
  page.tag(8, 0);
  auto p = page.bytes();
  std::copy(p.begin(), p.end(), file.begin() + 8192);
  file.resize(8192 + 4000);  // last page cut short: its tag array is gone
  StoreFile db;
  ASSERT_TRUE(db.Open(dir.write("cut.edb", file)));
  auto g = makeStoreGeometry(4096, static_cast<std::int64_t>(file.size()));
  RecordSlotArray slots{};
  std::vector<std::uint8_t> scratch(4096, 0xFF);
  EXPECT_EQ(locateRecords(db, g, FileOffset(g.FileSize), slots, scratch), 0u);
  EXPECT_EQ(locateRecords(db, g, FileOffset(-4096), slots, scratch), 0u);
  EXPECT_EQ(locateRecords(db, g, FileOffset(8192), slots, scratch), 0u);

  file.resize(4096 * 3);
  std::copy(p.begin(), p.end(), file.begin() + 8192);
  StoreFile whole;
  ASSERT_TRUE(whole.Open(dir.write("whole.edb", file)));
  g = makeStoreGeometry(4096, static_cast<std::int64_t>(file.size()));
  ASSERT_EQ(locateRecords(whole, g, pageOffset(g, PageNumber(1)), slots, scratch), 1u);
  EXPECT_EQ(slots[0].offset, 40);
  EXPECT_EQ(slots[0].size, 8);
}

TEST(PageList, KeepsReadOrderDuplicatesAndAnIndexByOwner) {
  PageList pages;
  PageBytes a(4096), b(4096);
  a.owner(2);
  b.owner(61);
  recordPageVisit(pages, a.bytes(), FileOffset(5 * 4096));
  recordPageVisit(pages, b.bytes(), FileOffset(9 * 4096));
  recordPageVisit(pages, a.bytes(), FileOffset(5 * 4096));  // read twice: listed twice
  auto header = a.bytes();
  recordPageVisit(pages, std::span<const std::uint8_t>(header).first(20), FileOffset(7 * 4096));
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_EQ(pages.VisitedPageCount(), 4u);
  EXPECT_EQ(pages[2].objectId, 2u);
  EXPECT_EQ(pages[3].objectId, 0u);
  auto twos = pages.positionsOf(2);
  ASSERT_EQ(twos.size(), 2u);
  EXPECT_EQ(twos[0], 0u);
  EXPECT_EQ(twos[1], 2u);
  EXPECT_TRUE(pages.positionsOf(99).empty());
  pages.clear();
  EXPECT_EQ(pages.VisitedPageCount(), 0u);
  EXPECT_TRUE(pages.positionsOf(2).empty());
}

}  // namespace
}  // namespace tarnwick::store
