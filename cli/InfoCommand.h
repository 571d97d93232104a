#pragma once

#include "cli/CliCommand.h"

namespace tarnwick::cli {

// `tarnwick info STORE [--json]`: the header check and the store's page geometry.
CliCommand addInfoCommand(CLI::App& program);

}  // namespace tarnwick::cli
