// Each size threshold of the format once: data trees of one and two levels, a subnode
// tree of two levels, B-trees of three levels, a table larger than one block and a file
// of several allocation regions; the oracle must read the bytes back.
#include <gtest/gtest.h>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "pst/messaging/PropTags.h"
#include "tools/pstsample/SampleStore.h"

namespace tarnwick::pst {
namespace {

using namespace testing;

TEST(SizeThresholds, EveryTreeShapeIsWrittenAndReadBack) {
  ScratchDir dir("thresholds");
  pstsample::SampleOptions o;
  o.output = dir / "big.pst";
  o.workDir = dir / "work";
  o.bulkMessages = 400;
  o.largeAttachmentBytes = 9'000'000;  // more than 1,021 blocks of 8,176 bytes
  o.manyAttachments = 345;             // more subnodes than one SLBLOCK holds
  pstsample::writeSampleStore(o);

  PstTestReader r(o.output);
  EXPECT_EQ(r.nbtDepth(), 3);
  EXPECT_EQ(r.bbtDepth(), 3);
  EXPECT_GT(r.fileSize(), 30u * 253952u);
  EXPECT_TRUE(r.verifyTrailers().empty());
  EXPECT_EQ(pstcheckProblems(o.output), "");
  auto maps = r.verifyAllocationMaps();
  EXPECT_TRUE(maps.empty()) << maps.front();

  bool twoLevelData = false, oneLevelData = false, twoLevelSubnodes = false;
  for (const auto& [nid, n] : r.nodes()) {
    if ((nid & 0x1F) != 0x04) continue;
    int subLevels = 0;
    auto subs = r.readSubnodes(n.sub, &subLevels);
    if (subLevels == 2) twoLevelSubnodes = true;
    for (const auto& [snid, s] : subs) {
      if ((snid & 0x1F) != 0x05) continue;
      auto inner = r.readSubnodes(s.second);
      for (const auto& [dnid, d] : inner) {
        int levels = 0;
        auto bytes = r.readData(d.first, &levels);
        if (levels == 2) {
          twoLevelData = true;
          std::string expected = readText(o.workDir / "large.bin");
          EXPECT_EQ(bytes, std::vector<std::uint8_t>(expected.begin(), expected.end()));
        }
        if (levels == 1) oneLevelData = true;  // photo.bin: 100,000 bytes
      }
    }
  }
  EXPECT_TRUE(twoLevelData);
  EXPECT_TRUE(oneLevelData);
  EXPECT_TRUE(twoLevelSubnodes);

  if (!toolAvailable("pffexport")) GTEST_SKIP() << "pffexport not installed";
  std::string out;
  ASSERT_EQ(runCommand("cd " + shellQuoted(dir.path()) + " && pffexport -q -t x big.pst", &out), 0) << out;
  auto mailbox = dir / "x.export" / "Top of Outlook data file" / "Mailbox";
  int bulk = 0;
  for (const auto& e : std::filesystem::directory_iterator(mailbox / "Bulk"))
    if (e.is_directory()) ++bulk;
  EXPECT_EQ(bulk, 400);
  std::filesystem::path large, many;
  for (const auto& e : std::filesystem::recursive_directory_iterator(mailbox)) {
    if (e.path().filename() == "1_large.bin") large = e.path();
    if (e.path().filename() == "345_part344.txt") many = e.path();
  }
  ASSERT_FALSE(large.empty());
  EXPECT_EQ(readText(large), readText(o.workDir / "large.bin"));
  ASSERT_FALSE(many.empty());
  EXPECT_EQ(readText(many), readText(o.workDir / "part344.txt"));
}

}  // namespace
}  // namespace tarnwick::pst
