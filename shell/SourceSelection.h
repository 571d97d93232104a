#pragma once

#include "store/StoreFilePair.h"

#include <string>

namespace tarnwick::shell {

// The streaming file that belongs to a chosen database file: the folder's file with the
// database's name up to its first dot and ".stm" when it exists; otherwise the first file
// of the folder (in name order) whose name ends in ".stm" in any letter case. Empty when
// the folder has none (the caller then keeps what the box held).
std::string findStreamingFile(const std::string& databasePath);

// The checks of the source dialog's Next, in their order.
enum class SourceCheck {
  Accepted,
  DatabaseNotFound,   // the database path does not exist
  DatabaseNotEdb,     // its last three characters are not "edb" in any case
  StreamingNotFound,  // a streaming path was given and does not exist
  StreamingNotStm,    // its last three characters are not "stm" in any case
};

SourceCheck checkSourcePaths(const std::string& databasePath, const std::string& streamingPath);

// The message a refused check shows; empty for Accepted.
std::string sourceCheckMessage(SourceCheck check);

// The message for a source that could not be opened: the "already being used" text when
// another holder has the file; otherwise what went wrong and with which file.
std::string openFailureMessage(const store::PairOpenResult& result);

// True when `text` ends in `suffix`, compared without regard to ASCII letter case.
bool endsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace tarnwick::shell
