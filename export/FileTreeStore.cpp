#include "export/FileTreeStore.h"

#include "export/CardAndCalendar.h"
#include "export/PathSanitizer.h"
#include "platform/FileTime.h"
#include "platform/NewFile.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

constexpr const char* kKindHeader = "X-Tarnwick-Item-Kind";

class TreeContactWriter : public ContactWriter {
 public:
  explicit TreeContactWriter(FileTreeStore& store) : store_(store) {}
  void Logon() override {}
  void OpenFolder(const std::string& folderPath) override { folder_ = folderPath; }
  void CreateContact() override {
    fields_.clear();
    attachment_.reset();
  }
  void SetField(ContactField field, const std::string& value) override { fields_[field] = value; }
  void AddAttachment(const std::string& filePath, const std::string& name) override { attachment_ = {filePath, name}; }
  void SetBody(const std::string& body) override { body_ = body; }
  void Save() override {
    store_.addContact(folder_, fields_, body_, attachment_ ? AttachmentList({*attachment_}) : AttachmentList());
  }

 private:
  FileTreeStore& store_;
  std::string folder_;
  std::map<ContactField, std::string> fields_;
  std::string body_;
  std::optional<AttachmentFile> attachment_;
};

MimeItem basicItem(const std::string& kind, const std::string& from, const std::string& subject,
                   const std::string& body, BodyKind bodyKind, const AttachmentList& attachments) {
  MimeItem m;
  m.from = from;
  m.subject = subject;
  m.body = body;
  m.bodyKind = bodyKind;
  m.attachments = attachments.files();
  m.extraHeaders.emplace_back(kKindHeader, kind);
  return m;
}

}  // namespace

std::filesystem::path writeNewFile(const std::filesystem::path& directory, const std::string& stem,
                                   const std::string& extension, const std::string& bytes) {
  for (unsigned n = 1;; ++n) {
    const auto path = directory / (stem + (n > 1 ? " (" + std::to_string(n) + ")" : "") + extension);
    const int error = writeNewFileAt(path, bytes);
    if (error == EEXIST) continue;
    if (error != 0) throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(error));
    return path;
  }
}

std::unique_ptr<ContactWriter> FileTreeStore::newContactWriter() { return std::make_unique<TreeContactWriter>(*this); }

void FileTreeStore::requireStore() const {
  if (root_.empty()) throw std::runtime_error("no output store is open");
}

void FileTreeStore::CreateStore(const std::string& outputPath, const std::string& displayName) {
  std::error_code ec;
  if (!std::filesystem::create_directory(outputPath, ec))
    throw std::runtime_error("cannot create the folder " + outputPath + ": " +
                             (ec ? ec.message() : std::string("it exists already")));
  root_ = outputPath;
  displayName_ = displayName;
}

std::filesystem::path FileTreeStore::directoryOf(const std::string& folderPath) const {
  requireStore();
  const std::string prefix = "\\\\" + displayName_ + "\\";
  if (folderPath.compare(0, prefix.size(), prefix) != 0)
    throw std::runtime_error("folder " + folderPath + " is not in the store " + root_.string());
  std::filesystem::path dir = root_;
  std::size_t start = prefix.size();
  while (start <= folderPath.size()) {
    auto end = folderPath.find('\\', start);
    if (end == std::string::npos) end = folderPath.size();
    dir /= sanitizeNameComponent(std::string_view(folderPath).substr(start, end - start));
    start = end + 1;
  }
  return dir;
}

void FileTreeStore::CreateFolder(const std::string& folderPath) { folderCreated(folderPath); }
void FileTreeStore::OpenFolder(const std::string& folderPath) { folderCreated(folderPath); }

void FileTreeStore::AddMessage(const std::string& folderPath, const std::string& subject, const std::string& recipients,
                               const std::string& headerFilePath, std::uint64_t time, const AttachmentList& attachments,
                               const std::string& body, BodyKind bodyKind, const std::string&, const std::string&) {
  TreeItem item;
  item.mime = basicItem("message", fromLineOfHeaderFile(headerFilePath), subject, body, bodyKind, attachments);
  item.mime.extraHeaders.clear();
  item.mime.recipients = recipients;
  item.mime.unixTime = fileTimeToUnixSeconds(time);
  item.name = subject;
  writeItem(folderPath, item);
}

void FileTreeStore::ImportMessageFile(const std::string& folderPath, const std::string& emlPath) {
  TreeItem item;
  item.kind = TreeItem::Kind::StoredMessage;
  item.storedFile = emlPath;
  const auto summary = summarizeMessageFile(emlPath);
  item.name = summary.subject;
  item.mime.unixTime = summary.unixTime;
  writeItem(folderPath, item);
}

void FileTreeStore::AddAppointment(const std::string& folderPath, const std::string& subject, const std::string& sender,
                                   std::uint64_t start, std::uint64_t end, const std::string& contactText,
                                   const std::string& locationText, const std::string& timeZoneText,
                                   const std::string& body, BodyKind bodyKind, const AttachmentList& attachments) {
  CalendarEvent event;
  event.subject = subject;
  event.organizer = sender;
  event.start = fileTimeToUnixSeconds(start);
  event.end = fileTimeToUnixSeconds(end);
  event.location = locationText;
  event.contact = contactText;
  event.timeZone = timeZoneText;
  if (bodyKind != BodyKind::Rtf) event.description = body;
  event.uid = "tarnwick-" + std::to_string(++events_) + "-" + std::to_string(event.start.value_or(0)) + "@" +
              root_.filename().string();
  TreeItem item;
  item.kind = TreeItem::Kind::Calendar;
  item.text = composeICalendar(event);
  item.mime = basicItem("appointment", sender, subject, body, bodyKind, attachments);
  item.mime.unixTime = event.start;
  item.mime.extraPart = std::make_pair(std::string("text/calendar"), item.text);
  item.name = subject;
  writeItem(folderPath, item);
}

void FileTreeStore::AddJournalEntry(const std::string& folderPath, const AttachmentList& attachments,
                                    const std::string& body, const std::string& sender, const std::string& subject,
                                    BodyKind bodyKind) {
  TreeItem item;
  item.mime = basicItem("journal", sender, subject, body, bodyKind, attachments);
  item.name = subject;
  writeItem(folderPath, item);
}

void FileTreeStore::AddTask(const std::string& folderPath, std::uint64_t date, const AttachmentList& attachments,
                            const std::string& body, const std::string& sender, const std::string& subject,
                            BodyKind bodyKind) {
  TreeItem item;
  item.mime = basicItem("task", sender, subject, body, bodyKind, attachments);
  item.mime.unixTime = fileTimeToUnixSeconds(date);
  item.name = subject;
  writeItem(folderPath, item);
}

void FileTreeStore::AddNote(const std::string& folderPath, const std::string& body, const std::string& subject,
                            BodyKind bodyKind, const AttachmentList& attachments) {
  TreeItem item;
  item.mime = basicItem("note", "", subject, body, bodyKind, attachments);
  item.name = subject;
  writeItem(folderPath, item);
}

void FileTreeStore::addContact(const std::string& folderPath, const std::map<ContactField, std::string>& fields,
                               const std::string& body, const AttachmentList& attachments) {
  TreeItem item;
  item.kind = TreeItem::Kind::Card;
  item.text = composeVCard(fields, body);
  item.name = contactDisplayName(fields);
  item.mime = basicItem("contact", "", item.name, body, BodyKind::Text8Bit, attachments);
  item.mime.extraPart = std::make_pair(std::string("text/vcard"), item.text);
  writeItem(folderPath, item);
}

}  // namespace tarnwick::exporter
