#include "tests/pstcheck/PstFile.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tools/pstcheck/ByteView.h"
#include "tools/pstcheck/Crc.h"
#include "tools/pstcheck/Permute.h"
#include "tools/pstcheck/PstChecker.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck::test {

using namespace layout;

PstFile PstFile::empty() {
  std::ifstream in(std::string(TARNWICK_TESTDATA_DIR) + "/pst/Empty.pst", std::ios::binary);
  if (!in) throw std::runtime_error("Empty.pst not found");
  PstFile f;
  f.bytes_.assign(std::istreambuf_iterator<char>(in), {});
  return f;
}

Report PstFile::check() const { return checkPst(Bytes(bytes_)); }

std::uint64_t PstFile::get64(std::uint64_t at) const { return u64(Bytes(bytes_), at); }
void PstFile::put16(std::uint64_t at, std::uint16_t v) {
  for (int i = 0; i < 2; ++i) bytes_.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void PstFile::put32(std::uint64_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes_.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void PstFile::put64(std::uint64_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes_.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t PstFile::leafEntry(bool nbt, std::uint64_t key) const {
  const Bytes b(bytes_);
  std::uint64_t ib = u64(b, nbt ? kHdrRootNbtIb : kHdrRootBbtIb);
  for (;;) {
    const unsigned cEnt = u8(b, ib + kBtCEnt), cbEnt = u8(b, ib + kBtCbEnt), level = u8(b, ib + kBtCLevel);
    if (level == 0) {
      for (unsigned i = 0; i < cEnt; ++i)
        if ((u64(b, ib + i * cbEnt) & (nbt ? 0xFFFFFFFFull : ~0ull)) == key) return ib + i * cbEnt;
      throw std::runtime_error("key not found");
    }
    std::uint64_t next = 0;
    for (unsigned i = 0; i < cEnt; ++i)
      if (u64(b, ib + i * cbEnt) <= key) next = u64(b, ib + i * cbEnt + 16);
    ib = next;
  }
}

std::uint64_t PstFile::blockOffset(std::uint64_t bid) const { return get64(leafEntry(false, bid) + 8); }
std::uint16_t PstFile::blockSize(std::uint64_t bid) const { return u16(Bytes(bytes_), leafEntry(false, bid) + 16); }
std::uint64_t PstFile::nodeData(std::uint32_t nid) const { return get64(leafEntry(true, nid) + 8); }

std::vector<std::uint8_t> PstFile::plainBlock(std::uint64_t bid) const {
  const auto stored = Bytes(bytes_).subspan(blockOffset(bid), blockSize(bid));
  return (bid & kBidInternal) ? std::vector<std::uint8_t>(stored.begin(), stored.end()) : decodePermute(stored);
}

void PstFile::writePlainBlock(std::uint64_t bid, const std::vector<std::uint8_t>& plain) {
  const auto stored = (bid & kBidInternal) ? plain : encodePermute(Bytes(plain));
  std::copy(stored.begin(), stored.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(blockOffset(bid)));
  resealBlock(bid);
}

void PstFile::resealPage(std::uint64_t ib) { put32(ib + kPtCrc, computeCrc(Bytes(bytes_).subspan(ib, kPageDataSize))); }

void PstFile::resealBlock(std::uint64_t bid) {
  const std::uint64_t ib = blockOffset(bid);
  const std::uint16_t cb = blockSize(bid);
  const std::uint64_t size = (cb + kBlockTrailerSize + 63) / 64 * 64;
  put32(ib + size - kBlockTrailerSize + kBtCrc, computeCrc(Bytes(bytes_).subspan(ib, cb)));
}

void PstFile::resealHeader() {
  put32(kHdrCrcPartial, computeCrc(Bytes(bytes_).subspan(kCrcPartialStart, kCrcPartialLength)));
  put32(kHdrCrcFull, computeCrc(Bytes(bytes_).subspan(kCrcFullStart, kCrcFullLength)));
}

std::size_t countFaults(const Report& r, Area area, const std::string& needle) {
  std::size_t n = 0;
  for (const Fault& f : r.faults())
    if (f.area == area) {
      std::string text = f.where;
      text.append(": ").append(f.what);
      if (text.find(needle) != std::string::npos) ++n;
    }
  return n;
}

std::string describe(const Report& r) {
  std::string s;
  for (const Fault& f : r.faults()) {
    s.append(1, '[').append(areaName(f.area)).append("] ").append(f.where).append(": ").append(f.what).append(1, '\n');
  }
  return s;
}

}  // namespace tarnwick::pstcheck::test
