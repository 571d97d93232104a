#include "export/SaveWorker.h"

namespace tarnwick::exporter {

SaveDialogEnd dialogEndOf(const SaveResult& result) {
  return result.end == SaveEnd::SetupFailed ? SaveDialogEnd::Cancel : SaveDialogEnd::Ok;
}

SaveWorker::SaveWorker(SaveEngine& engine, analysis::SelectionList& selection, std::function<void()> onFinished)
    : engine_(engine), selection_(selection), onFinished_(std::move(onFinished)) {}

SaveWorker::~SaveWorker() {
  if (thread_.joinable()) thread_.join();
}

void SaveWorker::start() {
  thread_ = std::thread([this] {
    result_ = engine_.run(selection_);
    finished_.store(true);
    if (onFinished_) onFinished_();
  });
}

const SaveResult& SaveWorker::wait() {
  if (thread_.joinable()) thread_.join();
  return *result_;
}

}  // namespace tarnwick::exporter
