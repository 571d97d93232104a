#include "content/MessageListFill.h"

#include "content/BodyFile.h"
#include "content/HeaderTexts.h"
#include "content/ReadAhead.h"

#include <optional>
#include <utility>

namespace tarnwick::content {

std::vector<MessageRow> buildMessageRows(const analysis::MessageItemList& items, const analysis::FolderNode& folder,
                                         std::u16string_view mailboxText, const store::ByteSource& database,
                                         const store::StoreGeometry& geometry, const std::atomic<bool>* stop) {
  std::vector<MessageRow> rows;
  rows.reserve(items.size());
  const bool large = store::isLargePage(geometry.PageSizeClass);
  const ListedFolder listed{folder.name, folder.kind};
  HeaderPageCache pages;
  auto ofFolder = [&](const analysis::MessageItem& item) {
    return item.folderId == folder.id && (!large || item.ownerKey == folder.ownerKey);
  };
  // The header pages of the folder's items, in the order the rows read them, announced
  // ahead of the reads.
  std::vector<std::int64_t> headerPages;
  for (const analysis::MessageItem& item : items) {
    if (!ofFolder(item)) continue;
    if (headerPages.empty() || headerPages.back() != item.pageOffset.value)
      headerPages.push_back(item.pageOffset.value);
  }
  ReadAhead ahead(database, geometry.PageSize > 0 ? static_cast<std::size_t>(geometry.PageSize) : 0,
                  std::move(headerPages));
  std::size_t headerPage = 0;
  std::optional<std::int64_t> lastHeaderPage;
  for (const analysis::MessageItem& item : items) {
    if (!ofFolder(item)) continue;
    if (stop != nullptr && stop->load()) break;
    if (item.pageOffset.value != lastHeaderPage) {
      if (lastHeaderPage) ++headerPage;
      lastHeaderPage = item.pageOffset.value;
      ahead.before(headerPage);
    }
    // Items whose date the list does not show cost no page read.
    std::optional<LocalTimeParts> time = listTimeParts(item.time);
    if (!time || !isListedDate(*time)) continue;
    HeaderTexts texts = readHeaderTexts(database, geometry, item, &pages);
    rows.push_back(makeMessageRow(item, std::move(texts), listed, mailboxText, *time));
  }
  return rows;
}

std::optional<std::size_t> findListedItem(const analysis::MessageItemList& items, const analysis::FolderNode& folder,
                                          const analysis::MessageId& messageId, bool largePages) {
  for (std::size_t at : items.positionsOf(messageId)) {
    const analysis::MessageItem& item = items[at];
    if (item.folderId != folder.id) continue;
    if (largePages && (!item.ownerKey || !folder.ownerKey || *item.ownerKey != *folder.ownerKey)) continue;
    return at;
  }
  return std::nullopt;
}

void deletePreviewBodyFiles(const std::filesystem::path& workingDirectory) {
  std::error_code ignored;
  for (BodyForm form : {BodyForm::UnicodeText, BodyForm::EightBitText, BodyForm::Rtf}) {
    std::filesystem::remove(workingDirectory / bodyFileName(form), ignored);
  }
}

}  // namespace tarnwick::content
