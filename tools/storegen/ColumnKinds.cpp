#include "tools/storegen/ColumnKinds.h"

#include <string>

namespace tarnwick::storegen {

namespace cat = ese::catalogue;

namespace {
ColumnDef col(std::uint16_t id, const char* name, ColumnType type, std::uint32_t size = 0,
              std::uint32_t codePage = cat::kCodePageWestern, bool multi = false, bool compressed = false) {
  ColumnDef c;
  c.id = id;
  c.name = name;
  c.type = type;
  c.size = size ? size : fixedSizeOf(type);
  c.codePage = codePage;
  c.multiValued = multi;
  c.compressed = compressed;
  return c;
}
Bytes ascii(const std::string& s) { return Bytes(s.begin(), s.end()); }
Bytes utf16(const std::string& s) {
  Bytes b;
  for (unsigned char c : s) append16(b, c);
  return b;
}
}  // namespace

TableDef columnKindsTable() {
  TableDef t;
  t.name = kColumnKindsTableName;
  t.primaryIndexName = "IdIndex";
  t.columns = {
      col(1, "Id", ColumnType::Long),
      col(2, "FixedBit", ColumnType::Bit),
      col(3, "FixedByte", ColumnType::UnsignedByte),
      col(4, "FixedShort", ColumnType::Short),
      col(5, "FixedCurrency", ColumnType::Currency),
      col(6, "FixedUnsignedLong", ColumnType::UnsignedLong),
      col(7, "FixedLongLong", ColumnType::LongLong),
      col(8, "FixedUnsignedShort", ColumnType::UnsignedShort),
      col(9, "FixedText", ColumnType::Text, 16),
      col(128, "VarText", ColumnType::Text, 255),
      col(129, "VarUnicode", ColumnType::Text, 255, cat::kCodePageUnicode),
      col(130, "VarBinary", ColumnType::Binary, 255),
      col(256, "TaggedText", ColumnType::Text, 255),
      col(257, "TaggedBinary", ColumnType::Binary, 255),
      col(258, "LongText", ColumnType::LongText, 0),
      col(259, "LongUnicode", ColumnType::LongText, 0, cat::kCodePageUnicode),
      col(260, "LongBinary", ColumnType::LongBinary, 0),
      col(261, "TinyLongText", ColumnType::LongText, 0),
      col(262, "MultiText", ColumnType::Text, 255, cat::kCodePageWestern, true),
      col(263, "MultiLong", ColumnType::Long, 4, cat::kCodePageWestern, true),
      col(264, "CompressedText", ColumnType::LongText, 0, cat::kCodePageWestern, false, true),
      col(265, "CompressedLongText", ColumnType::LongText, 0, cat::kCodePageWestern, false, true),
      col(266, "CompressedUnicode", ColumnType::LongText, 0, cat::kCodePageUnicode, false, true),
  };
  return t;
}

std::string columnKindsShortText(std::uint32_t index) { return "Short text of row " + std::to_string(index + 1); }

std::string columnKindsLongText(std::uint32_t index) {
  // Row 1 keeps its long values in the long-value tree, rows 2 and 3 in the record.
  return "Long text of row " + std::to_string(index + 1) + " " +
         std::string(index == 0 ? 1500 : 600 + 100 * index, 'a');
}

std::string columnKindsLongUnicode(std::uint32_t index) {
  return "Long Unicode " + std::to_string(index + 1) + " " + std::string(index == 0 ? 800 : 300, 'u');
}

std::string columnKindsLongBinary(std::uint32_t index) {
  std::string s;
  const std::uint32_t size = index == 0 ? 20000 : 700;
  for (std::uint32_t i = 0; i < size; ++i) s.push_back(static_cast<char>('A' + (i * 7 + index) % 26));
  return s;
}

std::string columnKindsCompressible(std::uint32_t index) {
  return "Compressible text " + std::to_string(index + 1) + " " + std::string(900, 'c');
}

std::string columnKindsCompressibleLong(std::uint32_t index) {
  std::string s = "Long compressible text " + std::to_string(index + 1) + ":";
  for (int i = 0; i < 400; ++i) s += " word" + std::to_string(i % 10);
  return s;
}

Row columnKindsRow(std::uint32_t index) {
  const std::uint32_t n = index + 1;
  Row r;
  auto set = [&](std::uint16_t id, Bytes v) { r.push_back(ColumnValue{id, {std::move(v)}}); };
  set(1, le(n, 4));
  set(2, Bytes{static_cast<std::uint8_t>(n % 2 ? 0xFF : 0x00)});
  set(3, le(200 + n, 1));
  set(4, le(static_cast<std::uint16_t>(-1000 * static_cast<int>(n)), 2));
  set(5, le(123456789012ull * n, 8));
  set(6, le(4000000000u + n, 4));
  set(7, le(9000000000000000000ull + n, 8));
  set(8, le(60000 + n, 2));
  set(9, ascii("Fixed " + std::to_string(n) + std::string(16 - 6 - std::to_string(n).size(), ' ')));
  set(128, ascii("Variable text " + std::to_string(n)));
  if (index != 1) set(129, utf16("Variable Unicode " + std::to_string(n)));  // row 2 leaves it NULL
  set(130, ascii("binary-" + std::to_string(n)));
  set(256, ascii(columnKindsShortText(index)));
  set(257, ascii("tagged binary " + std::to_string(n)));
  set(258, ascii(columnKindsLongText(index)));
  set(259, utf16(columnKindsLongUnicode(index)));
  set(260, ascii(columnKindsLongBinary(index)));
  set(261, ascii("Tiny " + std::to_string(n)));
  r.push_back(ColumnValue{262, {ascii("first " + std::to_string(n)), ascii("second"), ascii("third")}});
  r.push_back(ColumnValue{263, {le(10 * n, 4), le(20 * n, 4)}});
  set(264, ascii(columnKindsCompressible(index)));
  set(265, ascii(columnKindsCompressibleLong(index)));
  set(266, utf16(columnKindsCompressible(index)));
  return r;
}

}  // namespace tarnwick::storegen
