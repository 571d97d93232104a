#pragma once

#include "platform/CFile64.h"

#include <string>

namespace tarnwick::cli {

// Opens a store file for a command; on failure prints a message naming the file and the
// reason to stderr and returns false.
bool OpenStoreFile(CFile64& file, const std::string& path);

// The reason an open failed, in words, from CFile64::LastOpenError().
std::string DescribeOpenError(int error);

}  // namespace tarnwick::cli
