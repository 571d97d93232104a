#include "tools/pstcheck/TableContext.h"

#include <algorithm>
#include <set>

#include "tools/pstcheck/Bth.h"
#include "tools/pstcheck/PropertyContext.h"
#include "tools/pstcheck/PropertyTypes.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {

struct ColDesc {
  std::uint32_t tag;
  std::uint16_t ib;
  std::uint8_t cb, bit;
};

}  // namespace

std::optional<Table> readTableContext(const LtpNode& node, const std::string& where, Report& report) {
  const Heap& heap = node.heap();
  const Area A = Area::TableContext;
  if (heap.clientSig() != kClientTc) {
    report.add(A, where, "heap client signature " + hex(heap.clientSig()) + ", expected a table context (0x7C)");
    return std::nullopt;
  }
  auto info = heap.item(heap.userRoot(), where, report);
  if (!info) return std::nullopt;
  const unsigned cCols = u8(*info, kTcCCols);
  if (u8(*info, kTcBType) != kTcType || info->size() != kTcInfoFixed + kTcColDescSize * cCols) {
    report.add(A, where,
               "TCINFO is malformed (bType " + hex(u8(*info, 0)) + ", " + std::to_string(info->size()) + " bytes for " +
                   std::to_string(cCols) + " columns)");
    return std::nullopt;
  }
  const unsigned end4 = u16(*info, kTcRgib4b), end2 = u16(*info, kTcRgib2b), end1 = u16(*info, kTcRgib1b),
                 endBm = u16(*info, kTcRgibBm);
  const Hid rowIndexHid{u32(*info, kTcHidRowIndex)};
  const std::uint32_t hnidRows = u32(*info, kTcHnidRows);
  if (!(end4 <= end2 && end2 <= end1 && end1 <= endBm)) {
    report.add(A, where, "rgib offsets are not ascending");
    return std::nullopt;
  }
  // rgib[TCI_1b] ends the data and starts the cell existence bitmap; rgib[TCI_bm] ends the row.
  const std::size_t rowSize = endBm;
  if (end4 < 2 * kRowIdSize) {
    report.add(A, where, "rgib[TCI_4b] " + std::to_string(end4) + " leaves no room for the row id and version");
    return std::nullopt;
  }
  if (endBm - end1 != (cCols + 7) / 8)
    report.add(A, where,
               "cell existence bitmap of " + std::to_string(endBm - end1) + " bytes for " + std::to_string(cCols) +
                   " columns");
  std::vector<ColDesc> cols;
  std::set<unsigned> bits;
  std::vector<bool> covered(end1, false);
  bool colsOk = true;
  for (unsigned i = 0; i < cCols; ++i) {
    const std::size_t o = kTcInfoFixed + kTcColDescSize * i;
    ColDesc c{u32(*info, o + kTcColTag), u16(*info, o + kTcColIbData), u8(*info, o + kTcColCbData),
              u8(*info, o + kTcColIBit)};
    const std::string w = where + " column " + hex(c.tag);
    const std::uint16_t type = static_cast<std::uint16_t>(c.tag & 0xFFFF);
    const auto fs = fixedSize(type);
    const unsigned want = !fs ? 0 : (*fs == 0 || *fs == 16 ? 4 : *fs);
    if (!fs)
      report.add(A, w, "unknown property type");
    else if (c.cb != want)
      report.add(A, w, "cbData " + std::to_string(c.cb) + ", expected " + std::to_string(want));
    const unsigned lo = c.cb >= 4 ? 0 : c.cb == 2 ? end4 : end2, hi = c.cb >= 4 ? end4 : c.cb == 2 ? end2 : end1;
    if (c.ib < lo || c.ib + c.cb > hi) {
      report.add(A, w, "ibData " + std::to_string(c.ib) + " lies outside its size group");
      colsOk = false;
    }
    for (unsigned k = c.ib; k < static_cast<unsigned>(c.ib + c.cb) && k < end1; ++k) {
      if (covered[k]) {
        report.add(A, w, "overlaps another column");
        colsOk = false;
        break;
      }
      covered[k] = true;
    }
    if (c.bit >= cCols || !bits.insert(c.bit).second) {
      report.add(A, w, "iBit " + std::to_string(c.bit) + " is out of range or shared");
      colsOk = false;
    }
    cols.push_back(c);
  }
  auto hasColumn = [&](std::uint32_t tag, unsigned ib, unsigned bit) {
    return std::any_of(cols.begin(), cols.end(),
                       [&](const ColDesc& c) { return c.tag == tag && c.ib == ib && c.bit == bit; });
  };
  if (!hasColumn(kTagLtpRowId, 0, 0) || !hasColumn(kTagLtpRowVer, 4, 1))
    report.add(A, where, "no PidTagLtpRowId column at ib 0, bit 0 and PidTagLtpRowVer column at ib 4, bit 1");
  for (std::size_t i = 1; i < cols.size(); ++i)
    if (cols[i].tag <= cols[i - 1].tag)
      report.add(A, where, "columns are not sorted by property tag at " + hex(cols[i].tag));
  if (!colsOk) return std::nullopt;

  Table table;
  for (const auto& c : cols) table.columns.push_back(c.tag);
  auto index = readBth(heap, rowIndexHid, kRowIdSize, kRowIdSize, where + " row index", report);
  if (!index) return std::nullopt;

  // Row matrix: one heap allocation or a subnode whose blocks hold whole rows.
  std::vector<Bytes> rows;
  BlockList matrixBlocks;
  std::vector<std::uint8_t> matrixItem;
  if (hnidRows != 0) {
    if (Hid{hnidRows}.isHid()) {
      auto item = heap.item(Hid{hnidRows}, where + " row matrix", report);
      if (!item) return std::nullopt;
      matrixItem.assign(item->begin(), item->end());
      if (matrixItem.size() % rowSize != 0)
        report.add(A, where,
                   "row matrix of " + std::to_string(matrixItem.size()) + " bytes is not whole rows of " +
                       std::to_string(rowSize));
      for (std::size_t o = 0; o + rowSize <= matrixItem.size(); o += rowSize)
        rows.push_back(Bytes(matrixItem).subspan(o, rowSize));
    } else {
      auto blocks = node.subnodeBlocks(Nid{hnidRows});
      if (!blocks) {
        report.add(A, where, "row matrix subnode " + hex(hnidRows) + " is missing or unreadable");
        return std::nullopt;
      }
      matrixBlocks = std::move(*blocks);
      const std::size_t perBlock = kMaxBlockData / rowSize;
      for (std::size_t i = 0; i < matrixBlocks.size(); ++i) {
        const Bytes b(matrixBlocks[i]);
        const std::size_t n = b.size() / rowSize;
        if (i + 1 < matrixBlocks.size() && n != perBlock)
          report.add(A, where + " row matrix block " + std::to_string(i),
                     "holds " + std::to_string(n) + " rows, a full block holds " + std::to_string(perBlock));
        for (std::size_t k = 0; k < n; ++k) rows.push_back(b.subspan(k * rowSize, rowSize));
      }
    }
  }
  if (rows.size() != index->size())
    report.add(
        A, where,
        "row index has " + std::to_string(index->size()) + " rows, the row matrix " + std::to_string(rows.size()));
  std::vector<bool> used(rows.size(), false);
  for (const BthRecord& rec : *index) {
    const std::uint32_t rowId = u32(rec.key, 0), rowIndex = u32(rec.data, 0);
    const std::string w = where + " row " + hex(rowId);
    if (rowIndex >= rows.size() || used[rowIndex]) {
      report.add(A, w, "row index " + std::to_string(rowIndex) + " is out of range or shared");
      continue;
    }
    used[rowIndex] = true;
    const Bytes row = rows[rowIndex];
    if (u32(row, 0) != rowId)
      report.add(A, w, "row " + std::to_string(rowIndex) + " holds dwRowID " + hex(u32(row, 0)));
    TableRow tr;
    tr.rowId = rowId;
    for (const auto& c : cols) {
      const bool present = (u8(row, end1 + c.bit / 8) & (0x80u >> (c.bit % 8))) != 0;
      if (!present) continue;
      const std::uint16_t type = static_cast<std::uint16_t>(c.tag & 0xFFFF);
      const auto fs = fixedSize(type);
      const Bytes cell = row.subspan(c.ib, c.cb);
      std::vector<std::uint8_t> value;
      if (fs && *fs > 0 && *fs <= 8) {
        value.assign(cell.begin(), cell.end());
      } else {
        const std::string cw = w + " column " + hex(c.tag);
        auto v = node.resolve(u32(cell, 0), cw, report);
        if (!v) continue;
        value = std::move(*v);
        checkValueShape(type, value, cw, report, A);
      }
      tr.values[c.tag] = std::move(value);
    }
    table.rows.push_back(std::move(tr));
  }
  report.tableRows += table.rows.size();
  return table;
}

}  // namespace tarnwick::pstcheck
