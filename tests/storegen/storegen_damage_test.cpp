// Damage on request: exactly the pages the manifest lists differ from the same store
// written without damage, in the way asked for; truncation cuts the file to the size given.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "StoreFixture.h"
#include "tools/storegen/Bytes.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {
namespace {

using testing::ScratchDir;

class StoregenDamage : public ::testing::TestWithParam<StoreFormat> {};

TEST_P(StoregenDamage, OnlyTheListedPagesChangeAsAsked) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir clean(std::string("damage-clean-") + std::string(traits.name));
  ScratchDir damaged(std::string("damage-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  s.randomSeed = 9;
  const auto original = testing::readFile(testing::generate(s, clean.path()).edb);
  s.damage.zeroPages = 3;
  s.damage.randomPages = 2;
  s.damage.scrambleTagPages = 2;
  s.damage.zeroPageList = {4};
  const auto g = testing::generate(s, damaged.path());
  const auto bytes = testing::readFile(g.edb);
  ASSERT_EQ(bytes.size(), original.size());

  const auto& d = g.manifest["damage"];
  const auto zeroed = d["zeroedPages"].get<std::vector<std::uint32_t>>();
  const auto random = d["randomPages"].get<std::vector<std::uint32_t>>();
  const auto scrambled = d["scrambledTagPages"].get<std::vector<std::uint32_t>>();
  EXPECT_EQ(zeroed.size(), 4u);
  EXPECT_EQ(random.size(), 2u);
  EXPECT_EQ(scrambled.size(), 2u);
  EXPECT_TRUE(std::find(zeroed.begin(), zeroed.end(), 4u) != zeroed.end());
  std::set<std::uint32_t> listed(zeroed.begin(), zeroed.end());
  listed.insert(random.begin(), random.end());
  listed.insert(scrambled.begin(), scrambled.end());
  EXPECT_EQ(listed.size(), 8u) << "a page was damaged twice";
  EXPECT_EQ(listed.count(1), 0u) << "the database root page is never picked";

  const std::uint32_t ps = traits.pageSize;
  const std::uint32_t pages = static_cast<std::uint32_t>(bytes.size() / ps);
  for (std::uint32_t block = 0; block < pages; ++block) {
    const std::uint32_t page = block >= 2 ? block - 1 : 0;
    const auto at = static_cast<std::ptrdiff_t>(block) * ps;
    const bool same = std::equal(bytes.begin() + at, bytes.begin() + at + ps, original.begin() + at);
    if (block < 2 || !listed.count(page)) {
      EXPECT_TRUE(same) << "page " << page << " changed without being listed";
      continue;
    }
    const std::span<const std::uint8_t> now(bytes.data() + at, ps);
    if (std::count(zeroed.begin(), zeroed.end(), page)) {
      EXPECT_TRUE(std::all_of(now.begin(), now.end(), [](std::uint8_t b) { return b == 0; })) << page;
    } else if (std::count(scrambled.begin(), scrambled.end(), page)) {
      // The header and data stay; only the tag array changes.
      const std::uint32_t tags = std::max<std::uint32_t>(get16(now, 34), 1);
      const auto tagStart = static_cast<std::ptrdiff_t>(ps - tags * 4);
      EXPECT_TRUE(std::equal(bytes.begin() + at, bytes.begin() + at + tagStart, original.begin() + at)) << page;
      EXPECT_FALSE(same) << page;
    } else {
      EXPECT_FALSE(same) << page;
    }
  }
}

TEST_P(StoregenDamage, TruncationCutsTheFile) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("truncate-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  s.damage.truncateTo = 10ull * traits.pageSize + 123;
  const auto g = testing::generate(s, dir.path());
  EXPECT_EQ(std::filesystem::file_size(g.edb), 10ull * traits.pageSize + 123);
  EXPECT_EQ(g.manifest["damage"]["truncatedTo"], 10ull * traits.pageSize + 123);
  EXPECT_EQ(g.manifest["fileSize"], 10ull * traits.pageSize + 123);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenDamage,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

TEST(StoregenDamageRequest, MorePagesThanTheStoreHasIsRefused) {
  ScratchDir dir("damage-too-many");
  Scenario s;
  s.format = StoreFormat::Exchange2010;
  s.damage.zeroPages = 100000;
  EXPECT_THROW(testing::generate(s, dir.path()), std::invalid_argument);
}

}  // namespace
}  // namespace tarnwick::storegen
