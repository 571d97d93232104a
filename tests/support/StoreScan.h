#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanEngine.h"
#include "analysis/ScanModel.h"
#include "platform/StoreFile.h"

#include <filesystem>
#include <memory>
#include <string>

namespace tarnwick::testing {

// A store file scanned from start to end as the engine does it, with no pause between the
// steps, nobody watching the progress and no message box answered; the file stays open for
// tests that read its pages afterwards.
struct StoreScan {
  tarnwick::StoreFile database;
  analysis::ScanModel model;
  analysis::FolderTreeModel tree;
  analysis::ScanResult result;
};

// Opens `path` and scans it under the name `name`; a file that does not open fails the
// calling test and scans as an unreadable store.
std::unique_ptr<StoreScan> scanStore(const std::filesystem::path& path, const std::u16string& name = u"store.edb");

}  // namespace tarnwick::testing
