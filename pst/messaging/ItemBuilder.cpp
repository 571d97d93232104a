#include "pst/messaging/ItemBuilder.h"

#include <algorithm>
#include <cctype>
#include <chrono>

#include "pst/messaging/PropTags.h"
#include "pst/messaging/RtfBody.h"

namespace tarnwick::pst {

namespace {

using namespace propid;

// Named properties (property set, long id).
constexpr std::uint32_t kLidBusyStatus = 0x8205;
constexpr std::uint32_t kLidLocation = 0x8208;
constexpr std::uint32_t kLidAppointmentStartWhole = 0x820D;
constexpr std::uint32_t kLidAppointmentEndWhole = 0x820E;
constexpr std::uint32_t kLidAppointmentDuration = 0x8213;
constexpr std::uint32_t kLidAppointmentSubType = 0x8215;
constexpr std::uint32_t kLidTimeZoneDescription = 0x8234;
constexpr std::uint32_t kLidCommonStart = 0x8516;
constexpr std::uint32_t kLidCommonEnd = 0x8517;
constexpr std::uint32_t kLidContacts = 0x853A;
constexpr std::uint32_t kLidTaskStatus = 0x8101;
constexpr std::uint32_t kLidPercentComplete = 0x8102;
constexpr std::uint32_t kLidTaskStartDate = 0x8104;
constexpr std::uint32_t kLidTaskDueDate = 0x8105;
constexpr std::uint32_t kLidTaskComplete = 0x811C;
constexpr std::uint32_t kLidTaskOwner = 0x811F;
constexpr std::uint32_t kLidLogType = 0x8700;
constexpr std::uint32_t kLidLogStart = 0x8706;
constexpr std::uint32_t kLidLogDuration = 0x8707;
constexpr std::uint32_t kLidLogEnd = 0x8708;
constexpr std::uint32_t kLidLogTypeDesc = 0x8712;
constexpr std::uint32_t kLidNoteColor = 0x8B00;
constexpr std::uint32_t kLidNoteWidth = 0x8B02;
constexpr std::uint32_t kLidNoteHeight = 0x8B03;
constexpr std::uint32_t kLidFileUnder = 0x8005;
constexpr std::uint32_t kLidWorkAddressStreet = 0x8045;
constexpr std::uint32_t kLidWorkAddressCity = 0x8046;
constexpr std::uint32_t kLidWorkAddressPostalCode = 0x8048;
constexpr std::uint32_t kLidWorkAddressCountry = 0x8049;
constexpr std::uint32_t kLidHtmlPage = 0x802B;
constexpr std::uint32_t kLidEmail1DisplayName = 0x8080;
constexpr std::uint32_t kLidEmail1AddressType = 0x8082;
constexpr std::uint32_t kLidEmail1EmailAddress = 0x8083;
constexpr std::uint32_t kLidEmail1OriginalDisplayName = 0x8084;
constexpr std::uint32_t kLidAddressBookProviderEmailList = 0x8028;
constexpr std::uint32_t kLidAddressBookProviderArrayType = 0x8029;

constexpr std::int32_t kImportanceNormal = 1;
constexpr std::int32_t kMsgFlagRead = 0x01;
constexpr std::int32_t kObjectTypeMailUser = 6;
constexpr std::int32_t kAttachByValue = 1;
constexpr std::int32_t kRenderingPositionNone = -1;
constexpr std::int32_t kBusyStatusBusy = 2;
constexpr std::int32_t kNoteColorYellow = 3;
constexpr std::int32_t kNoteWidth = 200;
constexpr std::int32_t kNoteHeight = 166;
constexpr std::int32_t kCodePageUtf8 = 65001;
constexpr std::uint64_t kTicksPerMinute = 600'000'000;

std::uint64_t nowFileTime() {
  using namespace std::chrono;
  auto secs = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
  return static_cast<std::uint64_t>(secs + 11'644'473'600LL) * 10'000'000ULL;
}

std::string trim(std::string s) {
  auto notSpace = [](unsigned char c) { return !std::isspace(c); };
  s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
  s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
  return s;
}

bool looksLikeHtml(const std::string& body) {
  std::string lower(body.substr(0, 4096));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("<html") != std::string::npos || lower.find("<body") != std::string::npos ||
         lower.find("<!doctype html") != std::string::npos || lower.find("<div") != std::string::npos ||
         lower.find("<p>") != std::string::npos || lower.find("<br") != std::string::npos;
}

Property named(NameIdMap& names, const Guid& set, std::uint32_t lid, Property value) {
  value.id = names.numeric(set, lid);
  return value;
}

void addBody(std::vector<Property>& props, const ItemBasics& item) {
  if (item.body.empty()) return;
  switch (item.bodyKind) {
    case BodyKind::Rtf:
      props.push_back(Property::binary(kRtfCompressed, makeCompressedRtf(item.body)));
      props.push_back(Property::boolean(kRtfInSync, true));
      break;
    case BodyKind::Text8Bit:
      if (looksLikeHtml(item.body)) {
        props.push_back(Property::binary(kHtml, {item.body.begin(), item.body.end()}));
        props.push_back(Property::int32(kInternetCodepage, kCodePageUtf8));
        break;
      }
      [[fallthrough]];
    case BodyKind::Utf16Text: props.push_back(Property::unicode(kBody, item.body)); break;
  }
}

void addSender(std::vector<Property>& props, const MailAddress& sender) {
  if (sender.name.empty() && sender.address.empty()) return;
  std::string name = sender.name.empty() ? sender.address : sender.name;
  props.push_back(Property::unicode(kSenderName, name));
  props.push_back(Property::unicode(kSentRepresentingName, name));
  if (!sender.address.empty()) {
    props.push_back(Property::unicode(kSenderEmailAddress, sender.address));
    props.push_back(Property::unicode(kSenderAddressType, "SMTP"));
    props.push_back(Property::unicode(kSentRepresentingEmailAddress, sender.address));
    props.push_back(Property::unicode(kSentRepresentingAddressType, "SMTP"));
  }
}

/// Properties every item carries.
MessageData basicMessage(const ItemBasics& item, const char* messageClass) {
  MessageData m;
  auto& p = m.properties;
  p.push_back(Property::unicode(kMessageClass, messageClass));
  p.push_back(Property::unicode(kSubject, item.subject));
  p.push_back(Property::unicode(kConversationTopic, item.subject));
  p.push_back(Property::int32(kImportance, kImportanceNormal));
  p.push_back(Property::int32(kSensitivity, 0));
  p.push_back(Property::int32(kMessageFlags, kMsgFlagRead));
  std::uint64_t now = nowFileTime();
  std::uint64_t when = item.time.value_or(now);
  if (item.time) {
    p.push_back(Property::sysTime(kClientSubmitTime, when));
    p.push_back(Property::sysTime(kMessageDeliveryTime, when));
  }
  p.push_back(Property::sysTime(kCreationTime, when));
  p.push_back(Property::sysTime(kLastModificationTime, when));
  addSender(p, item.sender);
  addBody(p, item);
  for (const auto& file : item.attachments) {
    AttachmentData a;
    // The name as the source holds it, not the working file's name made safe for disk.
    const std::string name = file.displayName();
    a.properties = {Property::int32(kAttachMethod, kAttachByValue), Property::unicode(kAttachFilename, name),
                    Property::unicode(kAttachLongFilename, name), Property::unicode(kDisplayName, name),
                    Property::int32(kRenderingPosition, kRenderingPositionNone)};
    const std::filesystem::path asPath(name);
    if (asPath.has_extension() && asPath.filename() != "..")
      a.properties.push_back(Property::unicode(kAttachExtension, asPath.extension().string()));
    a.sourceFile = file.path;
    m.attachments.push_back(std::move(a));
  }
  return m;
}

}  // namespace

std::vector<MailAddress> parseRecipientList(const std::string& text) {
  std::vector<MailAddress> out;
  std::string current;
  auto flush = [&] {
    std::string s = trim(current);
    current.clear();
    if (s.empty()) return;
    MailAddress a;
    auto lt = s.find('<');
    auto gt = s.find('>', lt == std::string::npos ? 0 : lt);
    if (lt != std::string::npos && gt != std::string::npos) {
      a.address = trim(s.substr(lt + 1, gt - lt - 1));
      a.name = trim(s.substr(0, lt));
      if (a.name.size() >= 2 && a.name.front() == '"' && a.name.back() == '"')
        a.name = a.name.substr(1, a.name.size() - 2);
    } else {
      a.address = s;
    }
    if (a.name.empty()) a.name = a.address;
    out.push_back(std::move(a));
  };
  for (char c : text) {
    if (c == ',' || c == ';')
      flush();
    else
      current += c;
  }
  flush();
  return out;
}

MailAddress parseFromLine(const std::string& headers) {
  MailAddress a;
  std::size_t at = 0;
  while (at < headers.size()) {
    std::size_t eol = headers.find('\n', at);
    std::string line = headers.substr(at, eol == std::string::npos ? std::string::npos : eol - at);
    at = eol == std::string::npos ? headers.size() : eol + 1;
    if (line.size() >= 5 && (line.compare(0, 5, "From:") == 0 || line.compare(0, 5, "from:") == 0)) {
      auto list = parseRecipientList(line.substr(5));
      if (!list.empty()) a = list.front();
      break;
    }
  }
  return a;
}

MessageData buildMail(NameIdMap&, const ItemBasics& item, const std::vector<MailAddress>& recipients,
                      const std::string& transportHeaders) {
  MessageData m = basicMessage(item, itemclass::kNote);
  std::string displayTo, displayCc;
  for (const MailAddress& r : recipients) {
    std::string& display = r.recipientType == 2 ? displayCc : displayTo;
    if (r.recipientType <= 2) {
      if (!display.empty()) display += "; ";
      display += r.name;
    }
    std::string upper = "SMTP:" + r.address;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::vector<std::uint8_t> searchKey(upper.begin(), upper.end());
    searchKey.push_back(0);
    m.recipients.push_back({Property::int32(kRecipientType, r.recipientType), Property::boolean(kResponsibility, true),
                            Property::int32(kObjectType, kObjectTypeMailUser), Property::unicode(kDisplayName, r.name),
                            Property::unicode(kAddressType, "SMTP"), Property::unicode(kEmailAddress, r.address),
                            Property::binary(kSearchKey, searchKey), Property::int32(kDisplayType, 0),
                            Property::unicode(kTransmittableDisplayName, r.name),
                            Property::unicode(kSmtpAddress, r.address), Property::boolean(kSendRichInfo, false)});
  }
  m.properties.push_back(Property::unicode(kDisplayTo, displayTo));
  if (!displayCc.empty()) m.properties.push_back(Property::unicode(kDisplayCc, displayCc));
  if (!transportHeaders.empty()) m.properties.push_back(Property::unicode(kTransportMessageHeaders, transportHeaders));
  return m;
}

MessageData buildAppointment(NameIdMap& names, const ItemBasics& item, std::optional<std::uint64_t> start,
                             std::optional<std::uint64_t> end, const std::string& contact, const std::string& location,
                             const std::string& timeZone) {
  MessageData m = basicMessage(item, itemclass::kAppointment);
  auto& p = m.properties;
  std::uint64_t s = start.value_or(item.time.value_or(nowFileTime()));
  std::uint64_t e = std::max(s, end.value_or(s));
  p.push_back(named(names, propset::kAppointment, kLidAppointmentStartWhole, Property::sysTime(0, s)));
  p.push_back(named(names, propset::kAppointment, kLidAppointmentEndWhole, Property::sysTime(0, e)));
  p.push_back(named(names, propset::kCommon, kLidCommonStart, Property::sysTime(0, s)));
  p.push_back(named(names, propset::kCommon, kLidCommonEnd, Property::sysTime(0, e)));
  p.push_back(named(names, propset::kAppointment, kLidAppointmentDuration,
                    Property::int32(0, static_cast<std::int32_t>((e - s) / kTicksPerMinute))));
  p.push_back(named(names, propset::kAppointment, kLidBusyStatus, Property::int32(0, kBusyStatusBusy)));
  p.push_back(named(names, propset::kAppointment, kLidAppointmentSubType, Property::boolean(0, false)));
  if (!location.empty()) p.push_back(named(names, propset::kAppointment, kLidLocation, Property::unicode(0, location)));
  if (!timeZone.empty())
    p.push_back(named(names, propset::kAppointment, kLidTimeZoneDescription, Property::unicode(0, timeZone)));
  if (!contact.empty()) p.push_back(named(names, propset::kCommon, kLidContacts, Property::multiUnicode(0, {contact})));
  return m;
}

MessageData buildJournal(NameIdMap& names, const ItemBasics& item) {
  MessageData m = basicMessage(item, itemclass::kJournal);
  auto& p = m.properties;
  std::uint64_t when = item.time.value_or(nowFileTime());
  p.push_back(named(names, propset::kLog, kLidLogType, Property::unicode(0, "Note")));
  p.push_back(named(names, propset::kLog, kLidLogTypeDesc, Property::unicode(0, "Note")));
  p.push_back(named(names, propset::kLog, kLidLogStart, Property::sysTime(0, when)));
  p.push_back(named(names, propset::kLog, kLidLogEnd, Property::sysTime(0, when)));
  p.push_back(named(names, propset::kLog, kLidLogDuration, Property::int32(0, 0)));
  p.push_back(named(names, propset::kCommon, kLidCommonStart, Property::sysTime(0, when)));
  p.push_back(named(names, propset::kCommon, kLidCommonEnd, Property::sysTime(0, when)));
  return m;
}

MessageData buildTask(NameIdMap& names, const ItemBasics& item, std::optional<std::uint64_t> date) {
  MessageData m = basicMessage(item, itemclass::kTask);
  auto& p = m.properties;
  p.push_back(named(names, propset::kTask, kLidTaskStatus, Property::int32(0, 0)));
  p.push_back(named(names, propset::kTask, kLidPercentComplete, Property::doubleValue(0, 0.0)));
  p.push_back(named(names, propset::kTask, kLidTaskComplete, Property::boolean(0, false)));
  if (!item.sender.name.empty())
    p.push_back(named(names, propset::kTask, kLidTaskOwner, Property::unicode(0, item.sender.name)));
  if (date) {
    p.push_back(named(names, propset::kTask, kLidTaskStartDate, Property::sysTime(0, *date)));
    p.push_back(named(names, propset::kTask, kLidTaskDueDate, Property::sysTime(0, *date)));
    p.push_back(named(names, propset::kCommon, kLidCommonStart, Property::sysTime(0, *date)));
    p.push_back(named(names, propset::kCommon, kLidCommonEnd, Property::sysTime(0, *date)));
  }
  return m;
}

MessageData buildStickyNote(NameIdMap& names, const ItemBasics& item) {
  MessageData m = basicMessage(item, itemclass::kStickyNote);
  auto& p = m.properties;
  p.push_back(named(names, propset::kNote, kLidNoteColor, Property::int32(0, kNoteColorYellow)));
  p.push_back(named(names, propset::kNote, kLidNoteWidth, Property::int32(0, kNoteWidth)));
  p.push_back(named(names, propset::kNote, kLidNoteHeight, Property::int32(0, kNoteHeight)));
  return m;
}

MessageData buildContact(NameIdMap& names, const std::map<ContactField, std::string>& fields,
                         const ItemBasics& basics) {
  auto get = [&](ContactField f) {
    auto it = fields.find(f);
    return it == fields.end() ? std::string() : it->second;
  };
  std::string first = get(ContactField::FirstName), last = get(ContactField::LastName);
  std::string display = trim(first + " " + last);
  if (display.empty()) display = get(ContactField::CompanyName);
  if (display.empty()) display = get(ContactField::Email1Address);
  ItemBasics item = basics;
  item.subject = display;
  MessageData m = basicMessage(item, itemclass::kContact);
  auto& p = m.properties;
  p.push_back(Property::unicode(kDisplayName, display));
  struct Plain {
    ContactField field;
    std::uint16_t id;
  };
  static constexpr Plain kPlain[] = {
      {ContactField::FirstName, kGivenName},
      {ContactField::LastName, kSurname},
      {ContactField::CompanyName, kCompanyName},
      {ContactField::Department, kDepartmentName},
      {ContactField::JobTitle, kTitle},
      {ContactField::NickName, kNickname},
      {ContactField::OfficeLocation, kOfficeLocation},
      {ContactField::AssistantTelephoneNumber, kAssistantTelephoneNumber},
      {ContactField::BusinessTelephoneNumber, kBusinessTelephoneNumber},
      {ContactField::MobileTelephoneNumber, kMobileTelephoneNumber},
      {ContactField::Profession, kProfession},
      {ContactField::Spouse, kSpouseName},
      {ContactField::WebPage, kBusinessHomePage},
      {ContactField::BusinessAddressCity, kBusinessAddressCity},
      {ContactField::BusinessAddressPostalCode, kBusinessPostalCode},
      {ContactField::BusinessAddressCountry, kBusinessAddressCountry},
      {ContactField::BusinessAddressStreet, kBusinessAddressStreet},
  };
  for (const Plain& f : kPlain)
    if (auto v = get(f.field); !v.empty()) p.push_back(Property::unicode(f.id, v));
  struct Named {
    ContactField field;
    std::uint32_t lid;
  };
  static constexpr Named kNamed[] = {
      {ContactField::BusinessAddressStreet, kLidWorkAddressStreet},
      {ContactField::BusinessAddressCity, kLidWorkAddressCity},
      {ContactField::BusinessAddressPostalCode, kLidWorkAddressPostalCode},
      {ContactField::BusinessAddressCountry, kLidWorkAddressCountry},
      {ContactField::WebPage, kLidHtmlPage},
  };
  for (const Named& f : kNamed)
    if (auto v = get(f.field); !v.empty()) p.push_back(named(names, propset::kAddress, f.lid, Property::unicode(0, v)));
  std::string fileUnder = last.empty() ? display : (first.empty() ? last : last + ", " + first);
  p.push_back(named(names, propset::kAddress, kLidFileUnder, Property::unicode(0, fileUnder)));
  if (auto email = get(ContactField::Email1Address); !email.empty()) {
    p.push_back(named(names, propset::kAddress, kLidEmail1EmailAddress, Property::unicode(0, email)));
    p.push_back(named(names, propset::kAddress, kLidEmail1AddressType, Property::unicode(0, "SMTP")));
    p.push_back(named(names, propset::kAddress, kLidEmail1DisplayName,
                      Property::unicode(0, display.empty() ? email : display + " (" + email + ")")));
    p.push_back(named(names, propset::kAddress, kLidEmail1OriginalDisplayName, Property::unicode(0, email)));
    p.push_back(named(names, propset::kAddress, kLidAddressBookProviderEmailList, Property::multiInt32(0, {0})));
    p.push_back(named(names, propset::kAddress, kLidAddressBookProviderArrayType, Property::int32(0, 1)));
  }
  return m;
}

}  // namespace tarnwick::pst
