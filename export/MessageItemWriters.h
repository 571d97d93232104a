#pragma once

#include "export/AttachmentFiles.h"
#include "export/ItemContent.h"
#include "export/ItemWriter.h"
#include "platform/StoreFile.h"
#include "store/StoreGeometry.h"

#include <filesystem>

namespace tarnwick::exporter {

// The item writers by kind: each gathers the texts, the body and the attachment files of
// an item and makes exactly one call of the mail writer ('a' AddAppointment, 'j'
// AddJournalEntry, 't' AddTask, 'n' AddNote, any other kind AddMessage, or
// ImportMessageFile for a message kept whole in the streaming file), or the contact
// writer's sequence for 'c'. Every kind carries its attachments, each under the name the
// store holds for it. Working files (the header file, the streamed message, the
// attachment files) live in `workFolder` and are deleted after the call. Times are the
// stored UTC instants.
class KindItemWriter : public ItemWriter {
 public:
  KindItemWriter(ItemContentReader& content, const store::ByteSource& db, const store::StoreGeometry& geometry,
                 std::filesystem::path workFolder);
  ItemOutcome write(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& context) override;

 private:
  ItemOutcome writeContact(const analysis::MessageItem& item, const ItemContext& context);
  ItemOutcome writeAppointment(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& context);
  ItemOutcome writeOther(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& context);

  ItemContentReader& content_;
  const store::ByteSource& db_;
  const store::StoreGeometry& geometry_;
  std::filesystem::path workFolder_;
};

// The "From:" line of the header file: "From: " + name + "<" + address + ">" CR LF; the
// name is the sender (at most 500 bytes), or in a folder named "Sent Items" the mailbox
// name without "Mailbox - " and without backslashes. The address is the sender address the
// message record holds; without one (or with one that cannot stand in the line) the name
// stands in its place.
std::string headerFileLine(const std::u16string& sender, const std::u16string& senderAddress,
                           const std::u16string& folderName, const std::u16string& mailboxName);

}  // namespace tarnwick::exporter
