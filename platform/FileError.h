#pragma once

#include <stdexcept>
#include <string>

namespace tarnwick {

// A failed read, seek, length query or close on a store file. Carries the operating
// system's error code and the path, so the message that reaches a user names both.
class FileError : public std::runtime_error {
 public:
  FileError(int osError, std::string path, const std::string& what);

  int osError() const { return osError_; }
  const std::string& path() const { return path_; }

 private:
  int osError_;
  std::string path_;
};

}  // namespace tarnwick
