#pragma once

// The tables a store will hold, each with the source of its rows. Root pages of 0 are
// handed out by the writer; others are fixed places kept free for them.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tools/storegen/Schema.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

// Fills the next row and returns true, or returns false when the table is complete. Rows
// must come in ascending key order.
using RowSource = std::function<bool(Row&)>;

struct TablePlan {
  TableDef def;
  RowSource rows;
};

struct MailboxPlan {
  std::uint64_t id = 0;  // the 8 identifier bytes, first byte lowest
  std::string name;
  std::string keyText;  // e.g. "4-48A06756"
};

struct FolderPlan {
  std::uint64_t id = 0;        // 8 identifier bytes, first byte lowest
  std::uint64_t parentId = 0;  // the mailbox's id for top-level folders
  std::size_t mailbox = 0;     // index into the mailboxes
  std::string name;
  std::string containerClass;  // "IPF.Note", "IPF.Appointment", ...
  char kind = 0;               // what a scan makes of it: 'c', 'a', 'n', 't', 'j' or 0
  std::string path;            // names from the mailbox down, joined with '/'
};

// What a message carries beyond its header row. Planned before any table is written, so that
// the message records, the attachment rows, the streaming file and the manifest all say the
// same thing.
enum class ItemKind : char {
  Mail = 'm',
  Contact = 'c',
  Appointment = 'a',
  Task = 't',
  Note = 'n',
  Journal = 'j',
};

enum class BodyForm {
  None,
  Text,      // UTF-16 text
  Html,      // 8-bit HTML
  Rtf,       // compressed RTF
  Streamed,  // the whole Internet message lies in the streaming file
};

// How a value is laid into its record.
enum class ValuePlacement {
  Inline,
  LongValue,       // split in chunks of the table's "LV" tree
  Compressed7Bit,  // 32 KB stores
  CompressedLz77,  // 32 KB stores
};

struct RecipientPlan {
  std::string name;     // UTF-8
  std::string address;  // SMTP address
};

struct AttachmentPlan {
  std::uint64_t id = 0;  // 8 identifier bytes, listed in the message record
  std::string fileName;  // UTF-8, as stored (may hold '/', '\\', "..", ':')
  std::vector<std::uint8_t> data;
  ValuePlacement placement = ValuePlacement::Inline;
};

struct MessageContentPlan {
  ItemKind kind = ItemKind::Mail;
  std::string senderAddress;
  std::vector<RecipientPlan> recipients;
  ValuePlacement addressPlacement = ValuePlacement::Inline;  // the recipient value
  BodyForm bodyForm = BodyForm::None;
  std::vector<std::uint8_t> storedBody;    // the value as the record holds it (RTF compressed)
  std::vector<std::uint8_t> expectedBody;  // the bytes a reader must give back
  // Both of the above at once, shared between messages (the `--fill` messages).
  std::shared_ptr<const std::vector<std::uint8_t>> sharedBody;
  ValuePlacement bodyPlacement = ValuePlacement::Inline;
  std::vector<AttachmentPlan> attachments;
  // Contact, appointment, task, note and journal texts: property column name -> UTF-8 text
  // ("S3a06", "S8201", ...), in the order the record holds them.
  std::vector<std::pair<std::string, std::string>> fields;
  bool packedFields = false;  // 32 KB stores: texts of 7-bit characters are stored packed
  // Streamed messages: the whole Internet message, and the run descriptor bytes the record
  // holds (inline or as a long value) that say where its runs lie in the streaming file.
  std::string internetMessage;
  std::vector<std::uint8_t> runDescriptor;
  ValuePlacement runDescriptorPlacement = ValuePlacement::Inline;
};

struct MessagePlan {
  std::uint64_t id = 0;    // 8 identifier bytes, first byte lowest
  std::size_t folder = 0;  // index into the folders
  std::uint64_t folderId = 0;
  std::uint64_t mailboxId = 0;
  std::string prefix;                // subject prefix ("RE: ", or empty), UTF-8
  std::string normalizedSubject;     // UTF-8
  std::string sender;                // sender's display name, UTF-8
  std::uint64_t time = 0;            // delivery time, FILETIME with its low 16 bits zero
  std::uint64_t start = 0, end = 0;  // calendar folders: appointment start and end
  MessageContentPlan content;
};

struct StorePlan {
  StoreFormat format = StoreFormat::Exchange2007;
  std::vector<TablePlan> tables;
  std::vector<MailboxPlan> mailboxes;
  std::vector<FolderPlan> folders;
  std::vector<MessagePlan> messages;
};

}  // namespace tarnwick::storegen
