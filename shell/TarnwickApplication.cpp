#include "shell/TarnwickApplication.h"

#include "platform/AppText.h"
#include "platform/OutOfMemory.h"
#include "shell/MainWindow.h"
#include "shell/QtMessageSink.h"
#include "shell/ShellSession.h"

#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

namespace tarnwick::shell {

TarnwickApplication::TarnwickApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("tarnwick-gui");
  setOrganizationName("tarnwick");
  setApplicationDisplayName(QString::fromUtf8(kWindowTitle).trimmed());
  setWindowIcon(QIcon(":/images/app-48.png"));
  sink_ = std::make_unique<QtMessageSink>();
  session_ = std::make_unique<ShellSession>(*sink_);
  installOutOfMemoryHandler(*sink_);
}

TarnwickApplication::~TarnwickApplication() {
  frame_.reset();
  if (session_) session_->release();
}

bool TarnwickApplication::start() {
  QCommandLineParser parser;
  parser.setApplicationDescription("Recovers mailboxes of Exchange stores into Outlook .pst files.");
  parser.addHelpOption();
  parser.addPositionalArgument("STORE", "the database file (.edb) to open");
  QCommandLineOption stm("stm", "the streaming file (.stm) of the store", "FILE");
  parser.addOption(stm);
  parser.process(*this);
  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1 || (parser.isSet(stm) && positional.isEmpty())) {
    std::fputs("usage: tarnwick-gui [STORE [--stm FILE]]\n", stderr);
    return false;
  }

  frame_ = std::make_unique<MainWindow>(*session_);
  sink_->setOwner(frame_.get());
  frame_->startUp(positional.isEmpty() ? QString() : positional.first(), parser.value(stm));
  return true;
}

}  // namespace tarnwick::shell
