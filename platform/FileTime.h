#pragma once

#include "platform/ModelTime.h"

#include <cstdint>
#include <optional>

namespace tarnwick {

// A calendar time split into its parts, as FileTimeToSystemTime gives it.
struct SystemTime {
  int year = 0;       // 1601..30827
  int month = 0;      // 1..12
  int dayOfWeek = 0;  // 0 Sunday .. 6 Saturday
  int day = 0;        // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;

  bool operator==(const SystemTime&) const = default;
};

// 100-ns ticks between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;
inline constexpr std::uint64_t kFileTimeTicksPerSecond = 10000000ULL;

// Splits a FILETIME (100-ns ticks since 1601-01-01 UTC) into UTC calendar parts. Values
// above 0x7FFFFFFFFFFFFFFF give nothing, as on Windows.
std::optional<SystemTime> fileTimeToSystemTime(std::uint64_t fileTime);

// The same instant in the machine's local time zone (through the C library's zone rules,
// so TZ applies). Empty when the instant cannot be represented.
std::optional<SystemTime> fileTimeToLocalSystemTime(std::uint64_t fileTime);

// The FILETIME a model time stands for: its two lowest bytes zero, the next two bytes the
// first two stored bytes, the high 32 bits the remaining four.
std::uint64_t modelTimeToFileTime(const ModelTime& time);
// The model time of a FILETIME (its two lowest bytes dropped).
ModelTime modelTimeFromFileTime(std::uint64_t fileTime);

// Seconds since 1970-01-01 UTC (rounded down) of a FILETIME.
std::int64_t fileTimeToUnixSeconds(std::uint64_t fileTime);

// The FILETIME of a UTC calendar date and time (proleptic Gregorian, from 1601 on).
std::uint64_t utcFileTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// A FILETIME with its fraction of a second dropped.
inline constexpr std::uint64_t wholeSecondOf(std::uint64_t fileTime) {
  return fileTime - fileTime % kFileTimeTicksPerSecond;
}
// The FILETIME of the start (00:00:00 UTC) of the day a FILETIME falls in.
inline constexpr std::uint64_t utcDayStartOf(std::uint64_t fileTime) {
  return fileTime - fileTime % (kFileTimeTicksPerSecond * 86400);
}

}  // namespace tarnwick
