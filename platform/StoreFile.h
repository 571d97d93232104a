#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnwick {

// The open error of a path that is neither a regular file nor a folder: a pipe, a device
// or a socket, which a store can never be (and whose open or reads could wait forever).
inline constexpr int kNotARegularFile = ENODEV;

// A file opened for exclusive reading with 64-bit offsets. The exclusive, non-blocking
// lock stands in for an open without sharing: while one holder has the file, nobody else
// who asks for the lock can open it.
class StoreFile {
 public:
  StoreFile() = default;
  ~StoreFile();
  StoreFile(const StoreFile&) = delete;
  StoreFile& operator=(const StoreFile&) = delete;

  // Opens `path` for reading. Returns false and changes nothing but LastOpenError() when
  // the file cannot be opened or another holder has it; never throws.
  bool Open(const std::string& path);
  // Why the last Open failed: the system's error code; EWOULDBLOCK when another holder
  // has the file, EISDIR for a folder, kNotARegularFile for a pipe, device or socket; 0
  // after a successful open.
  int LastOpenError() const { return lastOpenError_; }
  // Closes the file if it is open; throws FileError when closing failed.
  void Close();
  // Reads up to `count` bytes at the current position and advances it. Throws FileError
  // on a failed read. A short read at the end of the file is not an error; the rest of
  // the buffer keeps what it held. Returns the number of bytes read.
  std::size_t Read(void* buffer, std::uint32_t count);
  // Positions to `offset` from the start; returns the low 32 bits of the new position.
  // Throws FileError for a negative offset or a failed positioning.
  std::uint32_t Seek(std::int64_t offset);
  // The file's length; throws FileError when it cannot be had.
  std::uint64_t GetLength() const;

  // Reads up to `count` bytes at `offset` without moving the current position; safe to
  // call from several threads at once. Throws FileError on failure; returns bytes read.
  std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;

  // Tells the system that `count` bytes at `offset` will be read soon, so that it can
  // start fetching them; a hint only, never fails.
  void AdviseWillRead(std::int64_t offset, std::size_t count) const;

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

 private:
  int fd_ = -1;
  bool closeOnDestroy_ = false;
  std::int64_t position_ = 0;
  std::string path_;
  int lastOpenError_ = 0;
};

}  // namespace tarnwick
