#pragma once

#include "analysis/ScanModel.h"
#include "content/FolderLoader.h"
#include "export/ItemContent.h"
#include "export/ItemWriter.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <atomic>
#include <filesystem>

namespace tarnwick::exporter {

// The save's view of the store through the content readers: the folder loader in save
// mode for the items of a folder, the header texts, bodies, recipients and streamed
// messages of an item.
class ContentItemSource : public FolderItemSource, public ItemContentReader {
 public:
  ContentItemSource(analysis::ScanModel& model, content::FolderLoader& loader, const store::ByteSource& database,
                    const store::ByteSource* streamingFile, const store::StoreGeometry& geometry,
                    std::filesystem::path workFolder, const std::atomic<bool>* stop);

  void loadFolderItems(const analysis::FolderNode& folder, analysis::MessageItemList& items) override;
  std::string subjectOf(const analysis::MessageHeader& header) override;
  std::string subjectOf(const analysis::MessageItem& item) override;

  HeaderTexts headerTexts(const analysis::MessageItem& item) override;
  std::optional<StoredItemBody> body(const analysis::MessageItem& item) override;
  std::u16string recipients(const analysis::MessageItem& item) override;
  bool extractStreamedMessage(const analysis::MessageItem& item, const std::filesystem::path& path) override;

 private:
  analysis::ScanModel& model_;
  content::FolderLoader& loader_;
  const store::ByteSource& database_;
  const store::ByteSource* streamingFile_;
  const store::StoreGeometry& geometry_;
  std::filesystem::path workFolder_;
  const std::atomic<bool>* stop_;
};

}  // namespace tarnwick::exporter
