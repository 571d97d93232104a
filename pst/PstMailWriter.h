#pragma once

#include <map>
#include <memory>
#include <optional>

#include "pst/MailWriter.h"
#include "pst/messaging/PstStore.h"

namespace tarnwick::pst {

/// The mail writer over our own PST store.
class PstMailWriter : public MailWriter {
 public:
  PstMailWriter();
  ~PstMailWriter() override;

  void CreateStore(const std::string& pstPath, const std::string& displayName) override;
  void CreateFolder(const std::string& folderPath) override;
  void OpenFolder(const std::string& folderPath) override;
  void CloseFolder() override;
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
  void CloseStore() override;

  /// The open store (for the contact writer and for tests).
  PstStore& store();
  /// Resolves a folder path of the open store; creates missing levels when asked.
  Nid resolveFolder(const std::string& folderPath, bool create);
  /// Adds an item, giving a folder that holds nothing yet the container class of its kind.
  void addItem(Nid folder, MessageData message, const char* folderClass);

 private:
  std::unique_ptr<PstStore> store_;
  std::string displayName_;
  std::optional<Nid> openFolder_;
};

/// The contact writer over the store a mail writer has open.
class PstContactWriter : public ContactWriter {
 public:
  explicit PstContactWriter(PstMailWriter& mail) : mail_(mail) {}

  void Logon() override;
  void OpenFolder(const std::string& folderPath) override;
  void CreateContact() override;
  void SetField(ContactField field, const std::string& value) override;
  void AddAttachment(const std::string& filePath, const std::string& name) override;
  void SetBody(const std::string& body) override;
  void Save() override;

 private:
  PstMailWriter& mail_;
  std::optional<Nid> folder_;
  bool creating_ = false;
  std::map<ContactField, std::string> fields_;
  ItemBasics basics_;
};

}  // namespace tarnwick::pst
