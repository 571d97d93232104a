#include "cli/StoreFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tarnwick::cli {

std::string describeOpenError(int error) {
  switch (error) {
    case EWOULDBLOCK: return "it is already being used by another process";
    case ENOENT: return "no such file";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "it is a folder, not a store file";
    case kNotARegularFile: return "it is not a regular file (a pipe, device or socket), not a store file";
    default: return std::strerror(error);
  }
}

void reportCannotOpen(const std::string& path, int error) {
  std::fprintf(stderr, "tarnwick: cannot open '%s': %s\n", path.c_str(), describeOpenError(error).c_str());
}

bool openStoreFile(StoreFile& file, const std::string& path) {
  if (file.Open(path)) return true;
  reportCannotOpen(path, file.LastOpenError());
  return false;
}

}  // namespace tarnwick::cli
