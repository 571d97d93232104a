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
        if (c.cb >= 4) end4 = std::max(end4, end);
        else if (c.cb == 2) end2 = std::max(end2, end);
        else end1 = std::max(end1, end);
    }
    end2 = std::max(end2, end4);
    end1 = std::max(end1, end2);
    auto bm = static_cast<std::uint16_t>(end1 + (columns.size() + 7) / 8);
    return {end4, end2, end1, bm};
}

NodeContent TableContextBuilder::write(NodeDatabaseWriter& db, std::span<const TableColumn> columnsIn,
                                       std::vector<TableRow> rows, SubnodeTreeWriter& subnodes,
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

    std::vector<BthRecord> indexRecords;
    indexRecords.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        BthRecord r;
        r.key.resize(4);
        store32(r.key.data(), rows[i].rowId);
        r.data.resize(4);
        store32(r.data.data(), static_cast<std::uint32_t>(i));
        indexRecords.push_back(std::move(r));
    }
    rowIndex.build(std::move(indexRecords));

    // Row matrix.
    std::vector<std::uint8_t> matrix;
    matrix.reserve(rows.size() * rowSize);
    for (TableRow& row : rows) {
        std::vector<std::uint8_t> cells(rowSize, 0);
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
                    std::copy_n(p.bytes.begin(), std::min<std::size_t>(fixed, c.cb), at);
                } else {
                    store32(at, storeVariableValue(db, heap, p, subnodes, nextLocalNid).value);
                }
                present = true;
            }
            if (present) cells[cebAt + c.iBit / 8] |= static_cast<std::uint8_t>(0x80u >> (c.iBit % 8));
        }
        matrix.insert(matrix.end(), cells.begin(), cells.end());
        row.values.clear();
    }
    Hnid rowsHnid{0};
    gLastRowsInSubnode = false;
    if (!matrix.empty() && matrix.size() <= kHnMaxAllocation) {
        rowsHnid = Hnid::of(heap.allocate(matrix));
    } else if (!matrix.empty()) {
        std::size_t rowsPerBlock = kMaxBlockData / rowSize;
        DataTreeWriter out(db);
        for (std::size_t from = 0; from < rows.size(); from += rowsPerBlock) {
            std::size_t count = std::min(rowsPerBlock, rows.size() - from);
            out.append(std::span(matrix).subspan(from * rowSize, count * rowSize));
            out.endBlock();
        }
        Nid nid = Nid::make(NidType::Ltp, nextLocalNid++);
        subnodes.add(SubnodeEntry{nid, out.finish(), Bid{}});
        rowsHnid = Hnid::of(nid);
        gLastRowsInSubnode = true;
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

} // namespace tarnwick::pst
