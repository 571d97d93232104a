#include "shell/MainWindow.h"

#include "content/SafeFileName.h"
#include "platform/AppText.h"
#include "platform/Settings.h"
#include "shell/AboutDialog.h"
#include "shell/Analysis.h"
#include "shell/CommandStates.h"
#include "shell/FolderTreeView.h"
#include "shell/HelpLauncher.h"
#include "shell/MessageBrowser.h"
#include "shell/MessageListView.h"
#include "shell/PreviewPane.h"
#include "shell/SaveCommandRunner.h"
#include "shell/ShellSession.h"
#include "shell/ShellTexts.h"
#include "shell/SourceDialog.h"
#include "shell/ToolBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>
#include "shell/SafeTextBrowser.h"

namespace tarnwick::shell {

namespace {

constexpr int kToolImageWidth = 44;
constexpr int kToolImageHeight = 45;

QSettings windowSettings() {
  return QSettings(QString::fromStdString(settingsFilePath().string()), QSettings::IniFormat);
}

}  // namespace

MainWindow::MainWindow(ShellSession& session, QWidget* parent) : QMainWindow(parent), session_(session) {
  setObjectName("mainFrame");
  setWindowTitle(QString::fromUtf8(kWindowTitle));
  setWindowIcon(QIcon(":/images/app-48.png"));
  createActions();
  createMenus();
  createBars();
  createPanes();
  connect(&session_.work(), &WorkState::changed, this, &MainWindow::updateCommands);
  session_.analyse = [this](QWidget* owner) {
    Analysis dialog(session_, owner);
    const bool ran = dialog.exec() == QDialog::Accepted;
    browser_->storeAnalysed(dialog.result());
    return ran;
  };
  connect(tree_, &FolderTreeView::checksChanged, this, &MainWindow::updateCommands);
  updateCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions() {
  open_ = new QAction("&Open...", this);
  open_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  open_->setToolTip("Open");
  open_->setStatusTip("Open an Exchange database file");
  save_ = new QAction("&Save", this);
  save_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  save_->setToolTip("Save");
  save_->setStatusTip("Save");
  stop_ = new QAction("Stop", this);
  stop_->setToolTip("Stop");
  stop_->setStatusTip("Stop");
  help_ = new QAction("&Help...", this);
  help_->setShortcut(QKeySequence(Qt::Key_F1));
  help_->setToolTip("Help");
  help_->setStatusTip("Open the user manual");
  about_ = new QAction("&About Tarnwick for EDB to PST", this);
  about_->setStatusTip("Program information and version");
  exit_ = new QAction("E&xit", this);
  exit_->setToolTip("Exit");
  exit_->setStatusTip("Quit the application");
  connect(open_, &QAction::triggered, this, &MainWindow::onOpen);
  connect(save_, &QAction::triggered, this, &MainWindow::onSave);
  connect(stop_, &QAction::triggered, this, &MainWindow::onStop);
  connect(help_, &QAction::triggered, this, &MainWindow::onHelp);
  connect(about_, &QAction::triggered, this, &MainWindow::onAbout);
  connect(exit_, &QAction::triggered, this, &MainWindow::onExit);
}

void MainWindow::createMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction(open_);
  file->addAction(save_);
  file->addSeparator();
  file->addAction(exit_);
  QMenu* view = menuBar()->addMenu("&View");
  view->setObjectName("viewMenu");
  QMenu* help = menuBar()->addMenu("&Help");
  help->addAction(help_);
  help->addAction(about_);
}

void MainWindow::createBars() {
  toolBar_ = new ToolBar(this);
  toolBar_->setWindowTitle("Toolbar");
  // A missing toolbar bitmap leaves text buttons rather than no window at all.
  if (!toolBar_->load(QImage(":/images/toolbar.png"), kToolImageWidth, kToolImageHeight,
                      {open_, stop_, save_, help_, exit_})) {
    for (QAction* action : {open_, stop_, save_, help_, exit_}) toolBar_->addAction(action);
  }
  addToolBar(Qt::TopToolBarArea, toolBar_);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  progress_->setFixedSize(300, 17);
  progress_->hide();
  workPane_ = new QLabel(this);
  workPane_->setObjectName("workPane");
  workPane_->setMinimumWidth(260);
  statusBar()->addWidget(progress_);
  statusBar()->addPermanentWidget(workPane_);
  statusBar()->showMessage(kReadyText);

  QMenu* view = menuBar()->findChild<QMenu*>("viewMenu");
  QAction* toolbarToggle = toolBar_->toggleViewAction();
  toolbarToggle->setText("&Toolbar");
  view->addAction(toolbarToggle);
  QAction* statusToggle = view->addAction("&Status Bar");
  statusToggle->setCheckable(true);
  statusToggle->setChecked(true);
  connect(statusToggle, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void MainWindow::createPanes() {
  outer_ = new QSplitter(Qt::Horizontal, this);
  outer_->setObjectName("outerSplitter");
  tree_ = new FolderTreeView(session_.tree(), session_.work(), outer_);
  inner_ = new QSplitter(Qt::Vertical, outer_);
  inner_->setObjectName("innerSplitter");
  list_ = new MessageListView(inner_);
  body_ = new PreviewPane(inner_);
  outer_->addWidget(tree_);
  outer_->addWidget(inner_);
  inner_->addWidget(list_);
  inner_->addWidget(body_);
  outer_->setStretchFactor(1, 1);
  inner_->setStretchFactor(1, 1);
  outer_->setSizes({260, 1000});
  inner_->setSizes({280, 400});
  setCentralWidget(outer_);
  browser_ = new MessageBrowser(session_, *tree_, *list_, *body_, *progress_, this);
  saveCommand_ = std::make_unique<SaveCommandRunner>(session_, *tree_, *browser_, this);
  connect(tree_, &FolderTreeView::folderChosen, this,
          [this](quint32 item, const QString& mailbox) { browser_->startFill(item, mailbox); });
  connect(list_, &MessageListView::rowChosen, this, [this](QTreeWidgetItem* row) {
    if (!session_.work().runningWork().bodyLoad) browser_->startPreview(row);
  });
  connect(this, &MainWindow::stopRequested, this, [this] { browser_->stop(); });
  connect(body_, &PreviewPane::saveAttachmentRequested, this, &MainWindow::saveAttachment);
  connect(body_, &PreviewPane::saveMessageRequested, this, &MainWindow::saveMessage);
  setTabOrder(tree_, list_->filterBox());
  setTabOrder(list_->filterBox(), list_->rows());
  setTabOrder(list_->rows(), body_->body());
  connect(list_, &MessageListView::rowCountChanged, this, [this](int shown, int total) {
    if (total == 0 && shown == 0)
      statusBar()->showMessage(kReadyText);
    else if (shown == total)
      statusBar()->showMessage(QString("%1 items").arg(total));
    else
      statusBar()->showMessage(QString("%1 of %2 items").arg(shown).arg(total));
  });
}

void MainWindow::showAtStart() {
  QSettings settings = windowSettings();
  restoreGeometry(settings.value("Window/geometry").toByteArray());
  outer_->restoreState(settings.value("Window/outerSplitter").toByteArray());
  inner_->restoreState(settings.value("Window/innerSplitter").toByteArray());
  showMaximized();
}

void MainWindow::startUp(const QString& database, const QString& streaming) {
  showAtStart();
  setEnabled(false);
  repaint();
  runSourceDialog(database, streaming);
  setEnabled(true);
}

void MainWindow::saveWindowState() {
  QSettings settings = windowSettings();
  settings.setValue("Window/geometry", saveGeometry());
  settings.setValue("Window/outerSplitter", outer_->saveState());
  settings.setValue("Window/innerSplitter", inner_->saveState());
}

void MainWindow::updateCommands() {
  const CommandStates states = computeCommandStates(session_.work().runningWork(), tree_->checkedCount());
  open_->setEnabled(states.open);
  save_->setEnabled(states.save);
  stop_->setEnabled(states.stop);
  help_->setEnabled(states.help);
  about_->setEnabled(states.about);
  exit_->setEnabled(states.exit);
  // The title bar's close button cannot be greyed without re-creating the window; a
  // close request is refused instead while Exit is disabled.
  closeAllowed_ = states.exit;
  workPane_->setText(QString::fromUtf8(states.work.c_str()));
}

bool MainWindow::runSourceDialog(const QString& database, const QString& streaming) {
  SourceDialog dialog(session_, this);
  if (!database.isEmpty()) dialog.databaseChosen(database);
  if (!streaming.isEmpty()) dialog.streamingEdit()->setText(streaming);
  connect(&dialog, &SourceDialog::sourceOpened, this, [this] {
    list_->clearRows();
    body_->clearPreview();
  });
  body_->clearPreview();
  return dialog.exec() == QDialog::Accepted;
}

void MainWindow::onOpen() {
  if (!open_->isEnabled()) return;
  list_->clearRows();
  body_->clearPreview();
  runSourceDialog();
}

void MainWindow::onSave() {
  if (!save_->isEnabled()) return;
  saveCommand_->run();
  updateCommands();
}

void MainWindow::onStop() {
  if (!stop_->isEnabled()) return;
  Q_EMIT stopRequested();
}

namespace {

// `name` as a file name of the dialog's folder: no path, nothing the file system refuses.
QString safeName(const QString& name, std::u16string_view fallback) {
  const std::u16string safe = content::safeFileName(name.toStdU16String(), fallback);
  return QString::fromStdU16String(safe);
}

}  // namespace

void MainWindow::saveAttachment([[maybe_unused]] int index, const QString& name) {
  // The stored name may hold a path ("../../x", "C:\\boot.ini"): the dialog offers it made safe.
  const QString path = QFileDialog::getSaveFileName(this, "Save Attachment", safeName(name, u"attachment"));
  if (path.isEmpty()) return;
  bool saved = false;
  saved = browser_->saveAttachment(index, path);
  if (!saved) {
    Message message;
    message.text = "The attachment could not be saved to " + path.toStdString() + ".";
    message.caption = kMessageCaption;
    message.icon = MessageIcon::Warning;
    session_.sink().show(message);
  }
}

void MainWindow::saveMessage() {
  const QString path = QFileDialog::getSaveFileName(
      this, "Save Message", safeName(body_->subjectText()->text(), u"message") + ".eml", "Internet message (*.eml)");
  if (path.isEmpty()) return;
  if (!body_->saveMessageTo(path)) {
    Message message;
    message.text = "The message could not be saved to " + path.toStdString() + ".";
    message.caption = kMessageCaption;
    message.icon = MessageIcon::Warning;
    session_.sink().show(message);
  }
}

void MainWindow::onHelp() { openManual(); }

void MainWindow::onAbout() {
  AboutDialog about(this);
  about.exec();
}

bool MainWindow::askExit() {
  Message question;
  question.text = std::string(kExitQuestionPrefix) + kWindowTitle + "?";
  question.caption = kMessageCaption;
  question.icon = MessageIcon::Question;
  question.buttons = MessageButtons::YesNo;
  question.systemModal = true;
  return session_.sink().show(question) == MessageAnswer::Yes;
}

void MainWindow::onExit() {
  if (!exit_->isEnabled() || !askExit()) return;
  saveWindowState();
  session_.release();
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!closeAllowed_ || !askExit()) {
    event->ignore();
    return;
  }
  saveWindowState();
  session_.release();
  event->accept();
}

}  // namespace tarnwick::shell
