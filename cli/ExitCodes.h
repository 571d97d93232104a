#pragma once

namespace tarnwick::cli {

// What the command line's exit status means.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;           // the job ran but failed
inline constexpr int kExitUsage = 2;             // bad command line
inline constexpr int kExitCannotOpen = 3;        // missing, unreadable or held by another process
inline constexpr int kExitUnsupportedStore = 4;  // the header gives an unsupported page size
// 5: out of memory (platform/OutOfMemory.h)

}  // namespace tarnwick::cli
