#include "export/ExportDate.h"

namespace tarnwick::exporter {
namespace {

constexpr int kRoundingAddMs = 4;
constexpr int kRoundingCarryMs = 995;
constexpr int kLastFourDigitYear = 9999;

}  // namespace

ExportTime exportTimeOf(const ModelTime& time) {
  ExportTime result;
  std::uint64_t fileTime = modelTimeToFileTime(time);
  auto utc = fileTimeToSystemTime(fileTime);
  if (!utc || utc->year > kLastFourDigitYear) {
    result.rejection = utc ? DateRejection::AfterRange : DateRejection::Unreadable;
    return result;
  }
  if (utc->milliseconds + kRoundingAddMs >= kRoundingCarryMs) {
    fileTime += kFileTimeTicksPerSecond;
    utc = fileTimeToSystemTime(fileTime);
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
    result.fileTime = wholeSecondOf(fileTime);
  }
  return result;
}

const char* dateRejectionText(DateRejection rejection) {
  switch (rejection) {
    case DateRejection::None: return "";
    case DateRejection::BeforeRange: return "date before 1980";
    case DateRejection::AfterRange: return "date after 2099";
    case DateRejection::Unreadable: return "date cannot be read";
  }
  return "";
}

}  // namespace tarnwick::exporter
