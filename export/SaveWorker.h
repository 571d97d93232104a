#pragma once

#include "export/SaveEngine.h"

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

namespace tarnwick::exporter {

// How the save dialog ends: OK once the save ran (to its end or stopped), Cancel when the
// output writer could not be set up (then no result is shown).
enum class SaveDialogEnd { Ok, Cancel };
SaveDialogEnd dialogEndOf(const SaveResult& result);

// Runs a save engine on its own worker thread, as the save dialog does: the front end
// keeps its thread for Skip, Stop and the abort question, and is told when the worker
// ends.
class SaveWorker {
 public:
  // `engine` and `selection` must outlive the worker. `onFinished` runs on the worker's
  // thread after the result is stored.
  SaveWorker(SaveEngine& engine, analysis::SelectionList& selection, std::function<void()> onFinished = {});
  ~SaveWorker();
  SaveWorker(const SaveWorker&) = delete;
  SaveWorker& operator=(const SaveWorker&) = delete;

  void start();
  bool finished() const { return finished_.load(); }
  // Waits for the worker and gives its result.
  const SaveResult& wait();

 private:
  SaveEngine& engine_;
  analysis::SelectionList& selection_;
  std::function<void()> onFinished_;
  std::optional<SaveResult> result_;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace tarnwick::exporter
