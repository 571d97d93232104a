#include "platform/TempDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>

namespace tarnwick {
namespace {

class PrivateFolder {
 public:
  PrivateFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string parent = (base != nullptr && *base != '\0') ? base : "/tmp";
    std::string pattern = parent + "/tarnwick-XXXXXX";
    // mkdtemp makes the folder with mode 0700.
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("Cannot make a private working folder in '" + parent + "': " + std::strerror(errno));
    }
    path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

const std::filesystem::path& privateTempDirectory() {
  static PrivateFolder folder;  // made once, thread-safe; removed at normal exit
  return folder.path();
}

std::filesystem::path tempFilePath(std::string_view name) { return privateTempDirectory() / std::string(name); }

}  // namespace tarnwick
