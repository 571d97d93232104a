#pragma once

#include <cstdint>
#include <string>

namespace tarnwick::exporter {

struct FolderReport;

// What the save shows while it runs. The dialog maps these onto its controls; the
// terminal prints them. Called on the save worker's thread.
class SaveObserver {
 public:
  virtual ~SaveObserver() = default;
  // "Analysing Total mails. Please wait..." shown (counting pass) or hidden.
  virtual void countingShown(bool /*visible*/) {}
  // The selection path of the folder being saved, unchanged, for "Current Folder :".
  virtual void currentFolder(const std::u16string& /*path*/) {}
  // The three counter texts: written, "/", count.
  virtual void counters(std::uint32_t /*written*/, std::uint32_t /*count*/) {}
  virtual void currentProgress(int /*percent*/) {}
  virtual void overallProgress(int /*percent*/) {}
  // "Enumerating Attachments Body, Please wait..." shown or hidden.
  virtual void attachmentsShown(bool /*visible*/) {}
  // One selection entry is done (written, left out, failed).
  virtual void folderFinished(const FolderReport& /*folder*/) {}
};

}  // namespace tarnwick::exporter
