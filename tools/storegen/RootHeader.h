#pragma once

// Tag 0 of a tree's root page: initial page count, the parent tree's root page, the
// extent kind and the space tree's page (0: this writer keeps no space trees).

#include <cstdint>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/Ids.h"

namespace tarnwick::storegen {

inline Bytes rootHeader(std::uint32_t initialPages, PageNumber parentRoot) {
  Bytes b;
  append32(b, initialPages);
  append32(b, parentRoot.value);
  append32(b, 0);  // single extent
  append32(b, 0);  // no space tree
  return b;
}

}  // namespace tarnwick::storegen
