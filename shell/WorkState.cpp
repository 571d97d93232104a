#include "shell/WorkState.h"

namespace tarnwick::shell {

void WorkState::setRunning(Worker worker, bool running) {
  bool* flag = nullptr;
  switch (worker) {
    case Worker::Analysis: flag = &work_.analysis; break;
    case Worker::Export: flag = &work_.save; break;
    case Worker::ListFill: flag = &work_.listFill; break;
    case Worker::BodyLoad: flag = &work_.bodyLoad; break;
  }
  if (*flag == running) return;
  *flag = running;
  Q_EMIT changed();
}

bool WorkState::running(Worker worker) const {
  switch (worker) {
    case Worker::Analysis: return work_.analysis;
    case Worker::Export: return work_.save;
    case Worker::ListFill: return work_.listFill;
    case Worker::BodyLoad: return work_.bodyLoad;
  }
  return false;
}

void WorkState::setListBusy(bool busy) {
  if (work_.listBusy == busy) return;
  work_.listBusy = busy;
  Q_EMIT changed();
}

}  // namespace tarnwick::shell
