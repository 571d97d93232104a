#pragma once

#include "analysis/CatalogueFindings.h"
#include "analysis/FolderTreeModel.h"
#include "analysis/ScanControl.h"
#include "analysis/ScanModel.h"
#include "analysis/ScanObserver.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <vector>

namespace tarnwick::analysis {

// Forwards progress to the observer, leaving out repeats of the value last shown.
class ProgressReporter {
 public:
  explicit ProgressReporter(ScanObserver& observer) : observer_(observer) {}
  void show(int percent) {
    if (percent == shown_) return;
    shown_ = percent;
    observer_.progressChanged(percent);
  }
  void status(const char* text) { observer_.statusChanged(text); }

 private:
  ScanObserver& observer_;
  int shown_ = -1;
};

// Everything the five steps share while one analysis runs.
struct ScanContext {
  ScanContext(const store::ByteSource& source, const store::StoreGeometry& geometry, ScanModel& model,
              FolderTreeModel& tree, ScanControl& control, ProgressReporter& progress)
      : source(source), geometry(geometry), model(model), tree(tree), control(control), progress(progress) {}

  const store::ByteSource& source;
  const store::StoreGeometry& geometry;
  ScanModel& model;
  FolderTreeModel& tree;
  ScanControl& control;
  ProgressReporter& progress;

  CatalogueFindings findings;
  std::u16string databasePath;
  std::uint32_t cataloguePageCount = 0;    // pages visited by the walk from page 4
  std::uint32_t headerTableCount = 0;      // header tables found in step 4
  std::vector<FolderNode> mailboxesFound;  // the mailbox list as step 2 left it, for the front ends

  bool largeStore() const { return store::isLargePage(geometry.PageSizeClass); }
  std::size_t pageSize() const { return static_cast<std::size_t>(geometry.PageSize); }
  // Reads `length` bytes of the page at `offset` into `buffer` (resized to a whole page,
  // zero past what was read).
  void readPage(std::int64_t offset, std::size_t length, std::vector<std::uint8_t>& buffer) const;
  // Read length of steps 3 to 5: a whole page, or the bytes up to the end of the file.
  std::size_t stepReadLength(std::int64_t offset) const;
};

}  // namespace tarnwick::analysis
