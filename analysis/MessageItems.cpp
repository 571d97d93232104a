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
         recipientPosition.value == 0 && recipientLength == 0 && kind == FolderKind::Other && !bodyKeyA && !bodyKeyB &&
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
  std::fill(slots_.begin(), slots_.end(), Slot{});
  used_ = 0;
  more_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) index(items_[i].messageId, i);
}

void MessageItemList::reserve(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  if (capacity > slots_.size()) growIndex(capacity);
}

std::size_t MessageItemList::slotOf(const MessageId& messageId) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = std::hash<MessageId>{}(messageId)&mask;
  while (slots_[at].first != kEmpty && slots_[at].id != messageId) at = (at + 1) & mask;
  return at;
}

void MessageItemList::growIndex(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  for (const Slot& slot : old) {
    if (slot.first != kEmpty) slots_[slotOf(slot.id)] = slot;
  }
}

std::span<const std::size_t> MessageItemList::positionsOf(const MessageId& messageId) const {
  if (slots_.empty()) return {};
  const Slot& slot = slots_[slotOf(messageId)];
  if (slot.first == kEmpty) return {};
  if (slot.more == kNone) return {&slot.first, 1};
  return more_[slot.more];
}

void MessageItemList::index(const MessageId& messageId, std::size_t position) {
  if (2 * (used_ + 1) > slots_.size()) growIndex(slots_.empty() ? 16 : 2 * slots_.size());
  Slot& slot = slots_[slotOf(messageId)];
  if (slot.first == kEmpty) {
    slot.id = messageId;
    slot.first = position;
    ++used_;
    return;
  }
  if (slot.more == kNone) {
    slot.more = more_.size();
    more_.push_back({slot.first});
  }
  more_[slot.more].push_back(position);
}

void MessageItemList::clear() {
  items_.clear();
  slots_.clear();
  used_ = 0;
  more_.clear();
}

}  // namespace tarnwick::analysis
