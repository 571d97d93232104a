#include "pst/ltp/PropertyContextBuilder.h"

#include <algorithm>

#include "pst/PstError.h"
#include "pst/ltp/BthBuilder.h"
#include "pst/ltp/HeapBuilder.h"
#include "pst/ltp/HeapLayout.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/DataTreeWriter.h"

namespace tarnwick::pst {

using namespace layout;

Hnid storeVariableValue(NodeDatabaseWriter& db, HeapBuilder& heap, const Property& p, SubnodeTreeWriter& subnodes,
                        std::uint32_t& nextLocalNid) {
  if (p.subnode) return Hnid::of(*p.subnode);
  if (p.bytes.empty()) return Hnid{0};
  if (p.bytes.size() <= kHnMaxAllocation) return Hnid::of(heap.allocate(p.bytes));
  Nid nid = Nid::make(NidType::Ltp, nextLocalNid++);
  subnodes.add(SubnodeEntry{nid, DataTreeWriter::write(db, p.bytes), Bid{}});
  return Hnid::of(nid);
}

NodeContent PropertyContextBuilder::write(NodeDatabaseWriter& db, std::vector<Property> properties,
                                          SubnodeTreeWriter& subnodes, std::uint32_t& nextLocalNid) {
  std::sort(properties.begin(), properties.end(), [](const Property& a, const Property& b) { return a.id < b.id; });
  for (std::size_t i = 1; i < properties.size(); ++i)
    if (properties[i].id == properties[i - 1].id) throw PstError("property set twice in one object");
  HeapBuilder heap(kClientSigPropertyContext);
  BthBuilder bth(heap, 2, 6);
  heap.setUserRoot(bth.header());
  std::vector<std::uint8_t> records;
  for (const Property& p : properties) {
    std::uint32_t value = 0;
    std::size_t fixed = proptype::fixedSize(p.type);
    if (fixed > 0 && fixed <= 4) {
      for (std::size_t i = 0; i < std::min<std::size_t>(4, p.bytes.size()); ++i)
        value |= static_cast<std::uint32_t>(p.bytes[i]) << (8 * i);
    } else if (fixed == 8) {
      value = heap.allocate(p.bytes).value;
    } else {
      value = storeVariableValue(db, heap, p, subnodes, nextLocalNid).value;
    }
    std::uint8_t r[8];
    store16(r, p.id);
    store16(r + 2, p.type);
    store32(r + 4, value);
    records.insert(records.end(), r, r + 8);
  }
  bth.build(std::move(records));
  DataTreeWriter out(db);
  heap.writeTo(out);
  NodeContent content;
  content.data = out.finish();
  content.subnodes = subnodes.write(db);
  return content;
}

}  // namespace tarnwick::pst
