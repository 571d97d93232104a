#include "platform/StoreFile.h"

#include "platform/FileError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tarnwick {

StoreFile::~StoreFile() {
  if (fd_ >= 0 && closeOnDestroy_) {
    ::close(fd_);
  }
}

bool StoreFile::Open(const std::string& path) {
  // Without O_NONBLOCK the open of a pipe waits for a writer; the type is checked below.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    lastOpenError_ = errno;
    return false;
  }
  struct stat st {};
  int error = 0;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (S_ISDIR(st.st_mode)) {
    error = EISDIR;
  } else if (!S_ISREG(st.st_mode)) {
    error = kNotARegularFile;
  } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    error = errno;
  } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::close(fd);
    lastOpenError_ = error;
    return false;
  }
  lastOpenError_ = 0;
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  closeOnDestroy_ = true;
  position_ = 0;
  path_ = path;
  return true;
}

void StoreFile::Close() {
  int fd = fd_;
  std::string path = path_;
  fd_ = -1;
  closeOnDestroy_ = false;
  position_ = 0;
  path_.clear();
  if (fd >= 0 && ::close(fd) != 0) {
    throw FileError(errno, path, "Cannot close");
  }
}

std::size_t StoreFile::Read(void* buffer, std::uint32_t count) {
  std::size_t got = ReadAt(position_, buffer, count);
  position_ += static_cast<std::int64_t>(got);
  return got;
}

std::uint32_t StoreFile::Seek(std::int64_t offset) {
  if (fd_ < 0) throw FileError(EBADF, path_, "Cannot seek in");
  if (offset < 0) throw FileError(EINVAL, path_, "Cannot seek in");
  position_ = offset;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFFu);
}

std::uint64_t StoreFile::GetLength() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    throw FileError(fd_ < 0 ? EBADF : errno, path_, "Cannot get the length of");
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::size_t StoreFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const {
  if (fd_ < 0) throw FileError(EBADF, path_, "Cannot read");
  if (offset < 0) throw FileError(EINVAL, path_, "Cannot read");
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, offset + static_cast<std::int64_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(errno, path_, "Cannot read");
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void StoreFile::AdviseWillRead(std::int64_t offset, std::size_t count) const {
  if (fd_ < 0 || offset < 0 || count == 0) return;
  ::posix_fadvise(fd_, offset, static_cast<off_t>(count), POSIX_FADV_WILLNEED);
}

}  // namespace tarnwick
