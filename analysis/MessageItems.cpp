#include "analysis/MessageItems.h"

#include <algorithm>

namespace tarnwick::analysis {

MessageItem MessageItem::fromHeader(const MessageHeader& header) {
  MessageItem item;
  item.pageOffset = header.pageOffset;
  item.primaryOffset = header.primaryOffset;
  item.secondaryOffset = header.secondaryOffset;
  item.primaryLength = header.primaryLength;
  item.secondaryLength = header.secondaryLength;
  item.thirdOffset = header.thirdOffset;
  item.thirdLength = header.thirdLength;
  item.messageId = header.messageId;
  item.folderId = header.folderId;
  item.time = header.time;
  item.kind = header.flag;
  item.ownerKey = header.ownerKey;
  item.appointment = header.appointment;
  return item;
}

bool MessageItem::holdsNothing() const {
  return !recordFound && attachments.empty() && attachmentIds.empty() && !appointment && bodyChunksA.empty() &&
         bodyChunksB.empty() && properties.empty() && bodyPosition.value == 0 && bodyLength == 0 &&
         recipientPosition.value == 0 && recipientLength == 0 && kind == 0 && !bodyKeyA && !bodyKeyB &&
         primaryOffset == 0 && secondaryOffset == 0 && thirdOffset == 0 && thirdLength == 0;
}

void MessageItemList::addMessageItem(MessageItem item) {
  index(item.messageId, items_.size());
  items_.push_back(std::move(item));
}

void MessageItemList::pruneEmptyItems() {
  if (items_.size() < 2) return;
  const auto gone =
      std::remove_if(items_.begin() + 1, items_.end(), [](const MessageItem& item) { return item.holdsNothing(); });
  if (gone == items_.end()) return;
  items_.erase(gone, items_.end());
  byMessageId_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) index(items_[i].messageId, i);
}

std::span<const std::size_t> MessageItemList::positionsOf(const MessageId& messageId) const {
  auto it = byMessageId_.find(messageId);
  if (it == byMessageId_.end()) return {};
  const Positions& p = it->second;
  if (p.all.empty()) return {&p.first, 1};
  return p.all;
}

void MessageItemList::index(const MessageId& messageId, std::size_t position) {
  auto [it, added] = byMessageId_.try_emplace(messageId);
  Positions& p = it->second;
  if (added) {
    p.first = position;
    return;
  }
  if (p.all.empty()) p.all.push_back(p.first);
  p.all.push_back(position);
}

void MessageItemList::clear() {
  items_.clear();
  byMessageId_.clear();
}

}  // namespace tarnwick::analysis
