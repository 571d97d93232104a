#pragma once

#include "export/WriterInterfaces.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace tarnwick::exporter {

struct CalendarEvent {
  std::string subject;
  std::string organizer;
  std::optional<std::int64_t> start;  // UTC seconds
  std::optional<std::int64_t> end;
  std::string location;
  std::string contact;
  std::string timeZone;  // the stored time-zone text, kept as a comment property
  std::string description;
  std::string uid;
};

// An iCalendar (RFC 5545) object holding one event, CRLF lines, times in UTC.
std::string composeICalendar(const CalendarEvent& event);

// A vCard 3.0 (RFC 2426) of a contact's fields, with the body as its note.
std::string composeVCard(const std::map<ContactField, std::string>& fields, const std::string& note);

// The name a contact is filed under: first and last name, else nick name, company or
// e-mail address.
std::string contactDisplayName(const std::map<ContactField, std::string>& fields);

}  // namespace tarnwick::exporter
