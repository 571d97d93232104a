#pragma once

// A table's long-value tree ("LV"): values too large for their record are cut into chunks
// keyed by the long-value id and the chunk's offset, after a root node holding the
// reference count and the total size. Ids grow with each value, so keys arrive in order
// and the tree is written as it grows.

#include <cstdint>
#include <span>

#include "tools/storegen/BTreeWriter.h"
#include "tools/storegen/Ids.h"

namespace tarnwick::storegen {

class LongValueSink {
 public:
  virtual ~LongValueSink() = default;
  virtual LongValueId store(std::span<const std::uint8_t> value) = 0;
};

class LongValueWriter : public LongValueSink {
 public:
  // `scannable`: each chunk node carries the value's id and offset (see BTreeWriter), and
  // ids whose key a page scanner would misread are left out.
  LongValueWriter(DatabaseFile& file, ObjectId owner, PageNumber root, PageNumber tableRoot, bool scannable = false);
  LongValueId store(std::span<const std::uint8_t> value) override;
  const TreeStats& finish() { return tree_.finish(); }
  std::uint64_t count() const { return count_; }
  static std::uint32_t chunkSize(const FormatTraits& traits);

 private:
  BTreeWriter tree_;
  bool keyReadsBack(std::uint32_t id, std::size_t size) const;

  std::uint32_t chunk_;
  std::uint32_t pageSize_;
  bool large_;
  bool scannable_;
  std::uint32_t next_ = 1;
  std::uint64_t count_ = 0;
};

}  // namespace tarnwick::storegen
