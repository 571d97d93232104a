#include "analysis/AttachmentScanner.h"

#include "codec/SevenBitText.h"

#include <algorithm>
#include <variant>

namespace tarnwick::analysis {

namespace {

std::string consumedKey(std::size_t item, const AttachmentId& id) {
  std::string key(reinterpret_cast<const char*>(&item), sizeof item);
  key.append(reinterpret_cast<const char*>(id.bytes.data()), id.bytes.size());
  return key;
}

}  // namespace

AttachmentScanner::AttachmentScanner(MessageItemList& items, store::PageSizeClass pageSizeClass,
                                     const ColumnList& attachmentColumns, std::optional<std::size_t> singleItem)
    : items_(items), pageSizeClass_(pageSizeClass), attachmentColumns_(attachmentColumns), single_(singleItem) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (single_ && *single_ != i) continue;
    for (const AttachmentId& id : items_[i].attachmentIds) {
      std::vector<std::size_t>& list = holders_[id];
      if (list.empty() || list.back() != i) list.push_back(i);
    }
  }
}

AttachmentColumns AttachmentScanner::columnsFor(std::uint32_t pageObjectId) {
  if (!store::isLargePage(pageSizeClass_)) return AttachmentColumns::smallPageStore();
  auto found = columnsByTable_.find(pageObjectId);
  if (found != columnsByTable_.end()) return found->second;
  AttachmentColumns c;
  for (const ColumnEntry& e : attachmentColumns_) {
    if (e.tableObjectId != pageObjectId) continue;
    std::uint16_t* field = e.letter == 'C'   ? &c.longFileName
                           : e.letter == 'A' ? &c.displayName
                           : e.letter == 'B' ? &c.fileName
                           : e.letter == 'I' ? &c.data
                                             : nullptr;
    if (field != nullptr && *field == 0) *field = e.columnId;
  }
  columnsByTable_.emplace(pageObjectId, c);
  return c;
}

bool AttachmentScanner::singleItemDone() const {
  if (!single_ || !store::isLargePage(pageSizeClass_)) return false;
  for (const AttachmentId& id : items_[*single_].attachmentIds) {
    if (!consumed_.contains(consumedKey(*single_, id))) return false;
  }
  return true;
}

bool AttachmentScanner::scanAttachmentPage(std::span<const std::uint8_t> page, store::FileOffset pageOffset,
                                           std::uint32_t pageObjectId, const std::optional<std::string>& tableSuffix) {
  const std::vector<AttachmentCandidate> candidates = findAttachmentCandidates(page, pageSizeClass_);
  if (candidates.empty()) return false;
  const bool large = store::isLargePage(pageSizeClass_);
  const AttachmentColumns columns = columnsFor(pageObjectId);
  const NameUnpacker unpack = large ? NameUnpacker(codec::unpack7Bit) : NameUnpacker();
  std::unordered_map<AttachmentId, std::vector<std::size_t>> byId;
  std::vector<std::size_t> holders;  // items holding an identifier of this page
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    std::optional<AttachmentIdBytes> bytes = candidateIdentifier(page, candidates[i]);
    if (!bytes) continue;
    AttachmentId id = AttachmentId::fromBytes(*bytes);
    auto held = holders_.find(id);
    if (held == holders_.end()) continue;
    auto& list = byId[id];
    if (list.empty()) holders.insert(holders.end(), held->second.begin(), held->second.end());
    list.push_back(i);
  }
  // Items in list order, each with its identifiers in its own order, so that attachments
  // are listed as the message lists them.
  std::sort(holders.begin(), holders.end());
  holders.erase(std::unique(holders.begin(), holders.end()), holders.end());
  for (std::size_t itemAt : holders) {
    MessageItem& item = items_[itemAt];
    if (large && item.ownerKey != tableSuffix) continue;
    for (const AttachmentId& id : item.attachmentIds) {
      auto rows = byId.find(id);
      if (rows == byId.end()) continue;
      if (large && consumed_.contains(consumedKey(itemAt, id))) continue;
      for (std::size_t ci : rows->second) {
        AttachmentRowResult r = readAttachmentRow(page, static_cast<std::uint64_t>(pageOffset.value), pageSizeClass_,
                                                  candidates[ci], id.bytes, columns, unpack);
        if (const AttachmentRowMiss* miss = std::get_if<AttachmentRowMiss>(&r)) {
          if (*miss == AttachmentRowMiss::NotThisRow) continue;
          break;
        }
        AttachmentRow& row = std::get<AttachmentRow>(r);
        AttachmentItem attachment;
        attachment.dataLength = row.dataLength;
        attachment.dataOffset = store::FileOffset(static_cast<std::int64_t>(row.dataOffset));
        attachment.fileName = std::move(row.name);
        attachment.longValueKey = row.longValueKey;
        if (large) {
          attachment.ownerObjectId = std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(pageObjectId & 0xFF),
                                                                 static_cast<std::uint8_t>((pageObjectId >> 8) & 0xFF)};
        }
        item.attachments.addAttachmentItem(std::move(attachment));
        ++accepted_;
        if (large) consumed_.insert(consumedKey(itemAt, id));
        break;
      }
    }
  }
  return true;
}

}  // namespace tarnwick::analysis
