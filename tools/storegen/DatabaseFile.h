#pragma once

// The database file being written: pages go straight to their place in the file, so the
// writer holds only the pages it is building. Hands out page numbers in ascending order,
// skipping the pages kept for roots at fixed places.

#include <cstdint>
#include <set>
#include <span>
#include <string>

#include "tools/storegen/Ids.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

class DatabaseFile {
 public:
  DatabaseFile(const std::string& path, const FormatTraits& traits);
  ~DatabaseFile();
  DatabaseFile(const DatabaseFile&) = delete;
  DatabaseFile& operator=(const DatabaseFile&) = delete;

  // Keeps `page` out of the sequential allocation (a root at a fixed place).
  void reserve(PageNumber page);
  PageNumber allocate();
  void writePage(PageNumber page, std::span<const std::uint8_t> bytes);
  // Writes the header page and its shadow copy.
  void writeHeaderPages(std::span<const std::uint8_t> header);
  // The page count so far: the highest page number written or handed out.
  std::uint32_t lastPage() const { return lastPage_; }
  // Extends the file to cover every page up to `last` (unwritten pages read as zero).
  void extendTo(PageNumber last);
  std::uint64_t databaseTime() { return ++databaseTime_; }
  void close();
  const std::string& path() const { return path_; }
  const FormatTraits& traits() const { return traits_; }

 private:
  void writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  std::string path_;
  const FormatTraits& traits_;
  int fd_ = -1;
  std::set<std::uint32_t> reserved_;
  std::uint32_t next_ = 1;
  std::uint32_t lastPage_ = 0;
  std::uint64_t databaseTime_ = 0x100;
};

}  // namespace tarnwick::storegen
