#pragma once

#include "analysis/FolderKind.h"
#include "analysis/MessageRecordMatcher.h"
#include "analysis/ModelIds.h"
#include "analysis/ScanModel.h"
#include "content/ValuePageIndex.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick::content {

// The folder whose messages are loaded.
struct LoadedFolder {
  analysis::FolderId id;
  analysis::FolderKind kind = analysis::FolderKind::Other;
  std::optional<std::string> ownerKey;  // 32 KB stores: the mailbox key
};

// What the loader needs of the catalogue besides the model's lists.
struct LoaderCatalogue {
  std::uint32_t messageLongValueObjectId = 0;  // 4 KB / 8 KB stores: bodies and recipients
  analysis::AppointmentColumnIds appointmentColumns;
};

enum class LoadMode {
  List,    // build and complete the message list of a folder (records only)
  Save,    // as List, then attachments and every long value, for exporting
  Single,  // complete one item of the current list for the preview
};

// Stop requests and progress of one load.
struct LoadControl {
  const std::atomic<bool>* stop = nullptr;                            // the loader's stop flag (cleared at the end)
  const std::atomic<bool>* abort = nullptr;                           // the save's abort flag (save mode only)
  std::function<void(std::size_t done, std::size_t total)> progress;  // pages of the phase
  bool attachmentData = false;  // single mode: also find the chunks of long-value attachments
};

// Fixed object ids the loader picks pages by.
struct LoaderLayout {
  static constexpr std::uint32_t kAttachmentTableObjectId = 61;  // 4 KB / 8 KB stores
};

// Builds and completes the message list of a folder from the store: the items of its
// message headers, their message records, attachments and long-value chunks. Pages are
// picked through the page list's index by owner object id, in the order the scan read
// them. The completed list of a folder is kept, so a folder listed again is not read
// again (until `forget`); and which attachment and long-value pages hold which keys is
// learnt on the first whole pass over them, so a later preview reads only the pages that
// hold its item's values.
class FolderLoader {
 public:
  FolderLoader(const store::ByteSource& database, store::StoreGeometry geometry, bool streamingFileOpen,
               LoaderCatalogue catalogue);

  // Loads `folder` into `model.messages` in list or save mode, or completes
  // `model.messages[singleItem]` in single mode. Returns false when it was stopped.
  bool loadFolderItems(analysis::ScanModel& model, const LoadedFolder& folder, LoadMode mode,
                       std::optional<std::size_t> singleItem = std::nullopt, const LoadControl& control = {});

  // Pages read by the last call (for progress figures and benchmarks).
  std::size_t pagesRead() const { return pagesRead_; }
  // Drops the kept lists and page indexes (a new analysis).
  void forget() {
    kept_.clear();
    attachmentPages_.clear();
    longValuePages_.clear();
  }

 private:
  using PageVisitor = std::function<bool(std::span<const std::uint8_t> page, const store::PageEntry& entry)>;
  using KeyReader = std::function<std::vector<std::uint64_t>(std::span<const std::uint8_t> page)>;
  bool visitPages(const store::PageList& pages, const std::vector<std::uint32_t>& objectIds, const LoadControl& control,
                  const PageVisitor& visit);
  bool visitPositions(
      const store::PageList& pages, const std::vector<std::size_t>& positions, const LoadControl& control,
      const std::function<bool(std::span<const std::uint8_t>, const store::PageEntry&, std::size_t)>& visit);
  // Visits the pages of `objectIds`: with `keys` (one item) and a complete index only the
  // pages holding them; otherwise all of them, learning the index on the way.
  bool visitIndexed(const store::PageList& pages, const std::vector<std::uint32_t>& objectIds,
                    const std::optional<std::vector<std::uint64_t>>& keys, ValuePageIndex& index,
                    const KeyReader& keysOf, const LoadControl& control, const PageVisitor& visit);
  bool stopped(const LoadControl& control) const;

  const store::ByteSource& database_;
  store::StoreGeometry geometry_;
  bool streamingFileOpen_;
  LoaderCatalogue catalogue_;
  std::vector<std::uint8_t> page_;
  std::size_t pagesRead_ = 0;
  std::map<std::pair<analysis::FolderId, std::string>, analysis::MessageItemList> kept_;
  ValuePageIndex attachmentPages_;
  ValuePageIndex longValuePages_;
};

}  // namespace tarnwick::content
