#include "export/SaveCommand.h"

#include "export/SaveTexts.h"
#include "platform/AppText.h"

namespace tarnwick::exporter {

SaveCommandEnd runSaveCommand(const SaveCommandHooks& hooks, MessageSink& sink, const FreeSpaceProbe& freeSpace) {
  analysis::SelectionList selection = hooks.buildSelection();
  if (selection.empty()) {
    Message m;
    m.text = kNoFoldersSelected;
    m.caption = kMessageCaption;
    m.icon = MessageIcon::Information;
    m.systemModal = true;
    sink.show(m);
    return SaveCommandEnd::NothingSelected;
  }
  const auto destination = hooks.chooseDestination();
  if (!destination) return SaveCommandEnd::NoDestination;
  if (auto refusal = destinationRefusal(checkDestination(*destination, freeSpace), *destination)) {
    sink.show(*refusal);
    return SaveCommandEnd::DestinationRefused;
  }
  auto result = hooks.runSave(selection, *destination);
  if (!result) return SaveCommandEnd::Cancelled;
  hooks.clearChecks(selection);
  if (hooks.showResult) hooks.showResult(*result);
  return SaveCommandEnd::Saved;
}

}  // namespace tarnwick::exporter
