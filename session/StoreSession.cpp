#include "session/StoreSession.h"

#include "analysis/ScanControl.h"
#include "analysis/ScanObserver.h"
#include "content/MessageListFill.h"
#include "platform/CodePage.h"
#include "session/FolderLookup.h"

#include <chrono>

namespace tarnwick::session {

namespace {

// The scan runs quietly for a session opened in one call.
class QuietObserver : public analysis::ScanObserver {
 public:
  void statusChanged(std::string_view) override {}
  void progressChanged(int) override {}
};

content::LoaderCatalogue catalogueOf(const analysis::CatalogueFindings& findings) {
  content::LoaderCatalogue catalogue;
  catalogue.messageLongValueObjectId = findings.MessageLongValueObjectId;
  const bool cleared = findings.MessageColumn8225.columnType == 0;
  catalogue.appointmentColumns.contact8225 =
      cleared ? 0 : static_cast<std::uint16_t>(findings.MessageColumn8225.columnId);
  catalogue.appointmentColumns.timeZone810c = static_cast<std::uint16_t>(findings.MessageColumn810c.columnId);
  catalogue.appointmentColumns.location8201 = static_cast<std::uint16_t>(findings.MessageColumn8201.columnId);
  return catalogue;
}

}  // namespace

store::PairOpenResult StoreSession::openFiles(const std::string& databasePath, const std::string& streamingPath) {
  store::PairOpenResult opened = store::openStoreFiles(files_, databasePath, streamingPath);
  if (opened.opened) setPaths(databasePath, streamingPath);
  return opened;
}

void StoreSession::setPaths(std::string databasePath, std::string streamingPath) {
  databasePath_ = std::move(databasePath);
  streamingPath_ = std::move(streamingPath);
}

void StoreSession::release() {
  model_.clearModel();
  tree_.clear();
  store::closeStoreFiles(files_);
}

analysis::ScanResult StoreSession::scan(const std::u16string& databaseName, analysis::ScanControl& control,
                                        analysis::ScanObserver& observer, MessageSink& sink,
                                        const analysis::ScanOptions& options) {
  StoreFile* streaming = files_.streaming.IsOpen() ? &files_.streaming : nullptr;
  analysis::ScanEngine engine(files_.database, streaming, databaseName, model_, tree_, control, observer, sink,
                              options);
  return engine.run();
}

StoreSession::Opened StoreSession::openAndScan(const std::string& databasePath, const std::string& streamingPath,
                                               MessageSink& sink) {
  Opened opened;
  opened.files = openFiles(databasePath, streamingPath);
  if (!opened.files.opened) return opened;
  analysis::ScanControl control;
  QuietObserver observer;
  analysis::ScanOptions options;
  options.stepOnePause = std::chrono::milliseconds(0);
  opened.scan = scan(utf8ToUtf16(databasePath), control, observer, sink, options);
  if (opened.ready()) useAnalysis(opened.scan);
  return opened;
}

void StoreSession::useAnalysis(const analysis::ScanResult& result) {
  geometry_ = result.geometry;
  database_ = std::make_unique<store::FileByteSource>(files_.database);
  streaming_ = files_.streaming.IsOpen() ? std::make_unique<store::FileByteSource>(files_.streaming) : nullptr;
  loader_ = std::make_unique<content::FolderLoader>(*database_, geometry_, streaming_ != nullptr,
                                                    catalogueOf(result.findings));
}

const analysis::FolderNode* StoreSession::findFolder(const std::string& idOrPath) const {
  return lookUpFolder(model_, tree_, idOrPath);
}

const analysis::FolderNode* StoreSession::folderOfTreeItem(analysis::TreeItemHandle item) const {
  return folderNodeOfTreeItem(model_, item);
}

content::LoadedFolder StoreSession::loadedFolder(const analysis::FolderNode& folder) {
  return {folder.id, folder.kind, folder.ownerKey};
}

bool StoreSession::loadFolder(const analysis::FolderNode& folder, const content::LoadControl& control) {
  return loader_->loadFolderItems(model_, loadedFolder(folder), content::LoadMode::List, std::nullopt, control);
}

std::optional<std::size_t> StoreSession::findListedItem(const analysis::FolderNode& folder,
                                                        const analysis::MessageId& messageId) const {
  return content::findListedItem(model_.messages, folder, messageId, store::isLargePage(geometry_.PageSizeClass));
}

bool StoreSession::loadItem(const analysis::FolderNode& folder, std::size_t index,
                            const content::LoadControl& control) {
  return loader_->loadFolderItems(model_, loadedFolder(folder), content::LoadMode::Single, index, control);
}

}  // namespace tarnwick::session
