#include "PstTestReader.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>

#include "codec/Crc32.h"
#include "pst/ndb/BlockSignature.h"

namespace tarnwick::pst::testing {

namespace {

// Decoding table of the "permute" block encoding (stored byte -> plain byte).
constexpr std::uint8_t kPermuteDecode[256] = {
    0x47, 0xF1, 0xB4, 0xE6, 0x0B, 0x6A, 0x72, 0x48, 0x85, 0x4E, 0x9E, 0xEB, 0xE2, 0xF8, 0x94, 0x53, 0xE0, 0xBB, 0xA0,
    0x02, 0xE8, 0x5A, 0x09, 0xAB, 0xDB, 0xE3, 0xBA, 0xC6, 0x7C, 0xC3, 0x10, 0xDD, 0x39, 0x05, 0x96, 0x30, 0xF5, 0x37,
    0x60, 0x82, 0x8C, 0xC9, 0x13, 0x4A, 0x6B, 0x1D, 0xF3, 0xFB, 0x8F, 0x26, 0x97, 0xCA, 0x91, 0x17, 0x01, 0xC4, 0x32,
    0x2D, 0x6E, 0x31, 0x95, 0xFF, 0xD9, 0x23, 0xD1, 0x00, 0x5E, 0x79, 0xDC, 0x44, 0x3B, 0x1A, 0x28, 0xC5, 0x61, 0x57,
    0x20, 0x90, 0x3D, 0x83, 0xB9, 0x43, 0xBE, 0x67, 0xD2, 0x46, 0x42, 0x76, 0xC0, 0x6D, 0x5B, 0x7E, 0xB2, 0x0F, 0x16,
    0x29, 0x3C, 0xA9, 0x03, 0x54, 0x0D, 0xDA, 0x5D, 0xDF, 0xF6, 0xB7, 0xC7, 0x62, 0xCD, 0x8D, 0x06, 0xD3, 0x69, 0x5C,
    0x86, 0xD6, 0x14, 0xF7, 0xA5, 0x66, 0x75, 0xAC, 0xB1, 0xE9, 0x45, 0x21, 0x70, 0x0C, 0x87, 0x9F, 0x74, 0xA4, 0x22,
    0x4C, 0x6F, 0xBF, 0x1F, 0x56, 0xAA, 0x2E, 0xB3, 0x78, 0x33, 0x50, 0xB0, 0xA3, 0x92, 0xBC, 0xCF, 0x19, 0x1C, 0xA7,
    0x63, 0xCB, 0x1E, 0x4D, 0x3E, 0x4B, 0x1B, 0x9B, 0x4F, 0xE7, 0xF0, 0xEE, 0xAD, 0x3A, 0xB5, 0x59, 0x04, 0xEA, 0x40,
    0x55, 0x25, 0x51, 0xE5, 0x7A, 0x89, 0x38, 0x68, 0x52, 0x7B, 0xFC, 0x27, 0xAE, 0xD7, 0xBD, 0xFA, 0x07, 0xF4, 0xCC,
    0x8E, 0x5F, 0xEF, 0x35, 0x9C, 0x84, 0x2B, 0x15, 0xD5, 0x77, 0x34, 0x49, 0xB6, 0x12, 0x0A, 0x7F, 0x71, 0x88, 0xFD,
    0x9D, 0x18, 0x41, 0x7D, 0x93, 0xD8, 0x58, 0x2C, 0xCE, 0xFE, 0x24, 0xAF, 0xDE, 0xB8, 0x36, 0xC8, 0xA1, 0x80, 0xA6,
    0x99, 0x98, 0xA8, 0x2F, 0x0E, 0x81, 0x65, 0x73, 0xE4, 0xC2, 0xA2, 0x8A, 0xD4, 0xE1, 0x11, 0xD0, 0x08, 0x8B, 0x2A,
    0xF2, 0xED, 0x9A, 0x64, 0x3F, 0xC1, 0x6C, 0xF9, 0xEC};

std::uint16_t rd16(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 2 > b.size()) throw std::runtime_error("read past end");
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t rd32(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 4 > b.size()) throw std::runtime_error("read past end");
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
std::uint64_t rd64(const std::vector<std::uint8_t>& b, std::size_t at) {
  return rd32(b, at) | (static_cast<std::uint64_t>(rd32(b, at + 4)) << 32);
}
std::vector<std::uint8_t> slice(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t n) {
  if (at + n > b.size()) throw std::runtime_error("slice past end");
  return {b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

std::size_t fixedSize(std::uint16_t type) {
  switch (type) {
    case 0x0002: return 2;
    case 0x0003:
    case 0x0004:
    case 0x000A: return 4;
    case 0x000B: return 1;
    case 0x0005:
    case 0x0006:
    case 0x0007:
    case 0x0014:
    case 0x0040: return 8;
    default: return 0;
  }
}

}  // namespace

std::string PstTestReader::utf16(const std::vector<std::uint8_t>& b) {
  std::string out;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
    std::uint32_t c = b[i] | (b[i + 1] << 8);
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < b.size()) {
      std::uint32_t lo = b[i + 2] | (b[i + 3] << 8);
      c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
      i += 2;
    }
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::uint32_t PstTestReader::u32(const std::vector<std::uint8_t>& b) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4 && i < b.size(); ++i) v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
  return v;
}

PstTestReader::PstTestReader(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path.string());
  file_.assign(std::istreambuf_iterator<char>(in), {});
  if (file_.size() < 564 || rd32(file_, 0) != 0x4E444221) throw std::runtime_error("not a PST file");
  crypt_ = file_[513];
  walk(rd64(file_, 180 + 36 + 8), true, 0);
  walk(rd64(file_, 180 + 52 + 8), false, 0);
}

void PstTestReader::walk(std::uint64_t ib, bool nbt, int depth) {
  auto page = slice(file_, ib, 512);
  pages_.push_back(ib);
  int count = page[488], size = page[490], level = page[491];
  int& maxDepth = nbt ? nbtDepth_ : bbtDepth_;
  if (depth + 1 > maxDepth) maxDepth = depth + 1;
  for (int i = 0; i < count; ++i) {
    std::size_t at = static_cast<std::size_t>(i * size);
    if (level > 0) {
      walk(rd64(page, at + 16), nbt, depth + 1);
    } else if (nbt) {
      nodes_[static_cast<std::uint32_t>(rd64(page, at))] =
          Node{rd64(page, at + 8), rd64(page, at + 16), rd32(page, at + 24)};
    } else {
      blocks_[rd64(page, at) & ~1ull] = Block{rd64(page, at + 8), rd16(page, at + 16)};
    }
  }
}

std::vector<std::uint8_t> PstTestReader::block(std::uint64_t bid) const {
  auto it = blocks_.find(bid & ~1ull);
  if (it == blocks_.end()) throw std::runtime_error("missing block");
  auto d = slice(file_, it->second.ib, it->second.cb);
  if (crypt_ == 1 && !(bid & 2))
    for (auto& c : d) c = kPermuteDecode[c];
  return d;
}

std::vector<std::uint8_t> PstTestReader::readData(std::uint64_t bid, int* levels) const {
  if (levels) *levels = 0;
  if (bid == 0) return {};
  auto d = block(bid);
  if (!(bid & 2)) return d;
  if (d[0] != 0x01) throw std::runtime_error("not a data tree block");
  if (levels) *levels = d[1];
  std::vector<std::uint8_t> out;
  std::uint16_t count = rd16(d, 2);
  for (std::uint16_t i = 0; i < count; ++i) {
    auto part = readData(rd64(d, 8 + 8 * i));
    out.insert(out.end(), part.begin(), part.end());
  }
  if (out.size() != rd32(d, 4)) throw std::runtime_error("data tree total size mismatch");
  return out;
}

std::map<std::uint32_t, std::pair<std::uint64_t, std::uint64_t>> PstTestReader::readSubnodes(std::uint64_t bid,
                                                                                             int* levels) const {
  std::map<std::uint32_t, std::pair<std::uint64_t, std::uint64_t>> out;
  if (levels) *levels = 0;
  if (bid == 0) return out;
  auto d = block(bid);
  if (d[0] != 0x02) throw std::runtime_error("not a subnode block");
  if (levels) *levels = d[1] + 1;
  std::uint16_t count = rd16(d, 2);
  for (std::uint16_t i = 0; i < count; ++i) {
    if (d[1] == 0) {
      out[static_cast<std::uint32_t>(rd64(d, 8 + 24 * i))] = {rd64(d, 16 + 24 * i), rd64(d, 24 + 24 * i)};
    } else {
      auto sub = readSubnodes(rd64(d, 16 + 16 * i));
      out.insert(sub.begin(), sub.end());
    }
  }
  return out;
}

namespace {
struct Heap {
  std::vector<std::vector<std::vector<std::uint8_t>>> pages;
  std::uint8_t clientSig = 0;
  std::uint32_t userRoot = 0;
  const std::vector<std::uint8_t>& at(std::uint32_t hid) const {
    std::size_t page = hid >> 16, index = (hid >> 5) & 0x7FF;
    if (page >= pages.size() || index == 0 || index > pages[page].size()) throw std::runtime_error("bad HID");
    return pages[page][index - 1];
  }
};

Heap readHeap(const std::vector<std::vector<std::uint8_t>>& blocks) {
  Heap h;
  for (std::size_t p = 0; p < blocks.size(); ++p) {
    const auto& b = blocks[p];
    std::uint16_t map = rd16(b, 0);
    if (p == 0) {
      if (b.at(2) != 0xEC) throw std::runtime_error("bad heap signature");
      h.clientSig = b[3];
      h.userRoot = rd32(b, 4);
    }
    std::uint16_t count = rd16(b, map);
    std::vector<std::vector<std::uint8_t>> allocs;
    for (std::uint16_t i = 0; i < count; ++i) {
      std::uint16_t from = rd16(b, map + 4 + 2 * i), to = rd16(b, map + 6 + 2 * i);
      if (to < from || to > map) throw std::runtime_error("bad heap page map");
      allocs.push_back(slice(b, from, to - from));
    }
    h.pages.push_back(std::move(allocs));
  }
  return h;
}

std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> readBth(const Heap& h, std::uint32_t hid) {
  const auto& header = h.at(hid);
  if (header.at(0) != 0xB5) throw std::runtime_error("bad BTH header");
  std::size_t key = header[1], data = header[2];
  std::vector<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> out;
  std::function<void(std::uint32_t, int)> visit = [&](std::uint32_t node, int level) {
    const auto& recs = h.at(node);
    std::size_t size = level == 0 ? key + data : key + 4;
    for (std::size_t at = 0; at + size <= recs.size(); at += size) {
      if (level == 0)
        out.emplace_back(slice(recs, at, key), slice(recs, at + key, data));
      else
        visit(rd32(recs, at + key), level - 1);
    }
  };
  if (std::uint32_t root = rd32(header, 4)) visit(root, header[3]);
  return out;
}
}  // namespace

std::map<std::uint16_t, RawProp> PstTestReader::properties(std::uint64_t dataBid, std::uint64_t subBid) const {
  std::vector<std::vector<std::uint8_t>> blocks;
  auto d = block(dataBid);
  if (dataBid & 2) {
    for (std::uint16_t i = 0; i < rd16(d, 2); ++i) blocks.push_back(block(rd64(d, 8 + 8 * i)));
  } else {
    blocks.push_back(d);
  }
  Heap h = readHeap(blocks);
  if (h.clientSig != 0xBC) throw std::runtime_error("not a property context");
  auto subs = readSubnodes(subBid);
  std::map<std::uint16_t, RawProp> out;
  for (const auto& [k, v] : readBth(h, h.userRoot)) {
    RawProp p;
    std::uint16_t id = static_cast<std::uint16_t>(k[0] | (k[1] << 8));
    p.type = rd16(v, 0);
    std::uint32_t value = rd32(v, 2);
    std::size_t fixed = fixedSize(p.type);
    if (fixed > 0 && fixed <= 4)
      p.bytes = slice(v, 2, fixed);
    else if (value == 0)
      p.bytes = {};
    else if ((value & 0x1F) == 0)
      p.bytes = h.at(value);
    else
      p.bytes = readData(subs.at(value).first);
    out[id] = std::move(p);
  }
  return out;
}

std::map<std::uint16_t, RawProp> PstTestReader::nodeProperties(std::uint32_t nid) const {
  const Node& n = nodes_.at(nid);
  return properties(n.data, n.sub);
}

TableData PstTestReader::table(std::uint64_t dataBid, std::uint64_t subBid) const {
  std::vector<std::vector<std::uint8_t>> blocks;
  auto d = block(dataBid);
  if (dataBid & 2) {
    for (std::uint16_t i = 0; i < rd16(d, 2); ++i) blocks.push_back(block(rd64(d, 8 + 8 * i)));
  } else {
    blocks.push_back(d);
  }
  Heap h = readHeap(blocks);
  if (h.clientSig != 0x7C) throw std::runtime_error("not a table context");
  auto subs = readSubnodes(subBid);
  const auto& info = h.at(h.userRoot);
  TableData t;
  std::size_t cols = info.at(1);
  std::size_t rowSize = rd16(info, 8), cebAt = rd16(info, 6);
  std::uint32_t rowIndex = rd32(info, 10), rows = rd32(info, 14);
  struct Col {
    std::uint32_t tag;
    std::uint16_t ib;
    std::uint8_t cb, bit;
  };
  std::vector<Col> colDescs;
  for (std::size_t i = 0; i < cols; ++i) {
    Col c{rd32(info, 22 + 8 * i), rd16(info, 26 + 8 * i), info.at(28 + 8 * i), info.at(29 + 8 * i)};
    colDescs.push_back(c);
    t.columnTags.push_back(c.tag);
  }
  std::vector<std::vector<std::uint8_t>> rowBlocks;
  if (rows != 0 && (rows & 0x1F) == 0) {
    rowBlocks.push_back(h.at(rows));
  } else if (rows != 0) {
    t.rowsInSubnode = true;
    std::uint64_t bid = subs.at(rows).first;
    auto rb = block(bid);
    if (bid & 2)
      for (std::uint16_t i = 0; i < rd16(rb, 2); ++i) rowBlocks.push_back(block(rd64(rb, 8 + 8 * i)));
    else
      rowBlocks.push_back(rb);
  }
  std::size_t rowCount = readBth(h, rowIndex).size();
  std::size_t perBlock = 8176 / rowSize;
  for (std::size_t r = 0; r < rowCount; ++r) {
    const auto& rb = rowBlocks.at(t.rowsInSubnode ? r / perBlock : 0);
    std::size_t base = (t.rowsInSubnode ? r % perBlock : r) * rowSize;
    auto row = slice(rb, base, rowSize);
    std::map<std::uint32_t, RawProp> cells;
    for (const Col& c : colDescs) {
      if (!(row[cebAt + c.bit / 8] & (0x80 >> (c.bit % 8)))) continue;
      RawProp p;
      p.type = static_cast<std::uint16_t>(c.tag & 0xFFFF);
      std::size_t fixed = fixedSize(p.type);
      if (fixed > 0) {
        p.bytes = slice(row, c.ib, fixed);
      } else {
        std::uint32_t hnid = rd32(row, c.ib);
        if (hnid == 0)
          p.bytes = {};
        else if ((hnid & 0x1F) == 0)
          p.bytes = h.at(hnid);
        else
          p.bytes = readData(subs.at(hnid).first);
      }
      cells[c.tag] = std::move(p);
    }
    t.rows.push_back(std::move(cells));
  }
  return t;
}

TableData PstTestReader::nodeTable(std::uint32_t nid) const {
  const Node& n = nodes_.at(nid);
  return table(n.data, n.sub);
}

std::vector<std::string> PstTestReader::verifyTrailers() const {
  std::vector<std::string> problems;
  auto crc = [](const std::vector<std::uint8_t>& d) { return codec::crc32(d); };
  for (std::uint64_t ib : pages_) {
    auto p = slice(file_, ib, 512);
    std::uint64_t bid = rd64(p, 504);
    if (p[496] != p[497]) problems.push_back("page type repeat at " + std::to_string(ib));
    if (rd32(p, 500) != crc(slice(p, 0, 496))) problems.push_back("page CRC at " + std::to_string(ib));
    if (rd16(p, 498) != computeSignature(FileOffset{ib}, Bid{bid}))
      problems.push_back("page signature at " + std::to_string(ib));
  }
  for (const auto& [bid, b] : blocks_) {
    std::size_t total = (b.cb + 16 + 63) / 64 * 64;
    auto raw = slice(file_, b.ib, total);
    std::size_t t = total - 16;
    if (rd16(raw, t) != b.cb) problems.push_back("block size " + std::to_string(bid));
    if (rd32(raw, t + 4) != crc(slice(raw, 0, b.cb))) problems.push_back("block CRC " + std::to_string(bid));
    if (rd16(raw, t + 2) != computeSignature(FileOffset{b.ib}, Bid{rd64(raw, t + 8)}))
      problems.push_back("block signature " + std::to_string(bid));
    if ((rd64(raw, t + 8) & ~1ull) != bid) problems.push_back("block id " + std::to_string(bid));
  }
  return problems;
}

std::vector<std::uint64_t> PstTestReader::unreferencedBlocks() const {
  std::set<std::uint64_t> seen;
  std::function<void(std::uint64_t)> data = [&](std::uint64_t bid) {
    if (bid == 0 || !seen.insert(bid & ~1ull).second) return;
    if (!(bid & 2)) return;
    auto d = block(bid);
    for (std::uint16_t i = 0; i < rd16(d, 2); ++i) data(rd64(d, 8 + 8 * i));
  };
  std::function<void(std::uint64_t)> sub = [&](std::uint64_t bid) {
    if (bid == 0 || !seen.insert(bid & ~1ull).second) return;
    auto d = block(bid);
    for (std::uint16_t i = 0; i < rd16(d, 2); ++i) {
      if (d[1] == 0) {
        data(rd64(d, 16 + 24 * i));
        sub(rd64(d, 24 + 24 * i));
      } else {
        sub(rd64(d, 16 + 16 * i));
      }
    }
  };
  for (const auto& [nid, n] : nodes_) {
    data(n.data);
    sub(n.sub);
  }
  std::vector<std::uint64_t> out;
  for (const auto& [bid, b] : blocks_)
    if (!seen.count(bid)) out.push_back(bid);
  return out;
}

std::vector<std::string> PstTestReader::verifyAllocationMaps() const {
  constexpr std::uint64_t kFirst = 0x4400, kRegion = 253952;
  std::vector<std::string> problems;
  std::uint64_t eof = rd64(file_, 180 + 4);
  if (eof != file_.size()) problems.push_back("ibFileEof differs from the file size");
  std::uint64_t regions = (file_.size() - kFirst + kRegion - 1) / kRegion;
  std::vector<std::vector<bool>> expected(regions, std::vector<bool>(496 * 8, false));
  auto mark = [&](std::uint64_t from, std::uint64_t size) {
    for (std::uint64_t at = from; at < from + size; at += 64) {
      std::uint64_t r = (at - kFirst) / kRegion;
      if (r >= regions) {
        problems.push_back("extent past the last region");
        return;
      }
      std::size_t slot = static_cast<std::size_t>((at - kFirst - r * kRegion) / 64);
      if (expected[r][slot]) problems.push_back("two extents share offset " + std::to_string(at));
      expected[r][slot] = true;
    }
  };
  for (std::uint64_t r = 0; r < regions; ++r) {
    std::uint64_t at = kFirst + r * kRegion;
    mark(at, 512);
    std::uint64_t next = at + 512;
    for (std::uint8_t type : {0x83, 0x82, 0x85})  // PMap, FMap, FPMap pages where due
      if (next + 512 <= file_.size() && file_[next + 496] == type && file_[next + 497] == type) {
        mark(next, 512);
        next += 512;
      }
  }
  for (std::uint64_t ib : pages_) mark(ib, 512);
  for (const auto& [bid, b] : blocks_) mark(b.ib, (b.cb + 16 + 63) / 64 * 64);
  std::uint64_t free = 0;
  for (std::uint64_t r = 0; r < regions; ++r) {
    std::uint64_t at = kFirst + r * kRegion;
    auto page = slice(file_, at, 512);
    if (page[496] != 0x84 || rd32(page, 500) != codec::crc32(slice(page, 0, 496)) || rd64(page, 504) != at)
      problems.push_back("bad AMap page at " + std::to_string(at));
    for (std::size_t slot = 0; slot < 496 * 8; ++slot) {
      bool bit = page[slot / 8] & (0x80 >> (slot % 8));
      if (!bit) free += 64;
      if (bit != expected[r][slot]) {
        problems.push_back("AMap at " + std::to_string(at) + " slot " + std::to_string(slot) +
                           (bit ? " marked but unused" : " used but free"));
        break;
      }
    }
  }
  if (rd64(file_, 180 + 20) != free) problems.push_back("cbAMapFree differs from the AMaps");
  if (rd64(file_, 180 + 12) != kFirst + (regions - 1) * kRegion) problems.push_back("ibAMapLast is not the last AMap");
  auto dlist = slice(file_, 0x4200, 512);
  if (dlist[496] != 0x86 || rd32(dlist, 500) != codec::crc32(slice(dlist, 0, 496)))
    problems.push_back("bad density list page");
  std::uint32_t entries = dlist[1] | (dlist[2] << 8) | (dlist[3] << 16);
  for (std::uint32_t i = 0; i < entries && i < 119; ++i)
    if ((rd32(dlist, 8 + 4 * i) & 0xFFFFF) >= regions) problems.push_back("density list names a missing AMap");
  return problems;
}

}  // namespace tarnwick::pst::testing
