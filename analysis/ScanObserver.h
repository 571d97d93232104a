#pragma once

#include <string_view>

namespace tarnwick::analysis {

// Told by the scan what to show while it runs. Called on the scan's own thread; a
// desktop front end passes the calls on to its widgets through queued signals. The tree
// insertions reach the front end through the folder tree model's listener.
class ScanObserver {
 public:
  virtual ~ScanObserver() = default;
  // The status line: one of the step texts.
  virtual void statusChanged(std::string_view text) = 0;
  // The progress bar, 0 to 100.
  virtual void progressChanged(int percent) = 0;
  // The scan has returned: hide the progress bar and the status line.
  virtual void scanEnded() {}
};

}  // namespace tarnwick::analysis
