#include "shell/SaveCommandRunner.h"

#include "export/ContentItemSource.h"
#include "export/MessageItemWriters.h"
#include "export/PstOutput.h"
#include "export/SaveTexts.h"
#include "export/SaveWorker.h"
#include "platform/AppText.h"
#include "platform/TempDirectory.h"
#include "shell/FolderTreeView.h"
#include "shell/MessageBrowser.h"
#include "shell/SaveProgressDialog.h"
#include "shell/SaveProgressRelay.h"
#include "shell/SaveResultDialog.h"
#include "shell/ShellSession.h"

#include <QFileDialog>

#include <exception>
#include <system_error>

namespace tarnwick::shell {

SaveCommandRunner::SaveCommandRunner(ShellSession& session, FolderTreeView& tree, MessageBrowser& browser,
                                     QWidget* owner)
    : session_(session), tree_(tree), browser_(browser), owner_(owner) {}

exporter::SaveCommandEnd SaveCommandRunner::run() {
  exporter::SaveCommandHooks hooks;
  hooks.buildSelection = [this] { return buildSelection(); };
  hooks.chooseDestination = [this] { return chooseDestination(); };
  hooks.runSave = [this](analysis::SelectionList& selection, const std::filesystem::path& destination) {
    return runSave(selection, destination);
  };
  hooks.clearChecks = [this](analysis::SelectionList& selection) { clearChecks(selection); };
  hooks.showResult = [this](const exporter::SaveResult& result) { showResult(result); };
  const exporter::FreeSpaceProbe freeSpace = hooks_.freeSpace ? hooks_.freeSpace : exporter::systemFreeSpaceProbe();
  const exporter::SaveCommandEnd end = exporter::runSaveCommand(hooks, session_.sink(), freeSpace);
  // The save rebuilt the model's message list for the folders it saved: the rows shown
  // are listed again so that a click on one still finds its message.
  if (end == exporter::SaveCommandEnd::Saved || end == exporter::SaveCommandEnd::Cancelled) browser_.relist();
  return end;
}

analysis::SelectionList SaveCommandRunner::buildSelection() const { return tree_.model().buildSelectionList(); }

std::optional<std::filesystem::path> SaveCommandRunner::chooseDestination() {
  QString chosen;
  if (hooks_.chooseFolder) {
    chosen = hooks_.chooseFolder(owner_, destination_);
  } else {
    chosen = QFileDialog::getExistingDirectory(owner_, QString::fromUtf8(exporter::kSelectDestinationTitle),
                                               destination_, QFileDialog::ShowDirsOnly);
  }
  if (chosen.isEmpty()) return std::nullopt;
  destination_ = chosen;
  return std::filesystem::path(chosen.toStdString());
}

std::optional<exporter::SaveResult> SaveCommandRunner::runSave(analysis::SelectionList& selection,
                                                               const std::filesystem::path& destination) {
  content::FolderLoader* loader = browser_.loader();
  const store::ByteSource* database = browser_.database();
  if (!loader || !database) {
    showError("No store has been analysed: there is nothing to save to " + destination.string() + ".");
    return std::nullopt;
  }
  // The save's working files go into a folder of their own inside the private one, apart
  // from the preview's.
  std::filesystem::path work;
  try {
    work = privateTempDirectory() / "save";
    std::filesystem::create_directories(work);
  } catch (const std::exception& error) {
    showError(std::string("The working folder of the save could not be made: ") + error.what());
    return std::nullopt;
  }

  exporter::SaveControl control;
  const store::StoreGeometry& geometry = browser_.geometry();
  exporter::ContentItemSource items(session_.model(), *loader, *database, browser_.streaming(), geometry, work,
                                    &control.stopFlag());
  exporter::KindItemWriter writer(items, *database, geometry, work);
  std::unique_ptr<exporter::OutputFormatFactory> output =
      hooks_.makeOutput ? hooks_.makeOutput() : std::make_unique<exporter::PstOutputFactory>();
  SaveProgressRelay relay;
  exporter::SaveSettings settings;
  settings.destination = destination;
  settings.formatName = "pst";
  settings.largePages = store::isLargePage(geometry.PageSizeClass);
  settings.sourceFiles.push_back(session_.databasePath());
  if (!session_.streamingPath().empty()) settings.sourceFiles.push_back(session_.streamingPath());
  settings.freeSpace = hooks_.freeSpace;
  exporter::SaveEngine engine(session_.model(), items, writer, *output, relay, session_.sink(), control, settings);

  SaveProgressDialog dialog(
      {[this, &control] { return control.requestAbort(session_.sink()); }, [&control] { control.requestSkip(); }},
      owner_);
  relay.connectTo(dialog);
  control.reset();
  exporter::SaveWorker worker(engine, selection, [&relay] { relay.workerEnded(); });
  // The end arrives after the worker's last report; the dialog closes with OK, or with
  // Cancel when the writer could not be set up.
  QObject::connect(
      &relay, &SaveProgressRelay::ended, &dialog,
      [&dialog, &worker] { dialog.finish(exporter::dialogEndOf(worker.wait()) == exporter::SaveDialogEnd::Cancel); },
      Qt::QueuedConnection);
  session_.work().setRunning(WorkState::Worker::Export, true);
  worker.start();
  const int answer = dialog.exec();
  const exporter::SaveResult& result = worker.wait();
  session_.work().setRunning(WorkState::Worker::Export, false);
  lastResult_ = result;
  if (answer != QDialog::Accepted) return std::nullopt;
  return result;
}

void SaveCommandRunner::clearChecks(analysis::SelectionList& selection) { tree_.model().clearSelection(selection); }

void SaveCommandRunner::showResult(const exporter::SaveResult& result) {
  SaveResultDialog log(result, owner_);
  log.exec();
}

void SaveCommandRunner::showError(const std::string& text) {
  Message message;
  message.text = text;
  message.caption = kMessageCaption;
  message.icon = MessageIcon::Error;
  session_.sink().show(message);
}

}  // namespace tarnwick::shell
