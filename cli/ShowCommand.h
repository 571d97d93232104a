#pragma once

#include "cli/CliCommand.h"

namespace tarnwick::cli {

// `tarnwick show STORE [--stm FILE] --folder PATH|ID --message ID [--json]
// [--body-out FILE] [--attachments-out DIR]`: the preview of one message.
CliCommand addShowCommand(CLI::App& program);

}  // namespace tarnwick::cli
