#include "tools/storegen/PageDamage.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <stdexcept>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/EseLayout.h"
#include "tools/storegen/Ids.h"

namespace tarnwick::storegen {

namespace {

class PageFile {
 public:
  PageFile(const std::string& path, std::uint32_t pageSize) : path_(path), pageSize_(pageSize) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) throw std::runtime_error("cannot open " + path + " to damage it: " + std::strerror(errno));
  }
  ~PageFile() { ::close(fd_); }
  Bytes read(std::uint32_t page) {
    Bytes b(pageSize_, 0);
    const ssize_t n = ::pread(fd_, b.data(), b.size(), static_cast<off_t>(fileOffsetOf(PageNumber{page}, pageSize_)));
    if (n < 0) throw std::runtime_error("cannot read " + path_ + ": " + std::strerror(errno));
    return b;
  }
  void write(std::uint32_t page, const Bytes& b) {
    const ssize_t n = ::pwrite(fd_, b.data(), b.size(), static_cast<off_t>(fileOffsetOf(PageNumber{page}, pageSize_)));
    if (n != static_cast<ssize_t>(b.size()))
      throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
  }
  void truncate(std::uint64_t size) {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      throw std::runtime_error("cannot truncate " + path_ + ": " + std::strerror(errno));
    }
  }

 private:
  std::string path_;
  std::uint32_t pageSize_;
  int fd_ = -1;
};

}  // namespace

DamageReport applyDamage(const std::string& edbPath, const FormatTraits& traits, std::uint32_t pageCount,
                         const DamageRequest& request, Rng& rng) {
  DamageReport report;
  PageFile file(edbPath, traits.pageSize);
  std::set<std::uint32_t> taken;
  for (auto list : {&request.zeroPageList, &request.randomPageList, &request.scrambleTagPageList}) {
    for (std::uint32_t p : *list) {
      if (p < 1 || p > pageCount)
        throw std::invalid_argument("damage names page " + std::to_string(p) + " outside the store");
      taken.insert(p);
    }
  }
  const std::uint32_t candidates = pageCount >= 2 ? pageCount - 1 : 0;  // pages 2..pageCount
  const std::uint64_t wanted =
      static_cast<std::uint64_t>(request.zeroPages) + request.randomPages + request.scrambleTagPages;
  if (wanted + taken.size() > candidates)
    throw std::invalid_argument("more damaged pages asked for than the store has");
  auto pick = [&]() {
    for (;;) {
      const auto p = static_cast<std::uint32_t>(2 + rng.below(candidates));
      if (taken.insert(p).second) return p;
    }
  };
  std::vector<std::uint32_t> zero = request.zeroPageList, random = request.randomPageList,
                             scramble = request.scrambleTagPageList;
  for (std::uint32_t i = 0; i < request.zeroPages; ++i) zero.push_back(pick());
  for (std::uint32_t i = 0; i < request.randomPages; ++i) random.push_back(pick());
  for (std::uint32_t i = 0; i < request.scrambleTagPages; ++i) scramble.push_back(pick());

  for (std::uint32_t p : zero) file.write(p, Bytes(traits.pageSize, 0));
  for (std::uint32_t p : random) {
    Bytes b(traits.pageSize);
    for (std::size_t i = 0; i < b.size(); i += 8) {
      const std::uint64_t r = rng.next();
      for (std::size_t k = 0; k < 8; ++k) b[i + k] = static_cast<std::uint8_t>(r >> (8 * k));
    }
    file.write(p, b);
  }
  for (std::uint32_t p : scramble) {
    // Every tag word of the page gets random bits; the header keeps its tag count.
    Bytes b = file.read(p);
    const std::uint32_t tags = get16(b, ese::page::kTagCount);
    const std::uint32_t count = std::max<std::uint32_t>(tags, 1);
    for (std::uint32_t t = 0; t < count && (t + 1) * 4 <= b.size() - traits.pageHeaderSize; ++t) {
      const std::size_t at = b.size() - (t + 1) * 4;
      put32(b, at, static_cast<std::uint32_t>(rng.next()));
    }
    file.write(p, b);
  }
  std::sort(zero.begin(), zero.end());
  std::sort(random.begin(), random.end());
  std::sort(scramble.begin(), scramble.end());
  report.zeroed = zero;
  report.randomized = random;
  report.scrambledTags = scramble;
  if (request.truncateTo) {
    file.truncate(*request.truncateTo);
    report.truncatedTo = request.truncateTo;
  }
  return report;
}

}  // namespace tarnwick::storegen
