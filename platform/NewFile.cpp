#include "platform/NewFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwick {

int writeNewFileAt(const std::filesystem::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno;
  int error = 0;
  std::size_t done = 0;
  while (done < bytes.size() && error == 0) {
    const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote >= 0) {
      done += static_cast<std::size_t>(wrote);
    } else if (errno != EINTR) {
      error = errno;
    }
  }
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error != 0) ::unlink(path.c_str());
  return error;
}

}  // namespace tarnwick
