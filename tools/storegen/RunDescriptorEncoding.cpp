#include "tools/storegen/RunDescriptorEncoding.h"

#include <limits>
#include <stdexcept>

#include "tools/storegen/StreamingFileLayout.h"

namespace tarnwick::storegen {

namespace {
std::uint64_t get64(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint64_t>(get32(b, at)) | (static_cast<std::uint64_t>(get32(b, at + 4)) << 32);
}
}  // namespace

Bytes encodeRunDescriptor(std::uint32_t total, std::span<const StreamRun> runs) {
  if (runs.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw std::invalid_argument("run descriptor: too many runs");
  }
  if (total > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::invalid_argument("run descriptor: content too long");
  }
  Bytes out(stm::descriptorLength(runs.size()), 0);
  put32(out, stm::kTotalLength, total);
  put16(out, stm::kRunCount, static_cast<std::uint16_t>(runs.size()));
  std::uint32_t end = 0;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (runs[i].contentOffset != end || runs[i].length == 0) {
      throw std::invalid_argument("run descriptor: runs must cover the content in order");
    }
    end += runs[i].length;
    put32(out, stm::kFirstRunEnd + stm::kRunStride * i, end);
    put64(out, stm::kFirstRunOffset + stm::kRunStride * i, runs[i].streamOffset);
  }
  if (end != total) throw std::invalid_argument("run descriptor: runs do not add up to the content");
  return out;
}

std::vector<StreamRun> decodeRunDescriptor(std::span<const std::uint8_t> descriptor) {
  if (descriptor.size() < stm::kFirstRunEnd) throw std::invalid_argument("run descriptor: shorter than its header");
  const std::uint32_t total = get32(descriptor, stm::kTotalLength);
  const std::size_t count = get16(descriptor, stm::kRunCount);
  if (count > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max()) ||
      descriptor.size() < stm::descriptorLength(count)) {
    throw std::invalid_argument("run descriptor: shorter than its runs");
  }
  std::vector<StreamRun> runs;
  runs.reserve(count);
  std::uint32_t start = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t end = get32(descriptor, stm::kFirstRunEnd + stm::kRunStride * i);
    if (end <= start || end > total) throw std::invalid_argument("run descriptor: run ends out of order");
    runs.push_back({start, end - start, get64(descriptor, stm::kFirstRunOffset + stm::kRunStride * i)});
    start = end;
  }
  if (start != total) throw std::invalid_argument("run descriptor: runs do not add up to the content");
  return runs;
}

}  // namespace tarnwick::storegen
