#pragma once

namespace tarnwick {

// A write past the process's file-size limit (ulimit -f) fails with EFBIG instead of ending
// the process with SIGXFSZ, so that the save can count what the output lost, close what it
// can and write its report. Called once at the start of each program.
void failWritesBeyondTheFileSizeLimit();

}  // namespace tarnwick
