#pragma once

#include "analysis/ItemProperties.h"
#include "analysis/MessageHeaders.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::content {

// Splits one labelled text into lines at CR LF or LF and appends them: a multi-line value
// becomes several lines, only the first carrying the label.
void addSummaryLines(std::u16string_view text, std::vector<std::u16string>& lines);

// The labelled lines of a contact, in the order the preview lists them; none for null.
std::vector<std::u16string> contactSummaryLines(const analysis::ItemProperties* properties);

// The labelled lines of an appointment (contact, location, time zone, start, end); none
// for null. A time that cannot be converted gives no line.
std::vector<std::u16string> appointmentSummaryLines(const analysis::AppointmentTimes* appointment);

}  // namespace tarnwick::content
