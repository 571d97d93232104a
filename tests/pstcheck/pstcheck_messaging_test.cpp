// Messaging checks: required nodes, store entry ids, name map, folders and
// their hierarchy and contents tables, parent node ids.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pstcheck/PstFile.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck::test {
namespace {

using namespace layout;

void replaceAll(std::vector<std::uint8_t>& data, std::vector<std::uint8_t> from, std::vector<std::uint8_t> to) {
  for (auto it = data.begin(); (it = std::search(it, data.end(), from.begin(), from.end())) != data.end(); it += 4)
    std::copy(to.begin(), to.end(), it);
}

void setLongProperty(PstFile& f, std::uint64_t bid, std::uint16_t id, std::uint32_t value) {
  auto p = f.plainBlock(bid);
  const std::uint8_t rec[] = {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 0x03, 0x00};
  auto it = std::search(p.begin(), p.end(), std::begin(rec), std::end(rec));
  ASSERT_NE(it, p.end());
  for (int i = 0; i < 4; ++i) it[4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  f.writePlainBlock(bid, p);
}

void setParent(PstFile& f, std::uint32_t nid, std::uint32_t parent) {
  const std::uint64_t e = f.leafEntry(true, nid);
  f.put32(e + 24, parent);
  f.resealPage(e / kPageSize * kPageSize);
}

TEST(PstCheckMessaging, WrongContentCountIsReported) {
  auto f = PstFile::empty();
  setLongProperty(f, f.nodeData(0x8062), 0x3602, 5);  // "Deleted Items" claims five messages
  const Report r = f.check();
  EXPECT_EQ(countFaults(r, Area::Messaging, "folder NID 0x8062: content count 5 but the contents table has 0 rows"), 1u)
      << describe(r);
  EXPECT_EQ(countFaults(r, Area::Messaging, "hierarchy row 0x8062: column 0x36020003 differs"), 1u);
}

TEST(PstCheckMessaging, RowPointingToMissingNode) {
  auto f = PstFile::empty();
  auto p = f.plainBlock(0x114);  // hierarchy table of "Top of Outlook data file"
  replaceAll(p, {0x62, 0x80, 0x00, 0x00}, {0xA2, 0x80, 0x00, 0x00});
  f.writePlainBlock(0x114, p);
  const Report r = f.check();
  EXPECT_EQ(countFaults(r, Area::Messaging, "row points to node 0x80a2, which does not exist"), 1u) << describe(r);
  EXPECT_EQ(countFaults(r, Area::Messaging, "child folder 0x8062 is missing from the hierarchy table"), 1u);
}

TEST(PstCheckMessaging, WrongParentNids) {
  {
    auto f = PstFile::empty();
    setParent(f, 0x8062, 0x122);
    const Report r = f.check();
    EXPECT_EQ(countFaults(r, Area::Messaging, "child's parent NID is 0x122"), 1u) << describe(r);
    EXPECT_EQ(countFaults(r, Area::Messaging, "folder NID 0x122: child folder 0x8062 is missing"), 1u);
  }
  {
    auto f = PstFile::empty();
    setParent(f, 0x8042, 0x9999);
    EXPECT_EQ(countFaults(f.check(), Area::Messaging, "parent NID 0x9999 does not exist"), 1u);
  }
  {
    auto f = PstFile::empty();
    setParent(f, 0x8062, 0x12d);  // a table, not a folder
    EXPECT_EQ(countFaults(f.check(), Area::Messaging, "parent NID 0x12d is not a folder"), 1u);
  }
}

TEST(PstCheckMessaging, SubfolderFlagMustMatchHierarchy) {
  auto f = PstFile::empty();
  auto p = f.plainBlock(f.nodeData(0x8022));
  const std::uint8_t rec[] = {0x0A, 0x36, 0x0B, 0x00, 0x01};
  auto it = std::search(p.begin(), p.end(), std::begin(rec), std::end(rec));
  ASSERT_NE(it, p.end());
  it[4] = 0;
  f.writePlainBlock(f.nodeData(0x8022), p);
  const Report r = f.check();
  EXPECT_EQ(
      countFaults(r, Area::Messaging, "folder NID 0x8022: PidTagSubfolders is 0 but the hierarchy table has 1 rows"),
      1u)
      << describe(r);
}

TEST(PstCheckMessaging, MissingRequiredNode) {
  auto f = PstFile::empty();
  const std::uint64_t e = f.leafEntry(true, 0x1e1);
  f.put32(e, 0x1e2);
  f.resealPage(e / kPageSize * kPageSize);
  EXPECT_EQ(countFaults(f.check(), Area::Messaging, "NID 0x1e1: node missing"), 1u);
}

TEST(PstCheckMessaging, NameMapBucketCount) {
  auto f = PstFile::empty();
  setLongProperty(f, f.nodeData(0x61), 0x0001, 250);
  EXPECT_EQ(countFaults(f.check(), Area::Messaging, "PidTagNameidBucketCount"), 1u);
}

TEST(PstCheckMessaging, NameMapHashRecordInWrongBucket) {
  auto f = PstFile::empty();
  auto p = f.plainBlock(f.nodeData(0x61));
  // The last 8 bytes before the page map belong to the last bucket allocation; change its hash.
  const std::size_t hnpm = p[0] | (p[1] << 8);
  const unsigned cAlloc = p[hnpm] | (p[hnpm + 1] << 8);
  const std::size_t lastEnd = p[hnpm + 4 + 2 * cAlloc] | (p[hnpm + 5 + 2 * cAlloc] << 8);
  p[lastEnd - 8] ^= 0x01;
  f.writePlainBlock(f.nodeData(0x61), p);
  const Report r = f.check();
  EXPECT_GE(countFaults(r, Area::Messaging, "name-to-id map"), 1u) << describe(r);
}

TEST(PstCheckMessaging, StoreEntryIdMustNameAFolder) {
  auto f = PstFile::empty();
  auto p = f.plainBlock(f.nodeData(0x21));
  replaceAll(p, {0x62, 0x80, 0x00, 0x00}, {0x6D, 0x80, 0x00, 0x00});  // wastebasket -> its hierarchy table
  f.writePlainBlock(f.nodeData(0x21), p);
  const Report r = f.check();
  EXPECT_EQ(countFaults(r, Area::Messaging, "PidTagIpmWastebasketEntryId points to 0x806d"), 1u) << describe(r);
}

}  // namespace
}  // namespace tarnwick::pstcheck::test
