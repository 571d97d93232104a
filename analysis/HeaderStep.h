#pragma once

#include "analysis/HeaderRow.h"
#include "analysis/ScanContext.h"

#include <span>
#include <unordered_map>

namespace tarnwick::analysis {

// Step 5: reads every page of every header table found in step 4 and lists the message
// headers of their rows; each page read is added to the page list. Frees the header-table
// list at the end.
class HeaderEnumeration {
 public:
  explicit HeaderEnumeration(ScanContext& context);

  // Returns false when a stop was requested.
  bool run();

  // One page: returns true when it belonged to a known header table.
  bool parseHeaderPage(std::span<const std::uint8_t> page, store::FileOffset offset);

 private:
  const HeaderColumns& columnsFor(std::uint32_t objectId);

  ScanContext& ctx_;
  std::unordered_map<std::uint32_t, std::size_t> tableByObjectId_;  // first table of each object id
  HeaderColumns smallStoreColumns_;
  std::unordered_map<std::uint32_t, HeaderColumns> largeStoreColumns_;
};

}  // namespace tarnwick::analysis
