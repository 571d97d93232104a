#pragma once

#include "platform/StoreFile.h"

#include <string>

namespace tarnwick::cli {

// Opens a store file for a command; on failure prints a message naming the file and the
// reason to stderr and returns false.
bool openStoreFile(StoreFile& file, const std::string& path);

// The reason an open failed, in words, from StoreFile::LastOpenError().
std::string describeOpenError(int error);

// Tells on stderr that the store file at `path` could not be opened, and why (`error` as
// from StoreFile::LastOpenError()).
void reportCannotOpen(const std::string& path, int error);

}  // namespace tarnwick::cli
