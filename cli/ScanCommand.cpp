#include "cli/ScanCommand.h"

#include "analysis/ScanControl.h"
#include "analysis/ScanSummary.h"
#include "cli/ExitCodes.h"
#include "cli/ScanProgress.h"
#include "cli/StoreFiles.h"
#include "platform/CodePage.h"
#include "platform/MessageSink.h"
#include "session/StoreSession.h"

#include <nlohmann/json.hpp>

#include <unistd.h>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

namespace tarnwick::cli {
namespace {

using analysis::FolderSummary;
using analysis::MailboxSummary;

struct ScanOptions {
  std::string store;
  std::string stm;
  bool json = false;
};

// Ctrl-C asks the running scan to stop; a second Ctrl-C ends the program at once.
std::atomic<analysis::ScanControl*> g_control{nullptr};
std::atomic<int> g_interrupts{0};

extern "C" void OnInterrupt(int) {
  if (g_interrupts.fetch_add(1) >= 1) ::_exit(kExitStopped);
  if (auto* control = g_control.load()) control->requestStop();
}

class InterruptGuard {
 public:
  explicit InterruptGuard(analysis::ScanControl& control) {
    g_interrupts.store(0);
    g_control.store(&control);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() {
    ::sigaction(SIGINT, &previous_, nullptr);
    g_control.store(nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

nlohmann::json folderJson(const FolderSummary& folder) {
  nlohmann::json children = nlohmann::json::array();
  for (const auto& child : folder.folders) children.push_back(folderJson(child));
  return {{"id", analysis::idHex(folder.id)},
          {"name", utf16ToUtf8(folder.name)},
          {"kind", analysis::folderKindName(folder.kind)},
          {"path", utf16ToUtf8(folder.path)},
          {"messages", folder.messages},
          {"folders", std::move(children)}};
}

const char* outcomeText(analysis::ScanOutcome outcome) {
  switch (outcome) {
    case analysis::ScanOutcome::Completed: return "completed";
    case analysis::ScanOutcome::Stopped: return "stopped";
    case analysis::ScanOutcome::NoMailbox: return "no mailbox";
    case analysis::ScanOutcome::UnsupportedPageSize: return "unsupported page size";
    case analysis::ScanOutcome::FileFailed: return "read error";
    case analysis::ScanOutcome::NotOpen: return "not open";
  }
  return "";
}

void printJson(const ScanOptions& options, const analysis::ScanResult& result,
               const std::vector<MailboxSummary>& mailboxes, std::size_t headerCount) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& mailbox : mailboxes) {
    nlohmann::json folders = nlohmann::json::array();
    for (const auto& folder : mailbox.folders) folders.push_back(folderJson(folder));
    nlohmann::json entry = {
        {"id", analysis::idHex(mailbox.id)}, {"name", utf16ToUtf8(mailbox.name)}, {"folders", std::move(folders)}};
    if (mailbox.flattenedFolders != 0) entry["flattenedFolders"] = mailbox.flattenedFolders;
    list.push_back(std::move(entry));
  }
  nlohmann::json out = {{"store", options.store},
                        {"outcome", outcomeText(result.outcome)},
                        {"pageSize", result.geometry.PageSize},
                        {"messageHeaders", headerCount},
                        {"mailboxes", std::move(list)}};
  std::printf("%s\n", out.dump(2).c_str());
}

void printFolders(const std::vector<FolderSummary>& folders, int depth) {
  for (const auto& folder : folders) {
    std::printf("%*s%s [%s] %zu message%s\n", depth * 2, "", utf16ToUtf8(folder.name).c_str(),
                analysis::folderKindName(folder.kind), folder.messages, folder.messages == 1 ? "" : "s");
    printFolders(folder.folders, depth + 1);
  }
}

void printText(const ScanOptions& options, const std::vector<MailboxSummary>& mailboxes) {
  std::printf("%s\n", options.store.c_str());
  for (const auto& mailbox : mailboxes) {
    std::printf("  %s (mailbox %s)\n", utf16ToUtf8(mailbox.name).c_str(), analysis::idHex(mailbox.id).c_str());
    printFolders(mailbox.folders, 2);
  }
}

int runScan(const ScanOptions& options) {
  session::StoreSession session;
  const store::PairOpenResult opened = session.openFiles(options.store, options.stm);
  if (!opened.opened) {
    reportCannotOpen(opened.failedPath, opened.osError);
    return kExitCannotOpen;
  }

  StreamMessageSink sink(stderr);
  analysis::ScanControl control;
  ScanProgress progress(stderr, ::isatty(STDERR_FILENO) != 0);
  analysis::ScanResult result;
  {
    InterruptGuard guard(control);
    result = session.scan(utf8ToUtf16(options.store), control, progress, sink, analysis::ScanOptions{});
  }

  switch (result.outcome) {
    case analysis::ScanOutcome::UnsupportedPageSize:
      std::fprintf(stderr, "tarnwick: '%s': %s\n", options.store.c_str(), result.errorText.c_str());
      return kExitUnsupportedStore;
    case analysis::ScanOutcome::FileFailed:
    case analysis::ScanOutcome::NotOpen: return kExitFailure;
    default: break;
  }
  const auto mailboxes = analysis::summarizeScan(result, session.model(), session.tree());
  if (options.json) {
    printJson(options, result, mailboxes, session.model().messageHeaders.size());
  } else {
    printText(options, mailboxes);
  }
  for (const auto& mailbox : mailboxes) {
    if (mailbox.flattenedFolders == 0) continue;
    std::fprintf(stderr,
                 "tarnwick: %zu folders of mailbox '%s' lie more than %zu levels deep; they are listed on level %zu\n",
                 mailbox.flattenedFolders, utf16ToUtf8(mailbox.name).c_str(), analysis::kMaxFolderNesting,
                 analysis::kMaxFolderNesting);
  }
  switch (result.outcome) {
    case analysis::ScanOutcome::NoMailbox: return kExitNoMailbox;
    case analysis::ScanOutcome::Stopped: return kExitStopped;
    default: return kExitOk;
  }
}

}  // namespace

CliCommand addScanCommand(CLI::App& program) {
  auto options = std::make_shared<ScanOptions>();
  CLI::App* scan = program.add_subcommand("scan", "Scan a store for its mailboxes, folders and message headers");
  scan->add_option("STORE", options->store, "The Exchange database file (.edb)")->required();
  scan->add_option("--stm", options->stm, "The streaming file (.stm) of a 4 KB-page store");
  scan->add_flag("--json", options->json, "Print the mailboxes and folders as one JSON document");
  return CliCommand{scan, [options] { return runScan(*options); }};
}

}  // namespace tarnwick::cli
