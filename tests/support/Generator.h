#pragma once

// Running the built store generator (tarnwick-storegen) from tests.

#include <filesystem>
#include <string>

namespace tarnwick::testing {

// The generator of this build; it exists only when the generator is part of the build.
std::filesystem::path generatorPath();

// Writes a store of `format` ("4k", "8k", "32k") into `dir` with the generator's further
// `options` (a seed, damage); a non-empty `scenario` is written to dir/scenario.json and
// passed along. The generator's messages are dropped. Returns what std::system gives: 0
// when the generator succeeded.
int generateStore(const std::filesystem::path& dir, const std::string& format, const std::string& options = "",
                  const std::string& scenario = "");

}  // namespace tarnwick::testing
