#include "content/ItemSummary.h"

#include "content/DisplayTime.h"

#include <array>
#include <utility>

namespace tarnwick::content {

namespace {

struct ContactLine {
  std::u16string_view label;
  std::size_t slot;
};

constexpr std::array<ContactLine, 18> kContactLines = {{
    {u"First Name :   ", 0},
    {u"Last Name :   ", 1},
    {u"Job Title :   ", 11},
    {u"Company :   ", 2},
    {u"Department :   ", 9},
    {u"Office :   ", 10},
    {u"Profession :   ", 6},
    {u"Phone Number Mobile :   ", 8},
    {u"Phone Number Business :   ", 12},
    {u"Phone Number Assistant :   ", 7},
    {u"Business Address Country/Region :   ", 13},
    {u"Business Address City :   ", 14},
    {u"Business Address Street :   ", 15},
    {u"Business Address Zip/Postal Code :   ", 16},
    {u"Email Address 1 :   ", 17},
    {u"Webpage Address 1 :   ", 3},
    {u"Nick Name :   ", 4},
    {u"Spouse Name :   ", 5},
}};

}  // namespace

void addSummaryLines(std::u16string_view text, std::vector<std::u16string>& lines) {
  for (;;) {
    std::size_t crlf = text.find(u"\r\n");
    if (crlf != std::u16string_view::npos) {
      lines.emplace_back(text.substr(0, crlf));
      text.remove_prefix(crlf + 2);
      continue;
    }
    std::size_t lf = text.find(u'\n');
    if (lf != std::u16string_view::npos) {
      lines.emplace_back(text.substr(0, lf));
      text.remove_prefix(lf + 1);
      continue;
    }
    lines.emplace_back(text);
    return;
  }
}

std::vector<std::u16string> contactSummaryLines(const analysis::ItemProperties* properties) {
  std::vector<std::u16string> lines;
  if (properties == nullptr) return lines;
  for (const ContactLine& line : kContactLines) {
    const std::optional<std::u16string>& value = properties->slots[line.slot];
    if (!value) continue;
    addSummaryLines(std::u16string(line.label) + *value, lines);
  }
  return lines;
}

std::vector<std::u16string> appointmentSummaryLines(const analysis::AppointmentTimes* appointment) {
  std::vector<std::u16string> lines;
  if (appointment == nullptr) return lines;
  const std::pair<std::u16string_view, const std::optional<std::u16string>*> texts[] = {
      {u"Contact :   ", &appointment->contactText},
      {u"Location :   ", &appointment->location},
      {u"GMT :   ", &appointment->timeZone},
  };
  for (const auto& [label, value] : texts) {
    if (*value) lines.push_back(std::u16string(label) + **value);
  }
  if (appointment->start) {
    if (auto text = formatDisplayTime(*appointment->start)) lines.push_back(u"Start Date :   " + *text);
  }
  if (appointment->end) {
    if (auto text = formatDisplayTime(*appointment->end)) lines.push_back(u"End Date :   " + *text);
  }
  return lines;
}

}  // namespace tarnwick::content
