#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace tarnwick {

// Bytes free for an unprivileged user on the volume holding `path`; empty when the
// volume cannot be asked.
std::optional<std::uint64_t> freeBytesOfVolume(const std::filesystem::path& path);

}  // namespace tarnwick
