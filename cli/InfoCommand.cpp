#include "cli/InfoCommand.h"

#include "cli/ExitCodes.h"
#include "cli/StoreFiles.h"
#include "platform/FileError.h"
#include "platform/StoreFile.h"
#include "store/HeaderCheck.h"
#include "store/StoreMessages.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <memory>
#include <string>

namespace tarnwick::cli {
namespace {

struct InfoOptions {
  std::string store;
  bool json = false;
};

const char* classText(store::PageSizeClass pageSizeClass) {
  switch (pageSizeClass) {
    case store::PageSizeClass::Page4K: return "4 KB pages";
    case store::PageSizeClass::Page8K: return "8 KB pages";
    case store::PageSizeClass::Page32K: return "32 KB pages";
    default: return "unsupported";
  }
}

int runInfo(const InfoOptions& options) {
  StoreFile database;
  if (!openStoreFile(database, options.store)) return kExitCannotOpen;
  store::HeaderCheckResult check;
  try {
    check = store::checkStoreHeader(database, nullptr);
  } catch (const FileError& e) {
    std::fprintf(stderr, "tarnwick: %s\n", e.what());
    return kExitCannotOpen;
  }
  if (check.outcome == store::HeaderCheckOutcome::UnsupportedPageSize) {
    std::fprintf(stderr, "tarnwick: '%s': %s\n", options.store.c_str(), store::kCorruptedFileMessage);
    std::fprintf(stderr, "tarnwick: '%s': %s\n", options.store.c_str(), check.problem.c_str());
    return kExitUnsupportedStore;
  }
  const store::StoreGeometry& g = check.geometry;
  if (options.json) {
    nlohmann::json out = {
        {"store", options.store}, {"pageSize", g.PageSize},     {"pageSizeClass", store::classNumber(g.PageSizeClass)},
        {"fileSize", g.FileSize}, {"pageCount", g.pageCount()}, {"pageReadLength", g.PageReadLength},
    };
    std::printf("%s\n", out.dump(2).c_str());
  } else {
    std::printf("Store:            %s\n", options.store.c_str());
    std::printf("Page size:        %d bytes\n", g.PageSize);
    std::printf("Page-size class:  %d (%s)\n", store::classNumber(g.PageSizeClass), classText(g.PageSizeClass));
    std::printf("File size:        %lld bytes\n", static_cast<long long>(g.FileSize));
    std::printf("Pages:            %lld (after the header and its copy)\n", static_cast<long long>(g.pageCount()));
  }
  return kExitOk;
}

}  // namespace

CliCommand addInfoCommand(CLI::App& program) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = program.add_subcommand("info", "Page size, page-size class, file size and page count of a store");
  info->add_option("STORE", options->store, "The Exchange database file (.edb)")->required();
  info->add_flag("--json", options->json, "Print the figures as JSON");
  return CliCommand{info, [options] { return runInfo(*options); }};
}

}  // namespace tarnwick::cli
