#include "tools/storegen/RowValues.h"

#include "platform/CodePage.h"
#include "tools/storegen/EseLayout.h"

namespace tarnwick::storegen {

Bytes utf16(const std::string& text) {
  Bytes b;
  for (char16_t c : utf8ToUtf16(text)) append16(b, static_cast<std::uint16_t>(c));
  return b;
}

ColumnDef column(std::uint16_t id, const std::string& name, ColumnType type) {
  ColumnDef c;
  c.id = id;
  c.name = name;
  c.type = type;
  c.size = fixedSizeOf(type);
  if (type == ColumnType::LongText || type == ColumnType::Text) c.codePage = ese::catalogue::kCodePageUnicode;
  return c;
}

ColumnDef property(std::uint16_t id, const std::string& name) {
  switch (name.empty() ? '\0' : name.front()) {
    case 'S': return column(id, name, ColumnType::LongText);
    case 'T': return column(id, name, ColumnType::Currency);
    case 'L': return column(id, name, ColumnType::Long);
    default: return column(id, name, ColumnType::LongBinary);
  }
}

}  // namespace tarnwick::storegen
