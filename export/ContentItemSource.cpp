#include "export/ContentItemSource.h"

#include "content/HeaderTexts.h"
#include "content/RecipientExtraction.h"
#include "content/StoredValueReader.h"
#include "content/StreamedMessage.h"
#include "platform/CodePage.h"

#include <atomic>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

std::vector<content::ChunkLocation> chunkLocations(const analysis::ChunkList& chunks) {
  std::vector<content::ChunkLocation> out;
  out.reserve(chunks.size());
  for (const auto& c : chunks) {
    if (c.fileOffset.value < 0) continue;
    out.push_back({static_cast<std::uint64_t>(c.fileOffset.value), c.chunkStart});
  }
  return out;
}

std::uint64_t position(store::FileOffset offset) {
  return offset.value < 0 ? 0 : static_cast<std::uint64_t>(offset.value);
}

}  // namespace

ContentItemSource::ContentItemSource(analysis::ScanModel& model, content::FolderLoader& loader,
                                     const store::ByteSource& database, const store::ByteSource* streamingFile,
                                     const store::StoreGeometry& geometry, std::filesystem::path workFolder,
                                     const std::atomic<bool>* stop)
    : model_(model),
      loader_(loader),
      database_(database),
      streamingFile_(streamingFile),
      geometry_(geometry),
      workFolder_(std::move(workFolder)),
      stop_(stop) {}

void ContentItemSource::loadFolderItems(const analysis::FolderNode& folder, analysis::MessageItemList& items) {
  if (&items != &model_.messages) throw std::logic_error("the folder loader fills the model's message list");
  content::LoadedFolder loaded{folder.id, folder.kind, folder.ownerKey};
  content::LoadControl control;
  control.abort = stop_;
  loader_.loadFolderItems(model_, loaded, content::LoadMode::Save, std::nullopt, control);
}

std::string ContentItemSource::subjectOf(const analysis::MessageHeader& header) {
  return subjectOf(analysis::MessageItem::fromHeader(header));
}

std::string ContentItemSource::subjectOf(const analysis::MessageItem& item) {
  return utf16ToUtf8(content::readHeaderTexts(database_, geometry_, item).subject);
}

HeaderTexts ContentItemSource::headerTexts(const analysis::MessageItem& item) {
  auto texts = content::readHeaderTexts(database_, geometry_, item);
  return {std::move(texts.subject), std::move(texts.sender)};
}

std::optional<StoredItemBody> ContentItemSource::body(const analysis::MessageItem& item) {
  static std::atomic<unsigned> serial{0};
  const auto working = workFolder_ / ("tempB-" + std::to_string(++serial) + ".img");
  const auto chunks = chunkLocations(item.bodyChunksA);
  content::StoredValueLocation where{position(item.bodyPosition), item.bodyLength};
  auto stored = content::readStoredValue(database_, geometry_, chunks, item.bodySource, where, working);
  if (!stored) return std::nullopt;
  return StoredItemBody{static_cast<std::uint32_t>(stored->form), std::move(stored->bytes)};
}

std::u16string ContentItemSource::recipients(const analysis::MessageItem& item) {
  const auto chunks = chunkLocations(item.bodyChunksB);
  return content::extractRecipients(database_, geometry_, chunks, position(item.recipientPosition),
                                    item.recipientLength);
}

bool ContentItemSource::extractStreamedMessage(const analysis::MessageItem& item, const std::filesystem::path& path) {
  const auto chunks = chunkLocations(item.bodyChunksA);
  content::StoredValueLocation where{position(item.bodyPosition), item.bodyLength};
  return content::extractStreamedMessage(database_, streamingFile_, geometry_, chunks, where, path.string());
}

}  // namespace tarnwick::exporter
