#include "content/DisplayTime.h"

#include "platform/FileTime.h"

#include <cstdint>
#include <ctime>
#include <string_view>

namespace tarnwick::content {

namespace {

constexpr int kMillisecondRound = 4;
constexpr int kMillisecondCarry = 995;
constexpr int kFirstListedYear = 1980;
constexpr int kLastListedYear = 2099;
constexpr int kMaxShownYear = 9999;

// A short text written into a fixed buffer and made a string once: rows format two dates
// each, so this stays off the C library's formatted output and off per-character appends.
class ShortText {
 public:
  void ascii(std::string_view text) {
    for (char c : text) put(static_cast<char16_t>(static_cast<unsigned char>(c)));
  }
  // `value` in decimal, padded with zeros to `width` characters (the sign counted), as
  // printf's "%0*d" writes it.
  void number(int value, int width) {
    char digits[16];
    int n = 0;
    long long rest = value < 0 ? -static_cast<long long>(value) : value;
    do {
      digits[n++] = static_cast<char>('0' + rest % 10);
      rest /= 10;
    } while (rest != 0);
    if (value < 0) put(u'-');
    for (int pad = width - n - (value < 0 ? 1 : 0); pad > 0; --pad) put(u'0');
    while (n > 0) put(static_cast<char16_t>(digits[--n]));
  }
  void put(char16_t c) {
    if (size_ < sizeof text_ / sizeof text_[0]) text_[size_++] = c;
  }
  // "hh:mm:ss"
  void clock(int hour, int minute, int second) {
    number(hour, 2);
    put(u':');
    number(minute, 2);
    put(u':');
    number(second, 2);
  }
  std::u16string str() const { return std::u16string(text_, size_); }

 private:
  char16_t text_[128];  // the longest text (every field an 11-character int) fits
  std::size_t size_ = 0;
};

int currentLocalYear() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

LocalTimeParts fromTm(const std::tm& tm) {
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_wday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// UTC parts plus `extraSeconds`, turned into local parts through the C library's zone.
// The parts come from FileTimeToSystemTime and are always a real date, so the instant is
// counted directly rather than through timegm.
std::optional<LocalTimeParts> toLocal(const SystemTime& utc, int extraSeconds) {
  const std::int64_t seconds = daysFromCivil(utc.year, utc.month, utc.day) * 86400 + utc.hour * 3600 + utc.minute * 60 +
                               utc.second + extraSeconds;
  const std::time_t instant = static_cast<std::time_t>(seconds);
  std::tm local{};
  if (localtime_r(&instant, &local) == nullptr) return std::nullopt;
  return fromTm(local);
}

struct Prepared {
  SystemTime utc;
  int carry = 0;
};

std::optional<Prepared> prepare(const ModelTime& time) {
  std::optional<SystemTime> utc = fileTimeToSystemTime(modelTimeToFileTime(time));
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
  static constexpr std::string_view kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const std::string_view day = parts.dayOfWeek >= 0 && parts.dayOfWeek < 7 ? kDays[parts.dayOfWeek] : "";
  int hour = parts.hour;
  const std::string_view half = hour >= 12 ? "PM" : "AM";
  if (hour > 12) hour -= 12;
  // "%s %02d/%02d/%d %02d:%02d:%02d %s"
  ShortText text;
  text.ascii(day);
  text.put(u' ');
  text.number(parts.day, 2);
  text.put(u'/');
  text.number(parts.month, 2);
  text.put(u'/');
  text.number(parts.year, 1);
  text.put(u' ');
  text.clock(hour, parts.minute, parts.second);
  text.put(u' ');
  text.ascii(half);
  return text.str();
}

std::optional<std::u16string> formatDisplayTime(const ModelTime& time) {
  std::optional<LocalTimeParts> parts = summaryTimeParts(time);
  if (!parts) return std::nullopt;
  return formatDisplayTime(*parts);
}

std::u16string sortTimeText(const LocalTimeParts& parts) {
  // "%d-%02d-%02d %02d:%02d:%02d"
  ShortText text;
  text.number(parts.year, 1);
  text.put(u'-');
  text.number(parts.month, 2);
  text.put(u'-');
  text.number(parts.day, 2);
  text.put(u' ');
  text.clock(parts.hour, parts.minute, parts.second);
  return text.str();
}

bool isListedDate(const LocalTimeParts& parts) {
  return parts.day >= 1 && parts.day <= 31 && parts.month >= 1 && parts.month <= 12 && parts.year >= kFirstListedYear &&
         parts.year <= kLastListedYear;
}

}  // namespace tarnwick::content
