#pragma once

#include "platform/ModelTime.h"

#include <optional>
#include <string>

namespace tarnwick::content {

// A model time as it is shown: in the machine's local time zone.
struct LocalTimeParts {
  int year = 0;
  int month = 0;      // 1..12
  int day = 0;        // 1..31
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The parts a summary line shows: the stored UTC instant (milliseconds of 991 or more
// carried into the next second; a year of more than four digits replaced by the current
// year) in local time. Nothing when the time cannot be converted.
std::optional<LocalTimeParts> summaryTimeParts(const ModelTime& time);

// The parts a message-list row shows: as above, except that a year before 1900 stands for
// the start of 1970 and a failed local conversion keeps the UTC parts.
std::optional<LocalTimeParts> listTimeParts(const ModelTime& time);

// "Sun 05/12/2010 02:07:09 PM": day name, day/month/year, 12-hour clock (midnight "00").
std::u16string formatDisplayTime(const LocalTimeParts& parts);

// The summary's display text of a model time, or nothing when it cannot be converted.
std::optional<std::u16string> formatDisplayTime(const ModelTime& time);

// "2010-12-05 14:07:09": the sortable text of the list's date column.
std::u16string sortTimeText(const LocalTimeParts& parts);

// Whether a row with this date is listed: a real day and month, and a year from 1980 to 2099.
bool isListedDate(const LocalTimeParts& parts);

}  // namespace tarnwick::content
