#include "content/MhtNaming.h"

#include <string>

namespace tarnwick::content {

std::filesystem::path MhtNaming::mhtPath(const std::filesystem::path& emlPath, int number) {
  std::string name = emlPath.filename().string();
  if (name.size() >= 4) name.resize(name.size() - 4);
  return emlPath.parent_path() / (name + std::to_string(number) + ".mht");
}

std::filesystem::path MhtNaming::showNext(const std::filesystem::path& emlPath) {
  std::error_code ignored;
  if (shown_ != 0) std::filesystem::remove(mhtPath(emlPath, shown_), ignored);
  ++last_;
  shown_ = last_;
  std::filesystem::path next = mhtPath(emlPath, shown_);
  std::filesystem::remove(next, ignored);
  if (!std::filesystem::exists(emlPath)) return {};
  std::error_code error;
  std::filesystem::rename(emlPath, next, error);
  return error ? std::filesystem::path() : next;
}

}  // namespace tarnwick::content
