#include "cli/ScanProgress.h"

namespace tarnwick::cli {

void ScanProgress::statusChanged(std::string_view text) {
  status_.assign(text);
  percent_ = 0;
  lastLinePercent_ = -1;
  draw();
}

void ScanProgress::progressChanged(int percent) {
  percent_ = percent;
  draw();
}

void ScanProgress::scanEnded() {
  if (terminal_ && drawn_) std::fputs("\r\033[K", out_);
  std::fflush(out_);
}

void ScanProgress::draw() {
  if (status_.empty()) return;
  if (terminal_) {
    std::fprintf(out_, "\r\033[K%s %3d%%", status_.c_str(), percent_);
    std::fflush(out_);
    drawn_ = true;
    return;
  }
  const int decile = percent_ / 10 * 10;
  if (decile == lastLinePercent_) return;
  lastLinePercent_ = decile;
  std::fprintf(out_, "%s %d%%\n", status_.c_str(), decile);
}

}  // namespace tarnwick::cli
