#pragma once

#include "cli/CliCommand.h"

namespace tarnwick::cli {

// `tarnwick export STORE [--stm FILE] --out DIR [--folder PATH|ID]... [--all]
// [--format pst|eml|mbox] [--yes] [--json]`: scans the store, selects folders as the
// tree's checks would (a mailbox selects all its folders), checks the destination, and
// saves with the counting pass and progress on stderr. Ctrl-C once asks whether to abort
// (stops at once with --yes). Exit 0 when everything selected was written, 6 when some
// items failed, 130 after a stop, 3 when a file cannot be opened or the destination is
// refused.
CliCommand addExportCommand(CLI::App& program);

}  // namespace tarnwick::cli
