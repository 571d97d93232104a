#pragma once

// Encodes a row in the engine's record layout: the 4-byte data definition header, the
// fixed columns and their null bitmap, the variable-column end offsets and data, then the
// tagged columns (directory of id and offset, values with their flags byte). Long values
// that do not belong in the record go to the table's long-value tree.

#include <cstddef>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/LongValueWriter.h"
#include "tools/storegen/Schema.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {

class RecordEncoder {
 public:
  RecordEncoder(const FormatTraits& traits, const TableDef& table);

  // `maxSize`: the most the record may take in a page. Long values above the separation
  // size, and the largest ones while the record is too big, go to `longValues`.
  Bytes encode(const Row& row, LongValueSink* longValues, std::size_t maxSize) const;

  static constexpr std::size_t kSeparateAbove = 1024;

 private:
  struct Tagged {
    std::uint16_t id;
    std::uint8_t flags;
    bool hasFlags;
    Bytes payload;
  };
  Bytes assemble(const Row& row, const std::vector<Tagged>& tagged) const;

  const FormatTraits& traits_;
  const TableDef& table_;
};

}  // namespace tarnwick::storegen
