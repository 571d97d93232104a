// Renders the main window and the dialogs offscreen into PNG files:
//   tarnwick-gui-screenshots OUTPUT_FOLDER [STORE]
// With a store: the analysis dialog while it runs, then the main window after the
// analysis with the first folder that holds messages shown.

#include "shell/Analysis.h"
#include "shell/CBrowse.h"
#include "shell/CFileSave.h"
#include "shell/CDunmereApp.h"
#include "shell/CLeftView.h"
#include "shell/CMainFrame.h"
#include "shell/ShellSession.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <atomic>
#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
  CDunmereApp app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fputs("usage: tarnwick-gui-screenshots OUTPUT_FOLDER [STORE]\n", stderr);
    return 2;
  }
  const QString out = args[1];
  QDir().mkpath(out);
  bool ok = true;
  ShellSession& session = app.session();

  CMainFrame frame(session);
  frame.resize(1280, 800);
  frame.show();

  CBrowse source(session, &frame);
  if (args.size() > 2) source.databaseChosen(args[2]);
  source.show();
  ok &= grab(&source, out + "/source-dialog.png");
  source.hide();

  if (args.size() > 2) {
    const std::string database = args[2].toStdString();
    const std::string streaming = source.streamingEdit()->text().toStdString();
    if (!store::OpenStoreFiles(session.files(), database, streaming).opened) {
      std::fprintf(stderr, "cannot open %s\n", database.c_str());
      return 1;
    }
    session.setPaths(database, streaming);
    Analysis analysis(session, session.tree(), &frame);
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
    // Show the first mailbox's first folder.
    CLeftView* tree = frame.leftView();
    tree->expandAll();
    if (QTreeWidgetItem* root = tree->topLevelItem(0); root && root->childCount() > 0) {
      QTreeWidgetItem* mailbox = root->child(0);
      tree->setCurrentItem(mailbox->childCount() > 0 ? mailbox->child(0) : mailbox);
    }
    for (int i = 0; i < 50; ++i) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  // The save dialog as it looks in the middle of a folder.
  CFileSave save({[] { return false; }, [] {}}, &frame);
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
