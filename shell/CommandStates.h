#pragma once

#include <cstddef>
#include <string>

namespace tarnwick::shell {

// Which of the workers that block the main window's commands are running.
struct RunningWork {
  bool listFill = false;  // the message list is being filled
  bool bodyLoad = false;  // a message is being prepared for the preview
  bool listBusy = false;  // the preview is completing its message through the list's loader
  bool analysis = false;  // the analysis dialog's scan runs
  bool save = false;      // the save dialog's worker runs
};

// What the main window's commands may do at a moment.
struct CommandStates {
  bool open = false;
  bool save = false;
  bool stop = false;
  bool help = true;
  bool about = true;
  bool exit = false;  // Exit and the window's own close
  std::string work;   // the work-in-progress pane
};

// Open, Save and Exit wait for the list fill and the preview, and for the analysis and the
// save (whose dialogs are modal; the commands stay off should a shortcut reach the window
// all the same, as both read the model that Open would replace); Save also needs a
// checked folder; Stop exists only while the list is filling or busy for the preview.
CommandStates computeCommandStates(const RunningWork& work, std::size_t checkedFolders);

}  // namespace tarnwick::shell
