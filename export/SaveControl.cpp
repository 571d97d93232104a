#include "export/SaveControl.h"

#include "export/SaveTexts.h"
#include "platform/AppText.h"

namespace tarnwick::exporter {

void SaveControl::reset() {
  stop_.store(false);
  skip_.store(false);
  succeeded_.store(true);
  resume();
}

bool SaveControl::requestAbort(MessageSink& sink) {
  pause();
  Message question;
  question.text = kAbortQuestion;
  question.caption = kMessageCaption;
  question.icon = MessageIcon::Question;
  question.buttons = MessageButtons::YesNo;
  question.systemModal = true;
  const bool yes = sink.show(question) == MessageAnswer::Yes;
  if (yes) {
    succeeded_.store(false);
    stop_.store(true);
  }
  resume();
  return yes;
}

void SaveControl::requestStop() {
  succeeded_.store(false);
  stop_.store(true);
}

void SaveControl::pause() {
  std::lock_guard lock(mutex_);
  paused_.store(true);
}

void SaveControl::resume() {
  {
    std::lock_guard lock(mutex_);
    paused_.store(false);
  }
  resumed_.notify_all();
}

void SaveControl::waitWhilePaused() {
  if (!paused_.load()) return;
  std::unique_lock lock(mutex_);
  resumed_.wait(lock, [this] { return !paused_.load(); });
}

}  // namespace tarnwick::exporter
