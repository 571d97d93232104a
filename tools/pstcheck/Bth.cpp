#include "tools/pstcheck/Bth.h"

#include <algorithm>

#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {

std::uint64_t keyValue(Bytes k) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < k.size() && i < 8; ++i) v |= static_cast<std::uint64_t>(k[i]) << (8 * i);
  return v;
}

bool walk(const Heap& heap, Hid hid, unsigned level, unsigned cbKey, unsigned cbEnt,
          std::optional<std::uint64_t> firstKey, const std::string& where, Report& report, std::vector<BthRecord>& out,
          int depth) {
  auto node = heap.item(hid, where, report);
  if (!node) return false;
  const std::size_t rec = cbKey + (level > 0 ? kBthHidSize : cbEnt);
  if (node->size() % rec != 0 || node->empty()) {
    report.add(Area::Bth, where,
               "node " + hex(hid.value) + " of " + std::to_string(node->size()) + " bytes is not a whole number of " +
                   std::to_string(rec) + "-byte records");
    return false;
  }
  if (depth > 8) return false;
  const std::size_t n = node->size() / rec;
  std::optional<std::uint64_t> prev;
  for (std::size_t i = 0; i < n; ++i) {
    const Bytes r = node->subspan(i * rec, rec);
    const std::uint64_t k = keyValue(r.first(cbKey));
    if (i == 0 && firstKey && k != *firstKey)
      report.add(Area::Bth, where,
                 "node " + hex(hid.value) + " starts with key " + hex(k) + ", its parent says " + hex(*firstKey));
    if (prev && k <= *prev)
      report.add(Area::Bth, where, "key " + hex(k) + " is not above the previous key " + hex(*prev));
    prev = k;
    if (level > 0) {
      if (!walk(heap, Hid{u32(r, cbKey)}, level - 1, cbKey, cbEnt, k, where, report, out, depth + 1)) return false;
    } else {
      if (!out.empty() && keyValue(out.back().key) >= k && i == 0)
        report.add(Area::Bth, where, "leaf key " + hex(k) + " is out of order across nodes");
      out.push_back(BthRecord{r.first(cbKey), r.subspan(cbKey)});
    }
  }
  return true;
}

}  // namespace

std::optional<std::vector<BthRecord>> readBth(const Heap& heap, Hid header, unsigned cbKey, unsigned cbEnt,
                                              const std::string& where, Report& report) {
  auto h = heap.item(header, where, report);
  if (!h) return std::nullopt;
  if (h->size() != kBthHeaderSize || u8(*h, kBthBType) != kBthType) {
    report.add(Area::Bth, where, "BTH header " + hex(header.value) + " is not a BTHHEADER");
    return std::nullopt;
  }
  const unsigned key = u8(*h, kBthCbKey), ent = u8(*h, kBthCbEnt), levels = u8(*h, kBthIdxLevels);
  const Hid root{u32(*h, kBthHidRoot)};
  if (key != cbKey || ent != cbEnt) {
    report.add(Area::Bth, where,
               "cbKey/cbEnt " + std::to_string(key) + "/" + std::to_string(ent) + ", expected " +
                   std::to_string(cbKey) + "/" + std::to_string(cbEnt));
    return std::nullopt;
  }
  std::vector<BthRecord> out;
  if (root.value == 0) {
    if (levels != 0) report.add(Area::Bth, where, "empty BTH with bIdxLevels " + std::to_string(levels));
    return out;
  }
  if (levels > 8) {
    report.add(Area::Bth, where, "bIdxLevels " + std::to_string(levels) + " is implausible");
    return std::nullopt;
  }
  if (!walk(heap, root, levels, cbKey, cbEnt, std::nullopt, where, report, out, 0)) return std::nullopt;
  return out;
}

}  // namespace tarnwick::pstcheck
