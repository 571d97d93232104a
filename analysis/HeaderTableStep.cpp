#include "analysis/HeaderTableStep.h"

#include "analysis/KeyText.h"
#include "store/BoundedBytes.h"
#include "store/PageHeader.h"
#include "store/StoreOffsets.h"
#include "store/TagArray.h"

#include <algorithm>

namespace tarnwick::analysis {

namespace {

constexpr std::int64_t kSector = store::SectorPosition::kSectorSize;
constexpr std::int64_t kMaxBranchRecordSize = 100;
constexpr std::uint32_t kCatalogueObjectId = 2;

}  // namespace

HeaderTableDiscovery::HeaderTableDiscovery(ScanContext& context) : ctx_(context), buffers_(kMaxDepth + 1) {
  const bool large = ctx_.largeStore();
  const auto& folders = ctx_.model.folders;
  for (std::size_t pos = 0; pos < folders.size(); ++pos) {
    const FolderNode& node = folders[pos];
    // In a 32 KB store a table belongs to a mailbox: only roots can match.
    if (large && !node.parentId.isZero()) continue;
    expected_[headerTableName(node.id.bytes, large)].push_back(pos);
  }
}

bool HeaderTableDiscovery::run() {
  auto& model = ctx_.model;
  const std::size_t count = std::min<std::size_t>(ctx_.cataloguePageCount, model.pages.size());
  std::vector<std::uint8_t> page;
  for (std::size_t i = 0; i < count; ++i) {
    if (ctx_.control.checkpoint()) return false;
    const store::PageEntry entry = model.pages[i];
    if (entry.objectId == kCatalogueObjectId) {
      const std::int64_t offset = entry.fileOffset.value;
      ctx_.readPage(offset, ctx_.stepReadLength(offset), page);
      discoverHeaderTables(page);
    }
    ctx_.progress.show(static_cast<int>(i * 100 / count));
  }
  if (count > 0) ctx_.progress.show(100);
  model.folders.purgeFolders(0);
  model.mailboxes.clear();
  return true;
}

bool HeaderTableDiscovery::discoverHeaderTables(std::span<const std::uint8_t> page) {
  const std::vector<HeaderTableCandidate> candidates = findHeaderTableCandidates(page, ctx_.geometry.PageSizeClass);
  if (candidates.empty()) return false;

  // The folders any candidate names, in folder-list order.
  std::vector<std::size_t> named;
  for (const auto& candidate : candidates) {
    auto found = expected_.find(candidate.storedName);
    if (found != expected_.end()) named.insert(named.end(), found->second.begin(), found->second.end());
  }
  std::sort(named.begin(), named.end());
  named.erase(std::unique(named.begin(), named.end()), named.end());

  auto& folders = ctx_.model.folders;
  for (std::size_t pos : named) {
    FolderNode& node = folders[pos];
    if (node.headerTableFound) continue;
    const std::string expected = headerTableName(node.id.bytes, ctx_.largeStore());
    for (const auto& candidate : candidates) {
      if (candidate.storedName != expected) continue;
      takeTable(node, candidate);
      break;
    }
  }
  return true;
}

void HeaderTableDiscovery::takeTable(FolderNode& node, const HeaderTableCandidate& candidate) {
  auto& model = ctx_.model;
  const auto& g = ctx_.geometry;
  model.scratchPages.clear();
  const std::int64_t rootPosition = (g.PageSize / kSector) * (static_cast<std::int64_t>(candidate.rootPage) + 1);
  const std::int64_t offset = rootPosition * kSector;
  if (offset > 0 && offset < g.FileSize) {
    std::uint8_t header[kSector] = {};
    store::readZeroFilled(ctx_.source, offset, header);
    if (store::pageOwnerObjectId(header) == candidate.objectId) collectTablePages(rootPosition);
  }
  node.headerTableFound = true;
  const bool large = ctx_.largeStore();
  const bool added = model.addHeaderTable(large ? FolderId{} : node.id, large ? node.ownerKey : std::nullopt,
                                          candidate.objectId, node.kind);
  if (added) ++ctx_.headerTableCount;
}

void HeaderTableDiscovery::collectTablePages(std::int64_t rootPosition) {
  auto& page = buffers_[0];
  const std::int64_t offset = rootPosition * kSector;
  ctx_.readPage(offset, ctx_.stepReadLength(offset), page);
  ctx_.model.scratchPages.addHeaderPage(store::SectorPosition(rootPosition));
  walkBranchPage(page, 0);
}

void HeaderTableDiscovery::walkBranchPage(std::span<const std::uint8_t> page, int depth) {
  if (!store::isBranchPage(page) || depth >= kMaxDepth) return;
  const auto& g = ctx_.geometry;
  for (const store::PageTag& tag : store::readTagArray(page, g.PageSizeClass, store::TagSelection::AllButLast)) {
    if (tag.size < 1 || tag.size > kMaxBranchRecordSize) continue;
    const std::uint32_t child = store::BoundedBytes(page).u32(tag.offset + tag.size - 4);
    const std::int64_t position = (g.PageSize / kSector) * (static_cast<std::int64_t>(child) + 1);
    // A page already gathered is not walked again: a damaged tree cannot loop.
    if (!ctx_.model.scratchPages.addHeaderPage(store::SectorPosition(position))) continue;
    auto& childPage = buffers_[static_cast<std::size_t>(depth) + 1];
    const std::int64_t offset = position * kSector;
    ctx_.readPage(offset, ctx_.stepReadLength(offset), childPage);
    walkBranchPage(childPage, depth + 1);
  }
}

}  // namespace tarnwick::analysis
