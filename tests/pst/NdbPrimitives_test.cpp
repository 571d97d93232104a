// Primitive checks of the node database layer against Outlook's own empty file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "codec/Crc32.h"
#include "pst/messaging/NameIdMap.h"
#include "pst/messaging/PropTags.h"
#include "pst/ndb/BlockSignature.h"
#include "pst/ndb/Layout.h"

namespace tarnwick::pst {
namespace {

using testing::PstTestReader;

const std::filesystem::path kEmpty = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "pst" / "Empty.pst";

std::vector<std::uint8_t> emptyBytes() {
  std::ifstream in(kEmpty, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(NdbPrimitives, HeaderCrcsOfOutlookFileMatch) {
  auto f = emptyBytes();
  ASSERT_GE(f.size(), layout::kHeaderSize);
  std::span<const std::uint8_t> bytes(f);
  EXPECT_EQ(le32(f, layout::kHeaderOffCrcPartial),
            codec::crc32(bytes.subspan(layout::kHeaderCrcStart, layout::kHeaderPartialCrcLength)));
  EXPECT_EQ(le32(f, layout::kHeaderOffCrcFull),
            codec::crc32(bytes.subspan(layout::kHeaderCrcStart, layout::kHeaderFullCrcLength)));
  // The value read off the file by hand.
  EXPECT_EQ(le32(f, layout::kHeaderOffCrcPartial), 0x77BBFE83u);
}

TEST(NdbPrimitives, PageAndBlockTrailersOfOutlookFileVerify) {
  PstTestReader r(kEmpty);
  EXPECT_EQ(r.nodes().size(), 47u);
  auto problems = r.verifyTrailers();
  EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST(NdbPrimitives, AMapOfOutlookFileHasNoSignatureAndItsOffsetAsId) {
  auto f = emptyBytes();
  std::size_t at = layout::kFirstAMapOffset;
  EXPECT_EQ(f[at + 496], layout::kPageTypeAMap);
  EXPECT_EQ(f[at + 498] | (f[at + 499] << 8), 0);
  EXPECT_EQ(le32(f, at + 500), codec::crc32(std::span<const std::uint8_t>(f).subspan(at, 496)));
  EXPECT_EQ(le32(f, at + 504), layout::kFirstAMapOffset);
}

TEST(NdbPrimitives, NameMapBucketsOfOutlookFileFollowTheHash) {
  PstTestReader r(kEmpty);
  auto props = r.nodeProperties(0x61);
  ASSERT_EQ(PstTestReader::u32(props.at(propid::kNameidBucketCount).bytes), NameIdMap::kBucketCount);
  int entries = 0;
  for (const auto& [id, p] : props) {
    if (id < propid::kNameidBucketBase || id >= propid::kNameidBucketBase + NameIdMap::kBucketCount) continue;
    for (std::size_t at = 0; at + 8 <= p.bytes.size(); at += 8, ++entries) {
      std::uint32_t hash = le32(p.bytes, at);
      auto guidField = static_cast<std::uint16_t>(p.bytes[at + 4] | (p.bytes[at + 5] << 8));
      EXPECT_EQ(NameIdMap::bucketOf(hash, guidField), static_cast<std::uint32_t>(id - propid::kNameidBucketBase));
    }
  }
  EXPECT_EQ(entries, 35);
  // Our map starts with the same entries and lays them into the same buckets.
  NameIdMap ours;
  EXPECT_EQ(ours.size(), 35u);
  for (const Property& p : ours.properties()) {
    if (p.id < propid::kNameidBucketBase) continue;
    ASSERT_TRUE(props.count(p.id)) << std::hex << p.id;
    EXPECT_EQ(props.at(p.id).bytes, p.bytes) << std::hex << p.id;
  }
}

TEST(NdbPrimitives, SignatureFoldsOffsetXorId) {
  // The BBT root page of the empty file: offset 0x8400, id 0x17B.
  auto f = emptyBytes();
  EXPECT_EQ(computeSignature(FileOffset{0x8400}, Bid{0x17B}), f[0x8400 + 498] | (f[0x8400 + 499] << 8));
  EXPECT_EQ(codec::crc32({}), 0u);
}

}  // namespace
}  // namespace tarnwick::pst
