// A message's attachments are listed in the order of its identifiers, whatever the order of
// their rows in the page.
#include "analysis/AttachmentScanner.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>

namespace tarnwick::analysis {
namespace {

using testing::appendBytes;
using testing::appendUtf16;
using testing::Bytes;
using testing::makeLeafPage;
using testing::narrow;
using testing::putU16;

// A 4 KB attachment row: marker, identifier, then data (0x0107) and long file name (0x010A).
Bytes row(const AttachmentIdBytes& id, std::u16string_view name) {
  Bytes r{0x55, 0x55, 1, 0, 0, 0, 0, 0, 0, 9};
  appendBytes(r, Bytes(id.begin(), id.end()));
  r.resize(r.size() + 4, 0x33);
  Bytes data{0x01, 'x', 'y', 'z'};
  Bytes text{0x01};
  appendUtf16(text, name);
  Bytes d(8, 0);
  putU16(d, 0, 0x0107);
  putU16(d, 2, 8);
  putU16(d, 4, 0x010A);
  putU16(d, 6, static_cast<std::uint16_t>(8 + data.size()));
  appendBytes(d, data);
  appendBytes(d, text);
  appendBytes(r, d);
  return r;
}

TEST(AttachmentOrder, ListedAsTheMessageListsItsIdentifiers) {
  const AttachmentIdBytes first{0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28};
  const AttachmentIdBytes second{0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38};
  const AttachmentIdBytes third{0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48};
  // Rows in the page: third, first, second.
  const Bytes page = makeLeafPage(4096, store::PageSizeClass::Page4K,
                                  {row(third, u"c.txt"), row(first, u"a.txt"), row(second, u"b.txt")}, nullptr, 61);
  MessageItemList items;
  MessageItem item;
  item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(first));
  item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(second));
  item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(third));
  items.addMessageItem(std::move(item));
  ColumnList columns;
  AttachmentScanner scanner(items, store::PageSizeClass::Page4K, columns);
  ASSERT_TRUE(scanner.scanAttachmentPage(page, store::FileOffset(0x10000), 61, std::nullopt));
  ASSERT_EQ(items[0].attachments.size(), 3u);
  EXPECT_EQ(narrow(items[0].attachments[0].fileName), "a.txt");
  EXPECT_EQ(narrow(items[0].attachments[1].fileName), "b.txt");
  EXPECT_EQ(narrow(items[0].attachments[2].fileName), "c.txt");
}

}  // namespace
}  // namespace tarnwick::analysis
