#include "pst/messaging/PstStore.h"

#include <fstream>
#include <random>

#include "pst/PstError.h"
#include "pst/ltp/PropertyContextBuilder.h"
#include "pst/messaging/PropTags.h"
#include "pst/messaging/StoreTemplate.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/DataTreeWriter.h"

namespace tarnwick::pst {

namespace st = store_template;

namespace {

// Node ids of a new store.
constexpr Nid kMessageStore{0x21};
constexpr Nid kNameToIdMap{0x61};
constexpr Nid kRootFolder{0x122};
constexpr Nid kSearchManagementQueue{0x1E1};
constexpr Nid kSearchActivityList{0x201};
constexpr Nid kSearchDomainObject{0x261};
constexpr Nid kHierarchyTableTemplate{0x60D};
constexpr Nid kContentsTableTemplate{0x60E};
constexpr Nid kAssocContentsTableTemplate{0x60F};
constexpr Nid kSearchContentsTableTemplate{0x610};
constexpr Nid kReceiveFolderTable{0x62B};
constexpr Nid kOutgoingQueueTable{0x64C};
constexpr Nid kAttachmentTableTemplate{0x671};
constexpr Nid kRecipientTableTemplate{0x692};
constexpr Nid kTemplate6b6{0x6B6};
constexpr Nid kTemplate6d7{0x6D7};
constexpr Nid kTemplate6f8{0x6F8};
constexpr Nid kNode0c01{0xC01};
constexpr Nid kNode0e01{0xE01};
constexpr Nid kNode0e41{0xE41};
constexpr Nid kNode0ec1{0xEC1};
constexpr Nid kNode0ee1{0xEE1};
constexpr Nid kNode0f01{0xF01};
constexpr Nid kNode0f21{0xF21};
constexpr Nid kSpamSearchFolder{0x2223};
constexpr Nid kSpamSearchUpdateQueue{0x2226};
constexpr Nid kSpamSearchCriteria{0x2227};
constexpr Nid kSpamSearchContents{0x2230};
constexpr Nid kTopOfStore{0x8022};
constexpr Nid kSearchRoot{0x8042};
constexpr Nid kDeletedItems{0x8062};
constexpr Nid kCommonViews{0x8082};
// Subnodes of a message.
constexpr Nid kRecipientTableSubnode{0x692};
constexpr Nid kAttachmentTableSubnode{0x671};
constexpr std::uint32_t kFirstAttachmentIndex = 0x400;

constexpr std::uint32_t kValidFolderMaskAll = 0xC9;
constexpr std::uint32_t kStoreFlags1 = 0x000E0011;
constexpr std::uint32_t kStoreFlags2 = 0x0018B2B3;
constexpr std::uint32_t kMsgFlagRead = 0x01;
constexpr std::uint32_t kMsgFlagHasAttach = 0x10;

std::array<std::uint8_t, 16> randomUid() {
  std::random_device rd;
  std::array<std::uint8_t, 16> uid{};
  for (auto& b : uid) b = static_cast<std::uint8_t>(rd());
  return uid;
}

const Property* findProperty(const std::vector<Property>& props, std::uint16_t id) {
  for (const auto& p : props)
    if (p.id == id) return &p;
  return nullptr;
}

}  // namespace

PstStore::PstStore(const std::filesystem::path& path, const std::string& displayName)
    : db_(path), displayName_(displayName), recordKey_(randomUid()) {
  db_.setNidCounter(NidType::NormalFolder, 0x404);
  db_.setNidCounter(NidType::SearchFolder, 0x4000);
  db_.setNidCounter(NidType::NormalMessage, 0x10000);
  db_.setNidCounter(NidType::AssocMessage, 0x8000);
  db_.setNidCounter(NidType::HierarchyTable, 0x404);
  db_.setNidCounter(NidType::ContentsTable, 0x404);
  db_.setNidCounter(NidType::AssocContentsTable, 0x404);

  auto addFolder = [&](Nid nid, Nid parent, std::string name) -> Folder& {
    Folder& f = folders_[nid.value];
    f.nid = nid;
    f.parent = parent;
    f.name = std::move(name);
    f.hierarchyColumns = st::hierarchyTableColumns();
    f.contentsColumns = st::contentsTableColumns();
    f.assocColumns = st::assocContentsTableColumns();
    if (parent != nid) folders_[parent.value].children.push_back(nid);
    return f;
  };
  addFolder(kRootFolder, kRootFolder, "");
  Folder& spam = addFolder(kSpamSearchFolder, kRootFolder, "SPAM Search Folder 2");
  spam.isSearchFolder = true;
  Folder& top = addFolder(kTopOfStore, kRootFolder, "Top of Outlook data file");
  top.hierarchyColumns = st::topHierarchyTableColumns();
  top.contentsColumns = st::topContentsTableColumns();
  Folder& search = addFolder(kSearchRoot, kRootFolder, "Search Root");
  search.hierarchyColumns = st::searchRootHierarchyTableColumns();
  Folder& deleted = addFolder(kDeletedItems, kTopOfStore, "Deleted Items");
  deleted.comment = "Deleted Items folder";
  deleted.hasComment = true;
  Folder& views = addFolder(kCommonViews, kRootFolder, "IPM_COMMON_VIEWS");
  views.hasComment = true;
  views.assocColumns = st::commonViewsAssocTableColumns();
  writeFixedNodes();
}

PstStore::~PstStore() = default;

Nid PstStore::rootFolder() const { return kRootFolder; }
Nid PstStore::topOfStore() const { return kTopOfStore; }
Nid PstStore::deletedItems() const { return kDeletedItems; }

std::vector<std::uint8_t> PstStore::entryId(Nid nid) const {
  ByteWriter w;
  w.u32(0);
  w.bytes(recordKey_);
  w.u32(nid.value);
  return w.take();
}

PstStore::Folder& PstStore::folder(Nid nid) {
  auto it = folders_.find(nid.value);
  if (it == folders_.end()) throw PstError("no such folder in the PST store");
  return it->second;
}

const PstStore::Folder& PstStore::folder(Nid nid) const {
  auto it = folders_.find(nid.value);
  if (it == folders_.end()) throw PstError("no such folder in the PST store");
  return it->second;
}

void PstStore::writeRaw(Nid nid, std::span<const std::uint8_t> data) {
  db_.addNode(NodeEntry{nid, DataTreeWriter::write(db_, data), Bid{}, Nid{}});
}

void PstStore::writeProperties(Nid nid, Nid parent, std::vector<Property> props) {
  SubnodeTreeWriter subnodes;
  std::uint32_t local = 1;
  NodeContent c = PropertyContextBuilder::write(db_, std::move(props), subnodes, local);
  db_.addNode(NodeEntry{nid, c.data, c.subnodes, parent});
}

void PstStore::writeTable(Nid nid, std::span<const TableColumn> columns, std::vector<TableRow> rows) {
  SubnodeTreeWriter subnodes;
  std::uint32_t local = 1;
  NodeContent c = TableContextBuilder::write(db_, columns, std::move(rows), subnodes, local);
  db_.addNode(NodeEntry{nid, c.data, c.subnodes, Nid{}});
}

void PstStore::writeFixedNodes() {
  using namespace propid;
  std::vector<std::uint8_t> versionHistory = {0x01, 0x00, 0x00, 0x00};
  versionHistory.insert(versionHistory.end(), recordKey_.begin(), recordKey_.end());
  versionHistory.insert(versionHistory.end(), {0x01, 0x00, 0x00, 0x00});
  writeProperties(
      kMessageStore, Nid{},
      {Property::binary(kReplVersionHistory, versionHistory), Property::int32(kReplFlags, 0),
       Property::binary(kRecordKey, {recordKey_.begin(), recordKey_.end()}),
       Property::unicode(kDisplayName, displayName_), Property::int32(kValidFolderMask, kValidFolderMaskAll),
       Property::binary(kIpmSubtreeEntryId, entryId(kTopOfStore)),
       Property::binary(kIpmWastebasketEntryId, entryId(kDeletedItems)),
       Property::binary(kCommonViewsEntryId, entryId(kCommonViews)),
       Property::binary(kFinderEntryId, entryId(kSearchRoot)), Property::boolean(kPstHiddenFlag, true),
       Property::int32(kPstStoreFlags1, kStoreFlags1), Property::int32(kPstStoreFlags2, kStoreFlags2),
       Property::int32(kPstPassword, 0)});
  writeRaw(kSearchManagementQueue, {});
  writeRaw(kSearchActivityList, st::searchActivityListData());
  writeRaw(kSearchDomainObject, {});
  writeTable(kHierarchyTableTemplate, st::hierarchyTableColumns(), {});
  writeTable(kContentsTableTemplate, st::contentsTableColumns(), {});
  writeTable(kAssocContentsTableTemplate, st::assocContentsTableColumns(), {});
  writeTable(kSearchContentsTableTemplate, st::searchContentsTableColumns(), {});
  // The receive folder table sends every message class to the root folder.
  TableRow receive;
  receive.rowId = 1;
  receive.values = {Property::int32(kRowVersion, 2),
                    Property::int32(kReceiveFolderNid, static_cast<std::int32_t>(kRootFolder.value)),
                    Property{kMessageClass, proptype::kUnicode, {}, {}}};
  writeTable(kReceiveFolderTable, st::receiveFolderTableColumns(), {receive});
  writeTable(kOutgoingQueueTable, st::outgoingQueueTableColumns(), {});
  writeTable(kAttachmentTableTemplate, st::attachmentTableColumns(), {});
  writeTable(kRecipientTableTemplate, st::recipientTableColumns(), {});
  writeTable(kTemplate6b6, st::template6b6Columns(), {});
  writeTable(kTemplate6d7, st::template6d7Columns(), {});
  writeTable(kTemplate6f8, st::template6f8Columns(), {});
  writeRaw(kNode0c01, st::node0c01Data());
  writeRaw(kNode0e01, st::node0e01Data());
  writeRaw(kNode0e41, {});
  writeRaw(kNode0ec1, {});
  writeRaw(kNode0ee1, st::node0ee1Data());
  writeRaw(kNode0f01, st::node0f01Data());
  writeRaw(kNode0f21, {});
  writeRaw(kSpamSearchUpdateQueue, {});
  writeProperties(kSpamSearchCriteria, Nid{}, {Property::int32(kSearchCriteria660B, 0)});
  writeTable(kSpamSearchContents, st::searchContentsTableColumns(), {});
}

Nid PstStore::findFolder(Nid parent, const std::string& name) const {
  for (Nid child : folder(parent).children) {
    const Folder& f = folder(child);
    if (!f.isSearchFolder && f.name == name) return child;
  }
  return Nid{};
}

Nid PstStore::createFolder(Nid parent, const std::string& name, const std::string& containerClass) {
  if (closed_) throw PstError("PST store already closed");
  folder(parent);
  if (Nid existing = findFolder(parent, name); existing.value != 0) return existing;
  Nid nid = db_.allocateNid(NidType::NormalFolder);
  db_.setNidCounter(NidType::HierarchyTable, nid.index());
  db_.setNidCounter(NidType::ContentsTable, nid.index());
  db_.setNidCounter(NidType::AssocContentsTable, nid.index());
  Folder& f = folders_[nid.value];
  f.nid = nid;
  f.parent = parent;
  f.name = name;
  f.containerClass = containerClass;
  f.hierarchyColumns = st::hierarchyTableColumns();
  f.contentsColumns = st::contentsTableColumns();
  f.assocColumns = st::assocContentsTableColumns();
  folder(parent).children.push_back(nid);
  return nid;
}

void PstStore::setContainerClass(Nid nid, const std::string& containerClass) {
  folder(nid).containerClass = containerClass;
}

Nid PstStore::addMessage(Nid folderNid, MessageData message) {
  using namespace propid;
  if (closed_) throw PstError("PST store already closed");
  Folder& f = folder(folderNid);
  // Refuse before any block is written, so that a failed item leaves nothing behind.
  for (const AttachmentData& a : message.attachments)
    if (a.sourceFile && !std::ifstream(*a.sourceFile, std::ios::binary))
      throw PstError("cannot read the attachment file \"" + a.sourceFile->string() + "\"");
  Nid nid = db_.allocateNid(NidType::NormalMessage);
  SubnodeTreeWriter subnodes;
  std::uint32_t local = 1;
  std::uint64_t size = 0;

  // Recipients.
  std::vector<TableRow> recipientRows;
  for (std::size_t i = 0; i < message.recipients.size(); ++i) {
    TableRow row;
    row.rowId = static_cast<std::uint32_t>(i);
    row.values = std::move(message.recipients[i]);
    row.values.push_back(Property::int32(kRowVersion, 1));
    for (const auto& p : row.values) size += p.bytes.size();
    recipientRows.push_back(std::move(row));
  }
  {
    SubnodeTreeWriter inner;
    NodeContent c =
        TableContextBuilder::write(db_, st::recipientTableColumns(), std::move(recipientRows), inner, local);
    subnodes.add(SubnodeEntry{kRecipientTableSubnode, c.data, c.subnodes});
  }

  // Attachments: each an object of its own with its data streamed in.
  std::vector<TableRow> attachmentRows;
  for (std::size_t i = 0; i < message.attachments.size(); ++i) {
    AttachmentData& a = message.attachments[i];
    Nid attachNid = Nid::make(NidType::Attachment, kFirstAttachmentIndex + static_cast<std::uint32_t>(i));
    SubnodeTreeWriter attachSubnodes;
    std::uint32_t attachLocal = 1;
    DataTreeWriter data(db_);
    if (a.sourceFile) {
      std::ifstream in(*a.sourceFile, std::ios::binary);
      if (!in) throw PstError("cannot read the attachment file \"" + a.sourceFile->string() + "\"");
      std::vector<std::uint8_t> buffer(1 << 16);
      while (in) {
        in.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        data.append(std::span(buffer).first(static_cast<std::size_t>(in.gcount())));
      }
    } else {
      data.append(a.bytes);
    }
    std::uint64_t dataSize = data.size();
    Bid dataBid = data.finish();
    Property dataProp{kAttachDataBinary, proptype::kBinary, {}, {}};
    if (!dataBid.isNull()) {
      Nid dataNid = Nid::make(NidType::Ltp, attachLocal++);
      attachSubnodes.add(SubnodeEntry{dataNid, dataBid, Bid{}});
      dataProp.subnode = dataNid;
    }
    a.properties.push_back(std::move(dataProp));
    a.properties.push_back(
        Property::int32(kAttachSize, static_cast<std::int32_t>(std::min<std::uint64_t>(dataSize, 0x7FFFFFFF))));
    size += dataSize;
    TableRow row;
    row.rowId = attachNid.value;
    for (const auto& p : a.properties)
      if (p.id == kAttachFilename || p.id == kAttachMethod || p.id == kRenderingPosition || p.id == kAttachSize)
        row.values.push_back(p);
    row.values.push_back(Property::int32(kRowVersion, 1));
    attachmentRows.push_back(std::move(row));
    NodeContent c = PropertyContextBuilder::write(db_, std::move(a.properties), attachSubnodes, attachLocal);
    subnodes.add(SubnodeEntry{attachNid, c.data, c.subnodes});
  }
  if (!attachmentRows.empty()) {
    SubnodeTreeWriter inner;
    NodeContent c =
        TableContextBuilder::write(db_, st::attachmentTableColumns(), std::move(attachmentRows), inner, local);
    subnodes.add(SubnodeEntry{kAttachmentTableSubnode, c.data, c.subnodes});
  }

  auto& props = message.properties;
  std::uint32_t flags = 0;
  if (const Property* p = findProperty(props, kMessageFlags)) {
    for (std::size_t i = 0; i < 4 && i < p->bytes.size(); ++i)
      flags |= static_cast<std::uint32_t>(p->bytes[i]) << (8 * i);
    props.erase(std::remove_if(props.begin(), props.end(), [](const Property& q) { return q.id == kMessageFlags; }),
                props.end());
  }
  if (!message.attachments.empty()) flags |= kMsgFlagHasAttach;
  props.push_back(Property::int32(kMessageFlags, static_cast<std::int32_t>(flags)));
  for (const auto& p : props) size += p.bytes.size() + 8;
  props.push_back(Property::int32(kMessageSize, static_cast<std::int32_t>(std::min<std::uint64_t>(size, 0x7FFFFFFF))));

  // The contents-table row mirrors the message's own values.
  TableRow row;
  row.rowId = nid.value;
  for (const TableColumn& c : f.contentsColumns)
    for (const auto& p : props)
      if (p.tag() == c.tag) row.values.push_back(p);
  row.values.push_back(Property::int32(kRowVersion, 1));

  NodeContent c = PropertyContextBuilder::write(db_, std::move(props), subnodes, local);
  db_.addNode(NodeEntry{nid, c.data, c.subnodes, folderNid});
  f.contents.push_back(packTableRow(row));
  if (!(flags & kMsgFlagRead)) ++f.unread;
  return nid;
}

TableRow PstStore::hierarchyRow(const Folder& child) const {
  using namespace propid;
  TableRow row;
  row.rowId = child.nid.value;
  row.values = {Property::int32(kRowVersion, static_cast<std::int32_t>(child.rowVersion)),
                Property::unicode(kDisplayName, child.name),
                Property::int32(kContentCount, static_cast<std::int32_t>(child.contents.size())),
                Property::int32(kContentUnreadCount, static_cast<std::int32_t>(child.unread)),
                Property::boolean(kSubfolders, !child.children.empty())};
  if (!child.containerClass.empty()) row.values.push_back(Property::unicode(kContainerClass, child.containerClass));
  return row;
}

void PstStore::writeFolder(const Folder& f) {
  using namespace propid;
  std::vector<Property> props = {Property::unicode(kDisplayName, f.name),
                                 Property::int32(kContentCount, static_cast<std::int32_t>(f.contents.size())),
                                 Property::int32(kContentUnreadCount, static_cast<std::int32_t>(f.unread)),
                                 Property::boolean(kSubfolders, !f.children.empty())};
  if (f.hasComment) props.push_back(Property::unicode(kComment, f.comment));
  if (!f.containerClass.empty()) props.push_back(Property::unicode(kContainerClass, f.containerClass));
  writeProperties(f.nid, f.parent, std::move(props));
  if (f.isSearchFolder) return;
  std::vector<TableRow> rows;
  for (Nid child : f.children) rows.push_back(hierarchyRow(folder(child)));
  writeTable(f.nid.withType(NidType::HierarchyTable), f.hierarchyColumns, std::move(rows));
  {
    SubnodeTreeWriter subnodes;
    std::uint32_t local = 1;
    NodeContent c = TableContextBuilder::write(
        db_, f.contentsColumns, f.contents.size(), [&](std::size_t i) { return unpackTableRow(f.contents[i]); },
        subnodes, local);
    db_.addNode(NodeEntry{f.nid.withType(NidType::ContentsTable), c.data, c.subnodes, Nid{}});
  }
  writeTable(f.nid.withType(NidType::AssocContentsTable), f.assocColumns, {});
}

void PstStore::close() {
  if (closed_) return;
  for (auto& [id, f] : folders_) writeFolder(f);
  writeProperties(kNameToIdMap, Nid{}, names_.properties());
  db_.close();
  closed_ = true;
}

}  // namespace tarnwick::pst
