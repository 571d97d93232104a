// The list of faults a check finds: what is wrong and where.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarnwick::pstcheck {

/// Which part of the checker found a fault (tests look faults up by it).
enum class Area {
  Header,
  Page,
  BTree,
  Block,
  AllocationMap,
  Reference,
  Heap,
  Bth,
  PropertyContext,
  TableContext,
  Messaging
};

struct Fault {
  Area area;
  std::string where;  ///< e.g. "page at 0x8400", "NID 0x8022", "BID 0x4c"
  std::string what;
};

class Report {
 public:
  void add(Area area, std::string where, std::string what);
  const std::vector<Fault>& faults() const { return faults_; }
  bool clean() const { return faults_.empty() && suppressed_ == 0; }
  std::size_t count() const { return faults_.size() + suppressed_; }
  /// Faults beyond this many per area are counted but not kept.
  static constexpr std::size_t kMaxPerArea = 200;
  std::size_t suppressed() const { return suppressed_; }

  // Figures for the summary of a clean file.
  std::uint64_t pages = 0, blocks = 0, nodes = 0, folders = 0, messages = 0, tableRows = 0;

 private:
  std::vector<Fault> faults_;
  std::map<Area, std::size_t> perArea_;
  std::size_t suppressed_ = 0;
};

std::string areaName(Area a);
std::string hex(std::uint64_t v);

}  // namespace tarnwick::pstcheck
