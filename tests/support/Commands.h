#pragma once

// Running shell commands and tools from tests, and reading back the files they write.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarnwick::testing {

struct CommandResult {
  int status = -1;     // exit code; -1 when ended by a signal or not started
  std::string output;  // stdout and stderr
};
CommandResult run(const std::string& command);
// The exit code of `command`; its stdout and stderr go to `output` when given.
int runCommand(const std::string& command, std::string* output = nullptr);

// What a command wrote to stdout and to stderr, kept apart, for callers that parse stdout.
struct SeparatedResult {
  int status = -1;     // exit code; -1 when ended by a signal or not started
  std::string output;  // stdout
  std::string errors;  // stderr
};
SeparatedResult runApart(const std::string& command);
bool toolAvailable(const std::string& name);
// `path` in single quotes for the shell.
std::string shellQuoted(const std::filesystem::path& path);

std::vector<std::uint8_t> readFile(const std::filesystem::path& path);
std::string readText(const std::filesystem::path& path);

}  // namespace tarnwick::testing
