#include "tools/pstcheck/Report.h"

#include <cstdio>

namespace tarnwick::pstcheck {

void Report::add(Area area, std::string where, std::string what) {
  if (++perArea_[area] > kMaxPerArea) {
    ++suppressed_;
    return;
  }
  faults_.push_back(Fault{area, std::move(where), std::move(what)});
}

std::string areaName(Area a) {
  switch (a) {
    case Area::Header: return "header";
    case Area::Page: return "page";
    case Area::BTree: return "b-tree";
    case Area::Block: return "block";
    case Area::AllocationMap: return "allocation map";
    case Area::Reference: return "reference";
    case Area::Heap: return "heap";
    case Area::Bth: return "bth";
    case Area::PropertyContext: return "property context";
    case Area::TableContext: return "table context";
    case Area::Messaging: return "messaging";
  }
  return "?";
}

std::string hex(std::uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
  return buf;
}

}  // namespace tarnwick::pstcheck
