#pragma once

// Turns fuzz input into a store held in memory: the first byte picks the page size, the
// rest is spread over the pages so that the fuzzer controls both the page headers (at the
// start of each page) and the tag arrays (at the end).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::fuzzing {

inline constexpr std::uint32_t kPageSizes[] = {4096, 8192, 32768};
inline constexpr std::uint32_t kPages = 24;

struct FuzzStore {
  std::uint32_t pageSize = 4096;
  std::vector<std::uint8_t> bytes;
};

inline FuzzStore makeFuzzStore(const std::uint8_t* data, std::size_t size) {
  FuzzStore store;
  if (size == 0) return store;
  store.pageSize = kPageSizes[data[0] % 3];
  ++data;
  --size;
  store.bytes.assign(static_cast<std::size_t>(store.pageSize) * (kPages + 1), 0);
  for (int i = 0; i < 4; ++i) store.bytes[236 + i] = static_cast<std::uint8_t>(store.pageSize >> (8 * i));
  if (size == 0) return store;
  // Page n (from page 3 on) takes a window of the input at its start and the same window
  // at its end.
  const std::size_t window = size < 2048 ? size : 2048;
  for (std::uint32_t page = 3; page < kPages; ++page) {
    const std::size_t from = (static_cast<std::size_t>(page - 3) * 97) % size;
    const std::size_t base = static_cast<std::size_t>(page + 1) * store.pageSize;
    for (std::size_t i = 0; i < window; ++i) {
      const std::uint8_t b = data[(from + i) % size];
      store.bytes[base + i] = b;
      store.bytes[base + store.pageSize - window + i] = b;
    }
  }
  return store;
}

}  // namespace tarnwick::fuzzing
