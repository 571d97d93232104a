#pragma once

#include "analysis/AttachmentItems.h"
#include "analysis/ChunkList.h"
#include "analysis/FolderKind.h"
#include "analysis/ItemProperties.h"
#include "analysis/MessageHeaders.h"
#include "analysis/ModelIds.h"
#include "platform/ModelTime.h"
#include "store/BodySource.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::analysis {

// A value length that says the value is a long value named by a long-value key.
inline constexpr std::uint16_t kLongValueLength = 5;

// One message of the folder being shown or saved: made from a message header, completed
// by the message-record reader and the attachment and long-value scanners.
struct MessageItem {
  store::FileOffset pageOffset;
  std::uint16_t primaryOffset = 0;
  std::uint16_t secondaryOffset = 0;
  std::uint16_t primaryLength = 0;
  std::uint16_t secondaryLength = 0;
  // 0 unless the third text was taken from the message record: then that record's page.
  store::FileOffset thirdPageOffset;
  std::uint16_t thirdOffset = 0;
  std::uint16_t thirdLength = 0;
  MessageId messageId;
  FolderId folderId;
  ModelTime time;
  bool recordFound = false;           // the message record has been matched
  std::uint16_t recipientLength = 0;  // kLongValueLength: a long value named by bodyKeyB
  store::FileOffset recipientPosition;
  store::FileOffset bodyPosition;
  std::uint16_t bodyLength = 0;          // kLongValueLength: a long value named by bodyKeyA
  std::optional<LongValueKey> bodyKeyA;  // the body's long-value key
  std::optional<LongValueKey> bodyKeyB;  // the recipient value's long-value key
  FolderKind kind = FolderKind::Other;
  store::BodySource bodySource = store::BodySource::Unknown;
  std::optional<std::string> ownerKey;
  ChunkList bodyChunksB;  // chunks of the long value named by bodyKeyB
  ChunkList bodyChunksA;  // chunks of the long value named by bodyKeyA
  AttachmentIdList attachmentIds;
  AttachmentList attachments;
  PropertiesList properties;
  std::optional<AppointmentTimes> appointment;
  std::u16string senderAddress;  // the record's sender e-mail address; empty when none

  // A new item for `header`, as the message-list loader makes one.
  static MessageItem fromHeader(const MessageHeader& header);
  // Nothing was found for the item: it would show as an empty row.
  bool holdsNothing() const;
};

// The messages of the folder being shown or saved, in header order, indexed by message id.
// References to items stay valid while items are added; `pruneEmptyItems` and `clear`
// invalidate them.
class MessageItemList {
 public:
  void addMessageItem(MessageItem item);
  // Makes room in the index for `count` message ids (a folder's list is built in one go).
  void reserve(std::size_t count);
  // Removes every item but the first for which nothing was found.
  void pruneEmptyItems();

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  // Fields other than messageId may be changed through these.
  MessageItem& operator[](std::size_t i) { return items_[i]; }
  const MessageItem& operator[](std::size_t i) const { return items_[i]; }
  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }
  // Positions, in list order, of the items with this message id; valid until the next add.
  std::span<const std::size_t> positionsOf(const MessageId& messageId) const;
  void clear();

 private:
  std::deque<MessageItem> items_;
  // The index by message id: an open-addressed table (a folder's list is built, copied and
  // looked up once per record of its pages, so the index keeps to two flat arrays). A slot
  // holds the first position of its id; ids with more items list them all in `more_`.
  struct Slot {
    MessageId id;
    std::size_t first = kEmpty;
    std::size_t more = kNone;  // index into more_, or kNone
  };
  static constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  void index(const MessageId& messageId, std::size_t position);
  // The slot of `messageId`, or the empty slot where it would go.
  std::size_t slotOf(const MessageId& messageId) const;
  void growIndex(std::size_t capacity);
  std::vector<Slot> slots_;  // a power of two long, at most half used
  std::size_t used_ = 0;
  std::vector<std::vector<std::size_t>> more_;
};

}  // namespace tarnwick::analysis
