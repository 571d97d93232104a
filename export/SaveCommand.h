#pragma once

#include "analysis/SelectionEntry.h"
#include "export/DestinationCheck.h"
#include "export/SaveEngine.h"
#include "platform/MessageSink.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace tarnwick::exporter {

// The front end's part of the Save command: where the selection comes from, how the
// destination is asked for, how the save dialog is run, and how checks are cleared and
// the result shown.
struct SaveCommandHooks {
  std::function<analysis::SelectionList()> buildSelection;
  // The folder the user picked; nothing when the choice was cancelled.
  std::function<std::optional<std::filesystem::path>()> chooseDestination;
  // Runs the save (the save dialog and its worker); nothing when the dialog ended with
  // Cancel.
  std::function<std::optional<SaveResult>(analysis::SelectionList&, const std::filesystem::path&)> runSave;
  // Unchecks every entry's folder with its descendants and frees the list.
  std::function<void(analysis::SelectionList&)> clearChecks;
  std::function<void(const SaveResult&)> showResult;
};

enum class SaveCommandEnd { NothingSelected, NoDestination, DestinationRefused, Cancelled, Saved };

// The Save command, in order: build the selection (an empty one gets "No folders found
// selected. Please select folders to be saved."), ask for the destination, check it
// (missing, low on space, not writable: its message and no save), run the save, and after
// a save that ended with OK clear the saved checks and show the result. A refusal leaves
// the checks as they were.
SaveCommandEnd runSaveCommand(const SaveCommandHooks& hooks, MessageSink& sink, const FreeSpaceProbe& freeSpace);

}  // namespace tarnwick::exporter
