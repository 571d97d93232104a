#pragma once

#include <filesystem>
#include <string>

#include "tests/support/Commands.h"
#include "tests/support/ScratchDir.h"

namespace tarnwick::pst::testing {

using tarnwick::testing::readText;
using tarnwick::testing::runCommand;
using tarnwick::testing::ScratchDir;
using tarnwick::testing::shellQuoted;
using tarnwick::testing::toolAvailable;

/// Runs tarnwick-pstcheck on a file when it is built; empty when clean (or not built),
/// else its report.
std::string pstcheckProblems(const std::filesystem::path& pst);

}  // namespace tarnwick::pst::testing
