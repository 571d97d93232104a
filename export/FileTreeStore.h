#pragma once

#include "export/MimeComposer.h"
#include "export/WriterInterfaces.h"

#include <filesystem>
#include <map>
#include <string>

namespace tarnwick::exporter {

// One item as a file-tree output receives it.
struct TreeItem {
  enum class Kind { Message, StoredMessage, Calendar, Card };
  Kind kind = Kind::Message;
  MimeItem mime;                     // Message; for Calendar and Card the wrapping message
  std::filesystem::path storedFile;  // StoredMessage: the message as stored
  std::string text;                  // Calendar: iCalendar text; Card: vCard text
  std::string name;                  // what the item's file is named after
};

// The writer of the outputs that are a folder tree of plain files (EML, mbox): the store
// is a new folder, each store folder is a folder below it named after its level (made
// safe as a file name). Turns every writer call into one TreeItem for the format.
class FileTreeStore : public OutputStore, public MailWriter {
 public:
  MailWriter& mail() override { return *this; }
  std::unique_ptr<ContactWriter> newContactWriter() override;

  // Makes the store's folder; fails when anything exists at `outputPath`.
  void CreateStore(const std::string& outputPath, const std::string& displayName) override;
  void CreateFolder(const std::string& folderPath) override;
  void OpenFolder(const std::string& folderPath) override;
  void CloseFolder() override {}
  void AddMessage(const std::string& folderPath, const std::string& subject, const std::string& recipients,
                  const std::string& headerFilePath, std::uint64_t time, const AttachmentList& attachments,
                  const std::string& body, BodyKind bodyKind, const std::string& reserved1,
                  const std::string& reserved2) override;
  void ImportMessageFile(const std::string& folderPath, const std::string& emlPath) override;
  void AddAppointment(const std::string& folderPath, const std::string& subject, const std::string& sender,
                      std::uint64_t start, std::uint64_t end, const std::string& contactText,
                      const std::string& locationText, const std::string& timeZoneText, const std::string& body,
                      BodyKind bodyKind, const AttachmentList& attachments) override;
  void AddJournalEntry(const std::string& folderPath, const AttachmentList& attachments, const std::string& body,
                       const std::string& sender, const std::string& subject, BodyKind bodyKind) override;
  void AddTask(const std::string& folderPath, std::uint64_t date, const AttachmentList& attachments,
               const std::string& body, const std::string& sender, const std::string& subject,
               BodyKind bodyKind) override;
  void AddNote(const std::string& folderPath, const std::string& body, const std::string& subject, BodyKind bodyKind,
               const AttachmentList& attachments) override;
  void CloseStore() override {}

  // The contact writer hands its finished contact here.
  void addContact(const std::string& folderPath, const std::map<ContactField, std::string>& fields,
                  const std::string& body, const AttachmentList& attachments);

  // The folder a store folder path stands for; throws for a path outside this store.
  std::filesystem::path directoryOf(const std::string& folderPath) const;
  const std::filesystem::path& root() const { return root_; }

 protected:
  virtual void folderCreated(const std::string& folderPath) = 0;
  virtual void writeItem(const std::string& folderPath, const TreeItem& item) = 0;

 private:
  void requireStore() const;
  std::filesystem::path root_;
  std::string displayName_;
  unsigned events_ = 0;
};

// Writes `bytes` to a new file `stem` + `extension` in `directory` without replacing
// anything: a taken name gets " (2)", " (3)", ... Returns the path; throws naming the
// file when it cannot be written.
std::filesystem::path writeNewFile(const std::filesystem::path& directory, const std::string& stem,
                                   const std::string& extension, const std::string& bytes);

}  // namespace tarnwick::exporter
