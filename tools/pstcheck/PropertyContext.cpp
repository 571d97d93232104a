#include "tools/pstcheck/PropertyContext.h"

#include "tools/pstcheck/Bth.h"
#include "tools/pstcheck/PropertyTypes.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

bool checkValueShape(std::uint16_t type, const std::vector<std::uint8_t>& bytes, const std::string& where,
                     Report& report, Area area) {
  const auto size = fixedSize(type);
  if (!size) {
    report.add(area, where, "unknown property type " + hex(type));
    return false;
  }
  if (*size > 0) {
    if (bytes.size() != *size) {
      report.add(area, where,
                 "value of type " + hex(type) + " has " + std::to_string(bytes.size()) + " bytes, expected " +
                     std::to_string(*size));
      return false;
    }
    return true;
  }
  if (type == kPtUnicode && bytes.size() % 2 != 0) {
    report.add(area, where, "UTF-16 string of odd length " + std::to_string(bytes.size()));
    return false;
  }
  if ((type & kMultiValued) == 0) return true;
  const unsigned elem = multiElementSize(type);
  if (elem > 0) {
    if (bytes.size() % elem != 0) {
      report.add(area, where, "multi-valued " + hex(type) + " of " + std::to_string(bytes.size()) + " bytes");
      return false;
    }
    return true;
  }
  if (bytes.empty()) return true;
  const Bytes b(bytes);
  const std::uint32_t count = u32(b, 0);
  if (4ull + 4ull * count > bytes.size()) {
    report.add(area, where,
               "multi-valued " + hex(type) + ": ulCount " + std::to_string(count) + " runs past the value");
    return false;
  }
  std::uint32_t prev = static_cast<std::uint32_t>(4 + 4 * count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t off = u32(b, 4 + 4ull * i);
    if (off < prev || off > bytes.size()) {
      report.add(area, where,
                 "multi-valued " + hex(type) + ": offset " + std::to_string(i) + " is out of order or range");
      return false;
    }
    prev = off;
  }
  return true;
}

std::optional<PropertyBag> readPropertyContext(const LtpNode& node, const std::string& where, Report& report) {
  const Heap& heap = node.heap();
  if (heap.clientSig() != layout::kClientPc) {
    report.add(Area::PropertyContext, where,
               "heap client signature " + hex(heap.clientSig()) + ", expected a property context (0xBC)");
    return std::nullopt;
  }
  auto records = readBth(heap, heap.userRoot(), layout::kPcKeySize, layout::kPcDataSize, where, report);
  if (!records) return std::nullopt;
  PropertyBag bag;
  for (const BthRecord& r : *records) {
    const std::uint16_t id = u16(r.key, 0), type = u16(r.data, 0);
    const std::uint32_t hnid = u32(r.data, layout::kPcValueHnid);
    const std::string w = where + " property " + hex((static_cast<std::uint32_t>(id) << 16) | type);
    PropValue v;
    v.type = type;
    if (!fixedSize(type)) {
      report.add(Area::PropertyContext, w, "unknown property type " + hex(type));
      continue;
    }
    if (storedInline(type)) {
      const unsigned n = *fixedSize(type);
      for (unsigned i = 0; i < n; ++i) v.bytes.push_back(static_cast<std::uint8_t>(hnid >> (8 * i)));
    } else if (!Hid{hnid}.isHid() && (type == kPtBinary || type == kPtObject)) {
      // Binary values kept in a subnode (attachment data) can be gigabytes: their
      // blocks were checked with the node's subnode tree; only their presence is checked here.
      if (!node.subnode(Nid{hnid}))
        report.add(Area::PropertyContext, w, "value names subnode " + hex(hnid) + ", which the node lacks");
      continue;
    } else {
      auto bytes = node.resolve(hnid, w, report);
      if (!bytes) continue;
      v.bytes = std::move(*bytes);
      checkValueShape(type, v.bytes, w, report, Area::PropertyContext);
    }
    bag[id] = std::move(v);
  }
  return bag;
}

}  // namespace tarnwick::pstcheck
