#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::testing {

// A folder of its own for one test, removed with everything in it when the object goes.
class ScratchDir {
 public:
  // A fresh folder under the system's temporary folder.
  ScratchDir();
  // A fresh folder named after `name` (and this process) under the build tree, for tests
  // that write more than a temporary folder may hold.
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  // Writes `bytes` to the file `name` of this folder; returns its path.
  std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  // Unpacks a gzip file of the shared test data into this folder; returns its path.
  std::filesystem::path gunzip(const std::filesystem::path& gz) const;

 private:
  std::filesystem::path path_;
};

}  // namespace tarnwick::testing
