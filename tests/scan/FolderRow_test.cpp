#include "analysis/FolderRow.h"
#include "content/SevenBitText.h"
#include "tests/scan/StoreBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::Id8;

const Id8 kMailbox{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};
const Id8 kOtherMailbox{0x05, 0, 0, 0, 0x11, 0x22, 0x33, 0x44};
const Id8 kFolder{0x01, 0, 0, 0, 0, 0, 0, 0x1C};
const Id8 kParent{0x02, 0, 0, 0, 0, 0, 0, 0x1D};

MailboxIdIndex Mailboxes(std::initializer_list<Id8> ids) {
  MailboxIdIndex index;
  for (const auto& id : ids) index.add(FolderId::fromBytes(id));
  return index;
}

TEST(FolderRowSmall, TopLevelFolderHasTheMailboxAsParent) {
  auto row = parseFolderRowSmall(testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note"),
                                 Mailboxes({kOtherMailbox, kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->id.bytes, kFolder);
  EXPECT_EQ(row->parentId.bytes, kMailbox);
  EXPECT_EQ(row->name, u"Inbox");
  EXPECT_EQ(row->kind, 0);
}

TEST(FolderRowSmall, SubfolderTakesTheEightBytesBeforeTheMailboxIdAsParent) {
  auto row = parseFolderRowSmall(testing::FolderRowSmall(kFolder, kParent, kMailbox, u"Projects", u"IPF.Task"),
                                 Mailboxes({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->parentId.bytes, kParent);
  EXPECT_EQ(row->kind, 't');
}

TEST(FolderRowSmall, ContainerClassIsAPrefixTestAndNotesNeedTheirName) {
  const auto mailboxes = Mailboxes({kMailbox});
  auto kindOf = [&](std::u16string_view name, std::u16string_view cls) {
    auto row = parseFolderRowSmall(testing::FolderRowSmall(kFolder, kMailbox, kMailbox, name, cls), mailboxes, 0x0147);
    return row ? row->kind : 0xFF;
  };
  EXPECT_EQ(kindOf(u"Contacts", u"IPF.Contact"), 'c');
  EXPECT_EQ(kindOf(u"Calendar", u"ipf.appointment"), 'a');
  EXPECT_EQ(kindOf(u"notes", u"IPF.NOTE"), 'n');
  EXPECT_EQ(kindOf(u"Notes", u"IPF.Note.Archive"), 'n');  // prefix test in 4 KB/8 KB stores
  EXPECT_EQ(kindOf(u"Stickies", u"IPF.StickyNote"), 0);
  EXPECT_EQ(kindOf(u"Journal", u"IPF.Journal"), 'j');
  EXPECT_EQ(kindOf(u"Other", u"IPF.Unknown"), 0);
  // Another container-class column id: the class is not found, kind 0.
  auto row = parseFolderRowSmall(testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"Contacts", u"IPF.Contact"),
                                 mailboxes, 0x0200);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->kind, 0);
}

TEST(FolderRowSmall, RowsThatDoNotFitAreSkipped) {
  const auto mailboxes = Mailboxes({kMailbox});
  // No known mailbox id in the row.
  EXPECT_FALSE(parseFolderRowSmall(testing::FolderRowSmall(kFolder, kParent, kOtherMailbox, u"X", u"IPF.Note"),
                                   mailboxes, 0x0147));
  // The directory's third column is not the name column.
  Bytes r = testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"X", u"IPF.Note");
  testing::Put16(r, 208, 0x0106);
  EXPECT_FALSE(parseFolderRowSmall(r, mailboxes, 0x0147));
  // A folder id whose first two bytes read as a negative number.
  Id8 negative = kFolder;
  negative[1] = 0x80;
  EXPECT_FALSE(parseFolderRowSmall(testing::FolderRowSmall(negative, kMailbox, kMailbox, u"X", u"IPF.Note"), mailboxes,
                                   0x0147));
  // No marker A7 in the first 16 bytes.
  r = testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"X", u"IPF.Note");
  r[6] = 0;
  EXPECT_FALSE(parseFolderRowSmall(r, mailboxes, 0x0147));
  // Truncated rows never read past their end.
  r = testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note");
  for (std::size_t cut = 0; cut < r.size(); cut += 7) {
    Bytes part(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(cut));
    auto row = parseFolderRowSmall(part, mailboxes, 0x0147);
    if (row) {
      EXPECT_LE(row->name.size(), 5u);
    }
  }
}

TEST(FolderRowSmall, AMarkerAtTheStartMakesTheWindowFromTheLengthsBeforeIt) {
  // A7 at position 1: the window start adds the byte before it (and two bytes before the
  // row, read as zero).
  Bytes r = testing::FolderRowSmall(kFolder, kMailbox, kMailbox, u"Inbox", u"IPF.Note");
  r[6] = 0;
  r[1] = 0xA7;
  r[0] = 160;  // window from 161
  auto row = parseFolderRowSmall(r, Mailboxes({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name, u"Inbox");
}

TEST(FolderRowSmall, NamesAreCutTo260Characters) {
  auto row = parseFolderRowSmall(
      testing::FolderRowSmall(kFolder, kMailbox, kMailbox, std::u16string(400, u'n'), u"IPF.Note"),
      Mailboxes({kMailbox}), 0x0147);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name.size(), kMaxFolderNameChars);
}

// A 32 KB folder row: the marker CA 00 at 0 (so B = 10 and the 16-bit value V at B - 10 is
// the marker itself, 202), folder id at 2, parent id at 10; the first directory try reads
// the byte at Q = B + V - 12 = 200, which holds 4, so the directory starts at 206.
Bytes LargeRow(const Id8& folder, const Id8& parent, const Bytes& nameValue, const Bytes& classValue,
               std::uint16_t classColumn = 0x3613) {
  Bytes r(201, 0);
  r[0] = 0xCA;
  r[1] = 0x00;
  testing::PutId(r, 2, folder);
  testing::PutId(r, 10, parent);
  r[200] = 4;
  const std::size_t d = 206;
  const std::uint16_t entries = 5 * 4;
  const std::uint16_t nameAt = entries + 3;
  const auto classAt = static_cast<std::uint16_t>(nameAt + nameValue.size());
  const auto end = static_cast<std::uint16_t>(classAt + classValue.size());
  testing::Put16(r, d, 0x0101);
  testing::Put16(r, d + 2, entries);
  testing::Put16(r, d + 4, 0x0104);
  testing::Put16(r, d + 6, entries);
  testing::Put16(r, d + 8, 0x0105);
  testing::Put16(r, d + 10, nameAt);
  testing::Put16(r, d + 12, classColumn);
  testing::Put16(r, d + 14, classAt);
  testing::Put16(r, d + 16, 0x0150);
  testing::Put16(r, d + 18, end);
  r.resize(d + end + 2, 0);
  testing::PutBytes(r, d + nameAt, nameValue.data(), nameValue.size());
  testing::PutBytes(r, d + classAt, classValue.data(), classValue.size());
  return r;
}

// A value as a 32 KB row stores it: the format byte, then the text, 7-bit packed for
// format 3 and plain UTF-16 otherwise.
Bytes Packed(std::string_view ascii) {
  auto packed = content::encode7Bit(std::span(reinterpret_cast<const std::uint8_t*>(ascii.data()), ascii.size()),
                                    content::SevenBitKind::Ascii);
  Bytes v(1 + packed->size(), 3);
  std::copy(packed->begin(), packed->end(), v.begin() + 1);
  return v;
}
Bytes Plain(std::u16string_view text) {
  Bytes v(1 + 2 * text.size(), 1);
  testing::PutUtf16(v, 1, text);
  return v;
}

TEST(FolderRowLarge, DecodesPackedNamesAndClassesExactly) {
  auto row = parseFolderRowLarge(LargeRow(kFolder, kParent, Packed("Contacts"), Packed("IPF.Contact")), 0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->id.bytes, kFolder);
  EXPECT_EQ(row->parentId.bytes, kParent);
  EXPECT_EQ(row->name, u"Contacts");
  EXPECT_EQ(row->kind, 'c');
  // The whole class is compared in a 32 KB store: a longer class is not a note folder.
  row = parseFolderRowLarge(LargeRow(kFolder, kParent, Packed("Notes"), Packed("IPF.Note.Archive")), 0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->kind, 0);
  row = parseFolderRowLarge(LargeRow(kFolder, kParent, Packed("Notes"), Packed("ipf.note")), 0x3613);
  EXPECT_EQ(row->kind, 'n');
}

TEST(FolderRowLarge, NamesStoredWithoutPackingAreReadAsUtf16) {
  auto row = parseFolderRowLarge(LargeRow(kFolder, kParent, Plain(u"Entwürfe"), Plain(u"IPF.Note")), 0x3613);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name, u"Entwürfe");
}

TEST(FolderRowLarge, BadPackingOrDirectoryGivesNoFolder) {
  Bytes broken = Packed("Inbox");
  broken.back() |= 0x80;  // padding bits set: not 7-bit text
  auto row = parseFolderRowLarge(LargeRow(kFolder, kParent, broken, Packed("IPF.Note")), 0x3613);
  EXPECT_TRUE(!row || row->name.empty());
  Bytes r = LargeRow(kFolder, kParent, Packed("Inbox"), Packed("IPF.Note"));
  r[200] = r[202] = r[204] = 40;  // every try misses the directory
  EXPECT_FALSE(parseFolderRowLarge(r, 0x3613));
  for (std::size_t cut = 0; cut < r.size(); ++cut) {
    parseFolderRowLarge(std::span(r.data(), cut), 0x3613);
  }
}

}  // namespace
}  // namespace tarnwick::analysis
