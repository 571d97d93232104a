#include "store/PageReader.h"
#include "platform/StoreFile.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tarnwick::store {
namespace {

TEST(PageReader, ReusedBufferNeverShowsThePreviousPage) {
  testing::ScratchDir dir;
  std::vector<std::uint8_t> bytes(4096 * 3 + 100);
  std::iota(bytes.begin(), bytes.end(), 1);
  StoreFile f;
  ASSERT_TRUE(f.Open(dir.write("s.edb", bytes)));
  const auto g = makeStoreGeometry(4096, static_cast<std::int64_t>(bytes.size()));
  std::vector<std::uint8_t> buffer;

  auto page = readPage(f, g, pageOffset(g, PageNumber(1)), 4096, buffer);
  ASSERT_EQ(page.size(), 4096u);
  EXPECT_EQ(page[0], bytes[8192]);
  EXPECT_EQ(page[4095], bytes[8192 + 4095]);

  // The last page has 100 bytes in the file: the rest reads as zero, not as page 1.
  page = readPage(f, g, FileOffset(4096 * 3), 4096, buffer);
  ASSERT_EQ(page.size(), 4096u);
  EXPECT_EQ(page[99], bytes[4096 * 3 + 99]);
  EXPECT_TRUE(std::all_of(page.begin() + 100, page.end(), [](std::uint8_t b) { return b == 0; }));

  // A shorter read length (the first bytes of a child page) zeroes the rest too.
  page = readPage(f, g, FileOffset(4096), 100, buffer);
  EXPECT_EQ(page[99], bytes[4096 + 99]);
  EXPECT_EQ(page[100], 0);

  EXPECT_TRUE(readPage(f, g, FileOffset(static_cast<std::int64_t>(bytes.size())), 4096, buffer).empty());
  EXPECT_TRUE(readPage(f, g, FileOffset(-1), 4096, buffer).empty());
}

}  // namespace
}  // namespace tarnwick::store
