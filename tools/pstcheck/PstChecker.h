// Checks a whole Outlook data file held in memory and reports every fault found.
#pragma once

#include "tools/pstcheck/ByteView.h"
#include "tools/pstcheck/Report.h"

namespace tarnwick::pstcheck {

/// Runs every check over the bytes of one .pst file. Never reads outside `file`.
Report checkPst(Bytes file);

}  // namespace tarnwick::pstcheck
