#pragma once

#include "store/PageSizeClass.h"
#include "store/StoreOffsets.h"

#include <cstddef>
#include <cstdint>

namespace tarnwick::store {

// The page-size state of one analysed store: written by the header check at the start of
// an analysis and read by everything that reads pages until the next analysis.
struct StoreGeometry {
  std::int32_t PageSize = 0;  // bytes per page, from the database header
  store::PageSizeClass PageSizeClass = store::PageSizeClass::Unsupported;
  std::int64_t FileSize = 0;         // length of the database file at the start of the analysis
  std::uint32_t PageReadLength = 0;  // min(PageSize, FileSize): whole-page read length of step 1

  bool supported() const { return PageSizeClass != store::PageSizeClass::Unsupported; }
  // Length of the page header (40 or 80 bytes); 0 for an unsupported class.
  std::size_t headerLength() const;
  // Mask of the size and offset words of a tag; 0 for an unsupported class.
  std::uint16_t tagMask() const;
  // Number of whole or partial pages the file holds after the two header-sized blocks.
  std::int64_t pageCount() const;
};

// The page-size class of a header's page size.
PageSizeClass pageSizeClassFor(std::uint32_t pageSize);
// Header length and tag mask per class (0 for an unsupported class).
std::size_t pageHeaderLengthFor(PageSizeClass pageSizeClass);
std::uint16_t tagMaskFor(PageSizeClass pageSizeClass);

// Builds the state from a header's page size and the file's length.
StoreGeometry makeStoreGeometry(std::uint32_t pageSize, std::int64_t fileSize);

// File offset of page `page`: (page + 1) x PageSize, in 64 bits.
FileOffset pageOffset(const StoreGeometry& geometry, PageNumber page);

}  // namespace tarnwick::store
