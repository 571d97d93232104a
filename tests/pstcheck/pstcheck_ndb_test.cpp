// The node database checks: header, page and block trailers, B-trees,
// allocation maps and reference counts, each against a fault planted in a
// copy of Outlook's own Empty.pst.
#include <gtest/gtest.h>

#include "tests/pstcheck/PstFile.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck::test {
namespace {

using namespace layout;

constexpr std::uint64_t kNbtRootIb = 0x9200, kNbtLeafIb = 0x8e00, kBbtLeafIb = 0x7800;

TEST(PstCheckNdb, OutlooksEmptyFileIsClean) {
  const Report r = PstFile::empty().check();
  EXPECT_TRUE(r.clean()) << describe(r);
  EXPECT_EQ(r.nodes, 47u);
  EXPECT_EQ(r.blocks, 31u);
  EXPECT_EQ(r.folders, 6u);
}

TEST(PstCheckNdb, HeaderFaults) {
  {  // a flipped byte in the area both CRCs cover
    auto f = PstFile::empty();
    f.bytes()[100] ^= 0x01;
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Header, "dwCRCPartial"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Header, "dwCRCFull"), 1u);
  }
  {  // a byte only the full CRC covers
    auto f = PstFile::empty();
    f.bytes()[kHdrBidNextB] ^= 0x40;
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Header, "dwCRCPartial"), 0u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Header, "dwCRCFull"), 1u);
  }
  {  // sealed header fields that disagree with the file
    auto f = PstFile::empty();
    f.put64(kHdrRootFileEof, f.get64(kHdrRootFileEof) + 512);
    f.put64(kHdrRootAMapLast, 0x4600);
    f.put64(kHdrBidNextB, 0x100);
    f.resealHeader();
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Header, "ibFileEof"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Header, "ibAMapLast"), 1u);
    EXPECT_EQ(countFaults(r, Area::Header, "bidNextB"), 1u);
    EXPECT_EQ(countFaults(r, Area::Header, "CRC"), 0u);
  }
  {  // a node id above the high-water mark of its type (folders: rgnid[2])
    auto f = PstFile::empty();
    f.put32(kHdrRgnid + 4 * 2, 0x403);
    f.resealHeader();
    const Report r = f.check();
    EXPECT_EQ(
        countFaults(r, Area::Header, "NID 0x8082: index 0x404 is above the header's rgnid[2] high-water mark 0x403"),
        1u)
        << describe(r);
  }
  {  // not a PST at all
    auto f = PstFile::empty();
    f.bytes()[0] = 'X';
    EXPECT_EQ(countFaults(f.check(), Area::Header, "dwMagic"), 1u);
  }
}

TEST(PstCheckNdb, PageTrailerFaults) {
  {  // a flipped byte in a page's data
    auto f = PstFile::empty();
    f.bytes()[kNbtLeafIb + 40] ^= 0x20;
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Page, "NBT page at 0x8e00: dwCRC"), 1u) << describe(r);
  }
  {  // wrong page id in the trailer (not covered by the CRC)
    auto f = PstFile::empty();
    f.put64(kBbtLeafIb + kPtBid, 0x999);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Page, "trailer BID 0x999"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Page, "wSig"), 1u);
  }
  {  // ptypeRepeat differs from ptype, and an AMap with a signature
    auto f = PstFile::empty();
    f.bytes()[kNbtRootIb + kPtPtypeRepeat] = kPtypeBbt;
    f.put16(kFirstAMap + kPtSig, 0x1234);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Page, "ptypeRepeat"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Page, "AMap page at 0x4400: wSig"), 1u);
  }
}

TEST(PstCheckNdb, BlockTrailerFaults) {
  {  // flipped data byte: CRC
    auto f = PstFile::empty();
    f.bytes()[f.blockOffset(0x64) + 3] ^= 0x01;
    EXPECT_EQ(countFaults(f.check(), Area::Block, "block 0x64 at 0x5680: trailer dwCRC"), 1u);
  }
  {  // broken trailer: size, signature and id
    auto f = PstFile::empty();
    const std::uint64_t ib = f.blockOffset(0x64), trailer = ib + 128 - kBlockTrailerSize;
    f.put16(trailer + kBtCb, 61);
    f.put16(trailer + kBtSig, 0xBEEF);
    f.put64(trailer + kBtBid, 0x68);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Block, "trailer cb 61"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Block, "trailer wSig 0xbeef"), 1u);
    EXPECT_EQ(countFaults(r, Area::Block, "trailer BID 0x68"), 1u);
  }
}

TEST(PstCheckNdb, BTreeOrderAndFirstKeyFaults) {
  {  // two leaf entries swapped
    auto f = PstFile::empty();
    auto& b = f.bytes();
    std::swap_ranges(b.begin() + kNbtLeafIb + 32, b.begin() + kNbtLeafIb + 64, b.begin() + kNbtLeafIb + 64);
    f.resealPage(kNbtLeafIb);
    const Report r = f.check();
    EXPECT_GE(countFaults(r, Area::BTree, "is not above the previous key"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Page), 0u);
  }
  {  // a parent key that is not its child's first key
    auto f = PstFile::empty();
    f.put64(kNbtRootIb + 24, 0x670);
    f.resealPage(kNbtRootIb);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::BTree, "differs from the parent entry's key 0x670"), 1u) << describe(r);
  }
  {  // a leaf page claiming to be a level-1 page
    auto f = PstFile::empty();
    f.bytes()[kBbtLeafIb + kBtCLevel] = 1;
    f.resealPage(kBbtLeafIb);
    EXPECT_EQ(countFaults(f.check(), Area::BTree, "cLevel 1, expected 0"), 1u);
  }
}

TEST(PstCheckNdb, AllocationMapFaults) {
  {  // an allocated block unmarked in the AMap
    auto f = PstFile::empty();
    const std::uint64_t slot = (f.blockOffset(0x64) - kFirstAMap) / kSlotSize;
    f.bytes()[kFirstAMap + slot / 8] &= static_cast<std::uint8_t>(~(0x80u >> (slot % 8)));
    f.resealPage(kFirstAMap);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::AllocationMap, "not marked in the AMap"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::AllocationMap, "cbAMapFree"), 1u);
  }
  {  // free space marked as allocated
    auto f = PstFile::empty();
    f.bytes()[kFirstAMap + 400] = 0xFF;
    f.resealPage(kFirstAMap);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::AllocationMap, "no page or block uses it"), 1u) << describe(r);
  }
  {  // two blocks on the same bytes
    auto f = PstFile::empty();
    f.put64(f.leafEntry(false, 0x68) + 8, f.blockOffset(0x64));
    f.resealPage(kBbtLeafIb);
    const Report r = f.check();
    EXPECT_GE(countFaults(r, Area::AllocationMap, "overlaps"), 1u) << describe(r);
  }
  {  // free-space count off by one slot
    auto f = PstFile::empty();
    f.put64(kHdrRootAMapFree, f.get64(kHdrRootAMapFree) - 64);
    f.resealHeader();
    EXPECT_EQ(countFaults(f.check(), Area::AllocationMap, "cbAMapFree"), 1u);
  }
}

TEST(PstCheckNdb, ReferenceCountFaults) {
  auto f = PstFile::empty();
  f.put16(f.leafEntry(false, 0x8) + 18, 5);  // five references are counted, Outlook keeps 6
  f.resealPage(f.leafEntry(false, 0x8) / kPageSize * kPageSize);
  const Report r = f.check();
  EXPECT_EQ(countFaults(r, Area::Reference, "block 0x8: cRef 5, but 5 reference(s)"), 1u) << describe(r);
}

TEST(PstCheckNdb, DataTreeReferencesMissingBlock) {
  auto f = PstFile::empty();
  f.put64(f.leafEntry(true, 0x8062) + 8, 0x400);  // folder data in a block that does not exist
  f.resealPage(f.leafEntry(true, 0x8062) / kPageSize * kPageSize);
  const Report r = f.check();
  EXPECT_EQ(countFaults(r, Area::Reference, "NID 0x8062: refers to block 0x400"), 1u) << describe(r);
  EXPECT_EQ(countFaults(r, Area::Reference, "block 0x98: no node"), 1u);
}

TEST(PstCheckNdb, TruncatedFilesAreReportedNotRead) {
  auto full = PstFile::empty();
  for (std::size_t size : {std::size_t{0}, std::size_t{100}, std::size_t{600}, std::size_t{0x4400}, std::size_t{0x8500},
                           full.bytes().size() - 1000}) {
    auto f = PstFile::empty();
    f.bytes().resize(size);
    EXPECT_FALSE(f.check().clean()) << size;
  }
}

}  // namespace
}  // namespace tarnwick::pstcheck::test
