#pragma once

#include <cstdint>
#include <string>

#include "pst/messaging/ItemBuilder.h"

namespace tarnwick::pst {

/// The mail writer: stores, folders and every item kind except contacts. Strings are
/// UTF-8. A folder path is "\\" + store display name + "\" + the folder's levels below
/// the store separated by "\"; an attachment list gives each attachment's working file and
/// the name it is shown under (the text form "path;path;" shows each under its file name);
/// times are FILETIMEs (100 ns ticks since 1601-01-01 UTC). Every operation throws an exception
/// derived from std::exception when it fails (`PstError` for the PST writer), whose what()
/// says what went wrong and where. The save engine also drives the file-tree outputs (EML,
/// mbox) through this interface, where `CreateStore` makes a folder.
class MailWriter {
 public:
  virtual ~MailWriter() = default;

  /// Closes the store open so far (if any) and creates a new output store (a PST file).
  virtual void CreateStore(const std::string& pstPath, const std::string& displayName) = 0;
  virtual void CreateFolder(const std::string& folderPath) = 0;
  virtual void OpenFolder(const std::string& folderPath) = 0;
  virtual void CloseFolder() = 0;
  virtual void AddMessage(const std::string& folderPath, const std::string& subject, const std::string& recipients,
                          const std::string& headerFilePath, std::uint64_t time, const AttachmentList& attachments,
                          const std::string& body, BodyKind bodyKind, const std::string& reserved1,
                          const std::string& reserved2) = 0;
  virtual void ImportMessageFile(const std::string& folderPath, const std::string& emlPath) = 0;
  virtual void AddAppointment(const std::string& folderPath, const std::string& subject, const std::string& sender,
                              std::uint64_t start, std::uint64_t end, const std::string& contactText,
                              const std::string& locationText, const std::string& timeZoneText, const std::string& body,
                              BodyKind bodyKind, const AttachmentList& attachments) = 0;
  virtual void AddJournalEntry(const std::string& folderPath, const AttachmentList& attachments,
                               const std::string& body, const std::string& sender, const std::string& subject,
                               BodyKind bodyKind) = 0;
  /// `date` is the start of the task's day.
  virtual void AddTask(const std::string& folderPath, std::uint64_t date, const AttachmentList& attachments,
                       const std::string& body, const std::string& sender, const std::string& subject,
                       BodyKind bodyKind) = 0;
  virtual void AddNote(const std::string& folderPath, const std::string& body, const std::string& subject,
                       BodyKind bodyKind, const AttachmentList& attachments) = 0;
  /// Finishes the open store (for a PST: its B-trees, maps and header) and closes it.
  virtual void CloseStore() = 0;
};

/// The contact writer, used per contact in this order: `Logon`, `OpenFolder`,
/// `CreateContact`, `SetField` for each field, `AddAttachment` (optional), `SetBody`
/// (optional), `Save`.
class ContactWriter {
 public:
  virtual ~ContactWriter() = default;

  virtual void Logon() = 0;
  virtual void OpenFolder(const std::string& folderPath) = 0;
  virtual void CreateContact() = 0;
  virtual void SetField(ContactField field, const std::string& value) = 0;
  /// `name` is the name the attachment is shown under (its file's name when empty).
  virtual void AddAttachment(const std::string& filePath, const std::string& name) = 0;
  virtual void SetBody(const std::string& body) = 0;
  virtual void Save() = 0;
};

}  // namespace tarnwick::pst
