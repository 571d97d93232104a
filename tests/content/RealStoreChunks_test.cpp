// Long-value chunks of a real ESE database written by Windows' own engine: the page
// reader must find the stored value and its chunk length must come out whole.
#include "DecoderTestData.h"
#include "analysis/LongValuePageReader.h"
#include "content/LongValueChunks.h"
#include "content/StoredValueReader.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <string>

namespace tarnwick::content {
namespace {

TEST(RealStoreChunks, LongAsciiValueOfTextEdb) {
  std::vector<std::uint8_t> db = test::readEseSample("text.edb");
  if (db.empty()) GTEST_SKIP() << "text.edb not available";
  store::MemoryByteSource src(db);
  const std::uint32_t pageSize = 4096;
  store::StoreGeometry g = store::makeStoreGeometry(pageSize, static_cast<std::int64_t>(db.size()));
  const std::string want = "Long ASCII text " + std::string(1024, 'a');
  std::optional<ChunkLocation> found;
  for (std::size_t off = 2 * pageSize; off + pageSize <= db.size() && !found; off += pageSize) {
    std::span<const std::uint8_t> page(db.data() + off, pageSize);
    for (const analysis::LongValueChunk& c : analysis::readLongValueChunks(page, store::PageSizeClass::Page4K)) {
      std::vector<std::uint8_t> bytes = readChunkBytes(src, g, off + c.dataPosition, pageSize);
      if (std::string(bytes.begin(), bytes.end()) == want) {
        EXPECT_EQ(c.chunkOffset, 0u);
        found = ChunkLocation{off + c.dataPosition, c.chunkOffset};
        break;
      }
    }
  }
  ASSERT_TRUE(found) << "the LongASCII value was not found whole";
  std::filesystem::path work = std::filesystem::path(::testing::TempDir()) / ("real_" + std::to_string(::getpid()));
  std::optional<StoredBody> body =
      readStoredValue(src, g, std::vector<ChunkLocation>{*found}, store::BodySource::Other, {0, 5}, work);
  ASSERT_TRUE(body);
  EXPECT_EQ(body->form, BodyForm::EightBitText);
  EXPECT_EQ(std::string(body->bytes.begin(), body->bytes.end()), want);
}

}  // namespace
}  // namespace tarnwick::content
