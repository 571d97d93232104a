#include "shell/CommandStates.h"

#include "shell/ShellTexts.h"

namespace tarnwick::shell {

CommandStates computeCommandStates(const RunningWork& work, std::size_t checkedFolders) {
  CommandStates states;
  const bool idle = !work.listFill && !work.bodyLoad && !work.analysis && !work.save;
  states.open = idle;
  states.save = idle && checkedFolders > 0;
  states.stop = work.listFill || work.listBusy;
  states.exit = idle;
  if (work.listFill)
    states.work = kListFillText;
  else if (work.bodyLoad)
    states.work = kBodyLoadText;
  return states;
}

}  // namespace tarnwick::shell
