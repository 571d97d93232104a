#include "tests/support/Commands.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tarnwick::testing {

namespace {

// Runs the shell `command` and reads what it writes to stdout into `output`; the exit
// code, or -1 when it was ended by a signal or could not be started.
int readPipe(const std::string& command, std::string& output) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

CommandResult run(const std::string& command) {
  CommandResult r;
  r.status = readPipe(command + " 2>&1", r.output);
  return r;
}

SeparatedResult runApart(const std::string& command) {
  const std::string errorsTemplate = (std::filesystem::temp_directory_path() / "tarnwick-stderr-XXXXXX").string();
  std::vector<char> errorsName(errorsTemplate.begin(), errorsTemplate.end());
  errorsName.push_back('\0');
  const int errorsFile = ::mkstemp(errorsName.data());
  if (errorsFile < 0) throw std::runtime_error("cannot make a file for the stderr of " + command);
  ::close(errorsFile);
  SeparatedResult r;
  r.status = readPipe(command + " 2>" + shellQuoted(errorsName.data()), r.output);
  r.errors = readText(errorsName.data());
  ::unlink(errorsName.data());
  return r;
}

int runCommand(const std::string& command, std::string* output) {
  CommandResult r = run(command);
  if (output) *output = std::move(r.output);
  return r.status;
}

bool toolAvailable(const std::string& name) { return run("command -v " + name).status == 0; }

std::string shellQuoted(const std::filesystem::path& path) {
  std::string s = "'";
  for (char c : path.string()) {
    if (c == '\'') {
      s += "'\\''";
    } else {
      s += c;
    }
  }
  return s + "'";
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tarnwick::testing
