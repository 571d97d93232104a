#include "tests/support/Commands.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace tarnwick::testing {

CommandResult run(const std::string& command) {
  CommandResult r;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
