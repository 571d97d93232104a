#pragma once

#include "platform/MessageSink.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace tarnwick::exporter {

// The flags the save's front end (dialog or terminal) and the save worker share: Stop,
// Skip, the save succeeded flag, and a pause gate that holds the worker at its next poll
// while the abort question is open, so that it never runs on under a half-answered
// question.
class SaveControl {
 public:
  // Starts a save: clears stop and skip, sets the save succeeded flag, lifts any pause.
  void reset();

  // Asks "Saving is in Progress. Do you want to abort ?" through `sink`, holding the
  // worker meanwhile. Yes clears the save succeeded flag and requests stop. Returns true
  // for Yes.
  bool requestAbort(MessageSink& sink);
  // Stop without asking (the terminal's --yes, a second Ctrl-C).
  void requestStop();
  // Drops the item being written.
  void requestSkip() { skip_.store(true); }

  bool stopRequested() const { return stop_.load(); }
  // The stop flag itself, for readers that poll a flag of their own kind.
  const std::atomic<bool>& stopFlag() const { return stop_; }
  bool skipRequested() const { return skip_.load(); }
  void clearSkip() { skip_.store(false); }

  bool saveSucceeded() const { return succeeded_.load(); }
  void clearSaveSucceeded() { succeeded_.store(false); }

  void pause();
  void resume();
  // Called by the worker where it polls stop and skip: waits while paused.
  void waitWhilePaused();

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> skip_{false};
  std::atomic<bool> succeeded_{true};
  std::atomic<bool> paused_{false};
  std::mutex mutex_;
  std::condition_variable resumed_;
};

}  // namespace tarnwick::exporter
