#pragma once

// Attachment rows as the record readers find them. One row per planned attachment: the row
// key, then an 8-byte identifier (listed in the message record), the display name, the file
// name, the long file name (left out of every fourth row, so that readers fall back to the
// display name) and the data, inline or as a long value of the table's "LV" tree.
//
// 4 KB / 8 KB stores: table "Attachments" (object 61) with fixed tagged ids 0x0105 display
// name, 0x0106 file name, 0x0107 data, 0x010A long file name. A marker column puts the bytes
// 01 00 00 00 00 00 00 0A right before the identifier, where a scan of the row finds it.
//
// 32 KB stores: the rows lie in the mailbox's "Body-KEY" table among its message rows, keyed
// by the identifier itself (the table's 8-byte key column, which a reader finds 4 bytes into
// the record whether or not the node shares key bytes), with columns named "S3001", "S3704",
// "S3707" (7-bit packed when it can be) and "N3701", which a catalogue walk lists by letter
// for that table.

#include <string>
#include <vector>

#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

struct AttachmentRowLayout {
  static constexpr std::uint16_t kSmallDisplayName = 0x0105;
  static constexpr std::uint16_t kSmallFileName = 0x0106;
  static constexpr std::uint16_t kSmallData = 0x0107;
  static constexpr std::uint16_t kSmallLongFileName = 0x010A;
  static constexpr std::uint16_t kSmallSize = 0x0100;
  // Fixed columns: the key, (4 KB / 8 KB) the marker, the identifier.
  static constexpr std::uint16_t kKeyColumn = 1;
  static constexpr std::uint16_t kSmallMarkerColumn = 2;
  static constexpr std::uint16_t kSmallIdColumn = 3;
  static constexpr std::uint64_t kSmallMarker = 0x0A00000000000001ull;
  // Tagged ids whose high byte is 1: readers find the tagged directory by it.
  static constexpr std::uint16_t kTaggedIdHighByte = 0x01;
};

// The attachments of `messages` in row-key order.
std::vector<AttachmentPlan> attachmentsInRowOrder(const std::vector<MessagePlan>& messages);

// Whether the row of this attachment leaves out its long file name.
bool withoutLongFileName(const AttachmentPlan& attachment);

TableDef smallAttachmentTable(const std::string& name);
RowSource smallAttachmentRows(const std::vector<MessagePlan>& messages);

// Adds the attachment columns to a 32 KB store's "Body-KEY" table.
void addLargeAttachmentColumns(TableDef& body);
// The table's message rows and the attachment rows of `messages`, in key order.
RowSource withLargeAttachmentRows(const TableDef& body, RowSource messageRows,
                                  const std::vector<MessagePlan>& messages);

}  // namespace tarnwick::storegen
