#pragma once

#include "platform/StoreFile.h"

#include <string>

namespace tarnwick::store {

// The database file and, for stores that have one, its streaming file.
struct StoreFilePair {
  StoreFile database;   // .edb
  StoreFile streaming;  // .stm; stays closed when no path was given
};

struct PairOpenResult {
  bool opened = false;
  std::string failedPath;  // the file that could not be opened
  int osError = 0;         // why (StoreFile::LastOpenError)
};

// Opens the pair for a new analysis: closes whatever is still open, opens the database,
// then the streaming file when `streamingPath` is not empty. When either cannot be opened
// both are left closed (the user is told kFileInUseMessage).
PairOpenResult openStoreFiles(StoreFilePair& files, const std::string& databasePath, const std::string& streamingPath);

// Closes both files (after a cancelled analysis, or before a new source).
void closeStoreFiles(StoreFilePair& files);

}  // namespace tarnwick::store
