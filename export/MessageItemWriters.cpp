#include "export/MessageItemWriters.h"

#include "analysis/FolderList.h"
#include "export/AttachmentFiles.h"
#include "export/BodyText.h"
#include "export/ExportDate.h"
#include "export/PathSanitizer.h"
#include "export/SaveControl.h"
#include "export/SaveTexts.h"
#include "platform/CodePage.h"

#include <array>
#include <atomic>
#include <fstream>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

constexpr std::size_t kMaxSenderBytes = 500;
constexpr std::u16string_view kMailboxPrefix = u"Mailbox - ";

// The contact texts and the fields they are put as, in the order they are put.
struct ContactSlot {
  std::size_t slot;
  ContactField field;
};
constexpr std::array<ContactSlot, 18> kContactSlots{{
    {14, ContactField::BusinessAddressCity},
    {16, ContactField::BusinessAddressPostalCode},
    {13, ContactField::BusinessAddressCountry},
    {15, ContactField::BusinessAddressStreet},
    {2, ContactField::CompanyName},
    {9, ContactField::Department},
    {17, ContactField::Email1Address},
    {0, ContactField::FirstName},
    {11, ContactField::JobTitle},
    {1, ContactField::LastName},
    {4, ContactField::NickName},
    {10, ContactField::OfficeLocation},
    {7, ContactField::AssistantTelephoneNumber},
    {12, ContactField::BusinessTelephoneNumber},
    {8, ContactField::MobileTelephoneNumber},
    {6, ContactField::Profession},
    {5, ContactField::Spouse},
    {3, ContactField::WebPage},
}};

std::filesystem::path uniqueWorkFile(const std::filesystem::path& folder, const char* stem, const char* ending) {
  static std::atomic<unsigned> serial{0};
  return folder / (std::string(stem) + "-" + std::to_string(++serial) + ending);
}

// Removes a working file when it goes.
struct WorkFile {
  std::filesystem::path path;
  ~WorkFile() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove(path, ec);
  }
};

std::string utf8(const std::u16string& s) { return utf16ToUtf8(s); }

WriterBody readBody(ItemContentReader& content, const analysis::MessageItem& item, bool kindOther) {
  auto body = content.body(item);
  if (!body) return {};
  return toWriterBody(*body, item.bodySource, kindOther);
}

// The instant saved for an appointment time, or the item's own when the time is missing
// or outside the range.
std::uint64_t appointmentTime(const std::optional<ModelTime>& time, std::uint64_t fallback) {
  if (!time) return fallback;
  const auto t = exportTimeOf(*time);
  return t.rejection == DateRejection::None ? t.fileTime : fallback;
}

}  // namespace

std::string headerFileLine(const std::u16string& sender, const std::u16string& senderAddress,
                           const std::u16string& folderName, const std::u16string& mailboxName) {
  std::string name;
  if (folderName == utf8ToUtf16(kSentItemsFolder)) {
    std::u16string mailbox = mailboxName;
    for (auto at = mailbox.find(kMailboxPrefix); at != std::u16string::npos; at = mailbox.find(kMailboxPrefix))
      mailbox.erase(at, kMailboxPrefix.size());
    std::erase(mailbox, u'\\');
    name = utf8(mailbox);
  } else {
    name = truncateUtf8(utf8(sender), kMaxSenderBytes);
  }
  std::erase_if(name, [](char c) { return c == '\r' || c == '\n'; });
  std::string address = truncateUtf8(utf8(senderAddress), kMaxSenderBytes);
  const bool usable =
      address.find('@') != std::string::npos && address.find_first_of("<>,;\r\n\"") == std::string::npos;
  if (!usable) address = name;
  return "From: " + name + "<" + address + ">\r\n";
}

KindItemWriter::KindItemWriter(ItemContentReader& content, const store::ByteSource& db,
                               const store::StoreGeometry& geometry, std::filesystem::path workFolder)
    : content_(content), db_(db), geometry_(geometry), workFolder_(std::move(workFolder)) {}

ItemOutcome KindItemWriter::write(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& context) {
  try {
    switch (item.kind) {
      case analysis::FolderKind::Contacts: return writeContact(item, context);
      case analysis::FolderKind::Calendar: return writeAppointment(item, time, context);
      case analysis::FolderKind::Journal:
      case analysis::FolderKind::Tasks: {
        const auto texts = content_.headerTexts(item);
        const auto body = readBody(content_, item, false);
        auto files = writeAttachmentFiles(item, db_, geometry_, workFolder_, context.control, context.observer);
        if (files.skipped()) return ItemOutcome::skipped();
        auto& mail = context.store.mail();
        if (item.kind == analysis::FolderKind::Journal)
          mail.AddJournalEntry(context.folderPath, files.list(), body.text, utf8(texts.sender), utf8(texts.subject),
                               body.kind);
        else
          mail.AddTask(context.folderPath, utcDayStartOf(time), files.list(), body.text, utf8(texts.sender),
                       utf8(texts.subject), body.kind);
        return ItemOutcome::written();
      }
      case analysis::FolderKind::Notes: {
        const auto texts = content_.headerTexts(item);
        const auto body = readBody(content_, item, false);
        auto files = writeAttachmentFiles(item, db_, geometry_, workFolder_, context.control, context.observer);
        if (files.skipped() || context.control.skipRequested()) return ItemOutcome::skipped();
        context.store.mail().AddNote(context.folderPath, body.text, utf8(texts.subject), body.kind, files.list());
        return ItemOutcome::written();
      }
      default: return writeOther(item, time, context);
    }
  } catch (const std::exception& e) {
    return ItemOutcome::failed(e.what());
  }
}

ItemOutcome KindItemWriter::writeContact(const analysis::MessageItem& item, const ItemContext& context) {
  // A contact with no fields would be created and dropped unsaved: nothing is written.
  if (item.properties.empty()) return ItemOutcome::failed("no contact fields were found for it");
  const auto& properties = item.properties[0];
  auto contact = context.store.newContactWriter();
  if (!contact) return ItemOutcome::failed("the output format keeps no contacts");
  contact->Logon();
  contact->OpenFolder(context.folderPath);
  contact->CreateContact();
  for (const auto& [slot, field] : kContactSlots) {
    const auto& text = properties.slots[slot];
    if (text && !text->empty()) contact->SetField(field, utf8(*text));
  }
  auto files = writeAttachmentFiles(item, db_, geometry_, workFolder_, context.control, context.observer);
  if (files.skipped() || context.control.skipRequested()) return ItemOutcome::skipped();
  if (!files.files().empty()) contact->AddAttachment(files.files().front().path.string(), files.files().front().name);
  auto stored = content_.body(item);
  if (stored && stored->form == 1) contact->SetBody(toWriterBody(*stored, item.bodySource, false).text);
  contact->Save();
  return ItemOutcome::written();
}

ItemOutcome KindItemWriter::writeAppointment(const analysis::MessageItem& item, std::uint64_t time,
                                             const ItemContext& context) {
  const auto texts = content_.headerTexts(item);
  const auto body = readBody(content_, item, false);
  std::uint64_t start = time, end = time;
  std::string contactText, location, timeZone;
  if (item.appointment) {
    start = appointmentTime(item.appointment->start, time);
    end = appointmentTime(item.appointment->end, time);
    contactText = utf8(item.appointment->contactText.value_or(u""));
    location = utf8(item.appointment->location.value_or(u""));
    timeZone = utf8(item.appointment->timeZone.value_or(u""));
  }
  auto files = writeAttachmentFiles(item, db_, geometry_, workFolder_, context.control, context.observer);
  if (files.skipped() || context.control.skipRequested()) return ItemOutcome::skipped();
  context.store.mail().AddAppointment(context.folderPath, utf8(texts.subject), utf8(texts.sender), start, end,
                                      contactText, location, timeZone, body.text, body.kind, files.list());
  return ItemOutcome::written();
}

ItemOutcome KindItemWriter::writeOther(const analysis::MessageItem& item, std::uint64_t time,
                                       const ItemContext& context) {
  auto files = writeAttachmentFiles(item, db_, geometry_, workFolder_, context.control, context.observer);
  if (files.skipped()) return ItemOutcome::skipped();
  auto& mail = context.store.mail();
  if (item.bodySource == store::BodySource::StreamingFile) {
    WorkFile eml{uniqueWorkFile(workFolder_, "temp", ".eml")};
    if (!content_.extractStreamedMessage(item, eml.path))
      return ItemOutcome::failed("the message could not be read from the streaming file");
    if (context.control.skipRequested()) return ItemOutcome::skipped();
    mail.ImportMessageFile(context.folderPath, eml.path.string());
    return ItemOutcome::written();
  }
  const auto texts = content_.headerTexts(item);
  WorkFile header{uniqueWorkFile(workFolder_, "temp", ".eml")};
  {
    std::ofstream out(header.path, std::ios::binary | std::ios::trunc);
    out << headerFileLine(texts.sender, item.senderAddress, context.folder.name, context.mailboxName);
    if (!out) throw std::runtime_error("cannot write the working file " + header.path.string());
  }
  const std::string recipients = utf8(content_.recipients(item));
  if (context.control.skipRequested()) return ItemOutcome::skipped();
  const auto body = readBody(content_, item, true);
  mail.AddMessage(context.folderPath, utf8(texts.subject), recipients, header.path.string(), time, files.list(),
                  body.text, body.kind, "", "");
  return ItemOutcome::written();
}

}  // namespace tarnwick::exporter
