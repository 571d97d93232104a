#pragma once

#include "store/PageLayout.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnwick::testing {

// Writes pages the way the database engine lays them out, for the store reader's tests.
class PageBuilder {
 public:
  explicit PageBuilder(std::size_t pageSize) : page_(pageSize, 0) {}

  PageBuilder& owner(std::uint32_t objectId) {
    put32(store::layout::kPageOwnerObjectIdOffset, objectId);
    return *this;
  }
  PageBuilder& flags(std::uint8_t low, std::uint8_t high) {
    page_[store::layout::kPageFlagsLowOffset] = low;
    page_[store::layout::kPageFlagsHighOffset] = high;
    return *this;
  }
  PageBuilder& tagCount(std::uint16_t count) {
    put16(store::layout::kPageTagCountOffset, count);
    return *this;
  }
  // Appends tag number `tags_` (stored further from the end than the previous ones) and
  // raises the tag count.
  PageBuilder& tag(std::uint16_t sizeWord, std::uint16_t offsetWord) {
    ++tags_;
    const std::size_t at = page_.size() - tags_ * store::layout::kTagLength;
    put16(at + store::layout::kTagSizeWordOffset, sizeWord);
    put16(at + store::layout::kTagOffsetWordOffset, offsetWord);
    return tagCount(static_cast<std::uint16_t>(tags_));
  }
  std::vector<std::uint8_t> bytes() const { return page_; }

 private:
  void put16(std::size_t at, std::uint16_t v) {
    page_[at] = static_cast<std::uint8_t>(v);
    page_[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  void put32(std::size_t at, std::uint32_t v) {
    put16(at, static_cast<std::uint16_t>(v));
    put16(at + 2, static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<std::uint8_t> page_;
  std::size_t tags_ = 0;
};

// A database file: a 512-byte header giving `pageSize` at offset 236, padded to
// `fileSize` bytes.
inline std::vector<std::uint8_t> StoreFileBytes(std::uint32_t pageSize, std::size_t fileSize) {
  std::vector<std::uint8_t> file(fileSize, 0);
  for (int i = 0; i < 4 && store::layout::kHeaderPageSizeOffset + i < fileSize; ++i) {
    file[store::layout::kHeaderPageSizeOffset + i] = static_cast<std::uint8_t>(pageSize >> (8 * i));
  }
  return file;
}

}  // namespace tarnwick::testing
