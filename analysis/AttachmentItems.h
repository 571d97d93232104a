#pragma once

#include "analysis/ChunkList.h"
#include "analysis/ModelIds.h"
#include "store/StoreOffsets.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::analysis {

// One attachment of a message.
struct AttachmentItem {
  // Length of the data value including its format byte; 5 when the data is a long value;
  // 0 when the row had no data.
  std::int16_t dataLength = 0;
  store::FileOffset dataOffset;                // inline data (after the format byte); 0 for a long value or none
  std::u16string fileName;                     // never empty
  std::array<std::uint8_t, 2> longValueKey{};  // zero when the data is inline or absent
  // 32 KB stores: the attachment page's object id (two bytes).
  std::optional<std::array<std::uint8_t, 2>> ownerObjectId;
  ChunkList chunks;  // filled by the long-value scanner when longValueKey is not zero
};

// The attachments of one message, unique on (long-value key, file name, owner object id).
class AttachmentList {
 public:
  bool addAttachmentItem(AttachmentItem item);

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  AttachmentItem& operator[](std::size_t i) { return items_[i]; }
  const AttachmentItem& operator[](std::size_t i) const { return items_[i]; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  void clear() { items_.clear(); }

 private:
  // A message has a handful of attachments: a walk of its own list is cheap.
  std::vector<AttachmentItem> items_;
};

// The attachment identifiers of one message, each once, in the order found.
class AttachmentIdList {
 public:
  bool addAttachmentId(const AttachmentId& id);

  const std::vector<AttachmentId>& entries() const { return ids_; }
  std::size_t size() const { return ids_.size(); }
  bool empty() const { return ids_.empty(); }
  auto begin() const { return ids_.begin(); }
  auto end() const { return ids_.end(); }
  void clear() { ids_.clear(); }

 private:
  std::vector<AttachmentId> ids_;
};

}  // namespace tarnwick::analysis
