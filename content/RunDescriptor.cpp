#include "content/RunDescriptor.h"

namespace tarnwick::content {

namespace {
std::uint64_t littleEndian(std::span<const std::uint8_t> b, std::size_t at, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}
}  // namespace

RunDescriptor::RunDescriptor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
  if (bytes.size() < RunDescriptorLayout::kHeaderLength) return;
  total_ = static_cast<std::uint32_t>(littleEndian(bytes, RunDescriptorLayout::kTotalLength, 4));
  count_ = static_cast<std::int16_t>(littleEndian(bytes, RunDescriptorLayout::kRunCount, 2));
}

bool RunDescriptor::runOffsetWithin(int index, std::uint64_t limit) {
  return RunDescriptorLayout::kFirstRunOffset + RunDescriptorLayout::kRunStride * static_cast<std::uint64_t>(index) <=
         limit;
}

std::optional<StreamRun> RunDescriptor::runAt(int index) const {
  if (index < 0 || index >= count_) return std::nullopt;
  std::size_t base = RunDescriptorLayout::kRunStride * static_cast<std::size_t>(index);
  std::size_t endAt = RunDescriptorLayout::kFirstRunEnd + base;
  std::size_t offsetAt = RunDescriptorLayout::kFirstRunOffset + base;
  if (offsetAt + 8 > bytes_.size()) return std::nullopt;
  StreamRun run;
  run.end = static_cast<std::int32_t>(static_cast<std::uint32_t>(littleEndian(bytes_, endAt, 4)));
  run.streamOffset = static_cast<std::int64_t>(littleEndian(bytes_, offsetAt, 8));
  return run;
}

}  // namespace tarnwick::content
