#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwick::pst {

/// Reads the writer interface's date texts: "MM/DD/YYYY hh:mm:ss AM" (or PM), or the
/// date alone "MM/DD/YYYY"; the time is taken as UTC. Returns a FILETIME (100 ns ticks
/// since 1601), or nothing when the text is not such a date.
std::optional<std::uint64_t> parseDateText(std::string_view text);

/// FILETIME of a calendar date and time (UTC).
std::uint64_t fileTimeOf(int year, int month, int day, int hour, int minute, int second);

} // namespace tarnwick::pst
