#pragma once

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QProgressBar;
class QSplitter;

namespace tarnwick::shell {

class ToolBar;
class FolderTreeView;
class MessageBrowser;
class PreviewPane;
class MessageListView;
class SaveCommandRunner;
class ShellSession;

// The application's one top-level window: toolbar, menus, status bar with its progress
// bar and work-in-progress pane, and the folder tree, message list and preview in
// splitters. Its commands are enabled by the work that runs.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(ShellSession& session, QWidget* parent = nullptr);
  ~MainWindow() override;

  QAction* openAction() const { return open_; }
  QAction* saveAction() const { return save_; }
  QAction* stopAction() const { return stop_; }
  QAction* helpAction() const { return help_; }
  QAction* aboutAction() const { return about_; }
  QAction* exitAction() const { return exit_; }
  ToolBar* toolBar() const { return toolBar_; }
  FolderTreeView* leftView() const { return tree_; }
  MessageListView* listView() const { return list_; }
  PreviewPane* bodyView() const { return body_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* workPane() const { return workPane_; }
  MessageBrowser* browser() const { return browser_; }
  SaveCommandRunner& saveCommand() const { return *saveCommand_; }
  // True while the window may be closed (no list fill or preview runs).
  bool closeAllowed() const { return closeAllowed_; }

  // Runs the source dialog, its boxes filled from `database` and `streaming` when given
  // (the streaming file is looked for when only the database is); false when cancelled.
  bool runSourceDialog(const QString& database = {}, const QString& streaming = {});
  // Shows the window maximised with its remembered normal size.
  void showAtStart();
  // The start of the program: the window maximised and disabled while the source dialog
  // runs, usable again after it, whatever the dialog's answer.
  void startUp(const QString& database, const QString& streaming);

 public Q_SLOTS:
  void updateCommands();
  void onOpen();
  void onSave();
  void onStop();
  void onHelp();
  void onAbout();
  void onExit();

 Q_SIGNALS:
  // Stop was asked for (the message list's loader listens).
  void stopRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createActions();
  void createMenus();
  void createBars();
  void createPanes();
  bool askExit();
  void saveWindowState();
  void saveAttachment(int index, const QString& name);
  void saveMessage();

  ShellSession& session_;
  QAction* open_ = nullptr;
  QAction* save_ = nullptr;
  QAction* stop_ = nullptr;
  QAction* help_ = nullptr;
  QAction* about_ = nullptr;
  QAction* exit_ = nullptr;
  ToolBar* toolBar_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* workPane_ = nullptr;
  QSplitter* outer_ = nullptr;
  QSplitter* inner_ = nullptr;
  FolderTreeView* tree_ = nullptr;
  MessageListView* list_ = nullptr;
  PreviewPane* body_ = nullptr;
  MessageBrowser* browser_ = nullptr;
  std::unique_ptr<SaveCommandRunner> saveCommand_;
  bool closeAllowed_ = true;
};

}  // namespace tarnwick::shell
