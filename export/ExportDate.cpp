#include "export/ExportDate.h"

#include <cstdio>

namespace tarnwick::exporter {
namespace {

constexpr int kRoundingAddMs = 4;
constexpr int kRoundingCarryMs = 995;
constexpr int kLastFourDigitYear = 9999;

}  // namespace

ExportTime ExportTimeOf(const ModelTime& time) {
  ExportTime result;
  std::uint64_t fileTime = ModelTimeToFileTime(time);
  auto utc = FileTimeToSystemTime(fileTime);
  if (!utc || utc->year > kLastFourDigitYear) {
    result.rejection = utc ? DateRejection::AfterRange : DateRejection::Unreadable;
    return result;
  }
  if (utc->milliseconds + kRoundingAddMs >= kRoundingCarryMs) {
    fileTime += kFileTimeTicksPerSecond;
    utc = FileTimeToSystemTime(fileTime);
    if (!utc) {
      result.rejection = DateRejection::Unreadable;
      return result;
    }
  }
  if (utc->year < kFirstExportYear) {
    result.rejection = DateRejection::BeforeRange;
  } else if (utc->year > kLastExportYear) {
    result.rejection = DateRejection::AfterRange;
  } else {
    result.utc = *utc;
  }
  return result;
}

const char* DateRejectionText(DateRejection rejection) {
  switch (rejection) {
    case DateRejection::None: return "";
    case DateRejection::BeforeRange: return "date before 1980";
    case DateRejection::AfterRange: return "date after 2099";
    case DateRejection::Unreadable: return "date cannot be read";
  }
  return "";
}

std::string DateOnlyText(const SystemTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d/%02d/%d", t.month, t.day, t.year);
  return buffer;
}

std::string DateText(const SystemTime& t) {
  const bool pm = t.hour >= 12;
  const int hour = t.hour > 12 ? t.hour - 12 : t.hour;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, " %02d:%02d:%02d %s", hour, t.minute, t.second, pm ? "PM" : "AM");
  return DateOnlyText(t) + buffer;
}

}  // namespace tarnwick::exporter

namespace tarnwick::exporter {

std::optional<std::int64_t> ParseDateText(const std::string& text) {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char half[3] = {0, 0, 0};
  const int n = std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d %2s", &month, &day, &year, &hour, &minute, &second, half);
  if (n != 3 && n != 7) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 12 || minute > 59 || second > 60)
    return std::nullopt;
  if (n == 7) {
    const std::string h(half);
    if (h == "PM" && hour != 12) hour += 12;
    else if (h != "AM" && h != "PM") return std::nullopt;
  }
  // Days from civil, proleptic Gregorian.
  const int y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

}  // namespace tarnwick::exporter
