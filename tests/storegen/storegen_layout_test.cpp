// The generator's page layout: checksums as the engine computes them, the header, the
// pages of every tree, deterministic output, and catalogue rows whose fields lie where a
// catalogue walk reads them.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "StoreFixture.h"
#include "tools/storegen/Bytes.h"
#include "tools/storegen/EseLayout.h"
#include "tools/storegen/ExchangeSkeleton.h"
#include "tools/storegen/PageChecksum.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {
namespace {

using testing::GeneratedStore;
using testing::ScratchDir;
namespace pg = ese::page;

std::vector<std::uint8_t> unpackTestFile(const std::string& name, const ScratchDir& dir) {
  const auto out = dir.path() / name;
  const auto r = testing::run("gzip -dc '" + (testing::testDataDir() / "ese" / (name + ".gz")).string() + "' > '" +
                              out.string() + "'");
  if (r.status != 0) return {};
  return testing::readFile(out);
}

std::span<const std::uint8_t> pageOf(const std::vector<std::uint8_t>& file, std::uint32_t pageSize,
                                     std::uint32_t page) {
  return std::span<const std::uint8_t>(file).subspan((static_cast<std::size_t>(page) + 1) * pageSize, pageSize);
}

// The checksum code agrees with pages written by Windows' own engine, for 4 KB pages and
// for the per-block checksums of 32 KB pages.
TEST(StoregenChecksum, MatchesPagesOfTheRealEngine) {
  ScratchDir dir("checksum-real");
  const auto text = unpackTestFile("text.edb", dir);
  const auto large = unpackTestFile("large.edb", dir);
  if (text.empty() || large.empty()) GTEST_SKIP() << "test data not found";
  for (std::uint32_t page : {1u, 4u, 13u, 33u}) {
    const auto p = pageOf(text, 4096, page);
    const auto sum = eccChecksumNewFormat(p, page, true);
    EXPECT_EQ(sum.xorPart, get32(p, 0)) << "page " << page;
    EXPECT_EQ(sum.eccPart, get32(p, 4)) << "page " << page;
  }
  EXPECT_EQ(xorChecksumOldFormat(std::span<const std::uint8_t>(text).first(4096)), get32(text, 0));
  const auto p = pageOf(large, 32768, 4);
  const auto head = eccChecksumNewFormat(p.first(8192), 4, true);
  EXPECT_EQ(head.xorPart, get32(p, 0));
  EXPECT_EQ(head.eccPart, get32(p, 4));
  for (std::size_t block = 1; block < 4; ++block) {
    const auto sum = eccChecksumNewFormat(p.subspan(block * 8192, 8192), 4, false);
    EXPECT_EQ(sum.xorPart, get32(p, 40 + (block - 1) * 8));
    EXPECT_EQ(sum.eccPart, get32(p, 44 + (block - 1) * 8));
  }
}

class StoregenFormat : public ::testing::TestWithParam<StoreFormat> {};

// Header and shadow, then every written page: checksum, owner, tag array inside the page,
// record format flag; every tree root of the manifest is a root page of its owner.
TEST_P(StoregenFormat, HeaderAndEveryPageAreWellFormed) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("pages-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  const GeneratedStore g = testing::generate(s, dir.path());
  const auto file = testing::readFile(g.edb);
  const std::uint32_t ps = traits.pageSize;
  ASSERT_EQ(file.size() % ps, 0u);
  ASSERT_EQ(file.size(), g.manifest["fileSize"].get<std::uint64_t>());
  const std::span<const std::uint8_t> header(file.data(), ps);
  EXPECT_EQ(get32(header, ese::header::kSignature), 0x89ABCDEFu);
  EXPECT_EQ(get32(header, ese::header::kFormatVersion), 0x620u);
  EXPECT_EQ(get32(header, ese::header::kFormatRevision), traits.formatRevision);
  EXPECT_EQ(get32(header, ese::header::kPageSize), ps);
  EXPECT_EQ(get32(header, ese::header::kDatabaseState), ese::header::kStateCleanShutdown);
  EXPECT_EQ(get32(header, ese::header::kChecksum), xorChecksumOldFormat(header));
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + ps, file.begin() + ps)) << "shadow header differs";

  std::map<std::uint32_t, std::uint32_t> ownerOfPage;
  const std::uint32_t pages = static_cast<std::uint32_t>(file.size() / ps) - 2;
  std::uint32_t written = 0;
  for (std::uint32_t n = 1; n <= pages; ++n) {
    const auto p = pageOf(file, ps, n);
    if (std::all_of(p.begin(), p.end(), [](std::uint8_t b) { return b == 0; })) continue;
    ++written;
    if (traits.eccChecksums) {
      const std::size_t headBlock = traits.blockChecksums ? pg::kLargeBlockSize : ps;
      const auto sum = eccChecksumNewFormat(p.first(headBlock), n, true);
      EXPECT_EQ(sum.xorPart, get32(p, 0)) << "page " << n;
      EXPECT_EQ(sum.eccPart, get32(p, 4)) << "page " << n;
    } else {
      EXPECT_EQ(get32(p, 4), n);
      EXPECT_EQ(xorChecksumOldFormat(p), get32(p, 0)) << "page " << n;
    }
    const std::uint32_t flags = get32(p, pg::kFlags);
    EXPECT_TRUE(flags & pg::kFlagNewRecordFormat) << "page " << n;
    const std::uint32_t tags = get16(p, pg::kTagCount);
    ASSERT_GE(tags, 1u);
    ASSERT_LE(traits.pageHeaderSize + get16(p, pg::kFirstFreeOffset) + tags * 4, ps) << "page " << n;
    for (std::uint32_t t = 0; t < tags; ++t) {
      const std::size_t at = ps - (t + 1) * 4;
      const std::uint32_t size = get16(p, at) & traits.tagFieldMask;
      const std::uint32_t offset = get16(p, at + 2) & traits.tagFieldMask;
      EXPECT_LE(traits.pageHeaderSize + offset + size, ps - tags * 4) << "page " << n << " tag " << t;
    }
    ownerOfPage[n] = get32(p, pg::kObjectId);
  }
  EXPECT_GT(written, 10u);
  EXPECT_EQ(ownerOfPage.at(ese::catalogue::kRootPage), ese::catalogue::kObjectId);
  for (const auto& t : g.manifest["tables"]) {
    const std::uint32_t root = t["rootPage"];
    ASSERT_TRUE(ownerOfPage.count(root)) << t["name"];
    EXPECT_EQ(ownerOfPage.at(root), t["objectId"].get<std::uint32_t>()) << t["name"];
    EXPECT_TRUE(get32(pageOf(file, ps, root), pg::kFlags) & pg::kFlagRoot) << t["name"];
    if (t.contains("longValues")) {
      const std::uint32_t lvRoot = t["longValues"]["rootPage"];
      EXPECT_EQ(ownerOfPage.at(lvRoot), t["longValues"]["objectId"].get<std::uint32_t>());
      EXPECT_TRUE(get32(pageOf(file, ps, lvRoot), pg::kFlags) & pg::kFlagLongValue);
    }
  }
}

TEST_P(StoregenFormat, SameScenarioGivesSameBytes) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir a(std::string("same-a-") + std::string(traits.name));
  ScratchDir b(std::string("same-b-") + std::string(traits.name));
  ScratchDir c(std::string("same-c-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  s.randomSeed = 42;
  const auto first = testing::readFile(testing::generate(s, a.path()).edb);
  const auto second = testing::readFile(testing::generate(s, b.path()).edb);
  EXPECT_TRUE(first == second);
  s.randomSeed = 43;
  const auto other = testing::readFile(testing::generate(s, c.path()).edb);
  EXPECT_FALSE(first == other);
}

// The catalogue rows carry the table's object id, root page and name length where the
// engine's record layout puts them, measured from the first byte of the name.
TEST_P(StoregenFormat, CatalogueRowsPutTheirFieldsWhereTheWalkReadsThem) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("catalogue-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  const GeneratedStore g = testing::generate(s, dir.path());
  const auto file = testing::readFile(g.edb);
  std::vector<std::uint8_t> catalogueBytes;
  for (const auto& t : g.manifest["tables"]) {
    if (t["name"] != "MSysObjects") continue;
    for (std::uint32_t page : t["pageNumbers"]) {
      const auto p = pageOf(file, traits.pageSize, page);
      if (get32(p, pg::kFlags) & pg::kFlagLeaf) catalogueBytes.insert(catalogueBytes.end(), p.begin(), p.end());
    }
  }
  ASSERT_FALSE(catalogueBytes.empty());
  auto findName = [&](const std::string& name, std::size_t from = 0) {
    auto it = std::search(catalogueBytes.begin() + static_cast<std::ptrdiff_t>(from), catalogueBytes.end(),
                          name.begin(), name.end());
    return it == catalogueBytes.end() ? std::string::npos : static_cast<std::size_t>(it - catalogueBytes.begin());
  };
  const std::span<const std::uint8_t> c(catalogueBytes);
  const SkeletonPages fixed = skeletonPagesOf(GetParam());
  // "Mailbox": length word 7, object id at N-24, root page at N-20.
  // (Column names such as "MailboxId" hold the same bytes: the table's row has length 7.)
  std::size_t n = findName("Mailbox");
  while (n != std::string::npos && !(c[n - 2] == 7 && c[n - 1] == 0)) n = findName("Mailbox", n + 1);
  ASSERT_NE(n, std::string::npos);
  EXPECT_EQ(c[n - 2], 7);
  EXPECT_EQ(c[n - 1], 0);
  EXPECT_EQ(get32(c, n - 24), kMailboxObjectId);
  EXPECT_EQ(get32(c, n - 20), fixed.mailbox.value);
  if (GetParam() != StoreFormat::Exchange2010) {
    std::size_t m = findName("Msg");
    while (m != std::string::npos && get32(c, m - 30) != kMessageObjectId) m = findName("Msg", m + 1);
    ASSERT_NE(m, std::string::npos);
    EXPECT_EQ(get32(c, m - 24), kMessageObjectId);
    EXPECT_EQ(get32(c, m - 20), fixed.message.value);
    const std::size_t f = findName("Folders");
    ASSERT_NE(f, std::string::npos);
    EXPECT_EQ(get32(c, f - 8), kFoldersInitialPages);
    EXPECT_EQ(get32(c, f - 24), kFoldersObjectId);
    EXPECT_EQ(get32(c, f - 20), fixed.folders.value);
    // The message table's "LV" row: owning table at N-29, long-value root at N-19.
    std::size_t lv = findName("LV");
    while (lv != std::string::npos && get32(c, lv - 29) != kMessageObjectId) lv = findName("LV", lv + 1);
    ASSERT_NE(lv, std::string::npos);
    EXPECT_EQ(c[lv - 1], 0);
    EXPECT_EQ(get32(c, lv - 19), fixed.longValues.value);
    // A property column: owning table at N-29, column id at N-23, column type at N-19.
    const std::size_t col = findName("S3613");
    ASSERT_NE(col, std::string::npos);
    EXPECT_EQ(get32(c, col - 29), kFoldersObjectId);
    EXPECT_EQ(get16(c, col - 23), 0x0147);
    EXPECT_EQ(get32(c, col - 19), static_cast<std::uint32_t>(ese::ColumnType::LongText));
  } else {
    const std::string key = g.manifest["mailboxes"][0]["key"];
    const std::size_t body = findName("Body-" + key);
    ASSERT_NE(body, std::string::npos);
    const std::size_t header = findName("MsgHeader-" + key);
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(c[header - 2], ("MsgHeader-" + key).size());
    std::uint32_t headerObject = 0;
    for (const auto& t : g.manifest["tables"]) {
      if (t["name"] == "MsgHeader-" + key) headerObject = t["objectId"];
    }
    EXPECT_EQ(get32(c, header - 30), headerObject);
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenFormat,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

TEST(StoregenMailboxKey, FollowsTheStoreNaming) {
  EXPECT_EQ(mailboxKeyText({0x04, 0x00, 0x00, 0x00, 0x48, 0xA0, 0x67, 0x56}), "4-48A06756");
  EXPECT_EQ(mailboxKeyText({0x1C, 0x00, 0x00, 0x07, 0x00, 0x05, 0x00, 0x01}), "1C-700050001");
}

}  // namespace
}  // namespace tarnwick::storegen
