#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pst/messaging/AttachmentList.h"
#include "pst/messaging/MessageData.h"
#include "pst/messaging/NameIdMap.h"

namespace tarnwick::pst {

/// Body kinds of the writer interface: UTF-16 text, 8-bit text (HTML or other), RTF.
enum class BodyKind : std::int16_t { Utf16Text = 0, Text8Bit = 1, Rtf = 3 };

struct MailAddress {
  std::string name;
  std::string address;
  std::int32_t recipientType = 1;  // 1 To, 2 Cc, 3 Bcc
};

/// What every item kind is given: subject, sender, time, body and attachment files.
struct ItemBasics {
  std::string subject;
  MailAddress sender;
  std::optional<std::uint64_t> time;  // FILETIME
  std::string body;                   // UTF-8
  BodyKind bodyKind = BodyKind::Utf16Text;
  std::vector<AttachmentFile> attachments;
};

/// Contact fields the contact writer can set.
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

/// Message classes and folder container classes of the item kinds.
namespace itemclass {
inline constexpr const char* kNote = "IPM.Note";
inline constexpr const char* kContact = "IPM.Contact";
inline constexpr const char* kAppointment = "IPM.Appointment";
inline constexpr const char* kTask = "IPM.Task";
inline constexpr const char* kStickyNote = "IPM.StickyNote";
inline constexpr const char* kJournal = "IPM.Activity";
}  // namespace itemclass
namespace folderclass {
inline constexpr const char* kMail = "IPF.Note";
inline constexpr const char* kContact = "IPF.Contact";
inline constexpr const char* kAppointment = "IPF.Appointment";
inline constexpr const char* kTask = "IPF.Task";
inline constexpr const char* kStickyNote = "IPF.StickyNote";
inline constexpr const char* kJournal = "IPF.Journal";
}  // namespace folderclass

MessageData buildMail(NameIdMap& names, const ItemBasics& item, const std::vector<MailAddress>& recipients,
                      const std::string& transportHeaders);
MessageData buildAppointment(NameIdMap& names, const ItemBasics& item, std::optional<std::uint64_t> start,
                             std::optional<std::uint64_t> end, const std::string& contact, const std::string& location,
                             const std::string& timeZone);
MessageData buildJournal(NameIdMap& names, const ItemBasics& item);
MessageData buildTask(NameIdMap& names, const ItemBasics& item, std::optional<std::uint64_t> date);
MessageData buildStickyNote(NameIdMap& names, const ItemBasics& item);
MessageData buildContact(NameIdMap& names, const std::map<ContactField, std::string>& fields, const ItemBasics& item);

/// "a@b.c,Name <d@e.f>;..." as addresses.
std::vector<MailAddress> parseRecipientList(const std::string& text);
/// The sender of a header text's "From:" line ("From: name<address>").
MailAddress parseFromLine(const std::string& headers);

}  // namespace tarnwick::pst
