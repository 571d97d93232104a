#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnwick::content {

// The run descriptor that the database keeps for a message whose Internet form lies in the
// streaming file: the content's total length and the runs of the streaming file that hold
// it, in order. All fields little-endian, at these distances from the descriptor start.
struct RunDescriptorLayout {
  static constexpr std::size_t kTotalLength = 0;        // u32
  static constexpr std::size_t kRunCount = 8;           // i16
  static constexpr std::size_t kFirstRunEnd = 0x18;     // i32: end of run i within the content
  static constexpr std::size_t kFirstRunOffset = 0x20;  // i64: offset of run i in the stream file
  static constexpr std::size_t kRunStride = 24;
  static constexpr std::size_t kHeaderLength = kRunCount + 2;
};

struct StreamRun {
  std::int32_t end = 0;           // bytes of runs 0..i together, as stored
  std::int64_t streamOffset = 0;  // where run i starts in the streaming file
};

// Reads a descriptor out of `bytes`. Only fields that lie wholly inside `bytes` are read:
// a descriptor too short for its header has no runs, and a run whose fields reach past the
// end is absent (runAt gives nothing), as are all runs after it.
class RunDescriptor {
 public:
  explicit RunDescriptor(std::span<const std::uint8_t> bytes);

  std::uint32_t totalLength() const { return total_; }
  // The stored run count (negative counts are kept as they are and mean no runs).
  std::int16_t runCount() const { return count_; }
  std::optional<StreamRun> runAt(int index) const;
  // Whether run `index` starts its offset field within the first `limit` bytes.
  static bool runOffsetWithin(int index, std::uint64_t limit);

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint32_t total_ = 0;
  std::int16_t count_ = 0;
};

}  // namespace tarnwick::content
