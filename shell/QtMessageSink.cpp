#include "shell/QtMessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace tarnwick::shell {

namespace {

QMessageBox::Icon iconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

MessageAnswer answerOf(int button, MessageButtons buttons) {
  switch (button) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Retry: return MessageAnswer::Retry;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return defaultAnswer(buttons);
  }
}

}  // namespace

MessageAnswer QtMessageSink::showHere(const Message& message) {
  QMessageBox box(iconOf(message.icon), QString::fromStdString(message.caption), QString::fromStdString(message.text),
                  buttonsOf(message.buttons), owner_.data());
  if (message.systemModal) box.setWindowModality(Qt::ApplicationModal);
  return answerOf(box.exec(), message.buttons);
}

MessageAnswer QtMessageSink::show(const Message& message) {
  if (QThread::currentThread() == qApp->thread()) return showHere(message);
  MessageAnswer answer = defaultAnswer(message.buttons);
  QMetaObject::invokeMethod(
      qApp, [&] { answer = showHere(message); }, Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace tarnwick::shell
