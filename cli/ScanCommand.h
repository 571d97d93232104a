#pragma once

#include "cli/CliCommand.h"

namespace tarnwick::cli {

// `tarnwick scan STORE [--stm FILE] [--json]`: runs the five-step scan with progress on
// stderr and Ctrl-C as the stop request, then prints the mailboxes and folders found.
CliCommand addScanCommand(CLI::App& program);

}  // namespace tarnwick::cli
