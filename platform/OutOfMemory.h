#pragma once

#include "platform/MessageSink.h"

namespace tarnwick {

// Exit code of a process that ran out of memory.
inline constexpr int kOutOfMemoryExitCode = 7;

// Installs the process's out-of-memory rule: when an allocation fails, `sink` is shown
// "Out Of Memory" (message caption, error icon, system-modal) and the process ends with
// kOutOfMemoryExitCode. The sink must live as long as the process.
void installOutOfMemoryHandler(MessageSink& sink);

// Applies the rule at once (for a caught std::bad_alloc). Does not return.
[[noreturn]] void reportOutOfMemoryAndExit();

}  // namespace tarnwick
