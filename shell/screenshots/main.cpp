// Renders the main window and the dialogs offscreen into PNG files:
//   tarnwick-gui-screenshots OUTPUT_FOLDER [STORE]
// With a store: the analysis dialog while it runs, then the main window after the
// analysis with an HTML message in the preview (found through the manifest.json the store
// generator writes beside its stores; without one, the first folder is shown).

#include "shell/Analysis.h"
#include "shell/FolderTreeView.h"
#include "shell/MainWindow.h"
#include "shell/MessageBrowser.h"
#include "shell/MessageListView.h"
#include "shell/SaveProgressDialog.h"
#include "shell/ShellSession.h"
#include "shell/SourceDialog.h"
#include "shell/TarnwickApplication.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

using namespace tarnwick;
using namespace tarnwick::shell;

namespace {

bool grab(QWidget* widget, const QString& path) {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  widget->repaint();
  const bool ok = widget->grab().save(path);
  std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

// Lets the workers of the window run until `done` holds (at most ten seconds).
template <typename Done>
void settle(Done done) {
  for (int i = 0; i < 1000 && !done(); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
}

// The tree item of a folder path ("Inbox", "Inbox/Sub") below a mailbox.
QTreeWidgetItem* folderItem(FolderTreeView* tree, const QString& mailbox, const QString& path) {
  QTreeWidgetItem* root = tree->topLevelItem(0);
  QTreeWidgetItem* at = nullptr;
  for (int i = 0; root && i < root->childCount(); ++i)
    if (root->child(i)->text(0) == mailbox) at = root->child(i);
  for (const QString& level : path.split('/', Qt::SkipEmptyParts)) {
    QTreeWidgetItem* next = nullptr;
    for (int i = 0; at && i < at->childCount(); ++i)
      if (at->child(i)->text(0) == level) next = at->child(i);
    at = next;
  }
  return at;
}

struct HtmlMessage {
  QString mailbox;
  QString folder;
  QByteArray id;
};

// The first HTML mail the manifest beside the store lists in the years the list shows.
std::optional<HtmlMessage> findHtmlMessage(const QString& store) {
  std::ifstream in(QFileInfo(store).dir().filePath("manifest.json").toStdString());
  if (!in) return std::nullopt;
  const nlohmann::json manifest = nlohmann::json::parse(in, nullptr, false);
  if (manifest.is_discarded() || !manifest.contains("messages")) return std::nullopt;
  std::map<std::string, std::string> mailboxes;
  std::map<std::string, std::string> folders;
  for (const auto& m : manifest["mailboxes"]) mailboxes[m.value("id", "")] = m.value("name", "");
  for (const auto& f : manifest["folders"]) folders[f.value("id", "")] = f.value("path", "");
  for (const auto& m : manifest["messages"]) {
    const int year = std::atoi(m.value("time", "0").substr(0, 4).c_str());
    if (m.value("bodyForm", "") != "html" || m.value("kind", "") != "m" || year < 1980 || year > 2099) continue;
    return HtmlMessage{QString::fromStdString(mailboxes[m.value("mailbox", "")]),
                       QString::fromStdString(folders[m.value("folder", "")]),
                       QByteArray::fromHex(QByteArray::fromStdString(m.value("id", "")))};
  }
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  TarnwickApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fputs("usage: tarnwick-gui-screenshots OUTPUT_FOLDER [STORE]\n", stderr);
    return 2;
  }
  const QString out = args[1];
  QDir().mkpath(out);
  bool ok = true;
  ShellSession& session = app.session();

  MainWindow frame(session);
  frame.resize(1280, 800);
  frame.show();

  SourceDialog source(session, &frame);
  if (args.size() > 2) source.databaseChosen(args[2]);
  source.show();
  ok &= grab(&source, out + "/source-dialog.png");
  source.hide();

  if (args.size() > 2) {
    const std::string database = args[2].toStdString();
    const std::string streaming = source.streamingEdit()->text().toStdString();
    if (!store::openStoreFiles(session.files(), database, streaming).opened) {
      std::fprintf(stderr, "cannot open %s\n", database.c_str());
      return 1;
    }
    session.setPaths(database, streaming);
    Analysis analysis(session, &frame);
    // The scan holds after its first step until the picture is taken.
    std::atomic<bool> release{false};
    analysis::ScanOptions options;
    options.sleep = [&](std::chrono::milliseconds) {
      while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    analysis.setScanOptions(options);
    QTimer::singleShot(300, [&] {
      ok &= grab(&analysis, out + "/analysis-dialog.png");
      release = true;
    });
    analysis.exec();
    frame.browser()->storeAnalysed(analysis.result());
    FolderTreeView* tree = frame.leftView();
    tree->expandAll();
    const auto html = findHtmlMessage(args[2]);
    QTreeWidgetItem* folder = html ? folderItem(tree, html->mailbox, html->folder) : nullptr;
    if (!folder) {
      // No manifest: the first mailbox's first folder.
      if (QTreeWidgetItem* root = tree->topLevelItem(0); root && root->childCount() > 0) {
        QTreeWidgetItem* mailbox = root->child(0);
        folder = mailbox->childCount() > 0 ? mailbox->child(0) : mailbox;
      }
    }
    const auto idle = [&] {
      const RunningWork work = session.work().runningWork();
      return !work.listFill && !work.bodyLoad;
    };
    if (folder) {
      tree->setCurrentItem(folder);
      settle(idle);
    }
    QTreeWidget* rows = frame.listView()->rows();
    for (int i = 0; html && i < rows->topLevelItemCount(); ++i) {
      QTreeWidgetItem* row = rows->topLevelItem(i);
      if (MessageListView::messageIdOf(row) != html->id) continue;
      rows->setCurrentItem(row);
      frame.browser()->startPreview(row);
      settle(idle);
      break;
    }
  }
  // The save dialog as it looks in the middle of a folder.
  SaveProgressDialog save({[] { return false; }, [] {}}, &frame);
  save.setCurrentFolder("Mailbox - Alice\\Inbox\\");
  save.setCounters(42, 118);
  save.setCurrentProgress(35);
  save.setOverallProgress(12);
  save.show();
  ok &= grab(&save, out + "/save-dialog.png");
  save.finish(false);

  ok &= grab(&frame, out + "/main-window.png");
  return ok ? 0 : 1;
}
