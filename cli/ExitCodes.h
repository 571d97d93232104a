#pragma once

namespace tarnwick::cli {

// What the command line's exit status means.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;           // the job ran but failed
inline constexpr int kExitUsage = 2;             // bad command line
inline constexpr int kExitCannotOpen = 3;        // missing, unreadable or held by another process
inline constexpr int kExitUnsupportedStore = 4;  // the header gives an unsupported page size
inline constexpr int kExitNoMailbox = 5;         // the scan found no mailbox in the store
inline constexpr int kExitStopped = 130;         // the user stopped the work (Ctrl-C)
// Out of memory has its own code (platform/OutOfMemory.h).

}  // namespace tarnwick::cli
