#include "analysis/ScanControl.h"

namespace tarnwick::analysis {

void ScanControl::pause() {
  std::lock_guard lock(mutex_);
  paused_.store(true, std::memory_order_relaxed);
}

void ScanControl::resume() {
  {
    std::lock_guard lock(mutex_);
    paused_.store(false, std::memory_order_relaxed);
  }
  resumed_.notify_all();
}

void ScanControl::holdWhilePaused() {
  if (!paused_.load(std::memory_order_relaxed)) return;
  std::unique_lock lock(mutex_);
  resumed_.wait(lock, [this] { return !paused_.load(std::memory_order_relaxed); });
}

bool ScanControl::checkpoint() {
  holdWhilePaused();
  return stopRequested();
}

}  // namespace tarnwick::analysis
