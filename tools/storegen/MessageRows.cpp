#include "tools/storegen/MessageRows.h"
#include "tools/storegen/RowValues.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "codec/Lz77Encoder.h"
#include "codec/SevenBitText.h"
#include "tools/storegen/ExchangeSkeleton.h"
#include "tools/storegen/FolderRows.h"

namespace tarnwick::storegen {

namespace cat = ese::catalogue;
namespace mc = message_columns;

const char* const kContactColumnNames[18] = {"S3a51", "S3a4f", "S3a48", "S3a46", "S3a2e", "S3a1c",
                                             "S3a18", "S3a19", "S3a17", "S3a11", "S3a08", "S3a06",
                                             "S808d", "S8097", "S80a6", "S81b0", "S3a16", "S809e"};

namespace {

// Marker of the 4 KB / 8 KB record: fixed column 2.
constexpr std::uint16_t kSmallRowMarker = 0x0021;
// Fixed column 2 of 32 KB records: not zero.
constexpr std::uint8_t kLargeSecondIdSelector = 1;
// Bytes before each recipient's address.
constexpr std::uint8_t kAddressMarker[] = {0xE4, 0x04};
// Attachment identifiers are listed 12 bytes apart: the id and a 32-bit number.
constexpr std::size_t kAttachmentEntryPad = 4;

bool holdsByte(std::uint32_t number, std::uint8_t b) {
  for (int i = 0; i < 3; ++i) {
    if (((number >> (8 * i)) & 0xFF) == b) return true;
  }
  return ((number >> 24) & 0xFF) == b || (((number >> 24) ^ 0x80) & 0xFF) == b;
}

std::uint16_t contactColumnId(const std::string& name) {
  for (std::uint16_t k = 0; k < 18; ++k) {
    if (name == kContactColumnNames[k]) return static_cast<std::uint16_t>(mc::kFirstContact + k);
  }
  return 0;
}

std::uint16_t fieldColumnId(const std::string& name) {
  if (name == "S8225") return mc::kAppointmentContact;
  if (name == "S810c") return mc::kTimeZone;
  if (name == "S8201") return mc::kLocation;
  return contactColumnId(name);
}

// A value as its placement asks: packed values are stored as they are with the compressed
// flag (32 KB stores only), long values go to the long-value tree.
ColumnValue placed(std::uint16_t id, Bytes value, ValuePlacement placement, bool large) {
  ColumnValue v{id, {std::move(value)}};
  switch (placement) {
    case ValuePlacement::Inline: break;
    case ValuePlacement::LongValue: v.forceLongValue = true; break;
    case ValuePlacement::Compressed7Bit:
    case ValuePlacement::CompressedLz77: v.prepacked = large; break;
  }
  return v;
}

struct RowState {
  std::vector<MessagePlan> messages;
  StoreFormat format;
  std::size_t next = 0;
  std::uint32_t docId = 0;
  std::uint32_t nextDocId() {
    do ++docId;
    while (holdsByte(docId, static_cast<std::uint8_t>(kSmallRowMarker)));
    return docId;
  }
};

void addTagged(Row& row, const MessagePlan& m, bool large) {
  const MessageContentPlan& c = m.content;
  if (c.kind == ItemKind::Appointment && m.start) {
    row.push_back(ColumnValue{mc::kEnd, {le(m.end, 8)}});
    row.push_back(ColumnValue{mc::kStart, {le(m.start, 8)}});
  }
  const Bytes& stored = c.sharedBody ? *c.sharedBody : c.storedBody;
  if (c.bodyForm != BodyForm::Streamed && c.bodyForm != BodyForm::None && !stored.empty()) {
    const std::uint16_t id = c.bodyForm == BodyForm::Text  ? mc::kPlainBody
                             : c.bodyForm == BodyForm::Rtf ? mc::kRtfBody
                                                           : mc::kHtmlBody;
    row.push_back(placed(id, stored, c.bodyPlacement, large));
  }
  if (!c.attachments.empty()) {
    Bytes list;
    std::uint32_t number = 0;
    for (const AttachmentPlan& a : c.attachments) {
      const auto id = identifierBytes(a.id);
      list.insert(list.end(), id.begin(), id.end());
      Bytes n = le(++number, kAttachmentEntryPad);
      appendBytes(list, n);
    }
    row.push_back(ColumnValue{mc::kAttachments, {std::move(list)}});
  }
  std::vector<ColumnValue> fields;
  for (const auto& [name, text] : c.fields) {
    const std::uint16_t id = fieldColumnId(name);
    if (id == 0) continue;
    ColumnValue v{id, {utf16(text)}};
    if (large && c.packedFields) {
      // Texts of 7-bit characters are packed the way the engine packs them.
      if (auto packed = codec::encode7Bit(v.values.front(), codec::SevenBitKind::Unicode)) {
        v.values.front().assign(packed->begin(), packed->end());
        v.prepacked = true;
      }
    }
    fields.push_back(std::move(v));
  }
  std::sort(fields.begin(), fields.end(),
            [](const ColumnValue& a, const ColumnValue& b) { return a.columnId < b.columnId; });
  std::size_t f = 0;
  auto fieldsBelow = [&](std::uint16_t id) {
    while (f < fields.size() && fields[f].columnId < id) row.push_back(std::move(fields[f++]));
  };
  fieldsBelow(mc::kSenderAddress);
  if (!c.senderAddress.empty()) row.push_back(ColumnValue{mc::kSenderAddress, {utf16(c.senderAddress)}});
  fieldsBelow(mc::kRecipients);
  if (!c.recipients.empty()) {
    Bytes value = recipientValue(c.recipients);
    if (large && c.addressPlacement == ValuePlacement::CompressedLz77) {
      if (auto packed = codec::encodeLz77(value)) value.assign(packed->begin(), packed->end());
    }
    row.push_back(placed(mc::kRecipients, std::move(value), c.addressPlacement, large));
  }
  if (!c.runDescriptor.empty()) {
    row.push_back(placed(mc::kRunDescriptor, c.runDescriptor, c.runDescriptorPlacement, large));
  }
  fieldsBelow(0xFFFF);
}

}  // namespace

std::vector<std::uint8_t> recipientValue(const std::vector<RecipientPlan>& recipients) {
  Bytes out;
  for (const RecipientPlan& r : recipients) {
    appendBytes(out, utf16(r.name));
    append16(out, 0);
    out.insert(out.end(), std::begin(kAddressMarker), std::end(kAddressMarker));
    append32(out, static_cast<std::uint32_t>(r.address.size() + 1));
    out.insert(out.end(), r.address.begin(), r.address.end());
    out.push_back(0);
  }
  return out;
}

TableDef messageTable(const std::string& name, StoreFormat format) {
  const bool large = format == StoreFormat::Exchange2010;
  TableDef t;
  t.name = name;
  t.primaryIndexName = "MsgDocIdIndex";
  t.scannableLongValues = true;
  std::uint16_t id = 1;
  auto add = [&](const std::string& n, ColumnType type) { t.columns.push_back(column(id++, n, type)); };
  if (large) {
    add("MsgDocId", ColumnType::Currency);  // the message id
    add("Importance", ColumnType::UnsignedByte);
    add("ChangeNumber", ColumnType::Currency);
    add("ConversationId", ColumnType::Currency);
    add("ParentDocument", ColumnType::Currency);
    add("InstanceKey", ColumnType::Currency);
    add("MessageSize", ColumnType::Long);
    add("MessageFlags", ColumnType::Long);
    add("MessageId", ColumnType::Currency);
  } else {
    add("MsgDocId", ColumnType::Long);
    add("RowMarker", ColumnType::Short);
    add("MessageSize", ColumnType::Long);
    add("ChangeNumber", ColumnType::Currency);
    add("ConversationId", ColumnType::Currency);
    add("ParentDocument", ColumnType::Currency);
    add("MessageFlags", ColumnType::Long);
    add("Importance", ColumnType::UnsignedByte);
    add("MessageId", ColumnType::Currency);
    add("FolderId", ColumnType::Currency);
    add("InstanceNumber", ColumnType::Long);
    add("Priority", ColumnType::Short);
  }
  const std::pair<std::uint16_t, const char*> tagged[] = {{mc::kEnd, "T8198"},
                                                          {mc::kStart, "T8199"},
                                                          {mc::kPlainBody, "S1000"},
                                                          {mc::kRtfBody, "N1009"},
                                                          {mc::kHtmlBody, "N1013"},
                                                          {mc::kAttachments, "N67b3"},
                                                          {mc::kAppointmentContact, "S8225"},
                                                          {mc::kTimeZone, "S810c"},
                                                          {mc::kLocation, "S8201"},
                                                          {mc::kSenderAddress, "S0c1f"},
                                                          {mc::kRecipients, "N67b4"},
                                                          {mc::kRunDescriptor, "N67b5"}};
  for (const auto& [cid, n] : tagged) t.columns.push_back(property(cid, n));
  std::uint16_t cid = mc::kFirstContact;
  for (const char* n : kContactColumnNames) t.columns.push_back(property(cid++, n));
  return t;
}

RowSource messageRows(std::vector<MessagePlan> messages, StoreFormat format) {
  auto state = std::make_shared<RowState>();
  state->messages = std::move(messages);
  state->format = format;
  return [state](Row& row) {
    if (state->next >= state->messages.size()) return false;
    const MessagePlan& m = state->messages[state->next++];
    const bool large = state->format == StoreFormat::Exchange2010;
    row.clear();
    std::uint16_t id = 1;
    auto set = [&](Bytes v) { row.push_back(ColumnValue{id++, {std::move(v)}}); };
    const std::uint32_t doc = state->nextDocId();
    if (large) {
      set(le(m.id, 8));
      set(le(kLargeSecondIdSelector, 1));
      set(le(0x0100000000000000ull + doc, 8));
      set(le(0x2000000000000000ull + doc, 8));
      set(le(m.folderId, 8));
      set(le(0x3000000000000000ull + doc, 8));
      set(le(1024 + doc, 4));
      set(le(1, 4));
      set(le(m.id, 8));
    } else {
      set(le(doc, 4));
      set(le(kSmallRowMarker, 2));
      set(le(1024 + doc, 4));
      set(le(0x0100000000000000ull + doc, 8));
      set(le(0x2000000000000000ull + doc, 8));
      set(le(0x3000000000000000ull + doc, 8));
      set(le(1, 4));
      set(le(1, 1));
      set(le(m.id, 8));
      set(le(m.folderId, 8));
      set(le(doc, 4));
      set(le(1, 2));
    }
    addTagged(row, m, large);
    return true;
  };
}

}  // namespace tarnwick::storegen
