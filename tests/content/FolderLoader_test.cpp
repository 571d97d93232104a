#include "content/FolderLoader.h"
#include "tests/support/MessageRecords.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::content {
namespace {

using namespace testing;

const std::array<std::uint8_t, 8> kM1{1, 0, 0, 0, 0, 0, 0, 1};
const std::array<std::uint8_t, 8> kM2{2, 0, 0, 0, 0, 0, 0, 2};
const std::array<std::uint8_t, 8> kAtt{0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
constexpr std::uint32_t kMessageTable = 20;
constexpr std::uint32_t kBodyLongValues = 30;

// A 4 KB store in memory: page 1 messages, page 2 attachments, page 3 body long values.
struct MiniStore {
  Bytes bytes = Bytes(5 * 4096, 0);
  analysis::ScanModel model;
  analysis::FolderId folder = analysis::FolderId::fromBytes(Bytes{7, 7, 7, 7, 7, 7, 7, 7});

  MiniStore() {
    Bytes attachmentIds{1, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    Bytes messages =
        makeLeafPage(4096, store::PageSizeClass::Page4K,
                     {smallMessageRecord(kM1, {{0x0E13, attachmentIds}, {0x1000, Bytes{0, 0x07, 0x42, 0, 0}}}),
                      smallMessageRecord(kM2, {{0x1000, utf16Value(u"inline body")}})},
                     nullptr, kMessageTable);
    Bytes attachments = makeLeafPage(4096, store::PageSizeClass::Page4K,
                                     {smallAttachmentRow(kAtt, {{0x0101, Bytes{0, 0, 0}},
                                                                {0x0107, Bytes{0, 0x07, 0x43, 0, 0}},
                                                                {0x010A, utf16Value(u"notes.txt")}})},
                                     nullptr, 61);
    Bytes bodyChunk{0, 0, 0x42, 0x07, 0, 0, 0, 0};
    appendUtf16(bodyChunk, u"long body");
    bodyChunk.resize(40, 0);
    Bytes attachmentChunk{0, 0, 0x43, 0x07, 0, 0, 0, 0};
    append(attachmentChunk, "attachment data");
    attachmentChunk.resize(40, 0);
    Bytes longValues =
        makeLeafPage(4096, store::PageSizeClass::Page4K, {bodyChunk, attachmentChunk}, nullptr, kBodyLongValues);
    putBytes(bytes, 4096, messages);
    putBytes(bytes, 8192, attachments);
    putBytes(bytes, 12288, longValues);
    model.pages.addPageEntry(kMessageTable, store::FileOffset(4096));
    model.pages.addPageEntry(61, store::FileOffset(8192));
    model.pages.addPageEntry(kBodyLongValues, store::FileOffset(12288));
    model.pages.addPageEntry(kBodyLongValues, store::FileOffset(12288));  // read twice by the scan
    model.messageTables.addTableEntry(kMessageTable, store::PageNumber(0));
    model.longValueTables.addTableEntry(kBodyLongValues, store::PageNumber(2));
    model.MessageColumnList.addColumnEntry(0x1000, kMessageTable, 'P');
    model.MessageColumnList.addColumnEntry(0x0E13, kMessageTable, 'A');
    for (const auto& id : {kM1, kM2, std::array<std::uint8_t, 8>{3, 3, 3, 3, 3, 3, 3, 3}}) {
      analysis::MessageHeader h;
      h.pageOffset = store::FileOffset(4096);
      h.messageId = analysis::MessageId::fromBytes(id);
      h.folderId = folder;
      model.messageHeaders.addMessageHeader(h);
    }
    analysis::MessageHeader other;
    other.messageId = analysis::MessageId::fromBytes(kM1);
    other.folderId = analysis::FolderId::fromBytes(Bytes{9, 9, 9, 9, 9, 9, 9, 9});
    model.messageHeaders.addMessageHeader(other);
  }
};

TEST(FolderLoader, ListsOnceAndCompletesOneItemForThePreview) {
  MiniStore store;
  store::MemoryByteSource src(store.bytes);
  FolderLoader loader(src, store::makeStoreGeometry(4096, static_cast<std::int64_t>(store.bytes.size())), false,
                      {kBodyLongValues, {}});
  LoadedFolder folder{store.folder, analysis::FolderKind::Other, std::nullopt};
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::List));
  analysis::MessageItemList& items = store.model.messages;
  // The third header has no record and nothing else: pruned (it is not the first item).
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(loader.pagesRead(), 1u);
  EXPECT_TRUE(items[0].recordFound);
  EXPECT_EQ(items[0].attachmentIds.size(), 1u);
  EXPECT_EQ(items[0].bodyKeyA, (analysis::LongValueKey{0x42, 0x07, 0, 0}));
  EXPECT_EQ(items[1].bodySource, store::BodySource::PlainUnicode);
  EXPECT_EQ(items[1].bodyLength, 23);

  // Listed again: nothing is read.
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::List));
  EXPECT_EQ(loader.pagesRead(), 0u);
  ASSERT_EQ(items.size(), 2u);

  // The preview of the first item: its body chunks and its attachment.
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::Single, 0));
  ASSERT_EQ(items[0].bodyChunksA.size(), 1u);
  EXPECT_EQ(items[0].bodyChunksA.entries()[0].fileOffset.value, 12288 + 40 + 2 + 6);
  ASSERT_EQ(items[0].attachments.size(), 1u);
  EXPECT_EQ(items[0].attachments[0].fileName, u"notes.txt");
  EXPECT_TRUE(items[0].attachmentIds.empty());
  EXPECT_TRUE(items[0].attachments[0].chunks.empty());  // attachment data only when saving

  // The pages were learnt: a preview of an item whose values lie elsewhere reads none.
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::Single, 1));
  EXPECT_EQ(loader.pagesRead(), 0u);
  // A fresh copy of the first item finds its body chunk again from the one page holding it.
  items[0].bodyChunksA.clear();
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::Single, 0));
  EXPECT_EQ(loader.pagesRead(), 2u);  // the long-value page, listed twice by the scan
  EXPECT_EQ(items[0].bodyChunksA.size(), 1u);
}

TEST(FolderLoader, SaveModeFindsAttachmentChunksAndStops) {
  MiniStore store;
  store::MemoryByteSource src(store.bytes);
  FolderLoader loader(src, store::makeStoreGeometry(4096, static_cast<std::int64_t>(store.bytes.size())), false,
                      {kBodyLongValues, {}});
  LoadedFolder folder{store.folder, analysis::FolderKind::Other, std::nullopt};
  ASSERT_TRUE(loader.loadFolderItems(store.model, folder, LoadMode::Save));
  analysis::MessageItemList& items = store.model.messages;
  ASSERT_EQ(items[0].attachments.size(), 1u);
  ASSERT_EQ(items[0].attachments[0].chunks.size(), 1u);
  EXPECT_EQ(items[0].attachments[0].chunks.entries()[0].fileOffset.value, 12288 + 40 + 40 + 2 + 6);

  std::atomic<bool> stop{true};
  FolderLoader fresh(src, store::makeStoreGeometry(4096, static_cast<std::int64_t>(store.bytes.size())), false, {});
  LoadControl control;
  control.stop = &stop;
  EXPECT_FALSE(fresh.loadFolderItems(store.model, folder, LoadMode::List, std::nullopt, control));
}

}  // namespace
}  // namespace tarnwick::content

#include "content/MessageListFill.h"
#include "platform/FileTime.h"

namespace tarnwick::content {
namespace {

TEST(MessageListFill, RowsOfTheListedFolderFindTheirItems) {
  MiniStore store;
  // Dates: the first header in range, the second out of range.
  store::MemoryByteSource src(store.bytes);
  store::StoreGeometry g = store::makeStoreGeometry(4096, static_cast<std::int64_t>(store.bytes.size()));
  FolderLoader loader(src, g, false, {kBodyLongValues, {}});
  ASSERT_TRUE(
      loader.loadFolderItems(store.model, {store.folder, analysis::FolderKind::Other, std::nullopt}, LoadMode::List));
  analysis::MessageItemList& items = store.model.messages;
  items[0].time = modelTimeFromFileTime(kFileTimeUnixEpoch + 1300000000ull * kFileTimeTicksPerSecond);
  analysis::FolderNode node;
  node.id = store.folder;
  node.name = u"Inbox";
  std::vector<MessageRow> rows = buildMessageRows(items, node, u"Mailbox - X\\", src, g);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].sort.messageId, items[0].messageId);
  EXPECT_EQ(findListedItem(items, node, rows[0].sort.messageId, false), std::optional<std::size_t>(0));
  analysis::FolderNode other = node;
  other.id = analysis::FolderId{};
  EXPECT_FALSE(findListedItem(items, other, rows[0].sort.messageId, false));
  std::atomic<bool> stop{true};
  EXPECT_TRUE(buildMessageRows(items, node, u"", src, g, &stop).empty());
}

}  // namespace
}  // namespace tarnwick::content
