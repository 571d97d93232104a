#pragma once

#include <cstdint>

namespace tarnwick::store {

// The three page formats the reader knows, by the page size in the database header. The
// 4 KB and 8 KB formats share their record layouts; the 32 KB format has its own (longer
// page header, wider tags, 32 KB record layouts). The values are the class numbers the
// `info` command prints.
enum class PageSizeClass : std::int8_t {
  Unsupported = -1,
  Page4K = 0,
  Page8K = 1,
  Page32K = 2,
};

// True for the 32 KB format, whose records are laid out differently from the other two.
constexpr bool isLargePage(PageSizeClass sizeClass) { return sizeClass == PageSizeClass::Page32K; }

// The class number shown to users and written in the `info` command's JSON.
constexpr int classNumber(PageSizeClass sizeClass) { return static_cast<int>(sizeClass); }

}  // namespace tarnwick::store
