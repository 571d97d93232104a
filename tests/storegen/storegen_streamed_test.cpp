// Streamed messages of 4 KB stores: every message whose Internet form the generator put in
// the streaming file comes back byte for byte through the streamed-message reader, its runs
// lie scattered and out of order among noise, and its headers say what its header row says.

#include <gmime/gmime.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "StoreFixture.h"
#include "content/RunDescriptor.h"
#include "content/StreamedMessage.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"
#include "tools/storegen/EseLayout.h"
#include "tools/storegen/RunDescriptorEncoding.h"
#include "tools/storegen/StoreWriter.h"
#include "tools/storegen/StreamingFileWriter.h"

namespace tarnwick::storegen {
namespace {

constexpr std::uint64_t kPage = 4096;
constexpr std::uint64_t kChunkData = kPage - 82;  // data bytes of one long-value chunk

struct Written {
  StoreReport report;
  std::vector<std::uint8_t> stm;
  std::vector<const MessagePlan*> streamed;
};

Written writeFourK(std::uint64_t rngValue, const testing::ScratchDir& dir) {
  Scenario s;
  s.format = StoreFormat::Exchange2003;
  s.randomSeed = rngValue;
  Written w;
  w.report = writeStore(s, dir.path().string());
  w.stm = testing::readFile(w.report.stmPath);
  for (const MessagePlan& m : w.report.messages) {
    if (m.content.bodyForm == BodyForm::Streamed) w.streamed.push_back(&m);
  }
  return w;
}

std::string copyThroughReader(std::span<const std::uint8_t> descriptor, const std::vector<std::uint8_t>& stm,
                              content::RunCopyEnd* end) {
  store::MemoryByteSource stream(stm);
  std::string out;
  const content::RunCopyResult r =
      content::copyStreamRuns(content::RunDescriptor(descriptor), stream,
                              [&out](std::span<const std::uint8_t> b) { out.append(b.begin(), b.end()); });
  *end = r.end;
  return out;
}

// Empty when equal; otherwise where the two first differ, without printing whole messages.
std::string difference(const std::string& got, const std::string& want) {
  if (got == want) return "";
  const auto at = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
  return "differs at byte " + std::to_string(at.first - got.begin()) + " (got " + std::to_string(got.size()) +
         " bytes, want " + std::to_string(want.size()) + ")";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(StreamedMessages, ComeBackByteForByteThroughTheReader) {
  for (std::uint64_t rngValue : {1ull, 7ull, 23ull}) {
    SCOPED_TRACE("rng " + std::to_string(rngValue));
    testing::ScratchDir dir("streamed-" + std::to_string(rngValue));
    const Written w = writeFourK(rngValue, dir);
    ASSERT_GE(w.streamed.size(), 6u);
    std::size_t inlineCount = 0, longValues = 0, multiChunk = 0, underAPage = 0, severalPages = 0, mixed = 0;
    std::size_t runs = 0;
    for (const MessagePlan* m : w.streamed) {
      const MessageContentPlan& c = m->content;
      content::RunCopyEnd end{};
      EXPECT_EQ(difference(copyThroughReader(c.runDescriptor, w.stm, &end), c.internetMessage), "")
          << "message " << m->id;
      EXPECT_EQ(end, content::RunCopyEnd::Complete);
      EXPECT_EQ(difference(std::string(c.expectedBody.begin(), c.expectedBody.end()), c.internetMessage), "");
      runs += decodeRunDescriptor(c.runDescriptor).size();
      if (c.runDescriptorPlacement == ValuePlacement::Inline) {
        ++inlineCount;
        // Through the reader's own entry point: the descriptor after its flags byte in a
        // database image, noise after it, as a record holds it.
        std::vector<std::uint8_t> db(3 * kPage, 0xA5);
        const std::uint64_t at = kPage + 123;
        db[at] = 0;
        std::copy(c.runDescriptor.begin(), c.runDescriptor.end(), db.begin() + static_cast<std::ptrdiff_t>(at + 1));
        store::MemoryByteSource dbSource(db), stmSource(w.stm);
        store::StoreGeometry geometry;
        geometry.PageSize = static_cast<int>(kPage);
        geometry.PageSizeClass = store::PageSizeClass::Page4K;
        content::StoredValueLocation location;
        location.position = at;
        location.length = static_cast<std::int32_t>(c.runDescriptor.size() + 1);
        const std::string out = (dir.path() / "TarnBody.eml").string();
        ASSERT_TRUE(content::extractStreamedMessage(dbSource, &stmSource, geometry, {}, location, out));
        EXPECT_EQ(difference(slurp(out), c.internetMessage), "") << "message " << m->id;
      } else {
        ++longValues;
        EXPECT_GT(c.runDescriptor.size(), 1024u);  // a long value in any case
        if (c.runDescriptor.size() > kChunkData) ++multiChunk;
      }
      if (c.internetMessage.size() < kPage) ++underAPage;
      if (c.internetMessage.size() > 3 * kPage) ++severalPages;
      if (c.internetMessage.find("multipart/mixed") != std::string::npos) ++mixed;
    }
    EXPECT_GT(inlineCount, 0u);
    EXPECT_GT(longValues, 0u);
    EXPECT_GT(multiChunk, 0u);
    EXPECT_GT(underAPage, 0u);
    EXPECT_GT(severalPages, 0u);
    EXPECT_GT(mixed, 0u);
    std::printf("rng %llu: %zu streamed (%zu inline, %zu long values, %zu over a chunk), %zu runs, stm %zu bytes\n",
                static_cast<unsigned long long>(rngValue), w.streamed.size(), inlineCount, longValues, multiChunk, runs,
                w.stm.size());
  }
}

TEST(StreamedMessages, RunsLieScatteredOutOfOrderAmongNoise) {
  testing::ScratchDir dir("streamed-layout");
  const Written w = writeFourK(5, dir);
  ASSERT_FALSE(w.streamed.empty());
  // Same rng, same streaming file.
  {
    testing::ScratchDir again("streamed-layout-again");
    EXPECT_EQ(writeFourK(5, again).stm, w.stm);
  }
  std::map<std::uint64_t, int> runsOnPage;
  std::vector<bool> covered(w.stm.size(), false);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
  for (const MessagePlan* m : w.streamed) {
    const std::vector<StreamRun> runs = decodeRunDescriptor(m->content.runDescriptor);
    ASSERT_GT(runs.size(), 1u);
    bool ascending = true;
    for (std::size_t i = 1; i < runs.size(); ++i)
      ascending = ascending && runs[i].streamOffset > runs[i - 1].streamOffset;
    EXPECT_FALSE(ascending) << "runs in content order";
    for (const StreamRun& r : runs) {
      ASSERT_GE(r.streamOffset, 2 * kPage);
      ASSERT_LE(r.streamOffset + r.length, w.stm.size());
      for (std::uint64_t p = r.streamOffset / kPage; p <= (r.streamOffset + r.length - 1) / kPage; ++p) ++runsOnPage[p];
      spans.emplace_back(r.streamOffset, r.streamOffset + r.length);
      for (std::uint64_t b = r.streamOffset; b < r.streamOffset + r.length; ++b) {
        ASSERT_FALSE(covered[b]) << "two runs share byte " << b;
        covered[b] = true;
      }
    }
  }
  // Some runs have their pages to themselves, some pages hold several runs.
  std::size_t alone = 0, shared = 0;
  for (const auto& [from, to] : spans) {
    bool sharesAPage = false;
    for (std::uint64_t p = from / kPage; p <= (to - 1) / kPage; ++p) sharesAPage = sharesAPage || runsOnPage[p] > 1;
    ++(sharesAPage ? shared : alone);
  }
  EXPECT_GT(alone, 0u);
  EXPECT_GT(shared, 0u);
  // Every byte of the content pages that no run holds is noise, not zero fill.
  std::size_t noise = 0, zeros = 0;
  for (std::size_t b = 2 * kPage; b < w.stm.size(); ++b) {
    if (covered[b]) continue;
    ++noise;
    zeros += w.stm[b] == 0;
  }
  EXPECT_GT(noise, 0u);
  EXPECT_LT(zeros * 64, noise);
  // The header pages are those of a streaming file, as before.
  EXPECT_EQ(get32(w.stm, ese::header::kFileType), ese::header::kFileTypeStreaming);
  EXPECT_EQ(get32(w.stm, kPage + ese::header::kFileType), ese::header::kFileTypeStreaming);
}

TEST(StreamedMessages, OverlappingRunsAreRefused) {
  testing::ScratchDir dir("streamed-overlap");
  std::vector<MessagePlan> messages(2);
  for (std::size_t i = 0; i < 2; ++i) {
    MessageContentPlan& c = messages[i].content;
    c.bodyForm = BodyForm::Streamed;
    c.internetMessage = std::string(100, static_cast<char>('a' + i));
    const StreamRun runs[] = {{0, 60, 2 * kPage + 40 * i}, {60, 40, 3 * kPage}};
    c.runDescriptor = encodeRunDescriptor(100, runs);
  }
  Rng noise(1);
  const std::vector<std::uint8_t> header(kPage, 0);
  const std::string path = (dir.path() / "store.stm").string();
  EXPECT_THROW(writeStreamingFile(path, traitsOf(StoreFormat::Exchange2003), header, messages, noise),
               std::logic_error);
  // Apart, the same runs are written where they say.
  messages[1].content.runDescriptor =
      encodeRunDescriptor(100, std::vector<StreamRun>{{0, 60, 4 * kPage}, {60, 40, 3 * kPage + 40}});
  EXPECT_EQ(writeStreamingFile(path, traitsOf(StoreFormat::Exchange2003), header, messages, noise), 5 * kPage);
  const std::vector<std::uint8_t> stm = testing::readFile(path);
  for (const MessagePlan& m : messages) {
    content::RunCopyEnd end{};
    EXPECT_EQ(copyThroughReader(m.content.runDescriptor, stm, &end), m.content.internetMessage);
  }
}

std::string storedOrderHex(std::uint64_t id) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>((id >> (8 * i)) & 0xFF));
  return testing::hexOf(bytes);
}

int yearOf(std::uint64_t fileTime) {
  const std::time_t t = static_cast<std::time_t>(static_cast<std::int64_t>(fileTime / 10000000) - 11644473600LL);
  std::tm tm{};
  gmtime_r(&t, &tm);
  return tm.tm_year + 1900;
}

// End to end: the command line finds each streamed message through its record in the
// message table (run descriptor inline or gathered from long-value chunks) and writes the
// Internet message out byte for byte. The message list leaves out messages dated before
// 1980 or after 2099, so only those in between can be shown.
TEST(StreamedMessages, ShowWritesEachListedStreamedMessageWhole) {
  const std::string tool = std::string(TARNWICK_BINARY_DIR) + "/tarnwick";
  std::size_t shown = 0, fromChunks = 0, overAChunk = 0;
  for (std::uint64_t rngValue : {1ull, 7ull}) {
    SCOPED_TRACE("rng " + std::to_string(rngValue));
    testing::ScratchDir dir("streamed-show-" + std::to_string(rngValue));
    const Written w = writeFourK(rngValue, dir);
    const std::string edb = (dir.path() / "store.edb").string();
    const std::string stm = (dir.path() / "store.stm").string();
    const std::string out = (dir.path() / "body.eml").string();
    const std::string json = (dir.path() / "show.json").string();
    for (const MessagePlan* m : w.streamed) {
      const int year = yearOf(m->time);
      if (year <= 1980 || year >= 2099) continue;
      std::filesystem::remove(out);
      const auto r =
          testing::run("'" + tool + "' show '" + edb + "' --stm '" + stm + "' --folder " + storedOrderHex(m->folderId) +
                       " --message " + storedOrderHex(m->id) + " --json --body-out '" + out + "' > '" + json + "'");
      ASSERT_EQ(r.status, 0) << "message " << storedOrderHex(m->id) << ": " << r.output;
      const nlohmann::json shownJson = nlohmann::json::parse(slurp(json));
      EXPECT_EQ(shownJson["bodyForm"], "eml");
      EXPECT_EQ(difference(slurp(out), m->content.internetMessage), "") << "message " << storedOrderHex(m->id);
      ++shown;
      if (m->content.runDescriptorPlacement == ValuePlacement::LongValue) ++fromChunks;
      if (m->content.runDescriptor.size() > kChunkData) ++overAChunk;
    }
  }
  std::printf("shown %zu streamed messages, %zu with descriptors in chunks, %zu over one chunk\n", shown, fromChunks,
              overAChunk);
  EXPECT_GE(shown, 6u);
  EXPECT_GT(fromChunks, 0u);
  EXPECT_GT(overAChunk, 0u);
}

// The Internet message, parsed by GMime.
struct Parsed {
  GMimeMessage* message = nullptr;
  explicit Parsed(const std::string& text) {
    GMimeStream* stream = g_mime_stream_mem_new_with_buffer(text.data(), text.size());
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    message = g_mime_parser_construct_message(parser, nullptr);
    g_object_unref(parser);
    g_object_unref(stream);
  }
  ~Parsed() {
    if (message) g_object_unref(message);
  }
};

std::string text(const char* s) { return s ? s : "(none)"; }

std::string partContent(GMimeObject* part) {
  GMimeDataWrapper* wrapper = g_mime_part_get_content(GMIME_PART(part));
  GMimeStream* mem = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(wrapper, mem);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem));
  std::string out(reinterpret_cast<const char*>(bytes->data), bytes->len);
  g_object_unref(mem);
  return out;
}

TEST(StreamedMessages, InternetMessageNamesTheHeaderRowsSenderAndSubject) {
  g_mime_init();
  testing::ScratchDir dir("streamed-mime");
  const Written w = writeFourK(11, dir);
  ASSERT_FALSE(w.streamed.empty());
  for (const MessagePlan* m : w.streamed) {
    const std::string& raw = m->content.internetMessage;
    // Lines end in CRLF and stay within 78 characters.
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != '\n') continue;
      ASSERT_TRUE(i > 0 && raw[i - 1] == '\r') << "bare LF at " << i;
      EXPECT_LE(i - 1 - lineStart, 78u);
      lineStart = i + 1;
    }
    Parsed parsed(raw);
    ASSERT_NE(parsed.message, nullptr);
    EXPECT_EQ(text(g_mime_message_get_subject(parsed.message)), m->prefix + m->normalizedSubject);
    InternetAddressList* from = g_mime_message_get_from(parsed.message);
    ASSERT_EQ(internet_address_list_length(from), 1);
    InternetAddress* sender = internet_address_list_get_address(from, 0);
    EXPECT_EQ(text(internet_address_get_name(sender)), m->sender);
    EXPECT_EQ(text(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(sender))), m->content.senderAddress);
    GDateTime* date = g_mime_message_get_date(parsed.message);
    ASSERT_NE(date, nullptr);
    const std::int64_t unix = static_cast<std::int64_t>(m->time / 10000000) - 11644473600LL;
    EXPECT_EQ(g_date_time_to_unix(date), unix);
    // A text and an HTML alternative with the same words; an attachment when mixed.
    GMimeObject* body = g_mime_message_get_mime_part(parsed.message);
    ASSERT_TRUE(GMIME_IS_MULTIPART(body));
    GMimeMultipart* alternative = GMIME_MULTIPART(body);
    const bool mixed = g_mime_content_type_is_type(g_mime_object_get_content_type(body), "multipart", "mixed");
    if (mixed) {
      ASSERT_EQ(g_mime_multipart_get_count(alternative), 2);
      GMimeObject* attachment = g_mime_multipart_get_part(alternative, 1);
      EXPECT_TRUE(g_mime_part_is_attachment(GMIME_PART(attachment)));
      EXPECT_GT(partContent(attachment).size(), 900u);
      alternative = GMIME_MULTIPART(g_mime_multipart_get_part(alternative, 0));
    }
    ASSERT_EQ(g_mime_multipart_get_count(alternative), 2);
    GMimeObject* plain = g_mime_multipart_get_part(alternative, 0);
    GMimeObject* html = g_mime_multipart_get_part(alternative, 1);
    EXPECT_TRUE(g_mime_content_type_is_type(g_mime_object_get_content_type(plain), "text", "plain"));
    EXPECT_TRUE(g_mime_content_type_is_type(g_mime_object_get_content_type(html), "text", "html"));
    std::string words = partContent(plain);
    ASSERT_FALSE(words.empty());
    const std::string firstLine = words.substr(0, words.find("\r\n"));
    EXPECT_EQ(firstLine.find('='), std::string::npos) << "quoted-printable left undecoded";
    const std::string htmlText = partContent(html);
    const std::string firstWord = firstLine.substr(0, firstLine.find(' '));
    if (firstWord.find_first_of("&<>") == std::string::npos) {
      EXPECT_NE(htmlText.find(firstWord), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tarnwick::storegen
