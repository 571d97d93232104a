#include "tools/storegen/AttachmentRows.h"
#include "tools/storegen/RowValues.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/CodePage.h"
#include "tools/storegen/AttachmentPlanning.h"
#include "tools/storegen/KeyEncoding.h"

namespace tarnwick::storegen {

namespace {

using L = AttachmentRowLayout;

constexpr const char* kDisplayName = "S3001";
constexpr const char* kFileName = "S3704";
constexpr const char* kLongFileName = "S3707";
constexpr const char* kData = "N3701";

// Column ids a row fills, in ascending order.
struct RowColumns {
  std::uint16_t key = L::kKeyColumn;
  bool keyIsIdentifier = false;  // 32 KB: the key column holds the identifier itself
  std::uint16_t marker = 0;      // 0: none
  std::uint16_t id = 0;
  std::uint16_t displayName = 0, fileName = 0, data = 0, longFileName = 0, size = 0;
};

Row attachmentRow(const AttachmentPlan& a, const RowColumns& c) {
  Row row;
  auto set = [&](std::uint16_t id, Bytes v) {
    if (id != 0) row.push_back(ColumnValue{id, {std::move(v)}});
  };
  set(c.key, c.keyIsIdentifier ? le(a.id, 8) : le(attachmentRowKey(a.id), 4));
  set(c.marker, le(L::kSmallMarker, 8));
  set(c.id, le(a.id, 8));
  set(c.size, le(a.data.size(), 4));
  set(c.displayName, utf16(a.fileName));
  set(c.fileName, utf16(a.fileName));
  set(c.data, Bytes(a.data.begin(), a.data.end()));
  if (!withoutLongFileName(a)) set(c.longFileName, utf16(a.fileName));
  std::sort(row.begin(), row.end(), [](const ColumnValue& x, const ColumnValue& y) { return x.columnId < y.columnId; });
  return row;
}

std::uint16_t columnNamed(const TableDef& t, const std::string& name) {
  for (const ColumnDef& c : t.columns) {
    if (c.name == name) return c.id;
  }
  throw std::logic_error("table " + t.name + " has no column " + name);
}

}  // namespace

std::vector<AttachmentPlan> attachmentsInRowOrder(const std::vector<MessagePlan>& messages) {
  std::vector<AttachmentPlan> all;
  for (const MessagePlan& m : messages) {
    all.insert(all.end(), m.content.attachments.begin(), m.content.attachments.end());
  }
  std::sort(all.begin(), all.end(), [](const AttachmentPlan& a, const AttachmentPlan& b) {
    return attachmentRowKey(a.id) < attachmentRowKey(b.id);
  });
  return all;
}

bool withoutLongFileName(const AttachmentPlan& attachment) {
  return (attachmentRowKey(attachment.id) & 0x300) == 0x300;
}

TableDef smallAttachmentTable(const std::string& name) {
  TableDef t;
  t.name = name;
  t.primaryIndexName = "AttachDocIdIndex";
  t.scannableLongValues = true;  // data chunks are found by the long-value page scanner
  t.columns.push_back(column(L::kKeyColumn, "AttachDocId", ColumnType::Long));
  t.columns.push_back(column(L::kSmallMarkerColumn, "RowMarker", ColumnType::Currency));
  t.columns.push_back(column(L::kSmallIdColumn, "AttachId", ColumnType::Currency));
  t.columns.push_back(column(L::kSmallSize, "L0e20", ColumnType::Long));
  t.columns.push_back(column(L::kSmallDisplayName, kDisplayName, ColumnType::LongText));
  t.columns.push_back(column(L::kSmallFileName, kFileName, ColumnType::LongText));
  t.columns.push_back(column(L::kSmallData, kData, ColumnType::LongBinary));
  t.columns.push_back(column(L::kSmallLongFileName, kLongFileName, ColumnType::LongText));
  return t;
}

RowSource smallAttachmentRows(const std::vector<MessagePlan>& messages) {
  auto rows = std::make_shared<std::vector<AttachmentPlan>>(attachmentsInRowOrder(messages));
  auto next = std::make_shared<std::size_t>(0);
  RowColumns c;
  c.marker = L::kSmallMarkerColumn;
  c.id = L::kSmallIdColumn;
  c.size = L::kSmallSize;
  c.displayName = L::kSmallDisplayName;
  c.fileName = L::kSmallFileName;
  c.data = L::kSmallData;
  c.longFileName = L::kSmallLongFileName;
  return [rows, next, c](Row& row) {
    if (*next >= rows->size()) return false;
    row = attachmentRow((*rows)[(*next)++], c);
    return true;
  };
}

void addLargeAttachmentColumns(TableDef& body) {
  const ColumnDef* key = body.column(L::kKeyColumn);
  if (key == nullptr || fixedSizeOf(key->type) != 8) {
    throw std::logic_error("the key column of " + body.name + " cannot hold an attachment identifier");
  }
  std::uint16_t id = 0;
  for (const ColumnDef& c : body.columns) id = std::max(id, c.id);
  auto add = [&](const char* name, ColumnType type, bool compressed) {
    ++id;
    if ((id & 0xFF) <= 1) ++id;  // a low byte of 1 would look like a directory's high byte
    if ((id >> 8) != L::kTaggedIdHighByte) throw std::logic_error("no tagged id left for attachments in " + body.name);
    ColumnDef c = column(id, name, type);
    c.compressed = compressed;
    body.columns.push_back(c);
  };
  add(kDisplayName, ColumnType::LongText, false);
  add(kFileName, ColumnType::LongText, false);
  add(kLongFileName, ColumnType::LongText, true);
  add(kData, ColumnType::LongBinary, false);
}

RowSource withLargeAttachmentRows(const TableDef& body, RowSource messageRows,
                                  const std::vector<MessagePlan>& messages) {
  RowColumns c;
  c.keyIsIdentifier = true;
  c.displayName = columnNamed(body, kDisplayName);
  c.fileName = columnNamed(body, kFileName);
  c.longFileName = columnNamed(body, kLongFileName);
  c.data = columnNamed(body, kData);
  const ColumnType keyType = body.column(L::kKeyColumn)->type;
  auto keyOf = [keyType](const Row& row) {
    Bytes key;
    for (const ColumnValue& v : row) {
      if (v.columnId == L::kKeyColumn && !v.values.empty()) appendKeySegment(key, keyType, v.values.front());
    }
    return key;
  };
  // Both sources come in key order; the rows are merged by key.
  struct State {
    std::vector<AttachmentPlan> attachments;
    std::size_t next = 0;
    std::optional<Row> pending;  // the next message row
    bool messagesDone = false;
  };
  auto state = std::make_shared<State>();
  state->attachments = attachmentsInRowOrder(messages);
  return [state, c, keyOf, messageRows = std::move(messageRows)](Row& row) {
    if (!state->pending && !state->messagesDone) {
      Row next;
      if (messageRows(next)) {
        state->pending = std::move(next);
      } else {
        state->messagesDone = true;
      }
    }
    const bool attachmentLeft = state->next < state->attachments.size();
    if (!attachmentLeft && !state->pending) return false;
    if (attachmentLeft) {
      Row attachment = attachmentRow(state->attachments[state->next], c);
      if (!state->pending || keyOf(attachment) < keyOf(*state->pending)) {
        ++state->next;
        row = std::move(attachment);
        return true;
      }
    }
    row = std::move(*state->pending);
    state->pending.reset();
    return true;
  };
}

}  // namespace tarnwick::storegen
