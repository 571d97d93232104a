#include "pst/ltp/TableContextBuilder.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "pst/PstError.h"
#include "pst/ltp/BthBuilder.h"
#include "pst/ltp/HeapBuilder.h"
#include "pst/ltp/HeapLayout.h"
#include "pst/ltp/PropertyContextBuilder.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/DataTreeWriter.h"
#include "pst/ndb/Layout.h"

namespace tarnwick::pst {

using namespace layout;

namespace {
thread_local bool gLastRowsInSubnode = false;
}

bool TableContextBuilder::lastRowsInSubnode() { return gLastRowsInSubnode; }

std::array<std::uint16_t, 4> TableContextBuilder::rowLayout(std::span<const TableColumn> columns) {
  std::uint16_t end4 = 0, end2 = 0, end1 = 0;
  for (const auto& c : columns) {
    auto end = static_cast<std::uint16_t>(c.ib + c.cb);
    if (c.cb >= 4)
      end4 = std::max(end4, end);
    else if (c.cb == 2)
      end2 = std::max(end2, end);
    else
      end1 = std::max(end1, end);
  }
  end2 = std::max(end2, end4);
  end1 = std::max(end1, end2);
  auto bm = static_cast<std::uint16_t>(end1 + (columns.size() + 7) / 8);
  return {end4, end2, end1, bm};
}

std::vector<std::uint8_t> packTableRow(const TableRow& row) {
  ByteWriter w;
  w.u32(row.rowId);
  for (const Property& p : row.values) {
    if (p.subnode) throw PstError("a table row cannot keep a subnode value");
    w.u32(p.tag());
    w.u32(static_cast<std::uint32_t>(p.bytes.size()));
    w.bytes(p.bytes);
  }
  return w.take();
}

TableRow unpackTableRow(std::span<const std::uint8_t> packed) {
  auto rd32 = [&](std::size_t at) {
    if (at + 4 > packed.size()) throw PstError("packed table row truncated");
    return packed[at] | (packed[at + 1] << 8) | (packed[at + 2] << 16) |
           (static_cast<std::uint32_t>(packed[at + 3]) << 24);
  };
  TableRow row;
  row.rowId = rd32(0);
  for (std::size_t at = 4; at < packed.size();) {
    std::uint32_t tag = rd32(at), size = rd32(at + 4);
    if (at + 8 + size > packed.size()) throw PstError("packed table row truncated");
    Property p;
    p.id = static_cast<std::uint16_t>(tag >> 16);
    p.type = static_cast<std::uint16_t>(tag);
    p.bytes.assign(packed.begin() + static_cast<std::ptrdiff_t>(at + 8),
                   packed.begin() + static_cast<std::ptrdiff_t>(at + 8 + size));
    row.values.push_back(std::move(p));
    at += 8 + size;
  }
  return row;
}

NodeContent TableContextBuilder::write(NodeDatabaseWriter& db, std::span<const TableColumn> columns,
                                       std::vector<TableRow> rows, SubnodeTreeWriter& subnodes,
                                       std::uint32_t& nextLocalNid) {
  return write(
      db, columns, rows.size(), [&](std::size_t i) { return std::move(rows[i]); }, subnodes, nextLocalNid);
}

NodeContent TableContextBuilder::write(NodeDatabaseWriter& db, std::span<const TableColumn> columnsIn,
                                       std::size_t rowCount, const RowSource& rowAt, SubnodeTreeWriter& subnodes,
                                       std::uint32_t& nextLocalNid) {
  std::vector<TableColumn> columns(columnsIn.begin(), columnsIn.end());
  std::sort(columns.begin(), columns.end(), [](const TableColumn& a, const TableColumn& b) { return a.tag < b.tag; });
  auto rgib = rowLayout(columns);
  std::size_t rowSize = rgib[3];
  std::size_t cebAt = rgib[2];

  HeapBuilder heap(kClientSigTableContext);
  BthBuilder rowIndex(heap, kTcRowIdKeySize, kTcRowIndexEntrySize);
  std::vector<std::uint8_t> info(kTcInfoHeaderSize + kTcColDescSize * columns.size(), 0);
  Hid infoHid = heap.allocate(info);
  heap.setUserRoot(infoHid);

  // Small matrices stay in the heap; large ones stream to a subnode block by block,
  // each block holding whole rows only.
  bool inSubnode = rowCount * rowSize > kHnMaxAllocation;
  std::size_t rowsPerBlock = kMaxBlockData / rowSize;
  std::vector<std::uint8_t> matrix;
  DataTreeWriter rowsOut(db);
  std::vector<std::uint8_t> indexRecords;
  indexRecords.reserve(rowCount * (kTcRowIdKeySize + kTcRowIndexEntrySize));
  std::vector<std::uint8_t> cells(rowSize);
  for (std::size_t i = 0; i < rowCount; ++i) {
    TableRow row = rowAt(i);
    std::uint8_t rec[8];
    store32(rec, row.rowId);
    store32(rec + 4, static_cast<std::uint32_t>(i));
    indexRecords.insert(indexRecords.end(), rec, rec + 8);
    std::fill(cells.begin(), cells.end(), 0);
    std::unordered_map<std::uint32_t, const Property*> byTag;
    for (const Property& p : row.values) byTag[p.tag()] = &p;
    for (const TableColumn& c : columns) {
      std::uint8_t* at = cells.data() + c.ib;
      bool present = false;
      if (c.tag == kTagRowId) {
        store32(at, row.rowId);
        present = true;
      } else if (auto it = byTag.find(c.tag); it != byTag.end()) {
        const Property& p = *it->second;
        std::size_t fixed = proptype::fixedSize(p.type);
        if (fixed > 0) {
          std::copy_n(p.bytes.begin(), std::min<std::size_t>({fixed, c.cb, p.bytes.size()}), at);
        } else {
          store32(at, storeVariableValue(db, heap, p, subnodes, nextLocalNid).value);
        }
        present = true;
      }
      if (present) cells[cebAt + c.iBit / 8] |= static_cast<std::uint8_t>(0x80u >> (c.iBit % 8));
    }
    if (inSubnode) {
      rowsOut.append(cells);
      if ((i + 1) % rowsPerBlock == 0 && i + 1 < rowCount) {
        // Full blocks are padded to the block size, so that a reader may take the
        // rows per block from either the block's length or the maximum size.
        std::vector<std::uint8_t> padding(kMaxBlockData - rowsPerBlock * rowSize, 0);
        rowsOut.append(padding);
        rowsOut.endBlock();
      }
    } else {
      matrix.insert(matrix.end(), cells.begin(), cells.end());
    }
  }
  rowIndex.build(std::move(indexRecords));
  Hnid rowsHnid{0};
  gLastRowsInSubnode = inSubnode;
  if (inSubnode) {
    Nid nid = Nid::make(NidType::Ltp, nextLocalNid++);
    subnodes.add(SubnodeEntry{nid, rowsOut.finish(), Bid{}});
    rowsHnid = Hnid::of(nid);
  } else if (!matrix.empty()) {
    rowsHnid = Hnid::of(heap.allocate(matrix));
  }

  info[0] = kClientSigTableContext;
  info[1] = static_cast<std::uint8_t>(columns.size());
  for (int i = 0; i < 4; ++i) store16(&info[2 + 2 * i], rgib[static_cast<std::size_t>(i)]);
  store32(&info[10], rowIndex.header().value);
  store32(&info[14], rowsHnid.value);
  store32(&info[18], 0);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    std::uint8_t* d = &info[kTcInfoHeaderSize + kTcColDescSize * i];
    store32(d, columns[i].tag);
    store16(d + 4, columns[i].ib);
    d[6] = columns[i].cb;
    d[7] = columns[i].iBit;
  }
  heap.overwrite(infoHid, info);

  DataTreeWriter out(db);
  heap.writeTo(out);
  NodeContent content;
  content.data = out.finish();
  content.subnodes = subnodes.write(db);
  return content;
}

}  // namespace tarnwick::pst
