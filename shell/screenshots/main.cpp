// Renders the main window and the dialogs offscreen into PNG files:
//   tarnwick-gui-screenshots OUTPUT_FOLDER [STORE]
// With a store, the main window is shown after its analysis with the first folder that
// holds messages selected and its first message previewed.

#include "shell/CBrowse.h"
#include "shell/CFileSave.h"
#include "shell/CDunmereApp.h"
#include "shell/CMainFrame.h"
#include "shell/ShellSession.h"

#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

using namespace tarnwick::shell;

namespace {

bool grab(QWidget* widget, const QString& path) {
  widget->repaint();
  QCoreApplication::processEvents();
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

  CMainFrame frame(app.session());
  frame.resize(1280, 800);
  frame.show();

  CBrowse source(app.session(), &frame);
  if (args.size() > 2) source.databaseChosen(args[2]);
  source.show();
  ok &= grab(&source, out + "/source-dialog.png");
  source.hide();

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
