#include "platform/FileSizeLimit.h"

#include <csignal>

namespace tarnwick {

void failWritesBeyondTheFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace tarnwick
