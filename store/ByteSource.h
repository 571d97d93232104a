#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarnwick {
class StoreFile;
}

namespace tarnwick::store {

// Random read access to the bytes of a store file. The readers go through this instead of
// a file so that they can be exercised on bytes built in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Length of the whole source in bytes.
  virtual std::uint64_t length() const = 0;
  // Reads up to out.size() bytes at `offset`; returns how many were read (fewer at the
  // end, 0 at or beyond it). Read failures of a file surface as FileError.
  virtual std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
  // A hint that `length` bytes at `offset` will be read soon; sources that gain nothing
  // from knowing ignore it.
  virtual void willRead(std::uint64_t /*offset*/, std::size_t /*length*/) const {}
};

// Fills the whole of `out` from `offset`: the bytes that lie past the end of the source
// (or at a negative offset) are zero, so a short read never leaves stale bytes of an
// earlier page behind. Returns how many came from the source.
std::size_t readZeroFilled(const ByteSource& source, std::int64_t offset, std::span<std::uint8_t> out);

// A store file opened through StoreFile.
class FileByteSource final : public ByteSource {
 public:
  explicit FileByteSource(const StoreFile& file) : file_(file) {}
  std::uint64_t length() const override;
  std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;
  void willRead(std::uint64_t offset, std::size_t length) const override;

 private:
  const StoreFile& file_;
};

// Bytes held by the caller.
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t length() const override { return bytes_.size(); }
  std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace tarnwick::store
