// Long-value pages as the engine writes them: tag 0 sits at the end of the tag array (the
// slots list it last) while its record, the key the page's nodes share, is the page's first
// record. Nodes leave out what they share with it, and the page reader takes the missing
// key byte and offset byte from that record, whatever the order of the slots.
#include "analysis/LongValuePageReader.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tarnwick::analysis {
namespace {

using testing::appendBytes;
using testing::Bytes;
using testing::makeLeafPage;

// Reverses the tag array, so that the first record's tag is tag 0, stored last.
void engineTagOrder(Bytes& page, std::size_t tags) {
  for (std::size_t i = 0, j = tags - 1; i < j; ++i, --j) {
    std::swap_ranges(page.end() - static_cast<std::ptrdiff_t>(4 * (i + 1)),
                     page.end() - static_cast<std::ptrdiff_t>(4 * i),
                     page.end() - static_cast<std::ptrdiff_t>(4 * (j + 1)));
  }
}

TEST(LongValueFirstRecord, LargePageChunksTakeKeyAndOffsetHighByteFromTheSharedKey) {
  // Long value 7, chunks at 9 x 8150 = 0x011E86 and 10 x 8150 = 0x013E5C.
  const Bytes shared{0, 0, 0, 7, 0x00, 0x01, 0x1E, 0x86};
  Bytes whole{0x08, 0xA0, 0, 0};  // the whole key is shared
  whole.resize(200, 0x5A);
  Bytes suffixed{0x06, 0xA0, 0x02, 0x00, 0x3E, 0x5C};  // two key bytes of its own
  suffixed.resize(120, 0xC3);
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(32768, store::PageSizeClass::Page32K, {shared, whole, suffixed}, &at);
  engineTagOrder(page, 3);
  const std::vector<LongValueChunk> chunks = readLongValueChunks(page, store::PageSizeClass::Page32K);
  ASSERT_EQ(chunks.size(), 2u);
  const std::array<std::uint8_t, 2> key{0x00, 0x07};
  EXPECT_EQ(chunks[0].key, key);
  EXPECT_EQ(chunks[0].chunkOffset, 9u * 8150);
  EXPECT_EQ(chunks[0].dataPosition, at[1] + 4);
  EXPECT_EQ(chunks[1].key, key);
  EXPECT_EQ(chunks[1].chunkOffset, 10u * 8150);
  EXPECT_EQ(chunks[1].dataPosition, at[2] + 6);
}

TEST(LongValueFirstRecord, SmallPageKeyRepairUsesTheSharedKeyNotTheLastSlot) {
  // A key whose first byte is 0 takes byte 2 of the first record: here the shared key of
  // value 0x0312 (bytes 00 00 03 12), while the highest tag's record has 0x44 there.
  const std::uint32_t c = 4096 - 82;
  const Bytes shared{0, 0, 0x03, 0x12, 0, 0, 0, 0};
  Bytes chunk{8, 0, 0, 0, 0x00, 0x12, 0, 0, 0, 0};
  chunk.resize(300, 0x44);
  Bytes tail{0, 0, 0x00, 0x12};
  appendBytes(tail, Bytes{0, 0, static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
  tail.resize(60, 0x44);
  std::vector<std::uint32_t> at;
  Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K, {shared, chunk, tail}, &at);
  engineTagOrder(page, 3);
  const std::vector<LongValueChunk> chunks = readLongValueChunks(page, store::PageSizeClass::Page4K);
  ASSERT_FALSE(chunks.empty());
  for (const LongValueChunk& k : chunks) EXPECT_EQ(k.key, (std::array<std::uint8_t, 2>{0x03, 0x12})) << k.chunkOffset;
}

}  // namespace
}  // namespace tarnwick::analysis
