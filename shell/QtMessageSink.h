#pragma once

#include "platform/MessageSink.h"

#include <QPointer>
#include <QWidget>

namespace tarnwick::shell {

// Shows the engines' messages as message boxes over `owner`. Safe to call from a worker
// thread: the box is then shown on the user-interface thread and the worker waits for
// the answer.
class QtMessageSink : public MessageSink {
 public:
  explicit QtMessageSink(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  MessageAnswer show(const Message& message) override;

 private:
  MessageAnswer showHere(const Message& message);
  QPointer<QWidget> owner_;
};

}  // namespace tarnwick::shell
