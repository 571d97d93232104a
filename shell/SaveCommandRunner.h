#pragma once

#include "export/DestinationCheck.h"
#include "export/SaveCommand.h"
#include "export/SaveEngine.h"
#include "export/WriterInterfaces.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tarnwick::shell {

class FolderTreeView;
class MessageBrowser;
class ShellSession;

// The Save command of the main window: the checked folders of the tree become the
// selection, the user picks the destination folder ("Select the Destination Path"), the
// destination is checked, the save runs on its worker under the save dialog, and after a
// save that ran (to its end or to a stop) the saved folders are unchecked and the result
// is shown.
class SaveCommandRunner {
 public:
  // What a test (or another front end) may stand in for the real thing.
  struct Hooks {
    // The folder picker: owner, folder to start in; an empty answer cancels.
    std::function<QString(QWidget* owner, const QString& start)> chooseFolder;
    // Free bytes of a destination's volume, before and during the save.
    exporter::FreeSpaceProbe freeSpace;
    // The output writer; PST files when empty.
    std::function<std::unique_ptr<exporter::OutputFormatFactory>()> makeOutput;
  };

  SaveCommandRunner(ShellSession& session, FolderTreeView& tree, MessageBrowser& browser, QWidget* owner);

  Hooks& hooks() { return hooks_; }
  // Runs the whole command.
  exporter::SaveCommandEnd run();

  // The last folder chosen, refused or not.
  const QString& destination() const { return destination_; }
  // The result of the last save that ran.
  const std::optional<exporter::SaveResult>& lastResult() const { return lastResult_; }

 private:
  analysis::SelectionList buildSelection() const;
  std::optional<std::filesystem::path> chooseDestination();
  std::optional<exporter::SaveResult> runSave(analysis::SelectionList& selection,
                                              const std::filesystem::path& destination);
  void clearChecks(analysis::SelectionList& selection);
  void showResult(const exporter::SaveResult& result);
  void showError(const std::string& text);

  ShellSession& session_;
  FolderTreeView& tree_;
  MessageBrowser& browser_;
  QWidget* owner_;
  Hooks hooks_;
  QString destination_;
  std::optional<exporter::SaveResult> lastResult_;
};

}  // namespace tarnwick::shell
