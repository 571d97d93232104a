#pragma once

#include "platform/FileTime.h"
#include "platform/ModelTime.h"

#include <cstdint>

namespace tarnwick::exporter {

// The first and last year an item may carry to be saved.
inline constexpr int kFirstExportYear = 1980;
inline constexpr int kLastExportYear = 2099;

// Why an item's time keeps it out of a save.
enum class DateRejection { None, BeforeRange, AfterRange, Unreadable };

struct ExportTime {
  DateRejection rejection = DateRejection::None;
  std::uint64_t fileTime = 0;  // the instant saved (FILETIME, whole seconds); valid when rejection is None
};

// The time an item is saved with: the stored instant in UTC, with 4 ms added and a second
// carried when that reaches 995 ms, and the rest of the second dropped. Items outside
// 1980-2099 (by that UTC time) are rejected, and so is a time whose year has more than
// four digits.
ExportTime exportTimeOf(const ModelTime& time);

// The reason text of a rejection, for reports.
const char* dateRejectionText(DateRejection rejection);

}  // namespace tarnwick::exporter
