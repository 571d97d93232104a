#include "tools/storegen/HeaderRows.h"
#include "tools/storegen/RowValues.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <memory>

#include "tools/storegen/FolderRows.h"

namespace tarnwick::storegen {

namespace cat = ese::catalogue;

namespace {

// Tagged columns of every header table, in directory order: the sender comes before the
// subject prefix (the small-page step takes the sender only from entries before it), each
// text is followed by another entry (whose offset ends it), and the two appointment times
// are the first pair of 8-byte values.
constexpr std::uint16_t kSenderColumn = 0x0108;
constexpr std::uint16_t kPrefixColumn = 0x0110;
constexpr std::uint16_t kNormalizedSubjectColumn = 0x0123;  // the id "Se1d" has in "Msg" too
constexpr std::uint16_t kMessageFlagsColumn = 0x0130;
constexpr std::uint16_t kStartColumn = 0x0140;
constexpr std::uint16_t kEndColumn = 0x0141;

void addTaggedColumns(TableDef& t) {
  t.columns.push_back(column(kSenderColumn, "S42", ColumnType::LongText));
  t.columns.push_back(column(kPrefixColumn, "S3d", ColumnType::LongText));
  t.columns.push_back(column(kNormalizedSubjectColumn, "Se1d", ColumnType::LongText));
  t.columns.push_back(column(kMessageFlagsColumn, "L0e07", ColumnType::Long));
  t.columns.push_back(column(kStartColumn, "T820d", ColumnType::Currency));
  t.columns.push_back(column(kEndColumn, "T820e", ColumnType::Currency));
}

// 4 KB/8 KB rows. Record layout (from the record's first byte r): header (4), document id
// (4, the key), the marker 0x006D at r+8, delivery time at r+19, submit time (the fallback)
// at r+100, folder id at r+120 (p: 112 bytes after the marker), the mailbox id at p+8, the
// message id at p+16, then the null bitmap (3 bytes) ending at p+31: the tagged directory
// starts at p+32. Document ids whose bytes hold 0x6D are left out.
constexpr std::uint8_t kSmallRowMarker = 0x6D;
constexpr std::uint16_t kSmallFillerColumns = 9;  // currency columns 7-15 between the two times

// 32 KB rows: header (4), document id (4), folder id at r+8 (the key's length puts it
// there), conversation id, message id at r+24, size, flags, importance, delivery time at
// r+42, sensitivity, then the null bitmap, whose second byte (0xFE: nine fixed columns)
// ends just before the tagged directory at r+53.

bool holdsByte(std::uint32_t number, std::uint8_t b) {
  for (int i = 0; i < 3; ++i) {
    if (((number >> (8 * i)) & 0xFF) == b) return true;
  }
  return ((number >> 24) & 0xFF) == b || (((number >> 24) ^ 0x80) & 0xFF) == b;
}

void setTexts(Row& row, const MessagePlan& m) {
  row.push_back(ColumnValue{kSenderColumn, {utf16(m.sender)}});
  row.push_back(ColumnValue{kPrefixColumn, {utf16(m.prefix)}});
  row.push_back(ColumnValue{kNormalizedSubjectColumn, {utf16(m.normalizedSubject)}});
  row.push_back(ColumnValue{kMessageFlagsColumn, {le(1, 4)}});
  if (m.start) {
    row.push_back(ColumnValue{kStartColumn, {le(m.start, 8)}});
    row.push_back(ColumnValue{kEndColumn, {le(m.end, 8)}});
  }
}

struct RowState {
  std::vector<MessagePlan> messages;
  std::vector<FolderPlan> folders;
  std::size_t next = 0;
  std::uint32_t docId = 0;
  std::uint32_t nextDocId() {
    do ++docId;
    while (holdsByte(docId, kSmallRowMarker));
    return docId;
  }
};

constexpr const char* kSenders[] = {"Alice Brown", "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m",
                                    "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2",
                                    "Postmaster", "Bob Carter"};
constexpr const char* kSubjects[] = {"Quarterly figures", "Gr\xC3\xBC\xC3\x9F\x65 aus K\xC3\xB6ln", "Lunch?",
                                     "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82", "Build report"};
constexpr const char* kPrefixes[] = {"", "RE: ", "", "FW: "};

// Delivery times, before 1980 and after 2099 among them (seconds since 1970).
constexpr std::int64_t kTimes[] = {-14182940, 315532799, 1000000000, 1700000000, 4102444800, 5700000000, 86400 * 365};
constexpr std::uint64_t kFileTimeOf1970 = 116444736000000000ull;

std::uint64_t fileTimeOf(std::int64_t unixSeconds) {
  const std::uint64_t ft =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(kFileTimeOf1970) + unixSeconds * 10000000);
  return ft & ~0xFFFFull;  // a scan keeps the upper 48 bits
}

}  // namespace

std::string isoTimeOf(std::uint64_t fileTime) {
  const std::int64_t ticks = static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kFileTimeOf1970);
  std::int64_t seconds = ticks / 10000000;
  if (ticks < 0 && ticks % 10000000 != 0) --seconds;
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

std::vector<MessagePlan> planMessages(const std::vector<FolderPlan>& folders,
                                      const std::vector<std::uint64_t>& mailboxIds, std::uint32_t perFolder, Rng& rng) {
  std::vector<MessagePlan> out;
  const std::uint64_t replica = 1 + rng.below(15);
  std::uint64_t counter = 0x10000 + rng.below(0x10000);
  for (std::size_t f = 0; f < folders.size(); ++f) {
    for (std::uint32_t i = 0; i < perFolder; ++i) {
      MessagePlan m;
      ++counter;
      m.id = replica;
      // The counter low byte first: read as a little-endian number the ids ascend in plan
      // order, as the keys of the 32 KB message tables (the id itself) must.
      for (int k = 0; k < 6; ++k) m.id |= ((counter >> (8 * k)) & 0xFF) << (8 * (2 + k));
      m.folder = f;
      m.folderId = folders[f].id;
      m.mailboxId = mailboxIds.at(folders[f].mailbox);
      const std::size_t n = out.size();
      m.prefix = kPrefixes[n % std::size(kPrefixes)];
      m.normalizedSubject = std::string(kSubjects[n % std::size(kSubjects)]) + " " + std::to_string(i + 1);
      m.sender = kSenders[(n / 2) % std::size(kSenders)];
      m.time = fileTimeOf(kTimes[n % std::size(kTimes)] + static_cast<std::int64_t>(rng.below(86400)));
      if (folders[f].kind == 'a') {
        m.start = (m.time + 36000000000ull) & ~0xFFFFull;  // an hour later
        m.end = (m.start + 18000000000ull) & ~0xFFFFull;   // for half an hour
      }
      out.push_back(std::move(m));
    }
  }
  return out;
}

std::string smallHeaderTableName(std::uint64_t folderId) {
  const auto b = [&](int i) { return static_cast<unsigned>((folderId >> (8 * i)) & 0xFF); };
  char buf[4];
  std::string text;
  for (int i = 0; i < 2; ++i) {
    if (b(i)) {
      std::snprintf(buf, sizeof buf, "%x", b(i));
      text += buf;
    }
  }
  if (text.empty()) return text;
  text += '-';
  int start = 0;
  for (int i = 2; i < 8; ++i) {
    if (b(i)) {
      start = i;
      break;
    }
  }
  for (int i = start; i < 8; ++i) {
    if (b(i) == 0) {
      text += "00";
    } else {
      std::snprintf(buf, sizeof buf, i == start ? "%x" : "%02x", b(i));
      text += buf;
    }
  }
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TableDef smallHeaderTemplate(const std::string& name) {
  TableDef t;
  t.name = name;
  t.hasLongValues = false;
  t.primaryIndexName = "MsgDocIdIndex";
  std::uint16_t id = 1;
  auto add = [&](const std::string& n, ColumnType type) { t.columns.push_back(column(id++, n, type)); };
  add("MsgDocId", ColumnType::Long);
  add("RowMarker", ColumnType::Short);
  add("MessageSize", ColumnType::Long);
  add("MessageFlags", ColumnType::Long);
  add("Importance", ColumnType::UnsignedByte);
  add("MessageDeliveryTime", ColumnType::Currency);
  for (std::uint16_t i = 0; i < kSmallFillerColumns; ++i)
    add("ChangeNumber" + std::to_string(i + 1), ColumnType::Currency);
  add("Sensitivity", ColumnType::UnsignedByte);
  add("ClientSubmitTime", ColumnType::Currency);
  add("ConversationId", ColumnType::Currency);
  add("Priority", ColumnType::Long);
  add("FolderId", ColumnType::Currency);
  add("MailboxId", ColumnType::Currency);
  add("MessageId", ColumnType::Currency);
  add("InternetArticle", ColumnType::Long);
  add("Unread", ColumnType::UnsignedByte);
  addTaggedColumns(t);
  return t;
}

RowSource smallHeaderRows(std::vector<MessagePlan> messages) {
  auto state = std::make_shared<RowState>();
  state->messages = std::move(messages);
  return [state](Row& row) {
    if (state->next >= state->messages.size()) return false;
    const MessagePlan& m = state->messages[state->next++];
    row.clear();
    std::uint16_t id = 1;
    auto set = [&](Bytes v) { row.push_back(ColumnValue{id++, {std::move(v)}}); };
    set(le(state->nextDocId(), 4));
    set(le(kSmallRowMarker, 2));
    set(le(1024 + state->docId, 4));
    set(le(1, 4));
    set(le(1, 1));
    set(le(m.time, 8));
    for (std::uint16_t i = 0; i < kSmallFillerColumns; ++i) set(le(0x0100000000000000ull + state->docId * 16 + i, 8));
    set(le(0, 1));
    set(le(m.time, 8));
    set(le(0x2000000000000000ull + state->docId, 8));
    set(le(1, 4));
    set(le(m.folderId, 8));
    set(le(m.mailboxId, 8));
    set(le(m.id, 8));
    set(le(0, 4));
    set(le(1, 1));
    setTexts(row, m);
    return true;
  };
}

TableDef largeHeaderTable(const std::string& name) {
  TableDef t;
  t.name = name;
  t.hasLongValues = false;
  t.primaryIndexName = "MsgDocIdIndex";
  std::uint16_t id = 1;
  auto add = [&](const std::string& n, ColumnType type) { t.columns.push_back(column(id++, n, type)); };
  add("MsgDocId", ColumnType::Long);
  add("FolderId", ColumnType::Currency);
  add("ConversationId", ColumnType::Currency);
  add("MessageId", ColumnType::Currency);
  add("MessageSize", ColumnType::Long);
  add("MessageFlags", ColumnType::Long);
  add("Importance", ColumnType::Short);
  add("MessageDeliveryTime", ColumnType::Currency);
  add("Sensitivity", ColumnType::UnsignedByte);
  addTaggedColumns(t);
  return t;
}

RowSource largeHeaderRows(std::vector<MessagePlan> messages) {
  auto state = std::make_shared<RowState>();
  state->messages = std::move(messages);
  return [state](Row& row) {
    if (state->next >= state->messages.size()) return false;
    const MessagePlan& m = state->messages[state->next++];
    row.clear();
    std::uint16_t id = 1;
    auto set = [&](Bytes v) { row.push_back(ColumnValue{id++, {std::move(v)}}); };
    set(le(state->nextDocId(), 4));
    set(le(m.folderId, 8));
    set(le(0x2000000000000000ull + state->docId, 8));
    set(le(m.id, 8));
    set(le(1024 + state->docId, 4));
    set(le(1, 4));
    set(le(1, 2));
    set(le(m.time, 8));
    set(le(0, 1));
    setTexts(row, m);
    return true;
  };
}

}  // namespace tarnwick::storegen
