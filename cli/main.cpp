#include "cli/ExitCodes.h"
#include "cli/ExportCommand.h"
#include "cli/InfoCommand.h"
#include "cli/ListCommand.h"
#include "cli/ScanCommand.h"
#include "cli/ShowCommand.h"
#include "platform/FileSizeLimit.h"
#include "platform/MessageSink.h"
#include "platform/OutOfMemory.h"
#include "platform/Version.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  using namespace tarnwick;
  static StreamMessageSink messages(stderr);
  installOutOfMemoryHandler(messages);
  failWritesBeyondTheFileSizeLimit();

  CLI::App program{"Tarnwick recovers mail from Microsoft Exchange mailbox stores (.edb, .stm).", "tarnwick"};
  program.set_version_flag("--version", std::string("tarnwick ") + kToolVersion);
  program.require_subcommand(1);
  std::vector<cli::CliCommand> commands;
  commands.push_back(cli::addInfoCommand(program));
  commands.push_back(cli::addScanCommand(program));
  commands.push_back(cli::addListCommand(program));
  commands.push_back(cli::addShowCommand(program));
  commands.push_back(cli::addExportCommand(program));

  try {
    program.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int rc = program.exit(e);
    return rc == 0 ? cli::kExitOk : cli::kExitUsage;
  }
  try {
    for (const auto& command : commands) {
      if (command.parser->parsed()) return command.run();
    }
  } catch (const std::bad_alloc&) {
    reportOutOfMemoryAndExit();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarnwick: %s\n", e.what());
    return cli::kExitFailure;
  }
  return cli::kExitUsage;
}
