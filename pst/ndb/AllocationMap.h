#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "pst/ndb/Ids.h"
#include "pst/ndb/Layout.h"

namespace tarnwick::pst {

/// Space of the file, handed out front to back. Every 253,952-byte region starts with its
/// AMap page (and a PMap, FMap or FPMap page where they are due); an allocation never
/// crosses into the next region. Only the bitmap of the region being filled is kept:
/// finished regions are written out at once and leave their free-slot count behind.
class AllocationMap {
 public:
  /// Writes one 512-byte page (with its trailer already in place) at an offset.
  using PageSink = std::function<void(FileOffset, std::span<const std::uint8_t>)>;

  explicit AllocationMap(PageSink sink);

  /// Room for `size` bytes aligned to `alignment` (64 for blocks, 512 for pages).
  FileOffset allocate(std::uint64_t size, std::uint64_t alignment);

  /// Writes the AMap page of the current region; returns the end of that region (the
  /// file's end of file).
  FileOffset finish();

  std::uint64_t regionCount() const { return regionFree_.size(); }
  FileOffset lastAMap() const;
  /// Free bytes over all AMaps.
  std::uint64_t freeBytes() const;
  /// (region index, free slots) of every region, for the density list.
  const std::vector<std::uint32_t>& freeSlotsPerRegion() const { return regionFree_; }

  static FileOffset regionStart(std::uint64_t region) {
    return FileOffset{layout::kFirstAMapOffset + region * layout::kRegionSize};
  }

 private:
  void openRegion(std::uint64_t region);
  void closeRegion();
  void markSlots(std::uint64_t from, std::uint64_t to);
  void writeMapPage(FileOffset at, std::uint8_t type, std::uint8_t fill);

  PageSink sink_;
  std::uint64_t region_ = 0;
  std::uint64_t next_ = 0;  // next free offset
  std::array<std::uint8_t, layout::kPageDataSize> bits_{};
  std::vector<std::uint32_t> regionFree_;
};

}  // namespace tarnwick::pst
