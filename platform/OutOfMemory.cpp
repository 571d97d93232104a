#include "platform/OutOfMemory.h"

#include "platform/AppText.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace tarnwick {
namespace {

std::atomic<MessageSink*> g_sink{nullptr};

void onAllocationFailure() { reportOutOfMemoryAndExit(); }

}  // namespace

void installOutOfMemoryHandler(MessageSink& sink) {
  g_sink.store(&sink);
  std::set_new_handler(&onAllocationFailure);
}

void reportOutOfMemoryAndExit() {
  // A failing allocation while the message is built must not come back here.
  std::set_new_handler(nullptr);
  MessageSink* sink = g_sink.load();
  bool shown = false;
  if (sink != nullptr) {
    try {
      sink->show(Message{kOutOfMemoryMessage, kMessageCaption, MessageIcon::Error, MessageButtons::Ok, true});
      shown = true;
    } catch (...) {
    }
  }
  if (!shown) {
    std::fputs(kMessageCaption, stderr);
    std::fputs(": ", stderr);
    std::fputs(kOutOfMemoryMessage, stderr);
    std::fputc('\n', stderr);
  }
  std::fflush(nullptr);
  std::_Exit(kOutOfMemoryExitCode);
}

}  // namespace tarnwick
