#pragma once

#include <filesystem>

namespace tarnwick::content {

// Fresh names for extracted streamed messages, so that a viewer never shows a cached
// page: each extraction is renamed to "TarnBody<n>.mht" with a new number, and the file
// shown before is deleted.
class MhtNaming {
 public:
  // Renames `emlPath` ("...TarnBody.eml") to the next ".mht" name beside it, after
  // deleting the one shown before and any stale file of the new name. Returns the new
  // path, or an empty path when there was nothing to rename.
  std::filesystem::path showNext(const std::filesystem::path& emlPath);

  // The number of the file shown now (0 before the first).
  int shownNumber() const { return shown_; }

  static std::filesystem::path mhtPath(const std::filesystem::path& emlPath, int number);

 private:
  int last_ = 0;
  int shown_ = 0;
};

}  // namespace tarnwick::content
