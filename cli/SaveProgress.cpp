#include "cli/SaveProgress.h"

#include "export/SaveReport.h"
#include "export/SaveTexts.h"
#include "platform/CodePage.h"

namespace tarnwick::cli {

void SaveProgress::countingShown(bool visible) {
  std::lock_guard lock(mutex_);
  if (!visible || !interactive_) return;
  if (lineOpen_) std::fputc('\n', out_);
  std::fprintf(out_, "\r%s\x1b[K", exporter::kCountingText);
  lineOpen_ = true;
  std::fflush(out_);
}

void SaveProgress::currentFolder(const std::u16string& path) {
  std::lock_guard lock(mutex_);
  folder_ = utf16ToUtf8(path);
  written_ = count_ = 0;
  current_ = 0;
  redraw();
}

void SaveProgress::counters(std::uint32_t written, std::uint32_t count) {
  std::lock_guard lock(mutex_);
  written_ = written;
  count_ = count;
  redraw();
}

void SaveProgress::currentProgress(int percent) {
  std::lock_guard lock(mutex_);
  current_ = percent;
}

void SaveProgress::overallProgress(int percent) {
  std::lock_guard lock(mutex_);
  overall_ = percent;
  redraw();
}

void SaveProgress::folderFinished(const exporter::FolderReport& folder) {
  std::lock_guard lock(mutex_);
  if (interactive_ && lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  std::fprintf(out_, "%s %s: %u of %u written", exporter::kCurrentFolderLabel, folder.path.c_str(), folder.written,
               folder.counted);
  if (!folder.leftOut.empty()) std::fprintf(out_, ", %zu left out", folder.leftOut.size());
  if (!folder.failed.empty()) std::fprintf(out_, ", %zu failed", folder.failed.size());
  if (!folder.skipped.empty()) std::fprintf(out_, ", %zu skipped", folder.skipped.size());
  std::fputc('\n', out_);
  std::fflush(out_);
}

void SaveProgress::breakLine() {
  std::lock_guard lock(mutex_);
  if (lineOpen_) std::fputc('\n', out_);
  lineOpen_ = false;
  std::fflush(out_);
}

void SaveProgress::redraw() {
  if (!interactive_) return;
  std::fprintf(out_, "\r%s %s  %s %u / %u  %s %d%%  %s %d%%\x1b[K", exporter::kCurrentFolderLabel, folder_.c_str(),
               exporter::kSaveMailsLabel, written_, count_, exporter::kCurrentLabel, current_, exporter::kOverallLabel,
               overall_);
  lineOpen_ = true;
  std::fflush(out_);
}

}  // namespace tarnwick::cli
