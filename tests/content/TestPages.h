#pragma once

#include "TestBytes.h"
#include "content/PageRecords.h"

#include <vector>

namespace tarnwick::content::testing {

// A leaf page holding `records` one after the other from the end of the header, with a
// tag array that places them. Returns the page and fills `positions` with where each
// record starts in the page.
inline Bytes makeLeafPage(std::uint32_t pageSize, int pageSizeClass, const std::vector<Bytes>& records,
                          std::vector<std::uint32_t>* positions = nullptr, std::uint32_t ownerObjectId = 0) {
  Bytes page(pageSize, 0);
  putU32(page, PageLayout::kOwnerObjectIdOffset, ownerObjectId);
  putU16(page, PageLayout::kTagCountOffset, static_cast<std::uint16_t>(records.size()));
  page[PageLayout::kFlagsLowOffset] = 0x02;  // leaf
  std::uint32_t header = PageLayout::headerLength(pageSizeClass);
  std::uint32_t at = header;
  std::size_t tagStart = pageSize - records.size() * PageLayout::kTagSize;
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
