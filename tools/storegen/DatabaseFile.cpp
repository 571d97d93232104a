#include "tools/storegen/DatabaseFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace tarnwick::storegen {

DatabaseFile::DatabaseFile(const std::string& path, const FormatTraits& traits) : path_(path), traits_(traits) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
}

DatabaseFile::~DatabaseFile() {
  if (fd_ >= 0) ::close(fd_);
}

void DatabaseFile::reserve(PageNumber page) {
  reserved_.insert(page.value);
  if (page.value > lastPage_) lastPage_ = page.value;
}

PageNumber DatabaseFile::allocate() {
  while (reserved_.count(next_)) ++next_;
  const PageNumber page{next_++};
  if (page.value > lastPage_) lastPage_ = page.value;
  return page;
}

void DatabaseFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

void DatabaseFile::writePage(PageNumber page, std::span<const std::uint8_t> bytes) {
  if (page.value > lastPage_) lastPage_ = page.value;
  writeAt(fileOffsetOf(page, traits_.pageSize), bytes);
}

void DatabaseFile::writeHeaderPages(std::span<const std::uint8_t> header) {
  writeAt(0, header);
  writeAt(traits_.pageSize, header);
}

void DatabaseFile::extendTo(PageNumber last) {
  const std::uint64_t size = fileOffsetOf(last, traits_.pageSize) + traits_.pageSize;
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
    throw std::runtime_error("cannot extend " + path_ + ": " + std::strerror(errno));
  }
}

void DatabaseFile::close() {
  if (fd_ >= 0) {
    if (::close(fd_) != 0) {
      fd_ = -1;
      throw std::runtime_error("cannot close " + path_ + ": " + std::strerror(errno));
    }
    fd_ = -1;
  }
}

}  // namespace tarnwick::storegen
