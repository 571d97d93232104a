// Feeds arbitrary bytes to the page readers: the first byte picks the page-size class,
// the rest is the page. Every slot found must lie inside the page.
#include "store/HeaderCheck.h"
#include "store/PageHeader.h"
#include "store/PageList.h"
#include "store/RecordLocator.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // -1..2: the three classes and an unsupported one.
  const auto pageSizeClass = static_cast<tarnwick::store::PageSizeClass>(static_cast<int>(data[0] % 4) - 1);
  const std::span<const std::uint8_t> page(data + 1, size - 1);

  tarnwick::store::RecordSlotArray slots{};
  const std::size_t count = tarnwick::store::locateRecords(page, pageSizeClass, slots);
  if (count > slots.size()) std::abort();
  for (std::size_t i = 0; i < count; ++i) {
    const auto bytes = tarnwick::store::recordBytes(page, slots[i]);
    if (bytes.size() != static_cast<std::size_t>(slots[i].size)) std::abort();
    if (static_cast<std::size_t>(slots[i].offset) + bytes.size() > page.size()) std::abort();
  }
  if (count > 0 && tarnwick::store::isBranchPage(page)) std::abort();

  tarnwick::store::PageList pages;
  tarnwick::store::recordPageVisit(pages, page, tarnwick::store::FileOffset(0));
  (void)tarnwick::store::readHeaderPageSize(page);
  return 0;
}
