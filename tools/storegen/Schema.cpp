#include "tools/storegen/Schema.h"

namespace tarnwick::storegen {

std::uint32_t fixedSizeOf(ColumnType type) {
  switch (type) {
    case ColumnType::Bit:
    case ColumnType::UnsignedByte: return 1;
    case ColumnType::Short:
    case ColumnType::UnsignedShort: return 2;
    case ColumnType::Long:
    case ColumnType::IEEESingle:
    case ColumnType::UnsignedLong: return 4;
    case ColumnType::Currency:
    case ColumnType::IEEEDouble:
    case ColumnType::DateTime:
    case ColumnType::LongLong: return 8;
    case ColumnType::GUID: return 16;
    default: return 0;
  }
}

bool isLongType(ColumnType type) { return type == ColumnType::LongBinary || type == ColumnType::LongText; }

std::string columnTypeName(ColumnType type) {
  switch (type) {
    case ColumnType::Bit: return "Bit";
    case ColumnType::UnsignedByte: return "UnsignedByte";
    case ColumnType::Short: return "Short";
    case ColumnType::Long: return "Long";
    case ColumnType::Currency: return "Currency";
    case ColumnType::IEEESingle: return "IEEESingle";
    case ColumnType::IEEEDouble: return "IEEEDouble";
    case ColumnType::DateTime: return "DateTime";
    case ColumnType::Binary: return "Binary";
    case ColumnType::Text: return "Text";
    case ColumnType::LongBinary: return "LongBinary";
    case ColumnType::LongText: return "LongText";
    case ColumnType::UnsignedLong: return "UnsignedLong";
    case ColumnType::LongLong: return "LongLong";
    case ColumnType::GUID: return "GUID";
    case ColumnType::UnsignedShort: return "UnsignedShort";
  }
  return "Unknown";
}

const ColumnDef* TableDef::column(std::uint16_t id) const {
  for (const auto& c : columns) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

}  // namespace tarnwick::storegen
