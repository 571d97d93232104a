#include "export/CardAndCalendar.h"

#include <ctime>

namespace tarnwick::exporter {
namespace {

// Escapes a text value of iCalendar and vCard.
std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case ';': out += "\\;"; break;
      case ',': out += "\\,"; break;
      case '\n': out += "\\n"; break;
      case '\r': break;
      default: out.push_back(c);
    }
  }
  return out;
}

// One content line, folded at 75 octets without splitting a UTF-8 character.
void textLine(std::string& out, const std::string& name, const std::string& value) {
  std::string line = name + ":" + value;
  std::size_t start = 0;
  bool first = true;
  while (start < line.size()) {
    std::size_t take = first ? 75 : 74;
    if (start + take < line.size()) {
      while (take > 1 && (static_cast<unsigned char>(line[start + take]) & 0xC0) == 0x80) --take;
    } else {
      take = line.size() - start;
    }
    if (!first) out += " ";
    out += line.substr(start, take);
    out += "\r\n";
    start += take;
    first = false;
  }
}

std::string utcStamp(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc);
  return buffer;
}

std::string fieldText(const std::map<ContactField, std::string>& fields, ContactField f) {
  auto it = fields.find(f);
  return it == fields.end() ? std::string() : it->second;
}

}  // namespace

std::string composeICalendar(const CalendarEvent& e) {
  std::string out;
  textLine(out, "BEGIN", "VCALENDAR");
  textLine(out, "VERSION", "2.0");
  textLine(out, "PRODID", "-//Tarnwick//Mailbox recovery//EN");
  textLine(out, "BEGIN", "VEVENT");
  textLine(out, "UID", e.uid);
  textLine(out, "DTSTAMP", utcStamp(e.start.value_or(0)));
  if (e.start) textLine(out, "DTSTART", utcStamp(*e.start));
  if (e.end && (!e.start || *e.end >= *e.start)) textLine(out, "DTEND", utcStamp(*e.end));
  textLine(out, "SUMMARY", escape(e.subject));
  if (!e.location.empty()) textLine(out, "LOCATION", escape(e.location));
  if (!e.organizer.empty()) textLine(out, "ORGANIZER;CN=" + escape(e.organizer), "mailto:" + e.organizer);
  if (!e.contact.empty()) textLine(out, "CONTACT", escape(e.contact));
  if (!e.timeZone.empty()) textLine(out, "COMMENT", escape("Time zone: " + e.timeZone));
  if (!e.description.empty()) textLine(out, "DESCRIPTION", escape(e.description));
  textLine(out, "END", "VEVENT");
  textLine(out, "END", "VCALENDAR");
  return out;
}

std::string contactDisplayName(const std::map<ContactField, std::string>& fields) {
  std::string name = fieldText(fields, ContactField::FirstName);
  const std::string last = fieldText(fields, ContactField::LastName);
  if (!last.empty()) name += (name.empty() ? "" : " ") + last;
  for (ContactField f : {ContactField::NickName, ContactField::CompanyName, ContactField::Email1Address})
    if (name.empty()) name = fieldText(fields, f);
  return name;
}

std::string composeVCard(const std::map<ContactField, std::string>& fields, const std::string& note) {
  auto f = [&](ContactField field) { return escape(fieldText(fields, field)); };
  std::string out;
  textLine(out, "BEGIN", "VCARD");
  textLine(out, "VERSION", "3.0");
  textLine(out, "FN", escape(contactDisplayName(fields)));
  textLine(out, "N", f(ContactField::LastName) + ";" + f(ContactField::FirstName) + ";;;");
  auto optional = [&](const std::string& name, ContactField field) {
    if (!fieldText(fields, field).empty()) textLine(out, name, f(field));
  };
  optional("NICKNAME", ContactField::NickName);
  if (!fieldText(fields, ContactField::CompanyName).empty() || !fieldText(fields, ContactField::Department).empty())
    textLine(out, "ORG", f(ContactField::CompanyName) + ";" + f(ContactField::Department));
  optional("TITLE", ContactField::JobTitle);
  optional("ROLE", ContactField::Profession);
  optional("EMAIL;TYPE=INTERNET", ContactField::Email1Address);
  optional("TEL;TYPE=WORK,VOICE", ContactField::BusinessTelephoneNumber);
  optional("TEL;TYPE=CELL", ContactField::MobileTelephoneNumber);
  optional("X-ASSISTANT-TEL", ContactField::AssistantTelephoneNumber);
  optional("URL", ContactField::WebPage);
  optional("X-SPOUSE", ContactField::Spouse);
  optional("X-OFFICE", ContactField::OfficeLocation);
  bool hasAddress = false;
  for (ContactField a : {ContactField::BusinessAddressStreet, ContactField::BusinessAddressCity,
                         ContactField::BusinessAddressPostalCode, ContactField::BusinessAddressCountry})
    hasAddress = hasAddress || !fieldText(fields, a).empty();
  if (hasAddress)
    textLine(out, "ADR;TYPE=WORK",
             ";;" + f(ContactField::BusinessAddressStreet) + ";" + f(ContactField::BusinessAddressCity) + ";;" +
                 f(ContactField::BusinessAddressPostalCode) + ";" + f(ContactField::BusinessAddressCountry));
  if (!note.empty()) textLine(out, "NOTE", escape(note));
  textLine(out, "END", "VCARD");
  return out;
}

}  // namespace tarnwick::exporter
