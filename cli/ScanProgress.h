#pragma once

#include "analysis/ScanObserver.h"

#include <cstdio>
#include <string>

namespace tarnwick::cli {

// Shows the scan's step text and percentage on a stream: updated in place on a terminal,
// as plain lines (each step, then every tenth percent) otherwise.
class ScanProgress : public analysis::ScanObserver {
 public:
  ScanProgress(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

  void statusChanged(std::string_view text) override;
  void progressChanged(int percent) override;
  void scanEnded() override;

 private:
  void draw();

  std::FILE* out_;
  bool terminal_;
  std::string status_;
  int percent_ = 0;
  int lastLinePercent_ = -1;
  bool drawn_ = false;
};

}  // namespace tarnwick::cli
