#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace tarnwick::cli {

// One subcommand: its parser (a child of the program's parser) and what runs when the
// command line named it. Each command lives in its own file and offers an Add<Name>Command.
struct CliCommand {
  CLI::App* parser = nullptr;
  std::function<int()> run;
};

}  // namespace tarnwick::cli
