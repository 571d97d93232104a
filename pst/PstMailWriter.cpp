#include "pst/PstMailWriter.h"

#include <fstream>
#include <sstream>

#include "pst/PstError.h"
#include "pst/messaging/MimeImport.h"

namespace tarnwick::pst {

namespace {

std::vector<std::string> splitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '\\') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

/// Container class of a folder from its name, as Outlook names its default folders.
const char* classForName(const std::string& name) {
  if (name == "Calendar") return folderclass::kAppointment;
  if (name == "Contacts") return folderclass::kContact;
  if (name == "Tasks") return folderclass::kTask;
  if (name == "Notes") return folderclass::kStickyNote;
  if (name == "Journal") return folderclass::kJournal;
  return folderclass::kMail;
}

std::string readTextFile(const std::string& path) {
  if (path.empty()) return {};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

ItemBasics basics(const std::string& subject, const MailAddress& sender, const std::string& body, BodyKind kind,
                  const AttachmentList& attachments) {
  ItemBasics b;
  b.subject = subject;
  b.sender = sender;
  b.body = body;
  b.bodyKind = kind;
  b.attachments = attachments.files();
  return b;
}

MailAddress senderFromText(const std::string& text) {
  auto list = parseRecipientList(text);
  if (list.empty()) return {};
  MailAddress a = list.front();
  if (a.address.find('@') == std::string::npos) a.address.clear();
  return a;
}

}  // namespace

PstMailWriter::PstMailWriter() = default;

PstMailWriter::~PstMailWriter() {
  try {
    CloseStore();
  } catch (...) {
    // A destructor cannot report; callers that care call CloseStore themselves.
  }
}

PstStore& PstMailWriter::store() {
  if (!store_) throw PstError("no PST store is open");
  return *store_;
}

void PstMailWriter::CreateStore(const std::string& pstPath, const std::string& displayName) {
  CloseStore();
  store_ = std::make_unique<PstStore>(pstPath, displayName);
  displayName_ = displayName;
}

void PstMailWriter::CloseStore() {
  if (!store_) return;
  std::unique_ptr<PstStore> s = std::move(store_);
  openFolder_.reset();
  s->close();
}

Nid PstMailWriter::resolveFolder(const std::string& folderPath, bool create) {
  PstStore& s = store();
  auto parts = splitPath(folderPath);
  if (parts.empty() || parts.front() != displayName_)
    throw PstError("folder path \"" + folderPath + "\" is not in the open store \"" + displayName_ + "\"");
  Nid current = s.topOfStore();
  for (std::size_t i = 1; i < parts.size(); ++i) {
    Nid next = s.findFolder(current, parts[i]);
    if (next.value == 0) {
      if (!create) throw PstError("no folder \"" + folderPath + "\" in the store \"" + displayName_ + "\"");
      next = s.createFolder(current, parts[i], classForName(parts[i]));
    }
    current = next;
  }
  return current;
}

void PstMailWriter::CreateFolder(const std::string& folderPath) { resolveFolder(folderPath, true); }

void PstMailWriter::OpenFolder(const std::string& folderPath) { openFolder_ = resolveFolder(folderPath, true); }

void PstMailWriter::CloseFolder() { openFolder_.reset(); }

void PstMailWriter::addItem(Nid folder, MessageData message, const char* folderClass) {
  PstStore& s = store();
  if (s.folderItemCount(folder) == 0 && s.containerClass(folder) == folderclass::kMail &&
      std::string(folderClass) != folderclass::kMail)
    s.setContainerClass(folder, folderClass);
  s.addMessage(folder, std::move(message));
}

void PstMailWriter::AddMessage(const std::string& folderPath, const std::string& subject, const std::string& recipients,
                               const std::string& headerFilePath, std::uint64_t time, const AttachmentList& attachments,
                               const std::string& body, BodyKind bodyKind, const std::string&, const std::string&) {
  Nid folder = resolveFolder(folderPath, true);
  std::string headers = readTextFile(headerFilePath);
  ItemBasics item = basics(subject, parseFromLine(headers), body, bodyKind, attachments);
  item.time = time;
  addItem(folder, buildMail(store().names(), item, parseRecipientList(recipients), headers), folderclass::kMail);
}

void PstMailWriter::ImportMessageFile(const std::string& folderPath, const std::string& emlPath) {
  Nid folder = resolveFolder(folderPath, true);
  addItem(folder, importMimeMessage(emlPath), folderclass::kMail);
}

void PstMailWriter::AddAppointment(const std::string& folderPath, const std::string& subject, const std::string& sender,
                                   std::uint64_t start, std::uint64_t end, const std::string& contactText,
                                   const std::string& locationText, const std::string& timeZoneText,
                                   const std::string& body, BodyKind bodyKind, const AttachmentList& attachments) {
  Nid folder = resolveFolder(folderPath, true);
  ItemBasics item = basics(subject, senderFromText(sender), body, bodyKind, attachments);
  item.time = start;
  addItem(folder, buildAppointment(store().names(), item, start, end, contactText, locationText, timeZoneText),
          folderclass::kAppointment);
}

void PstMailWriter::AddJournalEntry(const std::string& folderPath, const AttachmentList& attachments,
                                    const std::string& body, const std::string& sender, const std::string& subject,
                                    BodyKind bodyKind) {
  Nid folder = resolveFolder(folderPath, true);
  ItemBasics item = basics(subject, senderFromText(sender), body, bodyKind, attachments);
  addItem(folder, buildJournal(store().names(), item), folderclass::kJournal);
}

void PstMailWriter::AddTask(const std::string& folderPath, std::uint64_t date, const AttachmentList& attachments,
                            const std::string& body, const std::string& sender, const std::string& subject,
                            BodyKind bodyKind) {
  Nid folder = resolveFolder(folderPath, true);
  ItemBasics item = basics(subject, senderFromText(sender), body, bodyKind, attachments);
  item.time = date;
  addItem(folder, buildTask(store().names(), item, date), folderclass::kTask);
}

void PstMailWriter::AddNote(const std::string& folderPath, const std::string& body, const std::string& subject,
                            BodyKind bodyKind, const AttachmentList& attachments) {
  Nid folder = resolveFolder(folderPath, true);
  ItemBasics item = basics(subject, {}, body, bodyKind, attachments);
  addItem(folder, buildStickyNote(store().names(), item), folderclass::kStickyNote);
}

// Contact writer.

void PstContactWriter::Logon() { mail_.store(); }

void PstContactWriter::OpenFolder(const std::string& folderPath) { folder_ = mail_.resolveFolder(folderPath, true); }

void PstContactWriter::CreateContact() {
  if (!folder_) throw PstError("no contact folder is open");
  creating_ = true;
  fields_.clear();
  basics_ = ItemBasics{};
}

void PstContactWriter::SetField(ContactField field, const std::string& value) {
  if (!creating_) throw PstError("no contact is being created");
  fields_[field] = value;
}

void PstContactWriter::AddAttachment(const std::string& filePath, const std::string& name) {
  if (!creating_) throw PstError("no contact is being created");
  basics_.attachments.push_back({filePath, name});
}

void PstContactWriter::SetBody(const std::string& body) {
  if (!creating_) throw PstError("no contact is being created");
  basics_.body = body;
  basics_.bodyKind = BodyKind::Utf16Text;
}

void PstContactWriter::Save() {
  if (!creating_) throw PstError("no contact is being created");
  creating_ = false;
  mail_.addItem(*folder_, buildContact(mail_.store().names(), fields_, basics_), folderclass::kContact);
}

}  // namespace tarnwick::pst
