#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarnwick::exporter {

// How a body handed to a writer is to be read: UTF-16 text (given as UTF-8), 8-bit text
// (HTML or other), or RTF.
enum class BodyKind : std::int16_t { Utf16Text = 0, Text8Bit = 1, Rtf = 3 };

// The contact fields the contact writer sets, in the order the contact writer puts them.
enum class ContactField {
  BusinessAddressCity,
  BusinessAddressPostalCode,
  BusinessAddressCountry,
  BusinessAddressStreet,
  CompanyName,
  Department,
  Email1Address,
  FirstName,
  JobTitle,
  LastName,
  NickName,
  OfficeLocation,
  AssistantTelephoneNumber,
  BusinessTelephoneNumber,
  MobileTelephoneNumber,
  Profession,
  Spouse,
  WebPage,
};

// The mail writer: one output store, its folders and every item kind except contacts.
// Strings are UTF-8. A folder path is "\\" + store display name + "\" + the folder's levels
// below the store separated by "\"; an attachment list is file paths each followed by ";";
// date texts are "MM/DD/YYYY hh:mm:ss AM|PM" in UTC. Every operation throws an exception
// derived from std::exception when it fails; its what() says what went wrong and where.
class MailWriter {
 public:
  virtual ~MailWriter() = default;

  virtual void Connect() = 0;
  virtual void Disconnect() = 0;
  // Creates a new output store at `outputPath` (a file or a folder, as the format has it).
  virtual void CreateStore(const std::string& outputPath, const std::string& displayName) = 0;
  virtual void CreateFolder(const std::string& folderPath) = 0;
  virtual void OpenFolder(const std::string& folderPath) = 0;
  virtual void CloseFolder() = 0;
  virtual void AddMessage(const std::string& folderPath, const std::string& subject, const std::string& recipients,
                          const std::string& headerFilePath, const std::string& dateText,
                          const std::string& attachmentList, const std::string& body, BodyKind bodyKind,
                          const std::string& reserved1, const std::string& reserved2) = 0;
  virtual void ImportMessageFile(const std::string& folderPath, const std::string& emlPath) = 0;
  virtual void AddAppointment(const std::string& folderPath, const std::string& subject, const std::string& sender,
                              const std::string& startText, const std::string& endText,
                              const std::string& contactText, const std::string& locationText,
                              const std::string& timeZoneText, const std::string& body, BodyKind bodyKind) = 0;
  virtual void AddJournalEntry(const std::string& folderPath, const std::string& attachmentList,
                               const std::string& body, const std::string& sender, const std::string& subject,
                               BodyKind bodyKind) = 0;
  virtual void AddTask(const std::string& folderPath, const std::string& dateText,
                       const std::string& attachmentList, const std::string& body, const std::string& sender,
                       const std::string& subject, BodyKind bodyKind) = 0;
  virtual void AddNote(const std::string& folderPath, const std::string& body, const std::string& subject,
                       BodyKind bodyKind) = 0;
  // Finishes the open store and closes its files.
  virtual void CloseStore() = 0;
};

// The contact writer, used per contact in this order: Logon, OpenFolder, CreateContact,
// SetField for each field, AddAttachment (optional), SetBody (optional), Save.
class ContactWriter {
 public:
  virtual ~ContactWriter() = default;

  virtual void Logon() = 0;
  virtual void OpenFolder(const std::string& folderPath) = 0;
  virtual void CreateContact() = 0;
  virtual void SetField(ContactField field, const std::string& value) = 0;
  virtual void AddAttachment(const std::string& filePath) = 0;
  virtual void SetBody(const std::string& body) = 0;
  virtual void Save() = 0;
};

// One output store: the mail writer that owns it and the contact writers working in it.
class OutputStore {
 public:
  virtual ~OutputStore() = default;
  virtual MailWriter& mail() = 0;
  // A fresh contact writer over this store, for one contact.
  virtual std::unique_ptr<ContactWriter> newContactWriter() = 0;
};

// Makes the output stores of one format.
class OutputFormatFactory {
 public:
  virtual ~OutputFormatFactory() = default;
  // Ending of an output store's name: ".pst" for a file, "" for a folder tree.
  virtual std::string extension() const = 0;
  // A store not created yet; the engine calls CreateStore on its mail writer.
  virtual std::unique_ptr<OutputStore> newStore() = 0;
};

}  // namespace tarnwick::exporter
