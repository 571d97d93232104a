#include "pst/ndb/NodeDatabaseWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "codec/Crc32.h"
#include "pst/PstError.h"
#include "pst/ndb/BlockSignature.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/Layout.h"

namespace tarnwick::pst {

using namespace layout;

NodeDatabaseWriter::NodeDatabaseWriter(const std::filesystem::path& path)
    : path_(path),
      fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644)),
      amap_([this](FileOffset at, std::span<const std::uint8_t> page) {
        if (fd_ < 0) fail(std::string("cannot create the file: ") + std::strerror(errno));
        writeAt(at, page);
      }) {
  nidCounters_.fill(0x400);
}

NodeDatabaseWriter::~NodeDatabaseWriter() {
  if (fd_ >= 0) ::close(fd_);
}

void NodeDatabaseWriter::fail(const std::string& what) const {
  throw PstError("PST file \"" + path_.string() + "\": " + what);
}

namespace {
constexpr std::size_t kWriteBufferSize = 1 << 20;
}

void NodeDatabaseWriter::writeAt(FileOffset at, std::span<const std::uint8_t> bytes) {
  if (!buffer_.empty() && at.value == bufferStart_ + buffer_.size() &&
      buffer_.size() + bytes.size() <= kWriteBufferSize) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return;
  }
  flushBuffer();
  if (bytes.size() >= kWriteBufferSize) {
    writeThrough(at, bytes);
    return;
  }
  buffer_.reserve(kWriteBufferSize);
  bufferStart_ = at.value;
  buffer_.assign(bytes.begin(), bytes.end());
}

void NodeDatabaseWriter::flushBuffer() {
  if (buffer_.empty()) return;
  writeThrough(FileOffset{bufferStart_}, buffer_);
  buffer_.clear();
}

void NodeDatabaseWriter::writeThrough(FileOffset at, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(at.value + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(std::string("write failed: ") + std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

Bid NodeDatabaseWriter::writeBlock(std::span<const std::uint8_t> data, bool internal) {
  if (fd_ < 0) fail("the file is already closed");
  if (data.size() > kMaxBlockData) fail("block larger than 8,176 bytes");
  Bid bid{nextBlockId_ | (internal ? kBidInternalBit : 0)};
  nextBlockId_ += kBidIncrement;
  std::size_t total = blockDiskSize(data.size());
  FileOffset ib = amap_.allocate(total, kSlotSize);
  std::vector<std::uint8_t> block(total, 0);
  std::copy(data.begin(), data.end(), block.begin());
  std::uint8_t* trailer = block.data() + total - kBlockTrailerSize;
  store16(trailer, static_cast<std::uint16_t>(data.size()));
  store16(trailer + 2, computeSignature(ib, bid));
  store32(trailer + 4, codec::crc32(data));
  store64(trailer + 8, bid.value);
  writeAt(ib, block);
  blocks_.push_back(BlockEntry{BlockRef{bid, ib}, static_cast<std::uint16_t>(data.size()), kInitialRefCount});
  return bid;
}

void NodeDatabaseWriter::addNode(const NodeEntry& entry) { nodes_.push_back(entry); }

void NodeDatabaseWriter::setNidCounter(NidType type, std::uint32_t lastIndex) {
  nidCounters_[static_cast<std::size_t>(type)] = lastIndex;
}

Nid NodeDatabaseWriter::allocateNid(NidType type) {
  std::uint32_t& counter = nidCounters_[static_cast<std::size_t>(type)];
  return Nid::make(type, ++counter);
}

BlockRef NodeDatabaseWriter::writeBtPage(std::uint8_t pageType, std::span<const std::uint8_t> entries,
                                         std::size_t entrySize, std::size_t entryMax, std::uint8_t level) {
  std::array<std::uint8_t, kPageSize> page{};
  std::copy(entries.begin(), entries.end(), page.begin());
  page[kBtOffEntryCount] = static_cast<std::uint8_t>(entries.size() / entrySize);
  page[kBtOffEntryMax] = static_cast<std::uint8_t>(entryMax);
  page[kBtOffEntrySize] = static_cast<std::uint8_t>(entrySize);
  page[kBtOffLevel] = level;
  FileOffset ib = amap_.allocate(kPageSize, kPageSize);
  Bid bid{nextPageId_++};
  page[kPageDataSize] = pageType;
  page[kPageDataSize + 1] = pageType;
  store16(&page[kPageDataSize + 2], computeSignature(ib, bid));
  store32(&page[kPageDataSize + 4], codec::crc32(std::span(page).first(kPageDataSize)));
  store64(&page[kPageDataSize + 8], bid.value);
  writeAt(ib, page);
  return BlockRef{bid, ib};
}

BlockRef NodeDatabaseWriter::writeTree(std::uint8_t pageType, std::vector<std::uint8_t> level, std::size_t entrySize,
                                       int& levels) {
  std::size_t maxEntries = kBtEntriesBytes / entrySize;
  std::uint8_t depth = 0;
  for (;;) {
    std::size_t count = level.size() / entrySize;
    std::vector<std::uint8_t> parents;
    std::size_t pageCount = std::max<std::size_t>(1, (count + maxEntries - 1) / maxEntries);
    for (std::size_t p = 0; p < pageCount; ++p) {
      // Spread entries evenly so that no page is left nearly empty.
      std::size_t from = count * p / pageCount;
      std::size_t to = count * (p + 1) / pageCount;
      auto chunk = std::span(level).subspan(from * entrySize, (to - from) * entrySize);
      BlockRef ref = writeBtPage(pageType, chunk, entrySize, maxEntries, depth);
      if (pageCount == 1) {
        levels = depth + 1;
        return ref;
      }
      parents.insert(parents.end(), chunk.begin(), chunk.begin() + 8);  // the child page's first key
      std::uint8_t r[16];
      store64(r, ref.bid.value);
      store64(r + 8, ref.ib.value);
      parents.insert(parents.end(), r, r + 16);
    }
    level = std::move(parents);
    entrySize = kBtEntrySize;
    maxEntries = kBtEntriesBytes / kBtEntrySize;
    ++depth;
  }
}

void NodeDatabaseWriter::writeDensityList() {
  std::array<std::uint8_t, kPageSize> page{};
  const auto& free = amap_.freeSlotsPerRegion();
  std::vector<std::uint32_t> order(free.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return free[a] > free[b]; });
  std::size_t count = std::min(order.size(), kDListMaxEntries);
  page[0] = 0;  // bFlags
  page[kDListOffEntryCount] = static_cast<std::uint8_t>(count);
  page[kDListOffEntryCount + 1] = static_cast<std::uint8_t>(count >> 8);
  page[kDListOffEntryCount + 2] = static_cast<std::uint8_t>(count >> 16);
  store32(&page[kDListOffCurrentPage], order.empty() ? 0 : order.front());
  for (std::size_t i = 0; i < count; ++i)
    store32(&page[kDListOffEntries + 4 * i], order[i] | (free[order[i]] << kDListFreeSlotsShift));
  FileOffset ib{kDListOffset};
  Bid bid{nextPageId_++};
  page[kPageDataSize] = kPageTypeDList;
  page[kPageDataSize + 1] = kPageTypeDList;
  store16(&page[kPageDataSize + 2], computeSignature(ib, bid));
  store32(&page[kPageDataSize + 4], codec::crc32(std::span(page).first(kPageDataSize)));
  store64(&page[kPageDataSize + 8], bid.value);
  writeAt(ib, page);
}

void NodeDatabaseWriter::writeHeader(FileOffset eof, BlockRef nbt, BlockRef bbt) {
  std::array<std::uint8_t, kHeaderSize> h{};
  store32(&h[0], kHeaderMagic);
  store16(&h[kHeaderOffMagicClient], kClientMagic);
  store16(&h[kHeaderOffVer], kVersionUnicode);
  store16(&h[kHeaderOffVerClient], kClientVersion);
  h[kHeaderOffPlatformCreate] = 1;
  h[kHeaderOffPlatformAccess] = 1;
  store64(&h[kHeaderOffBidNextP], nextPageId_);
  store32(&h[kHeaderOffUnique], unique_);
  for (std::size_t i = 0; i < kHeaderRgnidCount; ++i) store32(&h[kHeaderOffRgnid + 4 * i], nidCounters_[i]);
  std::uint8_t* root = &h[kHeaderOffRoot];
  store64(root + kRootOffFileEof, eof.value);
  store64(root + kRootOffAMapLast, amap_.lastAMap().value);
  store64(root + kRootOffAMapFree, amap_.freeBytes());
  store64(root + kRootOffPMapFree, 0);
  store64(root + kRootOffNbt, nbt.bid.value);
  store64(root + kRootOffNbt + 8, nbt.ib.value);
  store64(root + kRootOffBbt, bbt.bid.value);
  store64(root + kRootOffBbt + 8, bbt.ib.value);
  root[kRootOffAMapValid] = kAMapValid2;
  std::fill_n(&h[kHeaderOffFMap], kHeaderMapBytes, 0xFF);
  std::fill_n(&h[kHeaderOffFPMap], kHeaderMapBytes, 0xFF);
  h[kHeaderOffSentinel] = kSentinel;
  h[kHeaderOffCryptMethod] = kCryptNone;
  store64(&h[kHeaderOffBidNextB], nextBlockId_);
  store32(&h[kHeaderOffCrcPartial], codec::crc32(std::span(h).subspan(kHeaderCrcStart, kHeaderPartialCrcLength)));
  store32(&h[kHeaderOffCrcFull], codec::crc32(std::span(h).subspan(kHeaderCrcStart, kHeaderFullCrcLength)));
  // The rest of the header area up to the density list stays zero.
  std::vector<std::uint8_t> area(kDListOffset, 0);
  std::copy(h.begin(), h.end(), area.begin());
  writeAt(FileOffset{0}, area);
}

void NodeDatabaseWriter::close() {
  if (fd_ < 0) return;
  std::sort(nodes_.begin(), nodes_.end(), [](const NodeEntry& a, const NodeEntry& b) { return a.nid < b.nid; });
  for (std::size_t i = 1; i < nodes_.size(); ++i)
    if (nodes_[i].nid == nodes_[i - 1].nid) fail("node id written twice");
  ByteWriter nodeLeaves;
  nodeLeaves.buffer().reserve(nodes_.size() * kNbtLeafEntrySize);
  for (const NodeEntry& n : nodes_) {
    nodeLeaves.u64(n.nid.value);
    nodeLeaves.u64(n.data.value);
    nodeLeaves.u64(n.subnodes.value);
    nodeLeaves.u32(n.parent.value);
    nodeLeaves.u32(0);
  }
  std::vector<NodeEntry>().swap(nodes_);
  BlockRef nbt = writeTree(kPageTypeNbt, nodeLeaves.take(), kNbtLeafEntrySize, nodeTreeLevels_);
  std::sort(blocks_.begin(), blocks_.end(),
            [](const BlockEntry& a, const BlockEntry& b) { return a.ref.bid < b.ref.bid; });
  ByteWriter blockLeaves;
  blockLeaves.buffer().reserve(blocks_.size() * kBbtLeafEntrySize);
  for (const BlockEntry& b : blocks_) {
    blockLeaves.u64(b.ref.bid.value);
    blockLeaves.u64(b.ref.ib.value);
    blockLeaves.u16(b.cb);
    blockLeaves.u16(b.refCount);
    blockLeaves.u32(0);
  }
  std::vector<BlockEntry>().swap(blocks_);
  BlockRef bbt = writeTree(kPageTypeBbt, blockLeaves.take(), kBbtLeafEntrySize, blockTreeLevels_);
  FileOffset eof = amap_.finish();
  writeDensityList();
  flushBuffer();
  if (::ftruncate(fd_, static_cast<off_t>(eof.value)) != 0)
    fail(std::string("cannot set the file size: ") + std::strerror(errno));
  writeHeader(eof, nbt, bbt);
  flushBuffer();
  if (::fsync(fd_) != 0) fail(std::string("cannot flush the file: ") + std::strerror(errno));
  ::close(fd_);
  fd_ = -1;
}

}  // namespace tarnwick::pst
