#include "content/FolderLoader.h"

#include "analysis/AttachmentRowReader.h"
#include "analysis/AttachmentScanner.h"
#include "analysis/LongValuePageReader.h"
#include "analysis/LongValueScanner.h"
#include "content/ReadAhead.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace tarnwick::content {

namespace {

std::pair<analysis::FolderId, std::string> keepKey(const LoadedFolder& folder) {
  return {folder.id, folder.ownerKey.value_or(std::string())};
}

// Object ids of the message tables the folder's records live in (32 KB stores: those of
// the folder's mailbox), without repeats, and their suffix.
std::vector<std::uint32_t> messageTableIds(const analysis::TableList& tables, bool large,
                                           const std::optional<std::string>& ownerKey) {
  std::vector<std::uint32_t> ids;
  std::unordered_set<std::uint32_t> seen;
  for (const analysis::TableEntry& t : tables) {
    if (large && t.suffix != ownerKey) continue;
    if (seen.insert(t.objectId).second) ids.push_back(t.objectId);
  }
  return ids;
}

// Positions of the pages of these objects, in the order the scan read them.
std::vector<std::size_t> tablePages(const store::PageList& pages, const std::vector<std::uint32_t>& objectIds) {
  std::vector<std::size_t> positions;
  for (std::uint32_t id : objectIds) {
    std::span<const std::size_t> of = pages.positionsOf(id);
    positions.insert(positions.end(), of.begin(), of.end());
  }
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  return positions;
}

std::uint64_t attachmentKey(const analysis::AttachmentId& id) {
  std::uint64_t key = 0;
  std::memcpy(&key, id.bytes.data(), sizeof key);
  return key;
}

std::uint64_t longValueKey(std::uint8_t first, std::uint8_t second) {
  return static_cast<std::uint64_t>(first << 8 | second);
}

}  // namespace

FolderLoader::FolderLoader(const store::ByteSource& database, store::StoreGeometry geometry, bool streamingFileOpen,
                           LoaderCatalogue catalogue)
    : database_(database),
      geometry_(geometry),
      streamingFileOpen_(streamingFileOpen),
      catalogue_(catalogue),
      page_(geometry.PageSize > 0 ? static_cast<std::size_t>(geometry.PageSize) : 0) {}

bool FolderLoader::stopped(const LoadControl& control) const {
  return (control.stop != nullptr && control.stop->load()) || (control.abort != nullptr && control.abort->load());
}

bool FolderLoader::visitPositions(
    const store::PageList& pages, const std::vector<std::size_t>& positions, const LoadControl& control,
    const std::function<bool(std::span<const std::uint8_t>, const store::PageEntry&, std::size_t)>& visit) {
  std::vector<std::int64_t> offsets;
  offsets.reserve(positions.size());
  for (std::size_t at : positions) offsets.push_back(pages[at].fileOffset.value);
  ReadAhead ahead(database_, page_.size(), std::move(offsets));
  std::size_t done = 0;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (stopped(control)) return false;
    const std::size_t at = positions[i];
    const store::PageEntry& entry = pages[at];
    if (entry.fileOffset.value < 0) continue;
    ahead.before(i);
    std::fill(page_.begin(), page_.end(), 0);
    database_.readAt(static_cast<std::uint64_t>(entry.fileOffset.value), page_);
    ++pagesRead_;
    bool more = visit(page_, entry, at);
    if (control.progress) control.progress(++done, positions.size());
    if (!more) break;
  }
  return true;
}

bool FolderLoader::visitPages(const store::PageList& pages, const std::vector<std::uint32_t>& objectIds,
                              const LoadControl& control, const PageVisitor& visit) {
  return visitPositions(pages, tablePages(pages, objectIds), control,
                        [&](std::span<const std::uint8_t> page, const store::PageEntry& entry, std::size_t) {
                          return visit(page, entry);
                        });
}

bool FolderLoader::visitIndexed(const store::PageList& pages, const std::vector<std::uint32_t>& objectIds,
                                const std::optional<std::vector<std::uint64_t>>& keys, ValuePageIndex& index,
                                const KeyReader& keysOf, const LoadControl& control, const PageVisitor& visit) {
  if (keys && index.isComplete(objectIds)) {
    return visitPositions(pages, index.pagesFor(objectIds, *keys), control,
                          [&](std::span<const std::uint8_t> page, const store::PageEntry& entry, std::size_t) {
                            return visit(page, entry);
                          });
  }
  bool whole = true;
  bool finished =
      visitPositions(pages, tablePages(pages, objectIds), control,
                     [&](std::span<const std::uint8_t> page, const store::PageEntry& entry, std::size_t at) {
                       std::vector<std::uint64_t> found = keysOf(page);
                       index.add(objectIds, at, found);
                       bool more = visit(page, entry);
                       if (!more) whole = false;
                       return more;
                     });
  if (finished && whole) index.markComplete(objectIds);
  return finished;
}

bool FolderLoader::loadFolderItems(analysis::ScanModel& model, const LoadedFolder& folder, LoadMode mode,
                                   std::optional<std::size_t> singleItem, const LoadControl& control) {
  pagesRead_ = 0;
  if (page_.empty()) return true;
  const bool large = store::isLargePage(geometry_.PageSizeClass);
  analysis::MessageItemList& items = model.messages;

  if (mode != LoadMode::Single) {
    auto kept = kept_.find(keepKey(folder));
    if (kept != kept_.end()) {
      items = kept->second;
    } else {
      items.clear();
      items.reserve(model.messageHeaders.headersOfFolder(folder.id).size());
      for (std::size_t at : model.messageHeaders.headersOfFolder(folder.id)) {
        const analysis::MessageHeader& header = model.messageHeaders[at];
        if (large && header.ownerKey != folder.ownerKey) continue;
        analysis::MessageItem item = analysis::MessageItem::fromHeader(header);
        item.kind = large ? folder.kind : header.flag;
        items.addMessageItem(std::move(item));
      }
      if (items.empty()) return true;
      std::unordered_map<std::uint32_t, store::MessageColumns> columns;
      const std::optional<std::string> owner = items[0].ownerKey;
      bool finished = visitPages(
          model.pages, messageTableIds(model.messageTables, large, owner), control,
          [&](std::span<const std::uint8_t> page, const store::PageEntry& entry) {
            auto c = columns.find(entry.objectId);
            if (c == columns.end()) {
              c = columns
                      .emplace(entry.objectId,
                               analysis::messageColumnsFor(model.MessageColumnList, entry.objectId,
                                                           geometry_.PageSizeClass, catalogue_.appointmentColumns))
                      .first;
            }
            analysis::readMessageRecords({page, entry.fileOffset, geometry_.PageSizeClass, owner}, c->second,
                                         streamingFileOpen_, items);
            return true;
          });
      if (!finished) return false;
      items.pruneEmptyItems();
      kept_[keepKey(folder)] = items;
    }
    if (mode == LoadMode::List) return true;
  }
  if (items.empty()) return true;
  if (mode == LoadMode::Single && (!singleItem || *singleItem >= items.size())) return true;
  const std::optional<std::size_t> single = mode == LoadMode::Single ? singleItem : std::nullopt;
  const std::optional<std::string> owner = items[0].ownerKey;

  // Keys of the single item, to look its pages up in the indexes.
  std::optional<std::vector<std::uint64_t>> longValueKeys;
  std::optional<std::vector<std::uint64_t>> attachmentKeys;
  if (single) {
    const analysis::MessageItem& item = items[*single];
    longValueKeys.emplace();
    if (item.bodyKeyA) longValueKeys->push_back(longValueKey((*item.bodyKeyA)[0], (*item.bodyKeyA)[1]));
    if (item.bodyKeyB) longValueKeys->push_back(longValueKey((*item.bodyKeyB)[0], (*item.bodyKeyB)[1]));
    attachmentKeys.emplace();
    for (const analysis::AttachmentId& id : item.attachmentIds) attachmentKeys->push_back(attachmentKey(id));
  }
  const store::PageSizeClass pageClass = geometry_.PageSizeClass;
  const KeyReader chunkKeys = [pageClass](std::span<const std::uint8_t> page) {
    std::vector<std::uint64_t> keys;
    for (const analysis::LongValueChunk& c : analysis::readLongValueChunks(page, pageClass)) {
      keys.push_back(longValueKey(c.key[0], c.key[1]));
    }
    return keys;
  };
  const KeyReader rowKeys = [pageClass](std::span<const std::uint8_t> page) {
    std::vector<std::uint64_t> keys;
    for (const analysis::AttachmentCandidate& c : analysis::findAttachmentCandidates(page, pageClass)) {
      if (auto id = analysis::candidateIdentifier(page, c))
        keys.push_back(attachmentKey(analysis::AttachmentId::fromBytes(*id)));
    }
    return keys;
  };

  // Bodies and recipients of 4 KB / 8 KB stores lie in the message long-value table.
  if (!large && catalogue_.messageLongValueObjectId != 0) {
    analysis::LongValueScanner bodies(items, pageClass, {true, false}, single);
    if (!bodies.empty() &&
        !visitIndexed(model.pages, {catalogue_.messageLongValueObjectId}, longValueKeys, longValuePages_, chunkKeys,
                      control, [&](std::span<const std::uint8_t> page, const store::PageEntry& entry) {
                        bodies.scanLongValuePage(page, entry.fileOffset);
                        return true;
                      })) {
      return false;
    }
  }

  // Attachments.
  {
    std::vector<std::uint32_t> attachmentTables =
        large ? messageTableIds(model.messageTables, true, owner)
              : std::vector<std::uint32_t>{LoaderLayout::kAttachmentTableObjectId};
    std::unordered_map<std::uint32_t, std::optional<std::string>> suffixOf;
    for (const analysis::TableEntry& t : model.messageTables) suffixOf.emplace(t.objectId, t.suffix);
    analysis::AttachmentScanner scanner(items, pageClass, model.AttachmentColumnList, single);
    const bool anyIds = !single || !items[*single].attachmentIds.empty();
    if (anyIds && !visitIndexed(model.pages, attachmentTables, attachmentKeys, attachmentPages_, rowKeys, control,
                                [&](std::span<const std::uint8_t> page, const store::PageEntry& entry) {
                                  scanner.scanAttachmentPage(page, entry.fileOffset, entry.objectId,
                                                             large ? suffixOf[entry.objectId] : std::nullopt);
                                  return !scanner.singleItemDone();
                                })) {
      return false;
    }
    if (single) {
      items[*single].attachmentIds.clear();
    } else {
      for (analysis::MessageItem& item : items) item.attachmentIds.clear();
    }
  }
  const bool attachmentData = mode == LoadMode::Save || (mode == LoadMode::Single && control.attachmentData);
  if (!large && !attachmentData) return true;

  // Long-value chunks of bodies (32 KB stores) and of attachments (saving).
  std::vector<std::uint32_t> longValueTables;
  std::unordered_set<std::uint16_t> owners;
  if (large) {
    for (std::uint32_t id : messageTableIds(model.messageTables, true, owner))
      owners.insert(static_cast<std::uint16_t>(id));
  }
  for (const analysis::TableEntry& t : model.longValueTables) {
    if (large && (!t.ownerObjectId || !owners.contains(*t.ownerObjectId))) continue;
    if (std::find(longValueTables.begin(), longValueTables.end(), t.objectId) == longValueTables.end()) {
      longValueTables.push_back(t.objectId);
    }
  }
  analysis::LongValueScanner chunks(items, pageClass, {large, attachmentData}, single);
  if (single && attachmentData) {
    for (const analysis::AttachmentItem& a : items[*single].attachments) {
      if (a.dataOffset.value == 0) longValueKeys->push_back(longValueKey(a.longValueKey[0], a.longValueKey[1]));
    }
  }
  if (chunks.empty()) return true;
  return visitIndexed(model.pages, longValueTables, longValueKeys, longValuePages_, chunkKeys, control,
                      [&](std::span<const std::uint8_t> page, const store::PageEntry& entry) {
                        chunks.scanLongValuePage(page, entry.fileOffset);
                        return true;
                      });
}

}  // namespace tarnwick::content
