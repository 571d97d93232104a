#pragma once

#include "store/PageSizeClass.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::store {

// One tag of a page's tag array: where its bytes lie in the page.
struct PageTag {
  std::int64_t offset = 0;  // from the start of the page, header length included
  std::int64_t size = 0;    // masked size; may be 0
};

// Every tag of the page in tag-array address order (lowest address first, so the tag in
// the last four bytes of the page comes last), with sizes and offsets masked for the
// page-size class. Tags whose bytes would not lie inside the page are left out, and so are
// tag counts larger than the page can hold.
enum class TagSelection {
  All,
  // Every tag but the one in the last four bytes of the page (tag 0), unless it is the
  // page's only tag: how the catalogue walk follows a branch page.
  AllButLastUnlessSingle,
  // Every tag but tag 0, even when it is the only one.
  AllButLast,
};
std::vector<PageTag> readTagArray(std::span<const std::uint8_t> page, PageSizeClass pageSizeClass,
                                  TagSelection selection = TagSelection::All);

}  // namespace tarnwick::store
