#pragma once

#include "platform/FileTime.h"
#include "platform/ModelTime.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::exporter {

// The first and last year an item may carry to be saved.
inline constexpr int kFirstExportYear = 1980;
inline constexpr int kLastExportYear = 2099;

// Why an item's time keeps it out of a save.
enum class DateRejection { None, BeforeRange, AfterRange, Unreadable };

struct ExportTime {
  DateRejection rejection = DateRejection::None;
  SystemTime utc;  // valid when rejection is None
};

// The time an item is saved with: the stored instant in UTC, with 4 ms added and a second
// carried when that reaches 995 ms. Items outside 1980-2099 (by that UTC time) are
// rejected, and so is a time whose year has more than four digits.
ExportTime ExportTimeOf(const ModelTime& time);

// The reason text of a rejection, for reports.
const char* DateRejectionText(DateRejection rejection);

// "MM/DD/YYYY hh:mm:ss AM" (or PM): hour 0 is 00 AM, 12 is 12 PM, 13..23 less 12 PM.
std::string DateText(const SystemTime& t);
// "MM/DD/YYYY".
std::string DateOnlyText(const SystemTime& t);

}  // namespace tarnwick::exporter

namespace tarnwick::exporter {

// Reads a date text back ("MM/DD/YYYY hh:mm:ss AM|PM" or "MM/DD/YYYY", UTC) as seconds
// since 1970; nothing when the text is not such a date.
std::optional<std::int64_t> ParseDateText(const std::string& text);

}  // namespace tarnwick::exporter
