#include "export/CardAndCalendar.h"

#include <ctime>

namespace tarnwick::exporter {
namespace {

// Escapes a text value of iCalendar and vCard.
std::string Escape(const std::string& text) {
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
void Line(std::string& out, const std::string& name, const std::string& value) {
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

std::string UtcStamp(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &utc);
  return buffer;
}

std::string Field(const std::map<ContactField, std::string>& fields, ContactField f) {
  auto it = fields.find(f);
  return it == fields.end() ? std::string() : it->second;
}

}  // namespace

std::string ComposeICalendar(const CalendarEvent& e) {
  std::string out;
  Line(out, "BEGIN", "VCALENDAR");
  Line(out, "VERSION", "2.0");
  Line(out, "PRODID", "-//Tarnwick//Mailbox recovery//EN");
  Line(out, "BEGIN", "VEVENT");
  Line(out, "UID", e.uid);
  Line(out, "DTSTAMP", UtcStamp(e.start.value_or(0)));
  if (e.start) Line(out, "DTSTART", UtcStamp(*e.start));
  if (e.end && (!e.start || *e.end >= *e.start)) Line(out, "DTEND", UtcStamp(*e.end));
  Line(out, "SUMMARY", Escape(e.subject));
  if (!e.location.empty()) Line(out, "LOCATION", Escape(e.location));
  if (!e.organizer.empty()) Line(out, "ORGANIZER;CN=" + Escape(e.organizer), "mailto:" + e.organizer);
  if (!e.contact.empty()) Line(out, "CONTACT", Escape(e.contact));
  if (!e.timeZone.empty()) Line(out, "COMMENT", Escape("Time zone: " + e.timeZone));
  if (!e.description.empty()) Line(out, "DESCRIPTION", Escape(e.description));
  Line(out, "END", "VEVENT");
  Line(out, "END", "VCALENDAR");
  return out;
}

std::string ContactDisplayName(const std::map<ContactField, std::string>& fields) {
  std::string name = Field(fields, ContactField::FirstName);
  const std::string last = Field(fields, ContactField::LastName);
  if (!last.empty()) name += (name.empty() ? "" : " ") + last;
  for (ContactField f : {ContactField::NickName, ContactField::CompanyName, ContactField::Email1Address})
    if (name.empty()) name = Field(fields, f);
  return name;
}

std::string ComposeVCard(const std::map<ContactField, std::string>& fields, const std::string& note) {
  auto f = [&](ContactField field) { return Escape(Field(fields, field)); };
  std::string out;
  Line(out, "BEGIN", "VCARD");
  Line(out, "VERSION", "3.0");
  Line(out, "FN", Escape(ContactDisplayName(fields)));
  Line(out, "N", f(ContactField::LastName) + ";" + f(ContactField::FirstName) + ";;;");
  auto optional = [&](const std::string& name, ContactField field) {
    if (!Field(fields, field).empty()) Line(out, name, f(field));
  };
  optional("NICKNAME", ContactField::NickName);
  if (!Field(fields, ContactField::CompanyName).empty() || !Field(fields, ContactField::Department).empty())
    Line(out, "ORG", f(ContactField::CompanyName) + ";" + f(ContactField::Department));
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
    hasAddress = hasAddress || !Field(fields, a).empty();
  if (hasAddress)
    Line(out, "ADR;TYPE=WORK", ";;" + f(ContactField::BusinessAddressStreet) + ";" + f(ContactField::BusinessAddressCity) +
                                    ";;" + f(ContactField::BusinessAddressPostalCode) + ";" +
                                    f(ContactField::BusinessAddressCountry));
  if (!note.empty()) Line(out, "NOTE", Escape(note));
  Line(out, "END", "VCARD");
  return out;
}

}  // namespace tarnwick::exporter
