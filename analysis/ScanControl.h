#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tarnwick::analysis {

// Stop and pause of a running scan. A front end asks; the scan looks at its checkpoints
// (the entry of every catalogue-walk call, between steps, before every page and between
// records) and stands still there while paused, or ends when a stop was asked for. Pause
// and stop are independent: a paused scan whose stop was requested stays paused until it
// is resumed, then ends at once.
class ScanControl {
 public:
  // Safe to call from a signal handler: a single lock-free store.
  void requestStop() { stop_.store(true, std::memory_order_relaxed); }
  bool stopRequested() const { return stop_.load(std::memory_order_relaxed); }

  void pause();
  void resume();
  bool paused() const { return paused_.load(std::memory_order_relaxed); }

  // Waits while the scan is paused; then tells whether a stop was requested.
  bool checkpoint();
  // Waits while the scan is paused (between the records of a page, where a stop is not
  // looked at).
  void holdWhilePaused();

  // Clears the stop request (the start of a new analysis).
  void clearStop() { stop_.store(false, std::memory_order_relaxed); }

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> paused_{false};
  std::mutex mutex_;
  std::condition_variable resumed_;
};

static_assert(std::atomic<bool>::is_always_lock_free, "the stop request must be safe in a signal handler");

}  // namespace tarnwick::analysis
