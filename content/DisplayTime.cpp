#include "content/DisplayTime.h"

#include "platform/FileTime.h"

#include <cstdio>
#include <ctime>

namespace tarnwick::content {

namespace {

constexpr int kMillisecondRound = 4;
constexpr int kMillisecondCarry = 995;
constexpr int kFirstListedYear = 1980;
constexpr int kLastListedYear = 2099;
constexpr int kMaxShownYear = 9999;

std::u16string ascii(const char* text) {
  std::u16string out;
  for (const char* p = text; *p != 0; ++p) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
  return out;
}

int currentLocalYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

LocalTimeParts fromTm(const std::tm& tm) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// UTC parts plus `extraSeconds`, turned into local parts through the C library's zone.
std::optional<LocalTimeParts> toLocal(const SystemTime& utc, int extraSeconds) {
  std::tm tm{};
  tm.tm_year = utc.year - 1900;
  tm.tm_mon = utc.month - 1;
  tm.tm_mday = utc.day;
  tm.tm_hour = utc.hour;
  tm.tm_min = utc.minute;
  tm.tm_sec = utc.second;
  std::time_t instant = timegm(&tm);
  if (instant == static_cast<std::time_t>(-1) && !(utc.year == 1969 && utc.month == 12 && utc.day == 31)) {
    return std::nullopt;
  }
  instant += extraSeconds;
  std::tm local{};
  if (localtime_r(&instant, &local) == nullptr) return std::nullopt;
  return fromTm(local);
}

struct Prepared {
  SystemTime utc;
  int carry = 0;
};

std::optional<Prepared> prepare(const ModelTime& time) {
  std::optional<SystemTime> utc = FileTimeToSystemTime(ModelTimeToFileTime(time));
  if (!utc) return std::nullopt;
  Prepared p{*utc, 0};
  if (p.utc.year > kMaxShownYear) p.utc.year = currentLocalYear();
  if (p.utc.milliseconds + kMillisecondRound >= kMillisecondCarry) p.carry = 1;
  return p;
}

}  // namespace

std::optional<LocalTimeParts> summaryTimeParts(const ModelTime& time) {
  std::optional<Prepared> p = prepare(time);
  if (!p) return std::nullopt;
  return toLocal(p->utc, p->carry);
}

std::optional<LocalTimeParts> listTimeParts(const ModelTime& time) {
  std::optional<Prepared> p = prepare(time);
  if (!p) return std::nullopt;
  if (p->utc.year < 1900) {
    p->utc = SystemTime{1970, 1, 4, 1, 0, 0, 0, 0};
    p->carry = 0;
  }
  if (std::optional<LocalTimeParts> local = toLocal(p->utc, p->carry)) return local;
  const SystemTime& u = p->utc;
  return LocalTimeParts{u.year, u.month, u.day, u.dayOfWeek, u.hour, u.minute, u.second};
}

std::u16string formatDisplayTime(const LocalTimeParts& parts) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const char* day = parts.dayOfWeek >= 0 && parts.dayOfWeek < 7 ? kDays[parts.dayOfWeek] : "";
  int hour = parts.hour;
  const char* half = hour >= 12 ? "PM" : "AM";
  if (hour > 12) hour -= 12;
  char text[96];
  std::snprintf(text, sizeof text, "%s %02d/%02d/%d %02d:%02d:%02d %s", day, parts.day, parts.month, parts.year, hour,
                parts.minute, parts.second, half);
  return ascii(text);
}

std::optional<std::u16string> formatDisplayTime(const ModelTime& time) {
  std::optional<LocalTimeParts> parts = summaryTimeParts(time);
  if (!parts) return std::nullopt;
  return formatDisplayTime(*parts);
}

std::u16string sortTimeText(const LocalTimeParts& parts) {
  char text[64];
  std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", parts.year, parts.month, parts.day, parts.hour,
                parts.minute, parts.second);
  return ascii(text);
}

bool isListedDate(const LocalTimeParts& parts) {
  return parts.day >= 1 && parts.day <= 31 && parts.month >= 1 && parts.month <= 12 &&
         parts.year >= kFirstListedYear && parts.year <= kLastListedYear;
}

}  // namespace tarnwick::content
