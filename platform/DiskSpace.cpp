#include "platform/DiskSpace.h"

#include <sys/statvfs.h>

namespace tarnwick {

std::optional<std::uint64_t> freeBytesOfVolume(const std::filesystem::path& path) {
  struct statvfs st {};
  if (::statvfs(path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * static_cast<std::uint64_t>(st.f_frsize);
}

}  // namespace tarnwick
