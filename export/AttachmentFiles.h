#pragma once

#include "analysis/MessageItems.h"
#include "export/WriterInterfaces.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tarnwick::exporter {

class SaveControl;
class SaveObserver;

// The attachment files of one item, in a working folder of their own.
class AttachmentFiles {
 public:
  AttachmentFiles() = default;
  ~AttachmentFiles();
  AttachmentFiles(AttachmentFiles&&) noexcept;
  AttachmentFiles& operator=(AttachmentFiles&&) noexcept;
  AttachmentFiles(const AttachmentFiles&) = delete;
  AttachmentFiles& operator=(const AttachmentFiles&) = delete;

  // The files written, each with the attachment's name as the store holds it.
  const std::vector<AttachmentFile>& files() const { return files_; }
  // The attachment list the writers take.
  AttachmentList list() const { return AttachmentList(files_); }
  bool skipped() const { return skipped_; }
  // Deletes the files and their folder (also done when the object goes).
  void remove();

 private:
  friend AttachmentFiles writeAttachmentFiles(const analysis::MessageItem&, const store::ByteSource&,
                                              const store::StoreGeometry&, const std::filesystem::path&, SaveControl&,
                                              SaveObserver&);
  std::filesystem::path folder_;
  std::vector<AttachmentFile> files_;
  bool skipped_ = false;
};

// A long value's chunk is never placed beyond this many bytes into its file: a damaged
// chunk offset must not make the working file huge.
inline constexpr std::uint64_t kMaxAttachmentLength = 1ull << 30;

// Writes the attachments of `item` as files below `workFolder`, each in a numbered folder
// of its own under its name made safe as a file name (so two attachments of one name do
// not overwrite each other; the original name goes with the file to the writers): inline data (length less the format
// byte, at most a page), or the long value's chunks, each cut at the end of the record that holds it, placed at its
// offset within the value. Attachments that yield no bytes leave no file. Skip ends the writing at once. "Enumerating
// Attachments Body, Please wait..." is shown meanwhile. Read failures of the store surface as FileError.
AttachmentFiles writeAttachmentFiles(const analysis::MessageItem& item, const store::ByteSource& db,
                                     const store::StoreGeometry& geometry, const std::filesystem::path& workFolder,
                                     SaveControl& control, SaveObserver& observer);

}  // namespace tarnwick::exporter
