#pragma once

#include "TestBytes.h"
#include "store/PageLayout.h"

#include <vector>

namespace tarnwick::content::testing {

// A leaf page holding `records` one after the other from the end of the header, with a
// tag array that places them. Returns the page and fills `positions` with where each
// record starts in the page.
inline Bytes makeLeafPage(std::uint32_t pageSize, int pageSizeClass, const std::vector<Bytes>& records,
                          std::vector<std::uint32_t>* positions = nullptr, std::uint32_t ownerObjectId = 0) {
  Bytes page(pageSize, 0);
  namespace layout = store::layout;
  putU32(page, layout::kPageOwnerObjectIdOffset, ownerObjectId);
  putU16(page, layout::kPageTagCountOffset, static_cast<std::uint16_t>(records.size()));
  page[layout::kPageFlagsLowOffset] = 0x02;  // leaf
  std::uint32_t header = static_cast<std::uint32_t>(pageSizeClass == 2 ? layout::kPageHeaderLengthLarge
                                                                        : layout::kPageHeaderLengthSmall);
  std::uint32_t at = header;
  std::size_t tagStart = pageSize - records.size() * layout::kTagLength;
  for (std::size_t i = 0; i < records.size(); ++i) {
    putBytes(page, at, records[i]);
    putU16(page, tagStart + i * 4, static_cast<std::uint16_t>(records[i].size()));
    putU16(page, tagStart + i * 4 + 2, static_cast<std::uint16_t>(at - header));
    if (positions != nullptr) positions->push_back(at);
    at += static_cast<std::uint32_t>(records[i].size());
  }
  return page;
}

}  // namespace tarnwick::content::testing
