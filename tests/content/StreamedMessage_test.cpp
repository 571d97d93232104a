#include "content/StreamedMessage.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tarnwick::content {
namespace {

using testing::Bytes;
using testing::makeLeafPage;
using testing::putU16;
using testing::putU32;
using testing::putU64;

struct TestRun {
  std::int32_t end;
  std::int64_t offset;
};

Bytes descriptor(std::uint32_t total, std::vector<TestRun> runs, std::int16_t count = -1) {
  Bytes d(RunDescriptorLayout::kFirstRunOffset + 8 + 24 * (runs.empty() ? 0 : runs.size() - 1), 0);
  putU32(d, 0, total);
  putU16(d, 8, static_cast<std::uint16_t>(count < 0 ? static_cast<std::int16_t>(runs.size()) : count));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    putU32(d, 0x18 + 24 * i, static_cast<std::uint32_t>(runs[i].end));
    putU64(d, 0x20 + 24 * i, static_cast<std::uint64_t>(runs[i].offset));
  }
  return d;
}

Bytes streamFile() {
  Bytes s(20000);
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return s;
}

Bytes slice(const Bytes& b, std::size_t at, std::size_t n) {
  return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n));
}

Bytes copyAll(const Bytes& desc, const Bytes& stream, RunCopyEnd* end = nullptr, std::uint64_t gathered = UINT64_MAX) {
  Bytes out;
  store::MemoryByteSource src(stream);
  RunCopyResult r = copyStreamRuns(
      RunDescriptor(desc), src, [&](std::span<const std::uint8_t> b) { out.insert(out.end(), b.begin(), b.end()); },
      gathered);
  if (end != nullptr) *end = r.end;
  EXPECT_EQ(r.written, out.size());
  return out;
}

TEST(StreamRuns, CopiesRunsInOrderAndGivesTheLastRunWhatTheTotalNeeds) {
  Bytes s = streamFile();
  // Runs of 100 and 9000 bytes; the last run's end field disagrees with the total.
  Bytes got = copyAll(descriptor(9100, {{100, 5000}, {1, 300}}), s);
  Bytes want = slice(s, 5000, 100);
  Bytes second = slice(s, 300, 9000);
  want.insert(want.end(), second.begin(), second.end());
  EXPECT_EQ(got, want);
}

TEST(StreamRuns, StopsAtTheTotalEvenInsideARun) {
  Bytes s = streamFile();
  EXPECT_EQ(copyAll(descriptor(50, {{10000, 0}, {10001, 10}}), s), slice(s, 0, 50));
  EXPECT_TRUE(copyAll(descriptor(0, {}), s).empty());
}

TEST(StreamRuns, EndsAtARunBeyondTheStreamOrBeyondTheDescriptor) {
  Bytes s = streamFile();
  RunCopyEnd end{};
  EXPECT_EQ(copyAll(descriptor(200, {{100, 0}, {200, 30000}}), s, &end), slice(s, 0, 100));
  EXPECT_EQ(end, RunCopyEnd::RunBeyondStream);
  // The count promises three runs but the bytes hold one.
  EXPECT_EQ(copyAll(descriptor(300, {{100, 0}}, 3), s, &end), slice(s, 0, 100));
  EXPECT_EQ(end, RunCopyEnd::DescriptorEnded);
  // Enough bytes, but only the first run's entry was gathered.
  EXPECT_EQ(copyAll(descriptor(300, {{100, 0}, {300, 0}}), s, &end, 0x20), slice(s, 0, 100));
  EXPECT_EQ(end, RunCopyEnd::DescriptorEnded);
  // Too short for a header: nothing.
  EXPECT_TRUE(copyAll(Bytes{1, 2, 3}, s).empty());
}

class StreamedFile : public ::testing::Test {
 protected:
  std::string path = ::testing::TempDir() + "streamed_" + std::to_string(::getpid()) + ".eml";
  void TearDown() override { std::remove(path.c_str()); }
  Bytes readBack() {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(StreamedFile, InlineDescriptorFollowsItsFormatByte) {
  Bytes s = streamFile();
  Bytes db(3 * 4096, 0);
  Bytes d = descriptor(1000, {{600, 100}, {1000, 8000}});
  db[4096 + 50] = 0x0B;
  testing::putBytes(db, 4096 + 51, d);
  store::MemoryByteSource dbSrc(db), stmSrc(s);
  store::StoreGeometry g = store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size()));
  ASSERT_TRUE(extractStreamedMessage(dbSrc, &stmSrc, g, {}, {4096 + 50, 200}, path));
  Bytes want = slice(s, 100, 600);
  Bytes second = slice(s, 8000, 400);
  want.insert(want.end(), second.begin(), second.end());
  EXPECT_EQ(readBack(), want);
  EXPECT_FALSE(extractStreamedMessage(dbSrc, nullptr, g, {}, {4096 + 50, 200}, path));
  EXPECT_FALSE(extractStreamedMessage(dbSrc, &stmSrc, g, {}, {db.size() + 1, 200}, path));
  testing::putU64(db, 4096 + 51 + 0x20 + 24, 999999);
  EXPECT_FALSE(extractStreamedMessage(dbSrc, &stmSrc, g, {}, {4096 + 50, 200}, path));
  EXPECT_EQ(readBack(), slice(s, 100, 600));
}

TEST_F(StreamedFile, DescriptorInChunksIsGatheredAtChunkStrides) {
  // 200 runs of 10 bytes: a run table of 4832 bytes, spread over two chunks.
  std::vector<TestRun> runs;
  for (int i = 0; i < 200; ++i) runs.push_back({10 * (i + 1), 19990 - 100 * i});
  Bytes d = descriptor(2000, runs);
  const std::uint32_t stride = 4096 - kChunkOverhead;
  Bytes first(d.begin(), d.begin() + stride);
  Bytes second(d.begin() + stride, d.end());
  std::vector<std::uint32_t> p1, p2;
  Bytes prefix{8, 0, 0, 0};
  Bytes rec1 = prefix;
  rec1.insert(rec1.end(), first.begin(), first.end());
  Bytes rec2 = prefix;
  rec2.insert(rec2.end(), second.begin(), second.end());
  Bytes db(4096, 0);
  Bytes page1 = makeLeafPage(4096, store::PageSizeClass::Page4K, {rec2}, &p1);
  Bytes page2 = makeLeafPage(4096, store::PageSizeClass::Page4K, {Bytes(30, 1), rec1}, &p2);
  db.insert(db.end(), page1.begin(), page1.end());
  db.insert(db.end(), page2.begin(), page2.end());
  // Listed from the last chunk to the first, as the page list names a long value's pages,
  // with a stray chunk in between: each chunk is placed by its offset and the whole run
  // table is gathered, so all 2000 bytes come back.
  std::vector<ChunkLocation> chunks{{4096 + p1[0] + 4, stride}, {12, 77}, {8192 + p2[1] + 4, 0}};
  Bytes s = streamFile();
  store::MemoryByteSource dbSrc(db), stmSrc(s);
  store::StoreGeometry g = store::makeStoreGeometry(4096, static_cast<std::int64_t>(db.size()));
  Bytes want;
  for (int i = 0; i < 200; ++i) {
    Bytes part = slice(s, static_cast<std::size_t>(19990 - 100 * i), 10);
    want.insert(want.end(), part.begin(), part.end());
  }
  ASSERT_TRUE(extractStreamedMessage(dbSrc, &stmSrc, g, chunks, {0, 5}, path));
  EXPECT_EQ(readBack(), want);
  // In list order the same; a later chunk claiming offset 0 again does not replace the first.
  std::swap(chunks[0], chunks[2]);
  chunks.push_back({12, 0});
  ASSERT_TRUE(extractStreamedMessage(dbSrc, &stmSrc, g, chunks, {0, 5}, path));
  EXPECT_EQ(readBack(), want);
  chunks.pop_back();
  // Without the second chunk the run table ends with what the first holds (run 166 is the
  // last whole entry in 4014 bytes).
  ASSERT_TRUE(extractStreamedMessage(dbSrc, &stmSrc, g, std::span(chunks).first(1), {0, 5}, path));
  EXPECT_EQ(readBack().size(), 166u * 10);
  // No chunk at offset 0: nothing to copy, an empty file.
  ASSERT_TRUE(extractStreamedMessage(dbSrc, &stmSrc, g, std::span(chunks).subspan(2), {0, 0}, path));
  EXPECT_TRUE(readBack().empty());
}

}  // namespace
}  // namespace tarnwick::content
