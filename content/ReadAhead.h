#pragma once

#include "store/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnwick::content {

// Announces the pages a reader is about to read, a window ahead of where it is, so that the
// system fetches them while the pages before are being taken apart. A store that is not in
// the page cache is then read about as fast as in one sorted pass, even where its pages are
// visited out of file order.
class ReadAhead {
 public:
  // `offsets`: the file offsets of the pages in the order they will be read.
  ReadAhead(const store::ByteSource& source, std::size_t pageSize, std::vector<std::int64_t> offsets);

  // Called before the page at `index` of that order is read.
  void before(std::size_t index);

  // Pages announced in one go: 8 MB worth, at least 32 pages.
  std::size_t windowPages() const { return window_; }

 private:
  void announce(std::size_t window);

  const store::ByteSource& source_;
  std::size_t pageSize_;
  std::vector<std::int64_t> offsets_;
  std::size_t window_;
  std::size_t announced_ = 0;  // windows announced so far
};

}  // namespace tarnwick::content
