#include "tools/pstcheck/Messaging.h"

#include <algorithm>
#include <set>

#include "tools/pstcheck/Crc.h"
#include "tools/pstcheck/PropertyTypes.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {

// Property ids and tags the checks compare.
constexpr std::uint16_t kIdMessageClass = 0x001A, kIdMessageFlags = 0x0E07, kIdDisplayName = 0x3001,
                        kIdContentCount = 0x3602, kIdContentUnread = 0x3603, kIdSubfolders = 0x360A,
                        kIdAssocContentCount = 0x3617, kIdRecordKey = 0x0FF9, kIdIpmSubtree = 0x35E0,
                        kIdWastebasket = 0x35E3, kIdFinder = 0x35E7;
constexpr std::uint32_t kTagDisplayName = 0x3001001F, kTagContentCount = 0x36020003, kTagContentUnread = 0x36030003,
                        kTagSubfolders = 0x360A000B, kTagMessageClass = 0x001A001F, kTagSubject = 0x0037001F;
constexpr std::uint32_t kMsgFlagRead = 0x1, kMsgFlagHasAttach = 0x10;

// Nodes Outlook puts in every new store.
constexpr std::uint32_t kRequiredNodes[] = {0x21,  0x61,  0x122, 0x12d, 0x12e, 0x12f, 0x1e1, 0x201, 0x261,
                                            0x60d, 0x60e, 0x60f, 0x610, 0x62b, 0x64c, 0x671, 0x692, 0x6b6,
                                            0x6d7, 0x6f8, 0xc01, 0xe01, 0xe41, 0xec1, 0xee1, 0xf01, 0xf21};

// Columns whose row value is the table's own, not the object's.
bool rowOwnColumn(std::uint32_t tag) {
  const std::uint16_t id = static_cast<std::uint16_t>(tag >> 16);
  return id == 0x67F2 || id == 0x67F3 || id == 0x0E30 || id == 0x0E33 || id == 0x0E34 || id == 0x0E38 || id == 0x3008;
}

std::string text(const std::vector<std::uint8_t>& utf16) {
  std::string s;
  for (std::size_t i = 0; i + 1 < utf16.size() && s.size() < 60; i += 2) {
    const unsigned c = utf16[i] | (utf16[i + 1] << 8);
    s.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
  }
  return "\"" + s + "\"";
}

std::optional<std::uint32_t> longValue(const PropertyBag& bag, std::uint16_t id) {
  auto it = bag.find(id);
  if (it == bag.end() || it->second.bytes.size() != 4) return std::nullopt;
  return u32(Bytes(it->second.bytes), 0);
}

bool isFolderType(std::uint32_t t) { return t == kNidTypeNormalFolder || t == kNidTypeSearchFolder; }

}  // namespace

void MessagingCheck::run() {
  for (const NodeEntry& n : db_.nodes())
    if (n.parent.value != 0 && n.parent != n.nid) childrenByParent_[n.parent.value].push_back(n.nid);
  checkRequiredNodes();
  checkStore();
  checkNameMap();
  for (const NodeEntry& n : db_.nodes()) {
    switch (n.nid.type()) {
      case kNidTypeNormalFolder: checkFolder(n); break;
      case kNidTypeSearchFolder: checkSearchFolder(n); break;
      default: break;
    }
  }
  // Messages that no contents table listed are still checked on their own.
  for (const NodeEntry& n : db_.nodes()) {
    const auto t = n.nid.type();
    if ((t == kNidTypeNormalMessage || t == kNidTypeAssocMessage) && !messagesChecked_.count(n.nid.value)) {
      checkParent(n, "message NID " + hex(n.nid.value));
      checkMessage(n);
    }
  }
}

void MessagingCheck::checkRequiredNodes() {
  for (std::uint32_t nid : kRequiredNodes)
    if (!db_.node(Nid{nid}))
      report_.add(Area::Messaging, "NID " + hex(nid), "node missing (Outlook's new store has it)");
}

std::optional<PropertyBag> MessagingCheck::openPc(const NodeEntry& n, const std::string& where) {
  auto node = LtpNode::open(reader_, n.data, n.sub, where, report_);
  if (!node) return std::nullopt;
  return readPropertyContext(*node, where, report_);
}

std::optional<Table> MessagingCheck::openTable(Nid nid, const std::string& where) {
  const NodeEntry* n = db_.node(nid);
  if (!n) {
    report_.add(Area::Messaging, where, "table node " + hex(nid.value) + " missing");
    return std::nullopt;
  }
  auto node = LtpNode::open(reader_, n->data, n->sub, where, report_);
  if (!node) return std::nullopt;
  return readTableContext(*node, where, report_);
}

void MessagingCheck::checkStore() {
  const NodeEntry* n = db_.node(Nid{kNidMessageStore});
  if (!n) return;
  const std::string where = "message store NID 0x21";
  auto bag = openPc(*n, where);
  if (!bag) return;
  auto rk = bag->find(kIdRecordKey);
  if (rk == bag->end() || rk->second.bytes.size() != kUidSize)
    report_.add(Area::Messaging, where, "PidTagRecordKey missing or not 16 bytes");
  if (!bag->count(kIdDisplayName)) report_.add(Area::Messaging, where, "PidTagDisplayName missing");
  const std::pair<std::uint16_t, const char*> ids[] = {{kIdIpmSubtree, "PidTagIpmSubTreeEntryId"},
                                                       {kIdWastebasket, "PidTagIpmWastebasketEntryId"},
                                                       {kIdFinder, "PidTagFinderEntryId"}};
  for (auto [id, name] : ids) {
    auto it = bag->find(id);
    if (it == bag->end()) {
      report_.add(Area::Messaging, where, std::string(name) + " missing");
      continue;
    }
    const auto& e = it->second.bytes;
    if (e.size() != kEntryIdSize) {
      report_.add(Area::Messaging, where,
                  std::string(name) + " is " + std::to_string(e.size()) + " bytes, expected 24");
      continue;
    }
    if (rk != bag->end() && rk->second.bytes.size() == kUidSize &&
        !std::equal(e.begin() + kEntryIdUid, e.begin() + kEntryIdUid + kUidSize, rk->second.bytes.begin()))
      report_.add(Area::Messaging, where,
                  std::string(name) + " names another store (provider UID differs from PidTagRecordKey)");
    const Nid target{u32(Bytes(e), kEntryIdNid)};
    const NodeEntry* t = db_.node(target);
    if (!t || !isFolderType(target.type()))
      report_.add(Area::Messaging, where,
                  std::string(name) + " points to " + hex(target.value) + ", which is not a folder node");
  }
}

void MessagingCheck::checkNameMap() {
  const NodeEntry* n = db_.node(Nid{kNidNameToIdMap});
  if (!n) return;
  const std::string where = "name-to-id map NID 0x61";
  auto bag = openPc(*n, where);
  if (!bag) return;
  const auto buckets = longValue(*bag, 0x0001);
  if (!buckets || *buckets != kNameidBucketCount) {
    report_.add(Area::Messaging, where, "PidTagNameidBucketCount missing or not 251");
    return;
  }
  auto stream = [&](std::uint16_t id, const char* name) -> const std::vector<std::uint8_t>* {
    auto it = bag->find(id);
    if (it == bag->end() || it->second.type != kPtBinary) {
      report_.add(Area::Messaging, where, std::string(name) + " missing");
      return nullptr;
    }
    return &it->second.bytes;
  };
  const auto* guids = stream(0x0002, "PidTagNameidStreamGuid");
  const auto* entries = stream(0x0003, "PidTagNameidStreamEntry");
  const auto* strings = stream(0x0004, "PidTagNameidStreamString");
  if (!guids || !entries || !strings) return;
  if (guids->size() % kGuidSize != 0) report_.add(Area::Messaging, where, "GUID stream is not whole GUIDs");
  if (entries->size() % kNameidSize != 0) {
    report_.add(Area::Messaging, where, "entry stream is not whole 8-byte entries");
    return;
  }
  const std::size_t count = entries->size() / kNameidSize, guidCount = guids->size() / kGuidSize;
  std::vector<std::uint32_t> expectedHash(count), expectedBucket(count);
  std::vector<unsigned> seen(count, 0);
  const Bytes es(*entries), ss(*strings);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t id = u32(es, kNameidSize * i + kNameidPropertyId);
    const std::uint16_t guidN = u16(es, kNameidSize * i + kNameidGuid), idx = u16(es, kNameidSize * i + kNameidPropIdx);
    const std::string w = where + " entry " + std::to_string(i);
    if (idx != i)
      report_.add(Area::Messaging, w, "wPropIdx " + std::to_string(idx) + ", expected " + std::to_string(i));
    const unsigned guid = guidN >> 1;
    if (guid == 0 || guid > 2 + guidCount)
      report_.add(Area::Messaging, w, "wGuid " + std::to_string(guid) + " names no GUID");
    std::uint32_t hash = id;
    if (guidN & 1) {
      const std::uint32_t len = u32(ss, id);
      auto name = sub(ss, std::uint64_t{id} + 4, len);
      if (!name || len % 2 != 0) {
        report_.add(Area::Messaging, w, "string name at " + hex(id) + " lies outside the string stream");
        continue;
      }
      hash = computeCrc(*name);
    }
    expectedHash[i] = hash;
    expectedBucket[i] = (hash ^ guidN) % kNameidBucketCount;
  }
  for (std::uint32_t b = 0; b < kNameidBucketCount; ++b) {
    auto it = bag->find(static_cast<std::uint16_t>(kNameidBucketBase + b));
    if (it == bag->end()) continue;
    const Bytes bb(it->second.bytes);
    if (bb.size() % kNameidSize != 0) {
      report_.add(Area::Messaging, where + " bucket " + std::to_string(b), "bucket is not whole 8-byte records");
      continue;
    }
    for (std::size_t k = 0; k + kNameidSize <= bb.size(); k += kNameidSize) {
      const std::uint32_t hash = u32(bb, k + kNameidPropertyId);
      const std::uint16_t guidN = u16(bb, k + kNameidGuid), idx = u16(bb, k + kNameidPropIdx);
      const std::string w = where + " bucket " + std::to_string(b);
      if (idx >= count) {
        report_.add(Area::Messaging, w, "record names entry " + std::to_string(idx) + " of " + std::to_string(count));
        continue;
      }
      ++seen[idx];
      if (guidN != u16(es, kNameidSize * idx + kNameidGuid) || hash != expectedHash[idx] || b != expectedBucket[idx])
        report_.add(Area::Messaging, w,
                    "record for entry " + std::to_string(idx) + " has hash " + hex(hash) + " in bucket " +
                        std::to_string(b) + ", expected " + hex(expectedHash[idx]) + " in bucket " +
                        std::to_string(expectedBucket[idx]));
    }
  }
  for (std::size_t i = 0; i < count; ++i)
    if (seen[i] != 1)
      report_.add(Area::Messaging, where + " entry " + std::to_string(i),
                  "listed " + std::to_string(seen[i]) + " times in the hash buckets");
}

void MessagingCheck::checkParent(const NodeEntry& n, const std::string& where) {
  if (n.nid.value == kNidRootFolder) {
    if (n.parent != n.nid)
      report_.add(Area::Messaging, where, "root folder's parent is " + hex(n.parent.value) + ", not itself");
    return;
  }
  const NodeEntry* p = db_.node(n.parent);
  if (!p)
    report_.add(Area::Messaging, where, "parent NID " + hex(n.parent.value) + " does not exist");
  else if (p->nid.type() != kNidTypeNormalFolder)
    report_.add(Area::Messaging, where, "parent NID " + hex(n.parent.value) + " is not a folder");
}

void MessagingCheck::compareRow(const TableRow& row, const PropertyBag& bag, const std::vector<std::uint32_t>& columns,
                                const std::vector<std::uint32_t>& required, const std::string& where) {
  for (std::uint32_t tag : columns) {
    if (rowOwnColumn(tag)) continue;
    const std::uint16_t id = static_cast<std::uint16_t>(tag >> 16), type = static_cast<std::uint16_t>(tag);
    auto prop = bag.find(id);
    auto cell = row.values.find(tag);
    const bool must = std::find(required.begin(), required.end(), tag) != required.end();
    if (prop == bag.end() || prop->second.type != type) {
      if (must && cell != row.values.end())
        report_.add(Area::Messaging, where, "row has " + hex(tag) + " but the object does not");
      continue;
    }
    if (cell == row.values.end()) {
      if (must) report_.add(Area::Messaging, where, "row lacks " + hex(tag) + ", which the object has");
      continue;
    }
    if (cell->second != prop->second.bytes) {
      std::string detail;
      if (type == kPtUnicode)
        detail = ": row " + text(cell->second) + ", object " + text(prop->second.bytes);
      else if (cell->second.size() == 4)
        detail = ": row " + std::to_string(u32(Bytes(cell->second), 0)) + ", object " +
                 std::to_string(u32(Bytes(prop->second.bytes), 0));
      report_.add(Area::Messaging, where, "column " + hex(tag) + " differs from the object" + detail);
    }
  }
}

void MessagingCheck::checkFolder(const NodeEntry& n) {
  const std::string where = "folder NID " + hex(n.nid.value);
  ++report_.folders;
  checkParent(n, where);
  auto bag = openPc(n, where);
  if (!bag) return;
  for (auto [id, name] :
       {std::pair{kIdDisplayName, "PidTagDisplayName"}, std::pair{kIdContentCount, "PidTagContentCount"},
        std::pair{kIdContentUnread, "PidTagContentUnreadCount"}, std::pair{kIdSubfolders, "PidTagSubfolders"}})
    if (!bag->count(id)) report_.add(Area::Messaging, where, std::string(name) + " missing");

  // Hierarchy table: one row per child folder, agreeing with the child.
  auto hier = openTable(n.nid.withType(kNidTypeHierarchyTable), where + " hierarchy table");
  std::set<std::uint32_t> listed;
  if (hier) {
    for (const TableRow& row : hier->rows) {
      const std::string w = where + " hierarchy row " + hex(row.rowId);
      listed.insert(row.rowId);
      const NodeEntry* child = db_.node(Nid{row.rowId});
      if (!child) {
        report_.add(Area::Messaging, w, "row points to node " + hex(row.rowId) + ", which does not exist");
        continue;
      }
      if (!isFolderType(child->nid.type())) {
        report_.add(Area::Messaging, w, "row points to node " + hex(row.rowId) + ", which is not a folder");
        continue;
      }
      if (child->parent != n.nid)
        report_.add(Area::Messaging, w, "child's parent NID is " + hex(child->parent.value) + ", not this folder");
      if (auto cbag = openPc(*child, "folder NID " + hex(child->nid.value)))
        compareRow(row, *cbag, hier->columns, {kTagDisplayName, kTagContentCount, kTagContentUnread, kTagSubfolders},
                   w);
    }
    if (auto sub = bag->find(kIdSubfolders);
        sub != bag->end() && sub->second.bytes.size() == 1 && (sub->second.bytes[0] != 0) != !hier->rows.empty())
      report_.add(Area::Messaging, where,
                  "PidTagSubfolders is " + std::to_string(sub->second.bytes[0]) + " but the hierarchy table has " +
                      std::to_string(hier->rows.size()) + " rows");
  }
  std::vector<Nid> childMessages, childAssoc;
  if (auto it = childrenByParent_.find(n.nid.value); it != childrenByParent_.end()) {
    for (Nid c : it->second) {
      if (isFolderType(c.type()) && hier && !listed.count(c.value))
        report_.add(Area::Messaging, where, "child folder " + hex(c.value) + " is missing from the hierarchy table");
      if (c.type() == kNidTypeNormalMessage) childMessages.push_back(c);
      if (c.type() == kNidTypeAssocMessage) childAssoc.push_back(c);
    }
  }

  // Contents and associated contents tables: one row per message, agreeing with it.
  auto contents = [&](std::uint32_t tableType, std::uint32_t msgType, const std::vector<Nid>& children,
                      const char* label, std::optional<std::uint16_t> countId) {
    auto table = openTable(n.nid.withType(tableType), where + " " + label);
    if (!table) return;
    std::set<std::uint32_t> rows;
    std::uint32_t unread = 0;
    for (const TableRow& row : table->rows) {
      const std::string w = where + " " + label + " row " + hex(row.rowId);
      rows.insert(row.rowId);
      const NodeEntry* m = db_.node(Nid{row.rowId});
      if (!m) {
        report_.add(Area::Messaging, w, "row points to node " + hex(row.rowId) + ", which does not exist");
        continue;
      }
      if (m->nid.type() != msgType) {
        report_.add(Area::Messaging, w, "row points to node " + hex(row.rowId) + " of the wrong type");
        continue;
      }
      if (m->parent != n.nid)
        report_.add(Area::Messaging, w, "message's parent NID is " + hex(m->parent.value) + ", not this folder");
      messagesChecked_.insert(m->nid.value);
      auto mbag = checkMessage(*m);
      if (!mbag) continue;
      compareRow(row, *mbag, table->columns, {kTagMessageClass, kTagSubject}, w);
      if (auto flags = longValue(*mbag, kIdMessageFlags); flags && !(*flags & kMsgFlagRead)) ++unread;
    }
    for (Nid c : children)
      if (!rows.count(c.value))
        report_.add(Area::Messaging, where, std::string(label) + " lacks message " + hex(c.value) + " of this folder");
    if (countId) {
      if (auto cnt = longValue(*bag, *countId); cnt && *cnt != table->rows.size())
        report_.add(Area::Messaging, where,
                    "content count " + std::to_string(*cnt) + " but the " + label + " has " +
                        std::to_string(table->rows.size()) + " rows");
      if (*countId == kIdContentCount)
        if (auto u = longValue(*bag, kIdContentUnread); u && *u != unread)
          report_.add(Area::Messaging, where,
                      "unread count " + std::to_string(*u) + " but " + std::to_string(unread) + " messages are unread");
    }
  };
  contents(kNidTypeContentsTable, kNidTypeNormalMessage, childMessages, "contents table", kIdContentCount);
  contents(kNidTypeAssocContentsTable, kNidTypeAssocMessage, childAssoc, "associated contents table",
           bag->count(kIdAssocContentCount) ? std::optional<std::uint16_t>(kIdAssocContentCount) : std::nullopt);
}

void MessagingCheck::checkSearchFolder(const NodeEntry& n) {
  const std::string where = "search folder NID " + hex(n.nid.value);
  ++report_.folders;
  checkParent(n, where);
  openPc(n, where);
  openTable(n.nid.withType(kNidTypeSearchContentsTable), where + " search contents table");
}

std::optional<PropertyBag> MessagingCheck::checkMessage(const NodeEntry& n) {
  const std::string where = "message NID " + hex(n.nid.value);
  ++report_.messages;
  auto node = LtpNode::open(reader_, n.data, n.sub, where, report_);
  if (!node) return std::nullopt;
  auto bag = readPropertyContext(*node, where, report_);
  if (!bag) return std::nullopt;
  if (!bag->count(kIdMessageClass)) report_.add(Area::Messaging, where, "PidTagMessageClass missing");

  auto subTable = [&](std::uint32_t nid, const std::string& w) -> std::optional<Table> {
    const Subnode* s = node->subnode(Nid{nid});
    if (!s) return std::nullopt;
    auto tn = LtpNode::open(reader_, s->data, s->sub, w, report_);
    if (!tn) return std::nullopt;
    return readTableContext(*tn, w, report_);
  };
  if (n.nid.type() == kNidTypeNormalMessage) {
    if (!node->subnode(Nid{kNidRecipientTable}))
      report_.add(Area::Messaging, where, "recipient table subnode 0x692 missing");
    else
      subTable(kNidRecipientTable, where + " recipient table");
  }
  std::size_t attachNodes = 0;
  for (const Subnode& s : node->subnodes()) attachNodes += s.nid.type() == kNidTypeAttachment;
  auto attach = subTable(kNidAttachmentTable, where + " attachment table");
  const std::size_t rows = attach ? attach->rows.size() : 0;
  if (attach) {
    for (const TableRow& row : attach->rows) {
      const std::string w = where + " attachment row " + hex(row.rowId);
      const Subnode* s = node->subnode(Nid{row.rowId});
      if (!s || Nid{row.rowId}.type() != kNidTypeAttachment) {
        report_.add(Area::Messaging, w, "row points to " + hex(row.rowId) + ", which is not an attachment subnode");
        continue;
      }
      auto an = LtpNode::open(reader_, s->data, s->sub, w, report_);
      if (!an) continue;
      if (auto abag = readPropertyContext(*an, w, report_)) compareRow(row, *abag, attach->columns, {}, w);
    }
  }
  if (attachNodes != rows)
    report_.add(Area::Messaging, where,
                std::to_string(attachNodes) + " attachment subnodes but " + std::to_string(rows) + " attachment rows");
  if (auto flags = longValue(*bag, kIdMessageFlags); flags && ((*flags & kMsgFlagHasAttach) != 0) != (rows > 0))
    report_.add(Area::Messaging, where,
                "MSGFLAG_HASATTACH does not agree with " + std::to_string(rows) + " attachments");
  return bag;
}

}  // namespace tarnwick::pstcheck
