#pragma once

#include "platform/MessageSink.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

namespace tarnwick::exporter {

// Free bytes of the volume holding a path; empty when the volume cannot be asked. The
// save asks through this so that a test can stand in a figure of its own.
using FreeSpaceProbe = std::function<std::optional<std::uint64_t>(const std::filesystem::path&)>;

// The probe over the real volume.
FreeSpaceProbe systemFreeSpaceProbe();

// More than 300 MiB free; an unreadable volume counts as 0 bytes.
bool freeSpacePasses(std::optional<std::uint64_t> freeBytes);

enum class DestinationVerdict { Accepted, Missing, LowSpace, NotWritable };

// The checks a destination folder passes before a save starts, in order: it exists (as
// a folder), its volume has more than 300 MiB free, and we may create files in it.
DestinationVerdict checkDestination(const std::filesystem::path& destination, const FreeSpaceProbe& freeSpace);

// The message a refused destination gets; nothing for an accepted one.
std::optional<Message> destinationRefusal(DestinationVerdict verdict, const std::filesystem::path& destination);

}  // namespace tarnwick::exporter
