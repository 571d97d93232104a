#include "store/RecordLocator.h"
#include "store/PageHeader.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::store {
namespace {

using testing::PageBytes;

std::vector<RecordSlot> locate(const std::vector<std::uint8_t>& page, PageSizeClass cls) {
  RecordSlotArray slots{};
  std::size_t n = locateRecords(page, cls, slots);
  return {slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(n)};
}

TEST(RecordLocator, CapsAtEightHundredSlotsInTagArrayAddressOrder) {
  PageBytes b(4096);
  b.flags(0x0803);                                                         // root and leaf
  for (int i = 0; i < 1000; ++i) b.tag(1, static_cast<std::uint16_t>(i));  // tag i at end - 4(i+1)
  auto slots = locate(b.bytes(), store::PageSizeClass::Page4K);
  ASSERT_EQ(slots.size(), 800u);
  // The lowest address holds the last tag written (offset word 999), then downwards.
  for (std::size_t k = 0; k < slots.size(); ++k) {
    EXPECT_EQ(slots[k].offset, static_cast<std::int32_t>(40 + 999 - k)) << k;
    EXPECT_EQ(slots[k].size, 1);
  }
}

TEST(RecordLocator, SkipsTagsWhoseSizeIsMaskedAway) {
  PageBytes b(4096);
  b.tag(0xF000, 0x10).tag(0x0005, 0x20).tag(0x0000, 0x30);
  auto slots = locate(b.bytes(), store::PageSizeClass::Page4K);
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0].offset, 40 + 0x20);
  EXPECT_EQ(slots[0].size, 5);
}

TEST(RecordLocator, HeaderLengthAndMaskFollowThePageSizeClass) {
  // The same tag words on a page of each class: offset 0x10 lands at 56 or at 96, and the
  // bits above the class's mask are dropped from both words.
  struct Case {
    std::size_t pageSize;
    PageSizeClass cls;
    std::int32_t offset10;
    std::uint16_t mask;
  };
  for (auto c : {Case{4096, PageSizeClass::Page4K, 56, 0x0FFF}, Case{8192, PageSizeClass::Page8K, 56, 0x1FFF},
                 Case{32768, PageSizeClass::Page32K, 96, 0x7FFF}}) {
    PageBytes b(c.pageSize);
    b.tag(0x8008, 0x10);             // size 8 in every class
    b.tag(0x0004, 0xE000 | 0x0100);  // offset bits above every mask but one
    auto slots = locate(b.bytes(), c.cls);
    ASSERT_EQ(slots.size(), 2u) << c.pageSize;
    EXPECT_EQ(slots[1].offset, c.offset10);
    EXPECT_EQ(slots[1].size, 8);
    EXPECT_EQ(slots[0].offset, c.offset10 - 0x10 + ((0xE100) & c.mask)) << c.pageSize;
  }
}

TEST(RecordLocator, RecordRunningPastThePageIsSkipped) {
  PageBytes b(4096);
  b.tag(100, 4096 - 40 - 100);  // ends exactly at the page end: kept
  b.tag(100, 4096 - 40 - 99);   // one byte past: skipped
  b.tag(0x0FFF, 0x0FFF);        // far past: skipped
  auto slots = locate(b.bytes(), store::PageSizeClass::Page4K);
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0].offset, 4096 - 100);
  EXPECT_EQ(recordBytes(b.bytes(), slots[0]).size(), 100u);
}

TEST(RecordLocator, TagCountLargerThanThePageReadsOnlyTagsInsideIt) {
  PageBytes b(4096);
  b.tag(3, 0);
  b.tagCount(0xFFFF);  // claims 262,140 bytes of tags
  auto page = b.bytes();
  auto slots = locate(page, store::PageSizeClass::Page4K);
  // Every slot found lies inside the page; the genuine tag is among them.
  ASSERT_FALSE(slots.empty());
  EXPECT_EQ(slots.back().offset, 40);
  for (auto s : slots) EXPECT_LE(static_cast<std::size_t>(s.offset + s.size), page.size());
}

TEST(RecordLocator, BranchPagesShortBuffersAndUnsupportedClassesGiveNothing) {
  PageBytes b(4096);
  b.flags(0x0801).tag(4, 0);
  EXPECT_TRUE(locate(b.bytes(), store::PageSizeClass::Page4K).empty());
  std::vector<std::uint8_t> tiny(39, 0);
  EXPECT_TRUE(locate(tiny, store::PageSizeClass::Page4K).empty());
  PageBytes leaf(4096);
  leaf.tag(4, 0);
  EXPECT_TRUE(locate(leaf.bytes(), store::PageSizeClass::Unsupported).empty());
  EXPECT_EQ(locate(leaf.bytes(), store::PageSizeClass::Page4K).size(), 1u);
}

TEST(PageHeader, BranchTestExaminesOnlyTheLowNibbles) {
  struct Case {
    std::uint8_t low, high;
    bool branch;
  };
  const Case cases[] = {
      {0x03, 0x08, false}, {0x01, 0x08, true}, {0x05, 0x28, true},  {0x01, 0x00, false},
      {0x00, 0x08, true},  {0x04, 0x08, true}, {0x02, 0x08, false}, {0x08, 0x08, false},
      {0x0D, 0x08, false}, {0xF1, 0xF8, true}, {0x01, 0x09, false}, {0x41, 0x18, true},
  };
  for (auto c : cases) {
    PageBytes b(4096);
    b.flags(static_cast<std::uint32_t>(c.low | c.high << 8));
    EXPECT_EQ(isBranchPage(b.bytes()), c.branch) << int(c.low) << "/" << int(c.high);
  }
  std::vector<std::uint8_t> shortPage(37, 0);
  shortPage[36] = 0x01;
  EXPECT_FALSE(isBranchPage(shortPage));
}

TEST(PageHeader, FieldsReadLittleEndianAndShortBuffersGiveZero) {
  PageBytes b(4096);
  b.owner(0x01020304).tag(1, 0).tag(1, 1);
  auto page = b.bytes();
  EXPECT_EQ(pageOwnerObjectId(page), 0x01020304u);
  EXPECT_EQ(pageTagCount(page), 2u);
  EXPECT_EQ(pageOwnerObjectId(std::span<const std::uint8_t>(page).first(27)), 0u);
  EXPECT_EQ(pageTagCount(std::span<const std::uint8_t>(page).first(35)), 0u);
}

}  // namespace
}  // namespace tarnwick::store
