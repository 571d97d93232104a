// Heap-on-node, BTH, property and table context checks, and both encodings.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pstcheck/PstFile.h"
#include "tools/pstcheck/ByteView.h"
#include "tools/pstcheck/Permute.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck::test {
namespace {

using namespace layout;

constexpr std::uint64_t kRootFolderPc = 0x64;   // data block of the root folder 0x122
constexpr std::uint64_t kTopHierarchy = 0x114;  // hierarchy table of 0x8022

/// Offset of a PC's BTH record for a property id in the plain block.
std::size_t pcRecord(const std::vector<std::uint8_t>& plain, std::uint16_t id, std::uint16_t type) {
  const std::uint8_t pattern[] = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
                                  static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(type >> 8)};
  auto it = std::search(plain.begin(), plain.end(), std::begin(pattern), std::end(pattern));
  if (it == plain.end()) throw std::runtime_error("property not found");
  return static_cast<std::size_t>(it - plain.begin());
}

TEST(PstCheckLtp, PermuteIsItsOwnInverseAndATruePermutation) {
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  const auto enc = encodePermute(Bytes(all));
  auto sorted = enc;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, all);
  EXPECT_EQ(decodePermute(Bytes(enc)), all);
  EXPECT_EQ(enc[0], 65);  // first value of the published table
}

TEST(PstCheckLtp, UnencodedCopyIsCleanToo) {
  auto f = PstFile::empty();
  // Decode every external block in place and declare bCryptMethod 0.
  const std::uint64_t bids[] = {0x4,  0x8,   0xc,   0x10,  0x14,  0x18,  0x1c,  0x24,  0x28, 0x2c, 0x30,
                                0x48, 0x64,  0x68,  0x80,  0x88,  0x98,  0xa4,  0xb4,  0xb8, 0xbc, 0xc0,
                                0xfc, 0x100, 0x108, 0x10c, 0x110, 0x114, 0x120, 0x128, 0x12c};
  for (std::uint64_t bid : bids) {
    const auto plain = f.plainBlock(bid);
    std::copy(plain.begin(), plain.end(), f.bytes().begin() + static_cast<std::ptrdiff_t>(f.blockOffset(bid)));
    f.resealBlock(bid);
  }
  f.bytes()[kHdrCryptMethod] = kCryptNone;
  f.resealHeader();
  const Report r = f.check();
  EXPECT_TRUE(r.clean()) << describe(r);
  EXPECT_EQ(r.tableRows, 5u);
}

TEST(PstCheckLtp, HeapFaults) {
  {  // fill level that does not match the free space
    auto f = PstFile::empty();
    auto p = f.plainBlock(kRootFolderPc);
    p[kHnFillFirst] = 0x03;
    f.writePlainBlock(kRootFolderPc, p);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Heap, "NID 0x122 heap block 0: fill level 3, expected 0"), 1u) << describe(r);
  }
  {  // cFree that does not count the freed allocations
    auto f = PstFile::empty();
    auto p = f.plainBlock(kRootFolderPc);
    p[u16(Bytes(p), 0) + 2] = 1;
    f.writePlainBlock(kRootFolderPc, p);
    EXPECT_EQ(countFaults(f.check(), Area::Heap, "cFree 1"), 1u);
  }
  {  // not a heap at all
    auto f = PstFile::empty();
    auto p = f.plainBlock(kRootFolderPc);
    p[2] = 0x00;
    f.writePlainBlock(kRootFolderPc, p);
    EXPECT_EQ(countFaults(f.check(), Area::Heap, "bSig is not 0xEC"), 1u);
  }
}

TEST(PstCheckLtp, PropertyContextFaults) {
  {  // BTH records out of order
    auto f = PstFile::empty();
    auto p = f.plainBlock(kRootFolderPc);
    const std::size_t a = pcRecord(p, 0x3602, 0x0003), b = pcRecord(p, 0x3603, 0x0003);
    std::swap_ranges(p.begin() + a, p.begin() + a + 8, p.begin() + b);
    f.writePlainBlock(kRootFolderPc, p);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Bth, "key 0x3602 is not above the previous key 0x3603"), 1u) << describe(r);
  }
  {  // unknown type and a dangling HID
    auto f = PstFile::empty();
    auto p = f.plainBlock(kRootFolderPc);
    p[pcRecord(p, 0x3603, 0x0003) + 2] = 0x99;
    const std::size_t name = pcRecord(p, 0x3001, 0x001F);
    p[name + 4] = 0x00;
    p[name + 5] = 0x20;  // HID index 256
    f.writePlainBlock(kRootFolderPc, p);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::PropertyContext, "unknown property type 0x99"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Heap, "does not name an allocation"), 1u);
  }
}

TEST(PstCheckLtp, TableContextFaults) {
  {  // row index pointing past the row matrix
    auto f = PstFile::empty();
    auto p = f.plainBlock(kTopHierarchy);
    const std::uint8_t key[] = {0x62, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};  // row 0x8062 at index 0
    auto it = std::search(p.begin(), p.end(), std::begin(key), std::end(key));
    ASSERT_NE(it, p.end());
    it[4] = 7;
    f.writePlainBlock(kTopHierarchy, p);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::TableContext, "row index 7 is out of range"), 1u) << describe(r);
  }
  {  // cell existence bitmap of the wrong size
    auto f = PstFile::empty();
    auto p = f.plainBlock(kTopHierarchy);
    const std::size_t info = 20;  // TCINFO is the second allocation
    ASSERT_EQ(p[info], kTcType);
    p[info + 8] = static_cast<std::uint8_t>(p[info + 8] + 1);  // rgib[TCI_bm]
    f.writePlainBlock(kTopHierarchy, p);
    EXPECT_GE(countFaults(f.check(), Area::TableContext, "cell existence bitmap"), 1u);
  }
}

}  // namespace
}  // namespace tarnwick::pstcheck::test
