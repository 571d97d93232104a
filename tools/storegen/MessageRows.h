#pragma once

// Message records: the rows of "Msg" (4 KB / 8 KB stores) and "Body-KEY" (32 KB stores)
// that complete each message header with its recipients, body, attachment identifiers,
// streamed-message run descriptor and the texts of contacts and appointments.
//
// A scan does not parse these rows column by column; it finds the message id and the
// tagged-column directory at fixed distances, so the fixed columns are laid out for that:
// - 4 KB / 8 KB: the short 0x0021 (bytes 21 00) is fixed column 2, 8 bytes into the record
//   data; the message id lies 35 bytes after it and the tagged directory 24 bytes after
//   the id (twelve fixed columns, a two-byte null bitmap, no variable columns).
// - 32 KB: the key is the 8-byte message id (9 key bytes), so that the byte that places
//   the record's anchor always points at the first fixed column, which holds the message
//   id; fixed column 2 is not zero, which puts a second copy of the id (column 9) 49 bytes
//   after the anchor, and the directory follows 10 bytes after that copy.
// The tagged columns are in id order; the recipient value (N67b4, 0x011A) is directly
// followed by the run descriptor of a streamed message (0x011B).

#include <cstdint>
#include <string>
#include <vector>

#include "tools/storegen/StorePlan.h"

namespace tarnwick::storegen {

namespace message_columns {
inline constexpr std::uint16_t kEnd = 0x0100;                 // T8198
inline constexpr std::uint16_t kStart = 0x0101;               // T8199
inline constexpr std::uint16_t kPlainBody = 0x0102;           // S1000
inline constexpr std::uint16_t kRtfBody = 0x0103;             // N1009
inline constexpr std::uint16_t kHtmlBody = 0x0104;            // N1013
inline constexpr std::uint16_t kAttachments = 0x0105;         // N67b3
inline constexpr std::uint16_t kAppointmentContact = 0x0106;  // S8225
inline constexpr std::uint16_t kTimeZone = 0x0107;            // S810c
inline constexpr std::uint16_t kLocation = 0x0108;            // S8201
inline constexpr std::uint16_t kSenderAddress = 0x0109;       // S0c1f
inline constexpr std::uint16_t kRecipients = 0x011A;          // N67b4
inline constexpr std::uint16_t kRunDescriptor = 0x011B;       // N67b5
// The 18 contact columns. The store has none of the alternate names a reader also takes for
// some of them ("S801f", "S3a26", ...): which of two it takes depends on the order it meets
// their catalogue rows in.
inline constexpr std::uint16_t kFirstContact = 0x011C;
}  // namespace message_columns

// The eighteen contact columns in the order of their kinds (0..17).
extern const char* const kContactColumnNames[18];

TableDef messageTable(const std::string& name, StoreFormat format);

// Rows for `messages` (in plan order; in 32 KB stores their ids ascend in that order).
RowSource messageRows(std::vector<MessagePlan> messages, StoreFormat format);

// The recipient value: per recipient the UTF-16 display name and a NUL, the marker E4 04,
// a 32-bit length and the 8-bit address with its NUL.
std::vector<std::uint8_t> recipientValue(const std::vector<RecipientPlan>& recipients);

}  // namespace tarnwick::storegen
