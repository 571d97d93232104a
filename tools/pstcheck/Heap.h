// HN: the heap-on-node over a node's data blocks, with its page maps and fill levels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/ByteView.h"
#include "tools/pstcheck/Ids.h"
#include "tools/pstcheck/NodeReader.h"
#include "tools/pstcheck/Report.h"

namespace tarnwick::pstcheck {

class Heap {
 public:
  /// Checks the heap headers, page maps and fill levels; nothing when the
  /// blocks do not form a heap at all.
  static std::optional<Heap> open(BlockList blocks, const std::string& where, Report& report);

  std::uint8_t clientSig() const { return clientSig_; }
  Hid userRoot() const { return userRoot_; }
  /// The bytes of one allocation; nothing (and a fault) when the HID does not name one.
  std::optional<Bytes> item(Hid hid, const std::string& where, Report& report) const;
  /// Same, without reporting.
  std::optional<Bytes> find(Hid hid) const;

 private:
  BlockList blocks_;
  std::vector<std::vector<std::uint16_t>> allocs_;  // per block: rgibAlloc
  std::uint8_t clientSig_ = 0;
  Hid userRoot_;
};

}  // namespace tarnwick::pstcheck
