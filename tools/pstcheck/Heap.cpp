#include "tools/pstcheck/Heap.h"

#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {

bool knownClient(std::uint8_t s) {
  switch (s) {
    case 0x6C:
    case 0x7C:
    case 0x8C:
    case 0x9C:
    case 0xA5:
    case 0xAC:
    case 0xB5:
    case 0xBC:
    case 0xCC: return true;
    default: return false;
  }
}

/// rgbFillLevel value for the free bytes of a heap block.
unsigned fillLevel(std::size_t freeBytes) {
  static constexpr std::size_t kBounds[] = {3584, 2560, 2048, 1792, 1536, 1280, 1024, 768,
                                            512,  256,  128,  64,   32,   16,   8};
  for (unsigned i = 0; i < 15; ++i)
    if (freeBytes >= kBounds[i]) return i;
  return 15;
}

std::size_t headerSize(std::size_t block) {
  if (block == 0) return kHnHdrSize;
  if (block >= kHnFirstBitmapBlock && (block - kHnFirstBitmapBlock) % kHnBlocksPerBitmap == 0) return kHnBitmapHdrSize;
  return kHnPageHdrSize;
}

}  // namespace

std::optional<Heap> Heap::open(BlockList blocks, const std::string& where, Report& report) {
  Heap h;
  if (blocks.empty()) {
    report.add(Area::Heap, where, "heap has no data blocks");
    return std::nullopt;
  }
  const Bytes first(blocks[0]);
  if (first.size() < kHnHdrSize || u8(first, kHnBSig) != kHnSig) {
    report.add(Area::Heap, where, "first block is not a heap (bSig is not 0xEC)");
    return std::nullopt;
  }
  h.clientSig_ = u8(first, kHnClientSig);
  h.userRoot_ = Hid{u32(first, kHnUserRoot)};
  if (!knownClient(h.clientSig_)) report.add(Area::Heap, where, "unknown bClientSig " + hex(h.clientSig_));
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const Bytes b(blocks[i]);
    const std::string w = where + " heap block " + std::to_string(i);
    const std::size_t hdr = headerSize(i);
    std::vector<std::uint16_t> allocs;
    const std::uint16_t ibHnpm = u16(b, kHnIbHnpm);
    if (b.size() < hdr || !fits(b, ibHnpm, kHnpmRgibAlloc)) {
      report.add(Area::Heap, w, "ibHnpm " + std::to_string(ibHnpm) + " lies outside the block");
      h.allocs_.push_back({});
      continue;
    }
    const unsigned cAlloc = u16(b, ibHnpm + kHnpmCAlloc), cFree = u16(b, ibHnpm + kHnpmCFree);
    if (!fits(b, ibHnpm + kHnpmRgibAlloc, 2ull * (cAlloc + 1))) {
      report.add(Area::Heap, w, "page map with cAlloc " + std::to_string(cAlloc) + " runs past the block");
      h.allocs_.push_back({});
      continue;
    }
    unsigned zeroLength = 0;
    bool ok = true;
    for (unsigned k = 0; k <= cAlloc; ++k) allocs.push_back(u16(b, ibHnpm + kHnpmRgibAlloc + 2ull * k));
    if (allocs[0] != hdr) {
      report.add(Area::Heap, w,
                 "first allocation starts at " + std::to_string(allocs[0]) + ", expected " + std::to_string(hdr));
      ok = false;
    }
    for (unsigned k = 0; k < cAlloc; ++k) {
      if (allocs[k + 1] < allocs[k]) {
        report.add(Area::Heap, w, "rgibAlloc is not ascending at entry " + std::to_string(k + 1));
        ok = false;
        break;
      }
      if (allocs[k + 1] == allocs[k]) ++zeroLength;
    }
    if (allocs[cAlloc] > ibHnpm) {
      report.add(
          Area::Heap, w,
          "allocations end at " + std::to_string(allocs[cAlloc]) + ", past the page map at " + std::to_string(ibHnpm));
      ok = false;
    }
    if (ok && zeroLength != cFree)
      report.add(Area::Heap, w,
                 "cFree " + std::to_string(cFree) + ", but " + std::to_string(zeroLength) + " freed allocations");
    const std::size_t used = ibHnpm + kHnpmRgibAlloc + 2ull * (cAlloc + 1);
    if (used != b.size())
      report.add(Area::Heap, w,
                 "block holds " + std::to_string(b.size()) + " bytes, the page map ends at " + std::to_string(used));
    if (!ok) allocs.clear();
    h.allocs_.push_back(std::move(allocs));

    // Fill level of this block, kept in the first header or the bitmap header that covers it.
    std::size_t holder = 0, slot = i, fillOffset = kHnFillFirst;
    if (i >= kHnFirstBitmapBlock) {
      holder = kHnFirstBitmapBlock + (i - kHnFirstBitmapBlock) / kHnBlocksPerBitmap * kHnBlocksPerBitmap;
      slot = i - holder;
      fillOffset = kHnFillBitmap;
    }
    const Bytes hb(blocks[holder]);
    if (!fits(hb, fillOffset + slot / 2, 1)) continue;
    const unsigned stored = (u8(hb, fillOffset + slot / 2) >> ((slot % 2) * 4)) & 0xF;
    const unsigned expected = fillLevel(kMaxBlockData - b.size());
    if (stored != expected)
      report.add(Area::Heap, w,
                 "fill level " + std::to_string(stored) + ", expected " + std::to_string(expected) + " for " +
                     std::to_string(kMaxBlockData - b.size()) + " free bytes");
  }
  h.blocks_ = std::move(blocks);
  return h;
}

std::optional<Bytes> Heap::find(Hid hid) const {
  if (!hid.isHid() || hid.index() == 0 || hid.blockIndex() >= allocs_.size()) return std::nullopt;
  const auto& a = allocs_[hid.blockIndex()];
  if (a.empty() || hid.index() >= a.size()) return std::nullopt;
  return sub(Bytes(blocks_[hid.blockIndex()]), a[hid.index() - 1], a[hid.index()] - a[hid.index() - 1]);
}

std::optional<Bytes> Heap::item(Hid hid, const std::string& where, Report& report) const {
  auto r = find(hid);
  if (!r) report.add(Area::Heap, where, "HID " + hex(hid.value) + " does not name an allocation of the heap");
  return r;
}

}  // namespace tarnwick::pstcheck
