#include "cli/ListCommand.h"

#include "analysis/ScanSummary.h"
#include "cli/ExitCodes.h"
#include "cli/StoreSession.h"
#include "content/MessageListFill.h"
#include "content/RowSorting.h"
#include "platform/CodePage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

namespace tarnwick::cli {
namespace {

struct ListOptions {
  std::string store;
  std::string stm;
  std::string folder;
  std::string sort;
  bool descending = false;
  bool json = false;
};

const char* kindName(int icon) {
  switch (icon) {
    case content::MessageListImages::kAppointment: return "appointment";
    case content::MessageListImages::kContact: return "contact";
    case content::MessageListImages::kJournal: return "journal";
    case content::MessageListImages::kNote: return "note";
    case content::MessageListImages::kTask: return "task";
    default: return "mail";
  }
}

int columnOf(const std::string& name) {
  if (name == "attachment") return 1;
  if (name == "from") return 2;
  if (name == "subject") return 3;
  if (name == "date") return 4;
  return 0;
}

int runList(const ListOptions& options) {
  session::StoreSession session;
  if (std::optional<int> failed = openStoreSession(session, options.store, options.stm)) return *failed;
  const analysis::FolderNode* folder = session.findFolder(options.folder);
  if (folder == nullptr) {
    std::fprintf(stderr, "tarnwick: no folder '%s' in '%s'\n", options.folder.c_str(), options.store.c_str());
    return kExitUsage;
  }
  session.loadFolder(*folder);
  std::vector<content::MessageRow> rows =
      content::buildMessageRows(session.model().messages, *folder, session.tree().mailboxNameFor(folder->treeItem),
                                *session.database(), session.geometry());
  if (!options.sort.empty()) {
    content::RowSorter sorter;
    if (options.descending) sorter.sorted();
    const int column = columnOf(options.sort);
    std::stable_sort(rows.begin(), rows.end(), [&](const content::MessageRow& a, const content::MessageRow& b) {
      return sorter.compareRows(&a.sort, &b.sort, column) < 0;
    });
  }
  if (options.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const content::MessageRow& row : rows) {
      list.push_back({{"id", analysis::idHex(analysis::FolderId::fromBytes(row.sort.messageId.bytes))},
                      {"kind", kindName(row.icon)},
                      {"attachments", row.attachmentMark},
                      {"from", utf16ToUtf8(row.from)},
                      {"subject", utf16ToUtf8(row.subject)},
                      {"date", utf16ToUtf8(row.date)}});
    }
    nlohmann::json out = {{"store", options.store},
                          {"folder", analysis::idHex(folder->id)},
                          {"name", utf16ToUtf8(folder->name)},
                          {"messages", std::move(list)}};
    std::printf("%s\n", out.dump(2).c_str());
  } else {
    for (const content::MessageRow& row : rows) {
      std::printf("%s\t%s\t%s\t%s\t%s\t%s\n",
                  analysis::idHex(analysis::FolderId::fromBytes(row.sort.messageId.bytes)).c_str(), kindName(row.icon),
                  row.attachmentMark ? "@" : "-", utf16ToUtf8(row.from).c_str(), utf16ToUtf8(row.subject).c_str(),
                  utf16ToUtf8(row.date).c_str());
    }
  }
  return kExitOk;
}

}  // namespace

CliCommand addListCommand(CLI::App& program) {
  auto options = std::make_shared<ListOptions>();
  CLI::App* list = program.add_subcommand("list", "List the messages of one folder (From, Subject, Date)");
  list->add_option("STORE", options->store, "The Exchange database file (.edb)")->required();
  list->add_option("--stm", options->stm, "The streaming file (.stm) of a 4 KB-page store");
  list->add_option("--folder", options->folder, "The folder: its id (16 hex digits) or its path, levels separated by /")
      ->required();
  list->add_option("--sort", options->sort, "Sort by a column as its header does")
      ->check(CLI::IsMember({"icon", "attachment", "from", "subject", "date"}));
  list->add_flag("--desc", options->descending, "Sort the other way");
  list->add_flag("--json", options->json, "Print the rows as one JSON document");
  return CliCommand{list, [options] { return runList(*options); }};
}

}  // namespace tarnwick::cli
