#include "content/AttachmentData.h"
#include "content/SafeFileName.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tarnwick::content {
namespace {

using namespace testing;

TEST(SafeFileName, NamesFromTheStoreNeverBecomePaths) {
  EXPECT_EQ(narrow(safeFileName(u"report.pdf")), "report.pdf");
  EXPECT_EQ(narrow(safeFileName(u"../../etc/passwd")), "______etc_passwd");
  EXPECT_EQ(narrow(safeFileName(u"C:\\temp\\a.txt")), "C__temp_a.txt");
  EXPECT_EQ(narrow(safeFileName(u"..")), "__");
  EXPECT_EQ(narrow(safeFileName(u".")), "attachment");
  EXPECT_EQ(narrow(safeFileName(u"a\x01"
                                u"b?.txt. ")),
            "a_b_.txt");
  EXPECT_EQ(safeFileName(u"r\u00e9sum\u00e9.doc"), u"r\u00e9sum\u00e9.doc");
  EXPECT_EQ(narrow(safeFileName(u"", u"file1")), "file1");
}

TEST(AttachmentData, InlineAndChunkedData) {
  Bytes db(3 * 4096, 0);
  Bytes value{0x00};
  append(value, "inline data");
  putBytes(db, 5000, value);
  store::MemoryByteSource src(db);
  store::StoreGeometry g = store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size()));
  std::filesystem::path work = std::filesystem::path(::testing::TempDir()) / ("att_" + std::to_string(::getpid()));
  analysis::AttachmentItem inlineItem;
  inlineItem.dataLength = static_cast<std::int16_t>(value.size());
  inlineItem.dataOffset = store::FileOffset(5001);
  inlineItem.fileName = u"a.txt";
  auto data = readAttachmentData(src, g, inlineItem, work);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->begin(), data->end()), "inline data");

  Bytes rec{8, 0, 0, 0};
  append(rec, "chunk data");
  std::vector<std::uint32_t> at;
  putBytes(db, 8192, makeLeafPage(4096, store::PageSizeClass::Page4K, {rec}, &at));
  store::MemoryByteSource chunked(db);
  analysis::AttachmentItem longItem;
  longItem.dataLength = 5;
  longItem.fileName = u"b.bin";
  EXPECT_FALSE(readAttachmentData(chunked, g, longItem, work));
  longItem.chunks.addChunkRef(store::FileOffset(8192 + at[0] + 4), 0);
  data = readAttachmentData(chunked, g, longItem, work);
  ASSERT_TRUE(data);
  EXPECT_EQ(std::string(data->begin(), data->end()), "chunk data");
}

}  // namespace
}  // namespace tarnwick::content
