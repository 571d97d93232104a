#include "pst/ltp/BthBuilder.h"

#include <algorithm>

#include "pst/ltp/HeapLayout.h"
#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

using namespace layout;

namespace {

std::vector<std::uint8_t> headerBytes(std::uint8_t keySize, std::uint8_t dataSize, std::uint8_t levels, Hid root) {
  ByteWriter w;
  w.u8(kClientSigBth);
  w.u8(keySize);
  w.u8(dataSize);
  w.u8(levels);
  w.u32(root.value);
  return w.take();
}

bool keyLess(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  for (std::size_t i = size; i-- > 0;)
    if (a[i] != b[i]) return a[i] < b[i];
  return false;
}

}  // namespace

BthBuilder::BthBuilder(HeapBuilder& heap, std::uint8_t keySize, std::uint8_t dataSize)
    : heap_(heap), keySize_(keySize), dataSize_(dataSize) {
  header_ = heap_.allocate(headerBytes(keySize, dataSize, 0, Hid{}));
}

void BthBuilder::build(std::vector<std::uint8_t> records) {
  std::size_t entrySize = keySize_ + dataSize_;
  std::size_t count = records.size() / entrySize;
  if (count == 0) return;
  {
    std::vector<std::uint32_t> order(count);
    for (std::uint32_t i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return keyLess(records.data() + a * entrySize, records.data() + b * entrySize, keySize_);
    });
    std::vector<std::uint8_t> sorted(records.size());
    for (std::size_t i = 0; i < count; ++i)
      std::copy_n(records.data() + order[i] * entrySize, entrySize, sorted.data() + i * entrySize);
    records = std::move(sorted);
  }
  std::uint8_t level = 0;
  for (;;) {
    std::size_t perAlloc = kHnMaxAllocation / entrySize;
    std::vector<std::uint8_t> parents;
    for (std::size_t from = 0; from < count; from += perAlloc) {
      std::size_t to = std::min(count, from + perAlloc);
      Hid hid = heap_.allocate(std::span(records).subspan(from * entrySize, (to - from) * entrySize));
      parents.insert(parents.end(), records.begin() + static_cast<std::ptrdiff_t>(from * entrySize),
                     records.begin() + static_cast<std::ptrdiff_t>(from * entrySize + keySize_));
      std::uint8_t h[4];
      store32(h, hid.value);
      parents.insert(parents.end(), h, h + 4);
    }
    std::size_t parentSize = keySize_ + 4u;
    if (parents.size() == parentSize) {
      Hid root{parents[keySize_] | (parents[keySize_ + 1] << 8) | (parents[keySize_ + 2] << 16) |
               (static_cast<std::uint32_t>(parents[keySize_ + 3]) << 24)};
      heap_.overwrite(header_, headerBytes(keySize_, dataSize_, level, root));
      levels_ = level;
      return;
    }
    records = std::move(parents);
    entrySize = parentSize;
    count = records.size() / entrySize;
    ++level;
  }
}

}  // namespace tarnwick::pst
