#include "store/StoreFilePair.h"

namespace tarnwick::store {

void CloseStoreFiles(StoreFilePair& files) {
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

PairOpenResult OpenStoreFiles(StoreFilePair& files, const std::string& databasePath, const std::string& streamingPath) {
  CloseStoreFiles(files);
  PairOpenResult result;
  if (!files.database.Open(databasePath)) {
    result.failedPath = databasePath;
    result.osError = files.database.LastOpenError();
    return result;
  }
  if (!streamingPath.empty() && !files.streaming.Open(streamingPath)) {
    result.failedPath = streamingPath;
    result.osError = files.streaming.LastOpenError();
    CloseStoreFiles(files);  // do not keep the database held after a failed source
    return result;
  }
  result.opened = true;
  return result;
}

}  // namespace tarnwick::store
