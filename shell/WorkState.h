#pragma once

#include "shell/CommandStates.h"

#include <QObject>

namespace tarnwick::shell {

// Which workers run, as the main window's commands see it. Changed on the user-interface
// thread only (the workers report their start and end through queued signals).
class WorkState : public QObject {
  Q_OBJECT

 public:
  enum class Worker { Analysis, Export, ListFill, BodyLoad };

  void setRunning(Worker worker, bool running);
  bool running(Worker worker) const;
  void setListBusy(bool busy);
  RunningWork runningWork() const { return work_; }
  bool anyRunning() const { return work_.analysis || work_.save || work_.listFill || work_.bodyLoad; }

 Q_SIGNALS:
  void changed();

 private:
  RunningWork work_;
};

}  // namespace tarnwick::shell
