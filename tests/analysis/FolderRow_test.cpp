#include "analysis/FolderRow.h"
#include "codec/SevenBitText.h"
#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::Id8;

const Id8 kMailbox{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};
const Id8 kOtherMailbox{0x05, 0, 0, 0, 0x11, 0x22, 0x33, 0x44};
const Id8 kFolder{0x01, 0, 0, 0, 0, 0, 0, 0x1C};
const Id8 kParent{0x02, 0, 0, 0, 0, 0, 0, 0x1D};

MailboxIdIndex mailboxIndex(std::initializer_list<Id8> ids) {
  MailboxIdIndex index;
  for (const auto& id : ids) index.add(FolderId::fromBytes(id));
  return index;
}

TEST(folderRowSmall, TopLevelFolderHasTheMailboxAsParent) {
  auto row = parseFolderRowSmall(testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note"),
                                 mailboxIndex({kOtherMailbox, kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->id.bytes, kFolder);
  EXPECT_EQ(row->parentId.bytes, kMailbox);
  EXPECT_EQ(row->name, u"Inbox");
  EXPECT_EQ(row->kind, FolderKind::Other);
}

TEST(folderRowSmall, SubfolderTakesTheEightBytesBeforeTheMailboxIdAsParent) {
  auto row = parseFolderRowSmall(testing::folderRowSmall(kFolder, kParent, kMailbox, u"Projects", u"IPF.Task"),
                                 mailboxIndex({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->parentId.bytes, kParent);
  EXPECT_EQ(row->kind, FolderKind::Tasks);
}

TEST(folderRowSmall, ContainerClassIsAPrefixTestAndNotesNeedTheirName) {
  const auto mailboxes = mailboxIndex({kMailbox});
  auto kindOf = [&](std::u16string_view name, std::u16string_view cls) {
    auto row = parseFolderRowSmall(testing::folderRowSmall(kFolder, kMailbox, kMailbox, name, cls), mailboxes, 0x0147);
    return row ? std::optional<FolderKind>(row->kind) : std::nullopt;
  };
  EXPECT_EQ(kindOf(u"Contacts", u"IPF.Contact"), FolderKind::Contacts);
  EXPECT_EQ(kindOf(u"Calendar", u"ipf.appointment"), FolderKind::Calendar);
  EXPECT_EQ(kindOf(u"notes", u"IPF.NOTE"), FolderKind::Notes);
  EXPECT_EQ(kindOf(u"Notes", u"IPF.Note.Archive"), FolderKind::Notes);  // prefix test in 4 KB/8 KB stores
  EXPECT_EQ(kindOf(u"Stickies", u"IPF.StickyNote"), FolderKind::Other);
  EXPECT_EQ(kindOf(u"Journal", u"IPF.Journal"), FolderKind::Journal);
  EXPECT_EQ(kindOf(u"Other", u"IPF.Unknown"), FolderKind::Other);
  // Another container-class column id: the class is not found, kind Other.
  auto row = parseFolderRowSmall(testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"Contacts", u"IPF.Contact"),
                                 mailboxes, 0x0200);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->kind, FolderKind::Other);
}

TEST(folderRowSmall, RowsThatDoNotFitAreSkipped) {
  const auto mailboxes = mailboxIndex({kMailbox});
  // No known mailbox id in the row.
  EXPECT_FALSE(parseFolderRowSmall(testing::folderRowSmall(kFolder, kParent, kOtherMailbox, u"X", u"IPF.Note"),
                                   mailboxes, 0x0147));
  // The directory's third column is not the name column.
  Bytes r = testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"X", u"IPF.Note");
  testing::putU16(r, 208, 0x0106);
  EXPECT_FALSE(parseFolderRowSmall(r, mailboxes, 0x0147));
  // A folder id whose first two bytes read as a negative number.
  Id8 negative = kFolder;
  negative[1] = 0x80;
  EXPECT_FALSE(
      parseFolderRowSmall(testing::folderRowSmall(negative, kMailbox, kMailbox, u"X", u"IPF.Note"), mailboxes, 0x0147));
  // No marker A7 in the first 16 bytes.
  r = testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"X", u"IPF.Note");
  r[6] = 0;
  EXPECT_FALSE(parseFolderRowSmall(r, mailboxes, 0x0147));
  // Truncated rows never read past their end.
  r = testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note");
  for (std::size_t cut = 0; cut < r.size(); cut += 7) {
    Bytes part(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(cut));
    auto row = parseFolderRowSmall(part, mailboxes, 0x0147);
    if (row) {
      EXPECT_LE(row->name.size(), 5u);
    }
  }
}

TEST(folderRowSmall, AMarkerAtTheStartMakesTheWindowFromTheLengthsBeforeIt) {
  // A7 at position 1: the window start adds the byte before it (and two bytes before the
  // row, read as zero).
  Bytes r = testing::folderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note");
  r[6] = 0;
  r[1] = 0xA7;
  r[0] = 160;  // window from 161
  auto row = parseFolderRowSmall(r, mailboxIndex({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name, u"Inbox");
}

TEST(folderRowSmall, NamesAreCutTo260Characters) {
  auto row =
      parseFolderRowSmall(testing::folderRowSmall(kFolder, kMailbox, kMailbox, std::u16string(400, u'n'), u"IPF.Note"),
                          mailboxIndex({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name.size(), kMaxFolderNameChars);
}

TEST(folderRowLarge, DecodesPackedNamesAndClassesExactly) {
  auto row = parseFolderRowLarge(
      testing::folderRowLarge(kFolder, kParent, testing::packedValue("Contacts"), testing::packedValue("IPF.Contact")),
      0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->id.bytes, kFolder);
  EXPECT_EQ(row->parentId.bytes, kParent);
  EXPECT_EQ(row->name, u"Contacts");
  EXPECT_EQ(row->kind, FolderKind::Contacts);
  // The whole class is compared in a 32 KB store: a longer class is not a note folder.
  row = parseFolderRowLarge(testing::folderRowLarge(kFolder, kParent, testing::packedValue("Notes"),
                                                    testing::packedValue("IPF.Note.Archive")),
                            0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->kind, FolderKind::Other);
  row = parseFolderRowLarge(
      testing::folderRowLarge(kFolder, kParent, testing::packedValue("Notes"), testing::packedValue("ipf.note")),
      0x3613);
  EXPECT_EQ(row->kind, FolderKind::Notes);
}

TEST(folderRowLarge, NamesStoredWithoutPackingAreReadAsUtf16) {
  auto row = parseFolderRowLarge(
      testing::folderRowLarge(kFolder, kParent, testing::plainValue(u"Entwürfe"), testing::plainValue(u"IPF.Note")),
      0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name, u"Entwürfe");
}

TEST(folderRowLarge, BadPackingOrDirectoryGivesNoFolder) {
  Bytes broken = testing::packedValue("Inbox");
  broken.back() |= 0x80;  // padding bits set: not 7-bit text
  auto row =
      parseFolderRowLarge(testing::folderRowLarge(kFolder, kParent, broken, testing::packedValue("IPF.Note")), 0x3613);
  EXPECT_TRUE(!row || row->name.empty());
  Bytes r = testing::folderRowLarge(kFolder, kParent, testing::packedValue("Inbox"), testing::packedValue("IPF.Note"));
  r[200] = r[202] = r[204] = 40;  // every try misses the directory
  EXPECT_FALSE(parseFolderRowLarge(r, 0x3613));
  for (std::size_t cut = 0; cut < r.size(); ++cut) {
    parseFolderRowLarge(std::span(r.data(), cut), 0x3613);
  }
}

}  // namespace
}  // namespace tarnwick::analysis
