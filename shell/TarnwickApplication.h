#pragma once

#include <QApplication>

#include <memory>

namespace tarnwick::shell {

class MainWindow;
class QtMessageSink;
class ShellSession;

// The application: fixes the product strings, creates the main window maximised and
// disabled, and asks for the source. Command line: tarnwick-gui [STORE [--stm FILE]];
// a store named there fills the source dialog (and its streaming file is looked for as
// when it is browsed to).
class TarnwickApplication : public QApplication {
  Q_OBJECT

 public:
  TarnwickApplication(int& argc, char** argv);
  ~TarnwickApplication() override;

  // Builds the window and runs the source dialog; false on a command-line error (told on
  // stderr).
  bool start();

  MainWindow* frame() const { return frame_.get(); }
  ShellSession& session() { return *session_; }

 private:
  std::unique_ptr<QtMessageSink> sink_;
  std::unique_ptr<ShellSession> session_;
  std::unique_ptr<MainWindow> frame_;
};

}  // namespace tarnwick::shell
