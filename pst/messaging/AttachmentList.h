#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::pst {

/// One attachment handed to a writer: the working file that holds its bytes and the name
/// it is shown under, as the source holds it (UTF-8; the working file's own name, made safe
/// for the file system, may differ from it).
struct AttachmentFile {
  std::filesystem::path path;
  std::string name;

  /// The name, or the working file's name when none was given.
  std::string displayName() const { return name.empty() ? path.filename().string() : name; }
};

/// The attachments of one writer call, in order. Also made from the text form "path;path;"
/// (empty entries dropped), where each file is shown under its own file name.
class AttachmentList {
 public:
  AttachmentList() = default;
  AttachmentList(const std::string& text);  // NOLINT: the text form converts implicitly
  AttachmentList(const char* text);         // NOLINT
  AttachmentList(std::vector<AttachmentFile> files) : files_(std::move(files)) {}  // NOLINT

  const std::vector<AttachmentFile>& files() const { return files_; }
  bool empty() const { return files_.empty(); }
  /// The text form: each path followed by ";".
  std::string text() const;

 private:
  std::vector<AttachmentFile> files_;
};

/// "path;path;" as paths (empty entries dropped).
std::vector<std::filesystem::path> parseAttachmentList(const std::string& text);

}  // namespace tarnwick::pst
