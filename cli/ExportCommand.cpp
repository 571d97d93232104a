#include "cli/ExportCommand.h"

#include "cli/ExitCodes.h"
#include "export/ContentItemSource.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>
#include "analysis/FolderTreeModel.h"
#include "analysis/ScanControl.h"
#include "analysis/ScanEngine.h"
#include "analysis/ScanModel.h"
#include "analysis/ScanSummary.h"
#include "cli/ExitCodes.h"
#include "cli/SaveProgress.h"
#include "cli/StoreSession.h"
#include "cli/TerminalMessageSink.h"
#include "content/FolderLoader.h"
#include "export/ContentItemSource.h"
#include "export/DestinationCheck.h"
#include "export/MessageItemWriters.h"
#include "export/OutputFormats.h"
#include "export/SaveEngine.h"
#include "export/SaveTexts.h"
#include "export/SaveWorker.h"
#include "platform/CodePage.h"
#include "platform/TempDirectory.h"
#include "store/ByteSource.h"

namespace tarnwick::cli {
namespace {

inline constexpr int kExitSomeFailed = 6;

struct ExportOptions {
  std::string store;
  std::string stm;
  std::string out;
  std::vector<std::string> folders;
  bool all = false;
  std::string format = "pst";
  bool yes = false;
  bool json = false;
};

// Ctrl-C is counted here while the save runs, and the command's own thread decides what
// it means; before the save starts it ends the program at once.
std::atomic<int> g_interrupts{0};
std::atomic<bool> g_saving{false};

extern "C" void OnExportInterrupt(int) {
  if (!g_saving.load()) ::_exit(kExitStopped);
  g_interrupts.fetch_add(1);
}

// SIGTERM (a service stop) and SIGHUP (a dropped session) stop a running save like Stop:
// the current item is finished, the outputs are closed as valid files and the report is
// written; the exit code is then 128 + the signal. Before the save they end the program.
std::atomic<int> g_termination{0};

extern "C" void OnExportTermination(int signal) {
  if (!g_saving.load()) ::_exit(128 + signal);
  g_termination.store(signal);
}

class InterruptGuard {
 public:
  InterruptGuard() {
    g_interrupts.store(0);
    g_termination.store(0);
    g_saving.store(false);
    struct sigaction action {};
    action.sa_handler = OnExportInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
    struct sigaction termination {};
    termination.sa_handler = OnExportTermination;
    sigemptyset(&termination.sa_mask);
    ::sigaction(SIGTERM, &termination, &previousTerm_);
    ::sigaction(SIGHUP, &termination, &previousHup_);
  }
  ~InterruptGuard() {
    ::sigaction(SIGINT, &previous_, nullptr);
    ::sigaction(SIGTERM, &previousTerm_, nullptr);
    ::sigaction(SIGHUP, &previousHup_, nullptr);
    g_saving.store(false);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
  struct sigaction previousTerm_ {};
  struct sigaction previousHup_ {};
};

// The tree item a --folder value names: a folder as `tarnwick list` takes it (its id, or
// its path "Mailbox/Inbox"), or a mailbox by its name or id.
analysis::TreeItemHandle findItem(const session::StoreSession& session, const std::string& wanted) {
  if (const auto* node = session.findFolder(wanted)) return node->treeItem;
  const auto& tree = session.tree();
  std::u16string name = utf8ToUtf16(wanted);
  while (!name.empty() && (name.back() == u'/' || name.back() == u'\\')) name.pop_back();
  for (const auto& node : session.model().folders)
    if (node.parentId.isZero() && node.treeItem != 0 && (analysis::idHex(node.id) == wanted || node.name == name))
      return node.treeItem;
  for (auto mailbox : tree.children(tree.root()))
    if (tree.text(mailbox) == name) return mailbox;
  return 0;
}

void check(analysis::FolderTreeModel& tree, analysis::TreeItemHandle item) {
  if (!tree.isChecked(item)) tree.toggle(item);
}

nlohmann::json resultJson(const exporter::SaveResult& result) {
  const auto t = result.report.totals();
  nlohmann::json outputs = nlohmann::json::array();
  for (const auto& p : result.outputs) outputs.push_back(p.string());
  return {{"outcome", result.report.outcome},
          {"result", exporter::saveResultText(result)},
          {"outputs", outputs},
          {"report", result.reportJson.string()},
          {"reportText", result.reportText.string()},
          {"totals",
           {{"found", t.found},
            {"written", t.written},
            {"leftOut", t.leftOut},
            {"failed", t.failed},
            {"skipped", t.skipped},
            {"notReached", t.notReached},
            {"withoutRecord", t.withoutRecord},
            {"errors", t.errors}}}};
}

int runExport(const ExportOptions& options) {
  const auto format = exporter::parseOutputFormat(options.format);
  if (!format) {
    std::fprintf(stderr, "tarnwick: unknown format '%s' (pst, eml or mbox)\n", options.format.c_str());
    return kExitUsage;
  }
  InterruptGuard interrupts;
  session::StoreSession session;
  if (auto failed = openStoreSession(session, options.store, options.stm)) return *failed;
  TerminalMessageSink sink(stderr, options.yes);
  const bool terminal = ::isatty(STDERR_FILENO) != 0;
  auto& model = session.model();
  auto& tree = session.tree();

  // The selection, as checks in the tree would make it.
  if (options.all)
    for (auto mailbox : tree.children(tree.root())) check(tree, mailbox);
  for (const auto& wanted : options.folders) {
    const auto item = findItem(session, wanted);
    if (item == 0) {
      std::fprintf(stderr, "tarnwick: no folder '%s' in %s\n", wanted.c_str(), options.store.c_str());
      return kExitUsage;
    }
    check(tree, item);
  }
  analysis::SelectionList selection = tree.buildSelectionList();
  if (selection.empty()) {
    std::fprintf(stderr, "%s\n", exporter::kNoFoldersSelected);
    return kExitUsage;
  }

  const std::filesystem::path destination = options.out;
  const auto freeSpace = exporter::systemFreeSpaceProbe();
  if (auto refusal = exporter::destinationRefusal(exporter::checkDestination(destination, freeSpace), destination)) {
    std::fprintf(stderr, "tarnwick: %s (%s)\n", refusal->text.c_str(), options.out.c_str());
    return kExitCannotOpen;
  }

  // The save, on its own worker thread.
  exporter::SaveControl control;
  const auto work = privateTempDirectory();
  exporter::ContentItemSource items(model, *session.loader(), *session.database(), session.streaming(),
                                    session.geometry(), work, &control.stopFlag());
  exporter::KindItemWriter writer(items, *session.database(), session.geometry(), work);
  auto output = exporter::makeOutputFactory(*format);
  SaveProgress progress(stderr, terminal);
  exporter::SaveSettings settings;
  settings.destination = destination;
  settings.formatName = exporter::outputFormatName(*format);
  settings.largePages = store::isLargePage(session.geometry().PageSizeClass);
  settings.sourceFiles.push_back(options.store);
  if (!options.stm.empty()) settings.sourceFiles.push_back(options.stm);
  exporter::SaveEngine engine(model, items, writer, *output, progress, sink, control, settings);
  control.reset();
  exporter::SaveWorker worker(engine, selection);
  g_saving.store(true);
  worker.start();
  int handled = 0;
  bool terminating = false;
  // Without a terminal nobody can answer the question of Ctrl-C: it stops at once.
  const bool canAsk = ::isatty(STDIN_FILENO) != 0;
  while (!worker.finished()) {
    const int seen = g_interrupts.load();
    if (seen > handled) {
      handled = seen;
      progress.breakLine();
      if (options.yes || seen > 1 || !canAsk)
        control.requestStop();
      else
        control.requestAbort(sink);
    }
    if (!terminating && g_termination.load() != 0) {
      terminating = true;
      progress.breakLine();
      control.requestStop();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const auto& result = worker.wait();
  progress.breakLine();

  if (options.json) {
    std::printf("%s\n", resultJson(result).dump(2).c_str());
  } else {
    std::printf("%s\n", exporter::saveResultText(result));
    for (const auto& p : result.outputs) std::printf("Output: %s\n", p.string().c_str());
    const auto t = result.report.totals();
    std::printf("Written %llu of %llu found; left out %llu, failed %llu, skipped %llu, not reached %llu\n",
                static_cast<unsigned long long>(t.written), static_cast<unsigned long long>(t.found),
                static_cast<unsigned long long>(t.leftOut), static_cast<unsigned long long>(t.failed),
                static_cast<unsigned long long>(t.skipped), static_cast<unsigned long long>(t.notReached));
    std::printf("Report: %s\n        %s\n", result.reportJson.string().c_str(), result.reportText.string().c_str());
  }
  if (!result.reportError.empty()) std::fprintf(stderr, "tarnwick: %s\n", result.reportError.c_str());
  if (const int signal = g_termination.load(); signal != 0) return 128 + signal;
  switch (result.end) {
    case exporter::SaveEnd::SetupFailed: return kExitFailure;
    case exporter::SaveEnd::Stopped:
    case exporter::SaveEnd::LowSpaceStopped: return kExitStopped;
    case exporter::SaveEnd::Completed: break;
  }
  return result.everythingWritten() ? kExitOk : kExitSomeFailed;
}

}  // namespace

CliCommand addExportCommand(CLI::App& program) {
  auto options = std::make_shared<ExportOptions>();
  CLI::App* cmd = program.add_subcommand("export", "Save folders of a store to PST, EML or mbox files, with a report");
  cmd->add_option("store", options->store, "the Exchange database file (.edb)")->required();
  cmd->add_option("--stm", options->stm, "the streaming file (.stm) of a 4 KB-page store");
  cmd->add_option("--out", options->out, "the destination folder")->required();
  cmd->add_option(
      "--folder", options->folders,
      "a folder or mailbox to save: its path (Mailbox/Inbox, a / inside a name written \\/) or its id; repeatable");
  cmd->add_flag("--all", options->all, "save every mailbox");
  cmd->add_option("--format", options->format, "pst (default), eml or mbox");
  cmd->add_flag("--yes", options->yes, "answer every question yes; Ctrl-C stops at once");
  cmd->add_flag("--json", options->json, "print the result as JSON");
  return {cmd, [options] { return runExport(*options); }};
}

}  // namespace tarnwick::cli
