// A store past 2 GB: the allocation maps of the far regions (FMap, FPMap) and 64-bit
// offsets everywhere. Run with --long; needs about 2.3 GB of disk.
#include <gtest/gtest.h>

#include <fstream>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "platform/FileTime.h"
#include "pst/PstMailWriter.h"

namespace tarnwick::pst {
namespace {

using namespace testing;

TEST(LargeFile, StorePastTwoGigabytesStaysReadable) {
  ScratchDir dir("past-2gb");
  auto chunk = dir / "chunk.bin";
  {
    std::ofstream out(chunk, std::ios::binary);
    std::vector<char> block(1 << 20);
    std::uint32_t x = 1;
    for (int mb = 0; mb < 200; ++mb) {
      for (char& c : block) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }
  {
    PstMailWriter w;
    w.CreateStore((dir / "large.pst").string(), "L");
    for (int i = 0; i < 12; ++i)
      w.AddMessage("\\\\L\\Inbox", "Part " + std::to_string(i), "a@b.example", "", utcFileTime(2020, 1, 1, 10, 0, 0),
                   chunk.string() + ";", "body", BodyKind::Utf16Text, "", "");
    w.AddMessage("\\\\L\\Inbox", "Last", "a@b.example", "", utcFileTime(2020, 1, 1, 10, 0, 0), "", "after 2 GB",
                 BodyKind::Utf16Text, "", "");
    w.CloseStore();
  }
  EXPECT_GT(std::filesystem::file_size(dir / "large.pst"), 2'200'000'000ull);
  EXPECT_EQ(pstcheckProblems(dir / "large.pst"), "");
  std::string out;
  ASSERT_EQ(runCommand("pffinfo " + shellQuoted(dir / "large.pst"), &out), 0) << out;
  // lspst walks every node without exporting the 2.4 GB of attachments again.
  ASSERT_EQ(runCommand("lspst " + shellQuoted(dir / "large.pst"), &out), 0) << out;
  EXPECT_NE(out.find("Subject: Last"), std::string::npos) << out;
  EXPECT_NE(out.find("Subject: Part 11"), std::string::npos) << out;
  // The last message lies past 2 GB: export just that folder's last item through libpff.
  ASSERT_EQ(runCommand("cd " + shellQuoted(dir.path()) +
                           " && pffexport -q -m items -t x large.pst >/dev/null; "
                           "cat 'x.export/Top of Outlook data file/Inbox/Message00013/Message.txt'",
                       &out),
            0);
  EXPECT_EQ(out, "after 2 GB");
}

}  // namespace
}  // namespace tarnwick::pst
