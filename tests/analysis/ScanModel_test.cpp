#include "analysis/ScanModel.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarnwick::analysis {
namespace {

FolderId fid(std::uint8_t b) {
  FolderId id;
  id.bytes[7] = b;
  return id;
}

MessageId mid(std::uint8_t b) {
  MessageId id;
  id.bytes[0] = b;
  return id;
}

TEST(FolderList, InsertRulesKeepOrderAndRejectEqualNodes) {
  FolderList folders;
  EXPECT_FALSE(folders.addFolderNode(fid(1), fid(0), u"", analysis::FolderKind::Other, 0, std::nullopt));
  EXPECT_TRUE(folders.addFolderNode(fid(1), fid(0), u"Mailbox", analysis::FolderKind::Other, 0, std::nullopt));
  EXPECT_TRUE(folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 0, std::nullopt));
  EXPECT_FALSE(folders.addFolderNode(fid(2), fid(1), u"Inbox", FolderKind::Contacts, 7, std::string("key")));
  EXPECT_TRUE(
      folders.addFolderNode(fid(2), fid(1), u"inbox", analysis::FolderKind::Other, 0, std::nullopt));  // case counts
  EXPECT_TRUE(
      folders.addFolderNode(fid(2), fid(3), u"Inbox", analysis::FolderKind::Other, 0, std::nullopt));  // other parent
  EXPECT_TRUE(folders.addFolderNode(fid(4), fid(1), u"Sent", FolderKind::Calendar, 9, std::string("ab")));
  ASSERT_EQ(folders.size(), 5u);
  EXPECT_EQ(folders[1].name, u"Inbox");
  EXPECT_EQ(folders[2].name, u"inbox");
  EXPECT_FALSE(folders[1].headerTableFound);
  EXPECT_EQ(folders[4].kind, FolderKind::Calendar);
  EXPECT_EQ(folders[4].treeItem, 9u);
  EXPECT_EQ(folders[4].ownerKey, "ab");
  // The first node with an id wins; children come in list order.
  ASSERT_NE(folders.findFirst(fid(2)), nullptr);
  EXPECT_EQ(folders.findFirst(fid(2))->name, u"Inbox");
  auto children = folders.childrenOf(fid(1));
  ASSERT_EQ(children.size(), 3u);
  EXPECT_EQ(folders[children[2]].name, u"Sent");
  EXPECT_EQ(folders.findFirst(fid(9)), nullptr);
}

TEST(FolderList, PurgeRemovesNodesWithTheTreeItemAndKeepsIndexesTrue) {
  FolderList folders;
  folders.addFolderNode(fid(1), fid(0), u"Root", analysis::FolderKind::Other, 100, std::nullopt);
  folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 101, std::nullopt);
  folders.addFolderNode(fid(5), fid(9), u"Orphan", analysis::FolderKind::Other, 0, std::nullopt);  // parent never found
  folders.addFolderNode(fid(6), fid(5), u"Orphan child", analysis::FolderKind::Other, 0, std::nullopt);
  folders.addFolderNode(fid(3), fid(1), u"Sent", analysis::FolderKind::Other, 102, std::nullopt);
  folders.purgeFolders(0);
  ASSERT_EQ(folders.size(), 3u);
  EXPECT_EQ(folders[2].name, u"Sent");
  EXPECT_EQ(folders.findFirst(fid(5)), nullptr);
  EXPECT_TRUE(folders.childrenOf(fid(5)).empty());
  ASSERT_NE(folders.findFirst(fid(3)), nullptr);
  EXPECT_EQ(folders.findFirst(fid(3))->treeItem, 102u);
  ASSERT_EQ(folders.childrenOf(fid(1)).size(), 2u);
  // A purged node may come back; a kept one is still a duplicate.
  EXPECT_TRUE(folders.addFolderNode(fid(5), fid(9), u"Orphan", analysis::FolderKind::Other, 0, std::nullopt));
  EXPECT_FALSE(folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 0, std::nullopt));
}

TEST(CatalogueLists, TablesAndColumnsAreUniqueAndTheFirstMatchWins) {
  TableList tables;
  EXPECT_TRUE(tables.addTableEntry(100, store::PageNumber(10), std::string("0001")));
  EXPECT_FALSE(tables.addTableEntry(100, store::PageNumber(10), std::string("other")));
  EXPECT_TRUE(tables.addTableEntry(100, store::PageNumber(-1)));
  EXPECT_TRUE(tables.addTableEntry(101, store::PageNumber(10), std::nullopt, 0x0064));
  ASSERT_EQ(tables.size(), 3u);
  EXPECT_EQ(tables.findFirst(100)->suffix, "0001");
  EXPECT_EQ(tables.findFirst(101)->ownerObjectId, 0x0064);
  EXPECT_EQ(tables.findFirst(102), nullptr);

  ColumnList columns;
  EXPECT_TRUE(columns.addColumnEntry(0x100, 7, 'S'));
  EXPECT_FALSE(columns.addColumnEntry(0x100, 7, 'S'));
  EXPECT_TRUE(columns.addColumnEntry(0x100, 7, 'T'));
  EXPECT_TRUE(columns.addColumnEntry(0x101, 7, 'S'));
  EXPECT_TRUE(columns.addColumnEntry(0x100, 8, 'S'));
  EXPECT_EQ(columns.size(), 4u);
  EXPECT_EQ(columns.findFirstOfTable(7)->letter, 'S');
  EXPECT_EQ(columns.findFirstOfTable(8)->columnId, 0x100);
}

TEST(HeaderTables, PagesAreUniqueAndMoveIntoTheTableAdded) {
  HeaderPageList scratch;
  EXPECT_TRUE(scratch.addHeaderPage(store::SectorPosition(40)));
  EXPECT_TRUE(scratch.addHeaderPage(store::SectorPosition(48)));
  EXPECT_FALSE(scratch.addHeaderPage(store::SectorPosition(40)));
  EXPECT_EQ(scratch.entries().back().position.toFileOffset().value, 48 * 512);

  HeaderTableList tables;
  EXPECT_TRUE(tables.addHeaderTable(fid(2), std::nullopt, 300, FolderKind::Contacts, scratch));
  EXPECT_TRUE(scratch.empty());
  EXPECT_FALSE(scratch.contains(store::SectorPosition(40)));
  ASSERT_EQ(tables.entries()[0].pages.size(), 2u);
  EXPECT_EQ(tables.entries()[0].kind, FolderKind::Contacts);

  scratch.addHeaderPage(store::SectorPosition(56));
  EXPECT_FALSE(tables.addHeaderTable(fid(2), std::nullopt, 300, analysis::FolderKind::Other, scratch));
  EXPECT_TRUE(scratch.empty());
  EXPECT_TRUE(tables.addHeaderTable(fid(2), std::string("AB"), 300, analysis::FolderKind::Other, scratch));
  EXPECT_TRUE(tables.addHeaderTable(fid(2), std::string("AB"), 301, analysis::FolderKind::Other, scratch));
  EXPECT_TRUE(tables.addHeaderTable(fid(3), std::nullopt, 300, analysis::FolderKind::Other, scratch));
  EXPECT_EQ(tables.size(), 4u);
}

TEST(MessageParts, ChunksAttachmentsIdsAndPropertiesKeepTheFirstOfEqualRecords) {
  ChunkList chunks;
  EXPECT_TRUE(chunks.addChunkRef(store::FileOffset(8192), 0));
  EXPECT_TRUE(chunks.addChunkRef(store::FileOffset(4096), 1000));
  EXPECT_FALSE(chunks.addChunkRef(store::FileOffset(8192), 2000));
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(chunks.entries()[0].chunkStart, 0u);
  EXPECT_EQ(chunks.entries()[1].fileOffset.value, 4096);

  AttachmentList attachments;
  AttachmentItem a;
  a.fileName = u"report.doc";
  a.longValueKey = {1, 2};
  a.dataLength = 5;
  EXPECT_TRUE(attachments.addAttachmentItem(a));
  a.dataLength = 9;
  EXPECT_FALSE(attachments.addAttachmentItem(a));
  a.ownerObjectId = std::array<std::uint8_t, 2>{0x10, 0};
  EXPECT_TRUE(attachments.addAttachmentItem(a));
  a.fileName = u"Report.doc";
  EXPECT_TRUE(attachments.addAttachmentItem(a));
  a.fileName.clear();
  EXPECT_FALSE(attachments.addAttachmentItem(a));
  EXPECT_EQ(attachments[0].dataLength, 5);

  AttachmentIdList ids;
  AttachmentId x = AttachmentId::fromBytes(std::array<std::uint8_t, 8>{1, 0, 0, 0, 2, 0, 0, 0});
  EXPECT_TRUE(ids.addAttachmentId(x));
  EXPECT_FALSE(ids.addAttachmentId(x));
  EXPECT_TRUE(ids.addAttachmentId(AttachmentId{}));

  PropertiesList props;
  std::array<std::u16string_view, ItemProperties::kSlotCount> texts{};
  texts[0] = u"Jane";
  texts[17] = u"Notes";
  EXPECT_TRUE(props.addItemProperties(texts));
  EXPECT_FALSE(props.addItemProperties(texts));
  texts[17] = u"";
  EXPECT_TRUE(props.addItemProperties(texts));
  EXPECT_FALSE(props[1].slots[17].has_value());
  EXPECT_EQ(props[0].slots[17], u"Notes");
  EXPECT_FALSE(props[0].slots[1].has_value());
}

TEST(Appointment, CreatedOnceTextsAndNonZeroTimesReplaced) {
  std::optional<AppointmentTimes> appt;
  ModelTime t1, t2, zero;
  t1.bytes = {1, 2, 3, 4, 5, 6};
  t2.bytes = {9, 9, 9, 9, 9, 9};
  setAppointment(appt, u"Bob", u"", u"IST", t1, zero);
  ASSERT_TRUE(appt);
  EXPECT_EQ(appt->contactText, u"Bob");
  EXPECT_FALSE(appt->location);
  EXPECT_EQ(appt->start, t1);
  EXPECT_FALSE(appt->end);
  setAppointment(appt, u"", u"Room 4", u"", zero, t2);
  EXPECT_EQ(appt->contactText, u"Bob");
  EXPECT_EQ(appt->location, u"Room 4");
  EXPECT_EQ(appt->start, t1);
  EXPECT_EQ(appt->end, t2);
}

TEST(MessageHeaders, AppendedWithoutDuplicateCheckAndIndexedByFolder) {
  MessageHeaderList headers;
  MessageHeader h;
  h.folderId = fid(2);
  h.messageId = mid(1);
  headers.addMessageHeader(h);
  headers.addMessageHeader(h);
  h.folderId = fid(3);
  headers.addMessageHeader(h);
  EXPECT_EQ(headers.size(), 3u);
  ASSERT_EQ(headers.headersOfFolder(fid(2)).size(), 2u);
  EXPECT_EQ(headers.headersOfFolder(fid(3))[0], 2u);
  EXPECT_TRUE(headers.headersOfFolder(fid(4)).empty());
}

TEST(MessageItems, FromHeaderCopiesTheHeaderFields) {
  MessageHeader h;
  h.pageOffset = store::FileOffset(40960);
  h.primaryOffset = 1;
  h.secondaryOffset = 2;
  h.primaryLength = 3;
  h.secondaryLength = 4;
  h.thirdOffset = 5;
  h.thirdLength = 6;
  h.messageId = mid(7);
  h.folderId = fid(8);
  h.time.bytes = {1, 1, 1, 1, 1, 1};
  h.ownerKey = "K";
  h.flag = FolderKind::Calendar;
  h.appointment.emplace();
  auto item = MessageItem::fromHeader(h);
  EXPECT_EQ(item.pageOffset.value, 40960);
  EXPECT_EQ(item.primaryOffset + item.secondaryOffset + item.primaryLength + item.secondaryLength, 10);
  EXPECT_EQ(item.thirdOffset, 5);
  EXPECT_EQ(item.thirdLength, 6);
  EXPECT_EQ(item.thirdPageOffset.value, 0);
  EXPECT_EQ(item.messageId, mid(7));
  EXPECT_EQ(item.folderId, fid(8));
  EXPECT_EQ(item.time, h.time);
  EXPECT_EQ(item.kind, FolderKind::Calendar);
  EXPECT_EQ(item.ownerKey, "K");
  EXPECT_TRUE(item.appointment);
  EXPECT_FALSE(item.recordFound);
  EXPECT_EQ(item.bodySource, store::BodySource::Unknown);
}

TEST(MessageItems, PruneKeepsTheFirstItemAndEveryItemWithAnythingFound) {
  // Each way an item can hold something keeps it.
  const std::vector<std::function<void(MessageItem&)>> finds = {
      [](MessageItem& m) { m.recordFound = true; },
      [](MessageItem& m) {
        AttachmentItem a;
        a.fileName = u"a";
        m.attachments.addAttachmentItem(a);
      },
      [](MessageItem& m) { m.attachmentIds.addAttachmentId(AttachmentId{}); },
      [](MessageItem& m) { m.appointment.emplace(); },
      [](MessageItem& m) { m.bodyChunksA.addChunkRef(store::FileOffset(1), 0); },
      [](MessageItem& m) { m.bodyChunksB.addChunkRef(store::FileOffset(1), 0); },
      [](MessageItem& m) { m.properties.addItemProperties({u"x"}); },
      [](MessageItem& m) { m.bodyPosition = store::FileOffset(1); },
      [](MessageItem& m) { m.bodyLength = 1; },
      [](MessageItem& m) { m.recipientPosition = store::FileOffset(1); },
      [](MessageItem& m) { m.recipientLength = 1; },
      [](MessageItem& m) { m.kind = FolderKind::Contacts; },
      [](MessageItem& m) { m.bodyKeyA = LongValueKey{}; },
      [](MessageItem& m) { m.bodyKeyB = LongValueKey{}; },
      [](MessageItem& m) { m.primaryOffset = 1; },
      [](MessageItem& m) { m.secondaryOffset = 1; },
      [](MessageItem& m) { m.thirdOffset = 1; },
      [](MessageItem& m) { m.thirdLength = 1; },
  };
  MessageItemList items;
  items.addMessageItem(MessageItem{});  // empty, but first: stays
  std::uint8_t n = 1;
  for (const auto& find : finds) {
    items.addMessageItem(MessageItem{});  // empty: goes
    MessageItem kept;
    kept.messageId = mid(n++);
    find(kept);
    items.addMessageItem(std::move(kept));
  }
  items.pruneEmptyItems();
  ASSERT_EQ(items.size(), finds.size() + 1);
  EXPECT_TRUE(items[0].holdsNothing());
  for (std::uint8_t i = 1; i < n; ++i) {
    auto at = items.positionsOf(mid(i));
    ASSERT_EQ(at.size(), 1u) << int(i);
    EXPECT_EQ(at[0], i);
  }
  EXPECT_EQ(items.positionsOf(mid(0)).size(), 1u);
}

// Positions of an id listed several times stay in list order through copies and pruning.
TEST(ScanModel, RepeatedMessageIdsKeepTheirPositions) {
  MessageItemList items;
  auto add = [&](std::uint8_t id, bool found) {
    MessageItem item;
    item.messageId = mid(id);
    item.recordFound = found;
    items.addMessageItem(std::move(item));
  };
  add(7, true);
  add(8, true);
  add(7, false);  // found nothing: pruned below
  add(7, true);
  const std::vector<std::size_t> all(items.positionsOf(mid(7)).begin(), items.positionsOf(mid(7)).end());
  EXPECT_EQ(all, (std::vector<std::size_t>{0, 2, 3}));
  MessageItemList copy;
  copy = items;
  items.clear();
  const std::vector<std::size_t> copied(copy.positionsOf(mid(7)).begin(), copy.positionsOf(mid(7)).end());
  EXPECT_EQ(copied, all);
  ASSERT_EQ(copy.positionsOf(mid(8)).size(), 1u);
  EXPECT_EQ(copy.positionsOf(mid(8))[0], 1u);
  copy.pruneEmptyItems();
  const std::vector<std::size_t> pruned(copy.positionsOf(mid(7)).begin(), copy.positionsOf(mid(7)).end());
  EXPECT_EQ(pruned, (std::vector<std::size_t>{0, 2}));
  EXPECT_TRUE(copy.positionsOf(mid(9)).empty());
}

TEST(ScanModel, ClearModelEmptiesEveryListAndCounter) {
  ScanModel model;
  std::vector<std::uint8_t> page(4096, 0);
  store::recordPageVisit(model.pages, page, store::FileOffset(4096));
  model.folderTables.addTableEntry(1, store::PageNumber(1));
  model.messageTables.addTableEntry(1, store::PageNumber(1));
  model.longValueTables.addTableEntry(1, store::PageNumber(1));
  model.MessageColumnList.addColumnEntry(1, 1, 'A');
  model.NoteColumnList.addColumnEntry(1, 1, 'S');
  model.AttachmentColumnList.addColumnEntry(1, 1, 'A');
  model.ContainerClassColumnList.addColumnEntry(1, 1, 'C');
  model.folders.addFolderNode(fid(1), FolderId{}, u"Root", analysis::FolderKind::Other, 0, std::nullopt);
  model.folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 0, std::nullopt);
  model.copyMailboxRoots();
  ASSERT_EQ(model.mailboxes.size(), 1u);
  EXPECT_EQ(model.mailboxes[0].name, u"Root");
  model.scratchPages.addHeaderPage(store::SectorPosition(8));
  EXPECT_TRUE(model.addHeaderTable(fid(2), std::nullopt, 9, analysis::FolderKind::Other));
  EXPECT_TRUE(model.scratchPages.empty());
  model.scratchPages.addHeaderPage(store::SectorPosition(8));
  model.messageHeaders.addMessageHeader(MessageHeader{});
  model.messages.addMessageItem(MessageItem{});
  EXPECT_EQ(model.messageHeaderCount(), 1u);

  model.clearModel();
  EXPECT_TRUE(model.pages.empty());
  EXPECT_EQ(model.pages.VisitedPageCount(), 0u);
  EXPECT_TRUE(model.folderTables.empty() && model.messageTables.empty() && model.longValueTables.empty());
  EXPECT_TRUE(model.MessageColumnList.empty() && model.NoteColumnList.empty() && model.AttachmentColumnList.empty() &&
              model.ContainerClassColumnList.empty());
  EXPECT_TRUE(model.folders.empty() && model.mailboxes.empty() && model.scratchPages.empty());
  EXPECT_TRUE(model.headerTables.empty() && model.messageHeaders.empty() && model.messages.empty());
  EXPECT_EQ(model.messageHeaderCount(), 0u);
  // Cleared lists forget their uniqueness keys too.
  EXPECT_TRUE(model.folderTables.addTableEntry(1, store::PageNumber(1)));
  EXPECT_TRUE(model.folders.addFolderNode(fid(1), FolderId{}, u"Root", analysis::FolderKind::Other, 0, std::nullopt));
  EXPECT_TRUE(model.addHeaderTable(fid(2), std::nullopt, 9, analysis::FolderKind::Other));
}

// The index by id grows as a folder's list is built without a size given up front, and
// finds every id, repeated ones with all their positions, and nothing for an id not listed.
TEST(ScanModel, TheMessageIndexFindsEveryIdOfALargeList) {
  auto id = [](std::uint32_t n) {
    MessageId m;
    m.bytes = {0x06,
               0x00,
               static_cast<std::uint8_t>(n),
               static_cast<std::uint8_t>(n >> 8),
               static_cast<std::uint8_t>(n >> 16),
               0x00,
               0x00,
               0x00};
    return m;
  };
  MessageItemList items;
  std::vector<std::vector<std::size_t>> expected(5000);
  for (std::uint32_t n = 0; n < 5000; ++n) {
    MessageItem item;
    item.messageId = id(n);
    expected[n].push_back(items.size());
    items.addMessageItem(std::move(item));
    if (n % 7 == 0) {  // the same message listed again further on
      MessageItem again;
      again.messageId = id(n / 2);
      expected[n / 2].push_back(items.size());
      items.addMessageItem(std::move(again));
    }
  }
  for (std::uint32_t n = 0; n < 5000; ++n) {
    const auto at = items.positionsOf(id(n));
    EXPECT_EQ(std::vector<std::size_t>(at.begin(), at.end()), expected[n]) << n;
  }
  EXPECT_TRUE(items.positionsOf(id(5000)).empty());
  EXPECT_TRUE(items.positionsOf(mid(1)).empty());
}

}  // namespace
}  // namespace tarnwick::analysis
