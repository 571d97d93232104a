#pragma once

#include "export/FileTreeStore.h"

#include <map>

namespace tarnwick::exporter {

// EML output: a folder per store folder, one RFC 5322 file per item ("000001 Subject.eml"
// in the order written), appointments as .ics and contacts as .vcf files; messages kept
// whole in the streaming file are copied as they are stored.
class EmlTreeStore : public FileTreeStore {
 protected:
  void folderCreated(const std::string& folderPath) override;
  void writeItem(const std::string& folderPath, const TreeItem& item) override;

 private:
  std::map<std::filesystem::path, unsigned> written_;
};

// mbox output: one mbox file per store folder ("Inbox.mbox" beside the folder "Inbox"
// that holds its subfolders), messages separated by "From " lines, body lines quoted the
// mboxrd way (a line of ">"s followed by "From " gets one more ">").
class MboxTreeStore : public FileTreeStore {
 public:
  std::filesystem::path mboxOf(const std::string& folderPath) const;

 protected:
  void folderCreated(const std::string& folderPath) override;
  void writeItem(const std::string& folderPath, const TreeItem& item) override;
};

// A message in mboxrd form: the "From " separator line for `unixTime`, the message with
// LF line ends and its "From " lines quoted, and the blank line that ends it.
std::string mboxrdEntry(const std::string& message, std::int64_t unixTime);

class EmlOutputFactory : public OutputFormatFactory {
 public:
  std::string extension() const override { return ""; }
  std::unique_ptr<OutputStore> newStore() override { return std::make_unique<EmlTreeStore>(); }
};

class MboxOutputFactory : public OutputFormatFactory {
 public:
  std::string extension() const override { return ""; }
  std::unique_ptr<OutputStore> newStore() override { return std::make_unique<MboxTreeStore>(); }
};

}  // namespace tarnwick::exporter
