// `tarnwick list` and `tarnwick show` on a small hand-built 4 KB store: the scan's sample
// store with a message table whose records carry recipients, bodies and attachments.
#include "tests/support/Commands.h"
#include "tests/support/MessageRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/SampleStore.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <string>

namespace tarnwick {
namespace {

namespace ct = testing;

constexpr std::uint32_t kMessagePage = 24;
constexpr std::size_t kAttachmentPageOffset = 0xED000;
constexpr std::uint32_t kMessageTable = 19;

std::vector<std::uint8_t> storeWithRecords() {
  testing::SampleStore sample;
  std::vector<std::uint8_t> bytes = sample.bytes();
  const std::size_t pageSize = testing::SampleStore::kPageSize;
  // The catalogue again, now naming the message table and its columns.
  testing::PageBytes catalogue(pageSize, 2);
  catalogue
      .add(testing::tableRecord("Mailbox", testing::SampleStore::kMailboxTable, testing::SampleStore::kMailboxRoot))
      .add(testing::tableRecord("Folders", testing::SampleStore::kFolderTable, testing::SampleStore::kFolderRoot, 1, 9))
      .add(testing::columnRecord("S3d001f", 40, testing::SampleStore::kPrefixColumn))
      .add(testing::columnRecord("Se1d001f", 40, testing::SampleStore::kSubjectColumn))
      .add(testing::tableRecord("Msg", kMessageTable, kMessagePage, kMessageTable))
      .add(testing::columnRecord("S1000", kMessageTable, 0x1000))
      .add(testing::columnRecord("N67b3", kMessageTable, 0x0E13))
      .add(testing::columnRecord("N67b4", kMessageTable, 0x011A));
  for (const auto& t : sample.tables()) {
    catalogue.add(testing::smallHeaderTableRecord(testing::SampleStore::HeaderName(t.folder), t.objectId, t.page));
  }
  const std::vector<std::uint8_t> cataloguePage = catalogue.bytes();
  std::copy(cataloguePage.begin(), cataloguePage.end(), bytes.begin() + static_cast<std::ptrdiff_t>(5 * pageSize));

  const auto messages = sample.messages();
  ct::Bytes address{0x1F, 0xE4, 0x04, 0, 0, 0, 0};
  ct::appendUtf16(address, u"carol@example.com");
  ct::Bytes ids{1, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
  ct::Bytes records = ct::makeLeafPage(
      pageSize, store::PageSizeClass::Page4K,
      {ct::smallMessageRecord(messages[0].id,
                              {{0x011A, address}, {0x0E13, ids}, {0x1000, ct::utf16Value(u"Budget body")}}),
       ct::smallMessageRecord(messages[1].id, {{0x1000, ct::utf16Value(u"Lunch body")}})},
      nullptr, kMessageTable);
  std::copy(records.begin(), records.end(), bytes.begin() + static_cast<std::ptrdiff_t>((kMessagePage + 1) * pageSize));
  ct::Bytes data(15, 0);
  for (std::size_t i = 0; i < 14; ++i) data[i + 1] = static_cast<std::uint8_t>("attached bytes"[i]);
  ct::Bytes attachments = ct::makeLeafPage(
      pageSize, store::PageSizeClass::Page4K,
      {ct::smallAttachmentRow(
          {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7},
          {{0x0101, ct::Bytes{0, 0, 0}}, {0x0107, data}, {0x010A, ct::utf16Value(u"../notes:1.txt")}})},
      nullptr, 61);
  // The attachment table's page lies where the catalogue walk reads one more page.
  bytes.resize(std::max<std::size_t>(bytes.size(), kAttachmentPageOffset + pageSize), 0);
  std::copy(attachments.begin(), attachments.end(), bytes.begin() + static_cast<std::ptrdiff_t>(kAttachmentPageOffset));
  return bytes;
}

// The stdout of the built `tarnwick` run with `args`; its exit code goes to `exitCode` when given.
std::string run(const std::string& args, int* exitCode = nullptr) {
  const testing::SeparatedResult r = testing::runApart(std::string(TARNWICK_BINARY_DIR) + "/tarnwick " + args);
  if (exitCode != nullptr) *exitCode = r.status;
  return r.output;
}

TEST(ListShow, ListsAndShowsMessagesOfAFolder) {
  testing::ScratchDir dir;
  const std::string store = dir.write("store.edb", storeWithRecords()).string();
  int rc = -1;
  nlohmann::json list = nlohmann::json::parse(run("list '" + store + "' --folder Alice/Inbox --json", &rc));
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(list["messages"].size(), 2u);
  EXPECT_EQ(list["messages"][0]["from"], "Carol");
  EXPECT_EQ(list["messages"][0]["subject"], "RE: Budget");
  EXPECT_EQ(list["messages"][0]["attachments"], true);
  EXPECT_EQ(list["messages"][1]["subject"], "Lunch");
  const std::string id = list["messages"][0]["id"];
  EXPECT_EQ(id, "1001000000000001");

  // Sorting by subject puts "Lunch" first; --desc turns it round.
  nlohmann::json sorted = nlohmann::json::parse(run("list '" + store + "' --folder Alice/Inbox --json --sort subject"));
  EXPECT_EQ(sorted["messages"][0]["subject"], "Lunch");
  sorted = nlohmann::json::parse(run("list '" + store + "' --folder Alice/Inbox --json --sort subject --desc"));
  EXPECT_EQ(sorted["messages"][0]["subject"], "RE: Budget");

  // The attachment folder does not exist yet: show creates it. A link under the attachment's
  // name is not written through: the attachment takes the next free name.
  const std::string out = (dir.path() / "attachments" / "new").string();
  const std::string body = (dir.path() / "body.txt").string();
  nlohmann::json show =
      nlohmann::json::parse(run("show '" + store + "' --folder Alice/Inbox --message " + id + " --json --body-out '" +
                                    body + "' --attachments-out '" + out + "'",
                                &rc));
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(show["to"], "carol@example.com");
  EXPECT_EQ(show["bodyForm"], "text");
  EXPECT_EQ(show["body"], "Budget body");
  ASSERT_EQ(show["attachments"].size(), 1u);
  EXPECT_EQ(show["attachments"][0]["name"], "../notes:1.txt");
  EXPECT_EQ(show["attachments"][0]["size"], 14);
  std::ifstream saved(std::filesystem::path(out) / "___notes_1.txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), std::istreambuf_iterator<char>()), "attached bytes");
  std::filesystem::remove(std::filesystem::path(out) / "___notes_1.txt");
  const auto victim = dir.path() / "victim.txt";
  std::filesystem::create_symlink(victim, std::filesystem::path(out) / "___notes_1.txt");
  run("show '" + store + "' --folder Alice/Inbox --message " + id + " --attachments-out '" + out + "'", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_FALSE(std::filesystem::exists(victim));
  std::ifstream beside(std::filesystem::path(out) / "___notes_1 (2).txt", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(beside), std::istreambuf_iterator<char>()), "attached bytes");
  EXPECT_EQ(std::filesystem::file_size(body), 22u);
  // A body file already there is not replaced.
  std::filesystem::resize_file(body, 3);
  run("show '" + store + "' --folder Alice/Inbox --message " + id + " --body-out '" + body + "'", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_EQ(std::filesystem::file_size(body), 3u);

  run("list '" + store + "' --folder Nowhere", &rc);
  EXPECT_EQ(rc, 2);
  run("show '" + store + "' --folder Alice/Inbox --message 00000000000000ff", &rc);
  EXPECT_EQ(rc, 2);
}

}  // namespace
}  // namespace tarnwick

#include "tests/support/SampleStore32K.h"

namespace tarnwick {
namespace {

// A 32 KB message record: the id at slot + 8, its second copy 41 bytes on and the
// directory 10 bytes after that.
ct::Bytes largeMessageRecord(const testing::Id8& id, const std::vector<ct::DirectoryEntry>& entries) {
  ct::Bytes rec(8, 0);
  ct::Bytes idBytes(id.begin(), id.end());
  ct::appendBytes(rec, idBytes);
  rec.resize(rec.size() + 33, 0);
  ct::appendBytes(rec, idBytes);
  rec.resize(rec.size() + 2, 0);
  ct::appendBytes(rec, ct::directory(entries));
  return rec;
}

std::vector<std::uint8_t> largeStoreWithRecords() {
  testing::SampleStore32K sample;
  std::vector<std::uint8_t> bytes = sample.bytes();
  const std::size_t pageSize = testing::SampleStore32K::kPageSize;
  testing::PageBytes catalogue(pageSize, 2);
  catalogue.add(testing::tableRecord("Mailbox", 20, 10))
      .add(testing::tableRecord("Folders-4-48A06756", 30, 12, 1, 9))
      .add(testing::columnRecord("S3613001f", 30, 0x3613))
      .add(testing::columnRecord("Se1d001f", 70, 0x4003))
      .add(testing::columnRecord("S3d001f", 70, 0x4002))
      .add(testing::columnRecord("S42001f", 70, 0x4001))
      .add(testing::largeHeaderTableRecord("MsgHeader-4-48A06756", 70, 20))
      .add(testing::tableRecord("Body-4-48A06756", 80, 21))
      .add(testing::columnRecord("S1000", 80, 0x1000))
      .add(testing::columnRecord("N67b4", 80, 0x0144));
  const std::vector<std::uint8_t> cataloguePage = catalogue.bytes();
  std::copy(cataloguePage.begin(), cataloguePage.end(), bytes.begin() + static_cast<std::ptrdiff_t>(5 * pageSize));
  ct::Bytes address{0x1F, 0xE4, 0x04, 0, 0, 0, 0};
  ct::appendUtf16(address, u"dave@example.org");
  ct::Bytes records =
      ct::makeLeafPage(pageSize, store::PageSizeClass::Page32K,
                       {largeMessageRecord({0x51, 2, 0, 0, 0, 0, 0, 2},
                                           {{0x0144, address}, {0x1000, ct::utf16Value(u"Lunch at noon")}})},
                       nullptr, 80);
  std::copy(records.begin(), records.end(), bytes.begin() + static_cast<std::ptrdiff_t>(22 * pageSize));
  return bytes;
}

TEST(ListShow, LargePageStoreShowsAMessageOfItsMailbox) {
  testing::ScratchDir dir;
  const std::string store = dir.write("store32.edb", largeStoreWithRecords()).string();
  int rc = -1;
  nlohmann::json list = nlohmann::json::parse(run("list '" + store + "' --folder Alice/Inbox --json", &rc));
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(list["messages"].size(), 2u);
  EXPECT_EQ(list["messages"][1]["subject"], "Lunch");
  nlohmann::json show =
      nlohmann::json::parse(run("show '" + store + "' --folder Alice/Inbox --message 5102000000000002 --json", &rc));
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(show["to"], "dave@example.org");
  EXPECT_EQ(show["body"], "Lunch at noon");
}

}  // namespace
}  // namespace tarnwick
