#pragma once

#include "platform/CFile64.h"

#include <cstdint>
#include <span>

namespace tarnwick::analysis {

// Where the scan reads database pages from. Every read fills the whole buffer: the bytes
// that lie past the end of the data are zero, so a short read never leaves stale bytes of
// an earlier page behind.
class PageSource {
 public:
  virtual ~PageSource() = default;
  // Reads `out.size()` bytes at `offset`; returns how many came from the data. Read
  // failures throw FileError.
  virtual std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> out) const = 0;
};

// Pages of an open database file.
class FilePageSource : public PageSource {
 public:
  explicit FilePageSource(const CFile64& file) : file_(file) {}
  std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> out) const override;

 private:
  const CFile64& file_;
};

// Pages of a store held in memory (tests, fuzzing).
class MemoryPageSource : public PageSource {
 public:
  explicit MemoryPageSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace tarnwick::analysis
