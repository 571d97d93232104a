#include "tests/support/ScratchDir.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace tarnwick::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string base = fs::temp_directory_path() / "tarnwick-test-XXXXXX";
  if (::mkdtemp(base.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = base;
}

ScratchDir::ScratchDir(const std::string& name) {
  path_ = fs::path(TARNWICK_BINARY_DIR) / "test-scratch" / (name + "-" + std::to_string(::getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

fs::path ScratchDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  auto p = path_ / name;
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return p;
}

fs::path ScratchDir::gunzip(const fs::path& gz) const {
  auto out = path_ / gz.stem();
  std::string cmd = "gzip -dc '" + gz.string() + "' > '" + out.string() + "'";
  if (std::system(cmd.c_str()) != 0) throw std::runtime_error("cannot unpack " + gz.string());
  return out;
}

}  // namespace tarnwick::testing
