#include "platform/RenameWithoutReplacing.h"

#include <fcntl.h>
#include <stdio.h>

#include <cerrno>

namespace tarnwick {

int renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the one-step form: check, then rename.
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(to, error))) return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace tarnwick
