#pragma once

#include "cli/CliCommand.h"

namespace tarnwick::cli {

// `tarnwick list STORE [--stm FILE] --folder PATH|ID [--sort COLUMN] [--desc] [--json]`:
// the rows of a folder's message list (kind, attachment mark, From, Subject, Date).
CliCommand addListCommand(CLI::App& program);

}  // namespace tarnwick::cli
