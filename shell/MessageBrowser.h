#pragma once

#include "analysis/FolderTreeModel.h"
#include "analysis/ScanEngine.h"
#include "content/FolderLoader.h"
#include "content/MessageRow.h"
#include "content/MhtNaming.h"
#include "shell/PreviewPane.h"
#include "store/StoreGeometry.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class QProgressBar;
class QTreeWidgetItem;

namespace tarnwick::shell {

class FolderTreeView;
class MessageListView;
class ShellSession;

// Fills the message list for the folder chosen in the tree and prepares the preview of the
// message chosen in the list, each on its own worker thread. The workers read the store
// and the model; the widgets are changed only here, on the user-interface thread, when a
// worker's queued signal arrives. The commands of the main window keep the two workers
// (and the save) from running at once.
class MessageBrowser : public QObject {
  Q_OBJECT

 public:
  MessageBrowser(ShellSession& session, FolderTreeView& tree, MessageListView& list, PreviewPane& body,
                 QProgressBar& progress, QObject* parent = nullptr);
  ~MessageBrowser() override;

  // A new analysis ended: forget every list and index of the previous store.
  void storeAnalysed(const analysis::ScanResult& result);
  // The loader of the open store (the save reads folders through it too).
  content::FolderLoader* loader();
  // The open store's files and page layout, as the list and the preview read them.
  const store::ByteSource* database() const;
  const store::ByteSource* streaming() const;
  const store::StoreGeometry& geometry() const;
  // Lists the shown folder again (a save has rebuilt the model's message list for the
  // folders it saved, so the rows no longer lead to their items); false when no folder
  // is listed or a worker runs.
  bool relist();

  // Starts listing a folder; false when a fill still runs (the tree then goes back to
  // the folder being listed) or the folder is the one listed.
  bool startFill(analysis::TreeItemHandle item, const QString& mailboxText);
  // Starts the preview of a row; false while a preview is prepared.
  bool startPreview(QTreeWidgetItem* row);
  // Stops the fill (the Stop command).
  void stop() { stop_.store(true); }
  // Saves attachment `index` of the message shown to `path`; false when it has no data or
  // the file cannot be written.
  bool saveAttachment(int index, const QString& path);
  // Waits for both workers (the end of the program).
  void waitForWorkers();

 Q_SIGNALS:
  void fillProgress(int percent);
  void fillFinished(const std::vector<tarnwick::content::MessageRow>& rows, bool stopped, const QString& error);
  void previewFinished(const tarnwick::shell::PreviewContent& content, const QString& error);

 private:
  void onFillFinished(const std::vector<content::MessageRow>& rows, bool stopped, const QString& error);
  void onPreviewFinished(const PreviewContent& content, const QString& error);
  void showError(const QString& text);

  ShellSession& session_;
  FolderTreeView& tree_;
  MessageListView& list_;
  PreviewPane& body_;
  QProgressBar& progress_;
  content::MhtNaming mhtNaming_;
  std::atomic<bool> stop_{false};
  QThread* fillThread_ = nullptr;
  QThread* previewThread_ = nullptr;
  analysis::TreeItemHandle listed_ = 0;  // the folder whose rows are shown or filling
  QString mailboxText_;
  std::optional<std::size_t> shownItem_;  // the item of the message shown
};

}  // namespace tarnwick::shell

Q_DECLARE_METATYPE(std::vector<tarnwick::content::MessageRow>)
Q_DECLARE_METATYPE(tarnwick::shell::PreviewContent)
