#include "store/StoreFilePair.h"

namespace tarnwick::store {

void closeStoreFiles(StoreFilePair& files) {
  // Closing a read-only file cannot lose data; a failure to close is not worth a stop.
  try {
    files.database.Close();
  } catch (...) {
  }
  try {
    files.streaming.Close();
  } catch (...) {
  }
}

PairOpenResult openStoreFiles(StoreFilePair& files, const std::string& databasePath, const std::string& streamingPath) {
  closeStoreFiles(files);
  PairOpenResult result;
  if (!files.database.Open(databasePath)) {
    result.failedPath = databasePath;
    result.osError = files.database.LastOpenError();
    return result;
  }
  if (!streamingPath.empty() && !files.streaming.Open(streamingPath)) {
    result.failedPath = streamingPath;
    result.osError = files.streaming.LastOpenError();
    closeStoreFiles(files);  // do not keep the database held after a failed source
    return result;
  }
  result.opened = true;
  return result;
}

}  // namespace tarnwick::store
