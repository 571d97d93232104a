#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::testing {

// A folder of its own for one test, removed with everything in it when the test ends.
class ScratchDir {
 public:
  ScratchDir() {
    std::string base = std::filesystem::temp_directory_path() / "tarnwick-test-XXXXXX";
    if (::mkdtemp(base.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = base;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  std::filesystem::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    auto p = path_ / name;
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

  // Unpacks a gzip file of the shared test data into this folder; returns its path.
  std::filesystem::path gunzip(const std::filesystem::path& gz) const {
    auto out = path_ / gz.stem();
    std::string cmd = "gzip -dc '" + gz.string() + "' > '" + out.string() + "'";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot unpack " + gz.string());
    return out;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tarnwick::testing
