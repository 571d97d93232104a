#pragma once

#include "analysis/AttachmentRowReader.h"
#include "analysis/CatalogueLists.h"
#include "analysis/MessageItems.h"
#include "store/PageSizeClass.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarnwick::analysis {

// Turns the attachment rows of attachment-table pages into AttachmentItems of the items
// whose attachment identifiers name them. One scanner serves one pass over the pages: it
// indexes the items' identifiers once, so a page costs its own rows, not a walk of the
// message list.
class AttachmentScanner {
 public:
  // `singleItem`: complete only that item (preview); otherwise every item of `items`.
  AttachmentScanner(MessageItemList& items, store::PageSizeClass pageSizeClass, const ColumnList& attachmentColumns,
                    std::optional<std::size_t> singleItem = std::nullopt);

  // One page: its bytes, file offset and owner object id, and in 32 KB stores the table's
  // mailbox key (only items of that mailbox are completed). Returns false when the page
  // holds no candidate row.
  bool scanAttachmentPage(std::span<const std::uint8_t> page, store::FileOffset pageOffset, std::uint32_t pageObjectId,
                          const std::optional<std::string>& tableSuffix);

  // 32 KB stores consume an identifier once its row is found: whether the single item
  // has identifiers left to find.
  bool singleItemDone() const;
  // Attachment rows accepted so far (the progress counter of the save).
  std::uint32_t rowsAccepted() const { return accepted_; }

 private:
  AttachmentColumns columnsFor(std::uint32_t pageObjectId);

  MessageItemList& items_;
  store::PageSizeClass pageSizeClass_;
  const ColumnList& attachmentColumns_;
  std::optional<std::size_t> single_;
  std::unordered_map<AttachmentId, std::vector<std::size_t>> holders_;  // identifier -> items
  std::unordered_set<std::string> consumed_;                            // item + identifier (32 KB)
  std::unordered_map<std::uint32_t, AttachmentColumns> columnsByTable_;
  std::uint32_t accepted_ = 0;
};

}  // namespace tarnwick::analysis
