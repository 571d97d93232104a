#pragma once

#include "export/SaveObserver.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace tarnwick::cli {

// Shows a save's progress on a terminal stream: the counting pass, the folder being saved,
// its counters and the two bars. On a terminal the line is redrawn in place; otherwise one
// line per folder is written when it is done.
class SaveProgress : public exporter::SaveObserver {
 public:
  SaveProgress(std::FILE* out, bool interactive) : out_(out), interactive_(interactive) {}

  void countingShown(bool visible) override;
  void currentFolder(const std::u16string& path) override;
  void counters(std::uint32_t written, std::uint32_t count) override;
  void currentProgress(int percent) override;
  void overallProgress(int percent) override;
  void folderFinished(const exporter::FolderReport& folder) override;
  // Ends the redrawn line so that other output starts on a line of its own.
  void breakLine();

 private:
  void redraw();

  std::FILE* out_;
  bool interactive_;
  std::mutex mutex_;
  std::string folder_;
  std::uint32_t written_ = 0, count_ = 0;
  int current_ = 0, overall_ = 0;
  bool lineOpen_ = false;
};

}  // namespace tarnwick::cli
