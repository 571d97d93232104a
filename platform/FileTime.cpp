#include "platform/FileTime.h"

#include <ctime>

namespace tarnwick {
namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::int64_t kSecondsPerDay = 86400;

// Civil date of a day count since 1970-01-01 (proleptic Gregorian).
void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Day count since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int year, int month, int day) {
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

}  // namespace

std::uint64_t utcFileTime(int year, int month, int day, int hour, int minute, int second) {
  const std::int64_t seconds =
      daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600LL + minute * 60LL + second;
  return static_cast<std::uint64_t>(seconds * static_cast<std::int64_t>(kFileTimeTicksPerSecond) +
                                    static_cast<std::int64_t>(kFileTimeUnixEpoch));
}

std::int64_t fileTimeToUnixSeconds(std::uint64_t fileTime) {
  const auto ticks = static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kFileTimeUnixEpoch);
  std::int64_t seconds = ticks / static_cast<std::int64_t>(kFileTimeTicksPerSecond);
  if (ticks % static_cast<std::int64_t>(kFileTimeTicksPerSecond) < 0) --seconds;
  return seconds;
}

std::optional<SystemTime> fileTimeToSystemTime(std::uint64_t fileTime) {
  if (fileTime > 0x7FFFFFFFFFFFFFFFULL) return std::nullopt;
  const std::int64_t seconds = fileTimeToUnixSeconds(fileTime);
  std::int64_t days = seconds / kSecondsPerDay;
  std::int64_t secondOfDay = seconds % kSecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += kSecondsPerDay;
    --days;
  }
  SystemTime t;
  civilFromDays(days, t.year, t.month, t.day);
  t.dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  t.hour = static_cast<int>(secondOfDay / 3600);
  t.minute = static_cast<int>(secondOfDay / 60 % 60);
  t.second = static_cast<int>(secondOfDay % 60);
  t.milliseconds = static_cast<int>(fileTime / kTicksPerMillisecond % 1000);
  return t;
}

std::optional<SystemTime> fileTimeToLocalSystemTime(std::uint64_t fileTime) {
  if (fileTime > 0x7FFFFFFFFFFFFFFFULL) return std::nullopt;
  const std::time_t seconds = static_cast<std::time_t>(fileTimeToUnixSeconds(fileTime));
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  SystemTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.dayOfWeek = local.tm_wday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.milliseconds = static_cast<int>(fileTime / kTicksPerMillisecond % 1000);
  return t;
}

std::uint64_t modelTimeToFileTime(const ModelTime& time) {
  std::uint64_t value = 0;
  for (int i = 5; i >= 0; --i) value = (value << 8) | time.bytes[static_cast<std::size_t>(i)];
  return value << 16;
}

ModelTime modelTimeFromFileTime(std::uint64_t fileTime) {
  ModelTime t;
  for (std::size_t i = 0; i < t.bytes.size(); ++i) t.bytes[i] = static_cast<std::uint8_t>(fileTime >> (16 + 8 * i));
  return t;
}

}  // namespace tarnwick
