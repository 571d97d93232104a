#include "tools/storegen/CatalogueWriter.h"

#include <algorithm>

#include "tools/storegen/KeyEncoding.h"
#include "tools/storegen/RecordEncoder.h"
#include "tools/storegen/RootHeader.h"

namespace tarnwick::storegen {

namespace cat = ese::catalogue;
using ese::ColumnType;

TableDef catalogueTableDef(const FormatTraits& traits, bool shadow, PageNumber root) {
  TableDef t;
  t.name = shadow ? "MSysObjectsShadow" : "MSysObjects";
  t.objectId = ObjectId{shadow ? cat::kShadowObjectId : cat::kObjectId};
  t.rootPage = root;
  t.initialPages = 20;
  t.hasLongValues = false;
  t.primaryIndexName = shadow ? "" : "Id";
  auto add = [&](std::uint16_t id, const char* name, ColumnType type, std::uint32_t size = 0) {
    t.columns.push_back(ColumnDef{id, name, type, size, false, false, cat::kCodePageWestern});
  };
  add(cat::kObjidTable, "ObjidTable", ColumnType::Long);
  add(cat::kType, "Type", ColumnType::Short);
  add(cat::kId, "Id", ColumnType::Long);
  add(cat::kColtypOrPgnoFDP, "ColtypOrPgnoFDP", ColumnType::Long);
  add(cat::kSpaceUsage, "SpaceUsage", ColumnType::Long);
  add(cat::kFlags, "Flags", ColumnType::Long);
  add(cat::kPagesOrLocale, "PagesOrLocale", ColumnType::Long);
  add(cat::kRootFlag, "RootFlag", ColumnType::Bit);
  add(cat::kRecordOffset, "RecordOffset", ColumnType::Short);
  add(cat::kLCMapFlags, "LCMapFlags", ColumnType::Long);
  if (traits.formatRevision >= 0x0C) add(cat::kKeyMost, "KeyMost", ColumnType::UnsignedShort);
  add(cat::kName, "Name", ColumnType::Text, 255);
  add(cat::kStats, "Stats", ColumnType::Binary, 255);
  add(cat::kTemplateTable, "TemplateTable", ColumnType::Text, 255);
  add(cat::kDefaultValue, "DefaultValue", ColumnType::Binary, 255);
  add(cat::kKeyFldIDs, "KeyFldIDs", ColumnType::Binary, 255);
  add(133, "VarSegMac", ColumnType::Binary, 255);
  add(134, "ConditionalColumns", ColumnType::Binary, 255);
  add(135, "TupleLimits", ColumnType::Binary, 255);
  add(256, "CallbackData", ColumnType::LongBinary);
  add(257, "CallbackDependencies", ColumnType::LongBinary);
  return t;
}

namespace {

struct CatalogueRow {
  Bytes key;
  Row row;
};

Bytes le32(std::uint32_t v) {
  Bytes b;
  append32(b, v);
  return b;
}
Bytes le16(std::uint16_t v) {
  Bytes b;
  append16(b, v);
  return b;
}
Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes catalogueKey(ObjectId table, std::uint16_t type, std::uint32_t id) {
  Bytes key;
  appendLongKeySegment(key, static_cast<std::int32_t>(table.value));
  appendShortKeySegment(key, static_cast<std::int16_t>(type));
  appendLongKeySegment(key, static_cast<std::int32_t>(id));
  return key;
}

void set(Row& row, std::uint16_t column, Bytes value) { row.push_back(ColumnValue{column, {std::move(value)}}); }

std::uint32_t columnFlags(const ColumnDef& c) {
  std::uint32_t flags = 0;
  if (c.kind() == ColumnKind::Fixed) flags |= ese::kColumnFixed;
  if (c.kind() == ColumnKind::Tagged) flags |= ese::kColumnTagged;
  if (c.multiValued) flags |= ese::kColumnMultiValued;
  if (c.compressed) flags |= ese::kColumnCompressed;
  return flags;
}

void addTableRows(const TableDef& t, std::vector<CatalogueRow>& out) {
  {
    // Table row: fixed columns up to RootFlag, then the name (and the template's name).
    Row row;
    set(row, cat::kObjidTable, le32(t.objectId.value));
    set(row, cat::kType, le16(cat::kTypeTable));
    set(row, cat::kId, le32(t.objectId.value));
    set(row, cat::kColtypOrPgnoFDP, le32(t.rootPage.value));
    set(row, cat::kSpaceUsage, le32(cat::kDefaultDensity));
    set(row, cat::kFlags, le32(t.isTemplate ? 0x2u : 0u));
    set(row, cat::kPagesOrLocale, le32(t.initialPages));
    set(row, cat::kRootFlag, Bytes{0xFF});
    set(row, cat::kName, text(t.name));
    if (!t.templateName.empty()) set(row, cat::kTemplateTable, text(t.templateName));
    out.push_back({catalogueKey(t.objectId, cat::kTypeTable, t.objectId.value), std::move(row)});
  }
  std::uint32_t recordOffset = ese::record::kFixedDataStart;
  for (const auto& c : t.columns) {
    if (t.inheritsColumns) break;
    Row row;
    set(row, cat::kObjidTable, le32(t.objectId.value));
    set(row, cat::kType, le16(cat::kTypeColumn));
    set(row, cat::kId, le32(c.id));
    set(row, cat::kColtypOrPgnoFDP, le32(static_cast<std::uint32_t>(c.type)));
    const std::uint32_t natural = fixedSizeOf(c.type);
    set(row, cat::kSpaceUsage, le32(natural ? natural : c.size));
    set(row, cat::kFlags, le32(columnFlags(c)));
    set(row, cat::kPagesOrLocale, le32(c.codePage));
    if (c.kind() == ColumnKind::Fixed) {
      set(row, cat::kRecordOffset, le16(static_cast<std::uint16_t>(recordOffset)));
      recordOffset += natural ? natural : c.size;
    }
    set(row, cat::kName, text(c.name));
    out.push_back({catalogueKey(t.objectId, cat::kTypeColumn, c.id), std::move(row)});
  }
  if (!t.primaryIndexName.empty()) {
    Row row;
    set(row, cat::kObjidTable, le32(t.objectId.value));
    set(row, cat::kType, le16(cat::kTypeIndex));
    set(row, cat::kId, le32(t.objectId.value));
    set(row, cat::kColtypOrPgnoFDP, le32(t.rootPage.value));
    set(row, cat::kSpaceUsage, le32(cat::kDefaultDensity));
    set(row, cat::kFlags, le32(cat::kIndexFlagsPrimary));
    set(row, cat::kPagesOrLocale, le32(cat::kLocaleEnglishUS));
    set(row, cat::kName, text(t.primaryIndexName));
    Bytes keyColumns;
    append16(keyColumns, 0);
    append16(keyColumns, t.columns.front().id);
    set(row, cat::kKeyFldIDs, keyColumns);
    out.push_back({catalogueKey(t.objectId, cat::kTypeIndex, t.objectId.value), std::move(row)});
  }
  if (t.hasLongValues) {
    Row row;
    set(row, cat::kObjidTable, le32(t.objectId.value));
    set(row, cat::kType, le16(cat::kTypeLongValue));
    set(row, cat::kId, le32(t.longValueObjectId.value));
    set(row, cat::kColtypOrPgnoFDP, le32(t.longValueRootPage.value));
    set(row, cat::kSpaceUsage, le32(100));
    set(row, cat::kFlags, le32(0));
    set(row, cat::kPagesOrLocale, le32(1));
    set(row, cat::kName, text("LV"));
    out.push_back({catalogueKey(t.objectId, cat::kTypeLongValue, t.longValueObjectId.value), std::move(row)});
  }
}

TreeStats writeTree(DatabaseFile& file, const TableDef& schema, const std::vector<CatalogueRow>& rows) {
  RecordEncoder encoder(file.traits(), schema);
  BTreeWriter tree(file, schema.objectId, schema.rootPage, 0,
                   rootHeader(schema.initialPages, PageNumber{cat::kDatabaseRootPage}), true);
  for (const auto& r : rows) {
    Row sorted = r.row;
    std::sort(sorted.begin(), sorted.end(),
              [](const ColumnValue& a, const ColumnValue& b) { return a.columnId < b.columnId; });
    tree.add(r.key, encoder.encode(sorted, nullptr, tree.maxLeafPayload() - r.key.size()));
  }
  return tree.finish();
}

}  // namespace

CatalogueResult writeCatalogue(DatabaseFile& file, const std::vector<const TableDef*>& tables) {
  std::vector<CatalogueRow> rows;
  const TableDef* catalogue = nullptr;
  const TableDef* shadow = nullptr;
  for (const TableDef* t : tables) {
    addTableRows(*t, rows);
    if (t->objectId.value == cat::kObjectId) catalogue = t;
    if (t->objectId.value == cat::kShadowObjectId) shadow = t;
  }
  std::sort(rows.begin(), rows.end(), [](const CatalogueRow& a, const CatalogueRow& b) { return a.key < b.key; });
  CatalogueResult result;
  result.rows = rows.size();
  result.catalogue = writeTree(file, *catalogue, rows);
  result.shadow = writeTree(file, *shadow, rows);
  return result;
}

}  // namespace tarnwick::storegen
