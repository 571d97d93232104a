#include "export/SaveEngine.h"

#include "export/ExportDate.h"
#include "export/OutputNaming.h"
#include "export/SaveTexts.h"
#include "platform/AppText.h"
#include "platform/CodePage.h"
#include "platform/NewFile.h"
#include "platform/RenameWithoutReplacing.h"
#include "platform/Version.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace tarnwick::exporter {
namespace {

// StoppedBeforeStart: stopped before the entry's store was touched; the entry is accounted
// for with the ones the save never came to.
enum class PassEnd { Done, Stopped, StoppedBeforeStart, LowSpace };

SystemTime clockLocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  SystemTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.dayOfWeek = local.tm_wday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  return t;
}

std::int64_t clockUnixNow() { return static_cast<std::int64_t>(std::time(nullptr)); }

// On 32 KB-page stores an item belongs to a folder only when both carry the same owner
// key; a missing key on either side never matches.
bool sameOwner(const std::optional<std::string>& a, const std::optional<std::string>& b) { return a && b && *a == *b; }

std::string messageOf(const std::exception& e) { return e.what(); }

// Makes one call of an output writer. A failure is noted in `errors` as `what` followed by
// the writer's message, and the call gives false; nothing a writer throws is dropped.
template <class Call>
bool callWriter(std::vector<std::string>& errors, const std::string& what, Call&& call) {
  try {
    call();
    return true;
  } catch (const std::exception& ex) {
    errors.push_back(what + ": " + messageOf(ex));
    return false;
  }
}

int percentOf(std::uint32_t part, std::uint32_t whole) {
  return whole == 0 ? 0 : static_cast<int>(static_cast<std::uint64_t>(part) * 100 / whole);
}

}  // namespace

std::string hexId(const analysis::MessageId& id) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (auto b : id.bytes) {
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 15]);
  }
  return text;
}

bool SaveResult::everythingWritten() const {
  const auto t = report.totals();
  return end == SaveEnd::Completed && t.failed == 0 && t.skipped == 0 && t.notReached == 0 && t.errors == 0;
}

const char* saveResultText(const SaveResult& result) {
  if (!result.succeeded) return kSavingAborted;
  return result.everythingWritten() ? kSavingCompleted : kSavingCompletedWithFailures;
}

SaveEngine::SaveEngine(analysis::ScanModel& model, FolderItemSource& items, ItemWriter& writer,
                       OutputFormatFactory& output, SaveObserver& observer, MessageSink& sink, SaveControl& control,
                       SaveSettings settings)
    : model_(model),
      items_(items),
      writer_(writer),
      output_(output),
      observer_(observer),
      sink_(sink),
      control_(control),
      settings_(std::move(settings)) {
  if (!settings_.freeSpace) settings_.freeSpace = systemFreeSpaceProbe();
  if (!settings_.localNow) settings_.localNow = clockLocalNow;
  if (!settings_.unixNow) settings_.unixNow = clockUnixNow;
}

// The state of one save from start to end.
struct SaveEngine::Run {
  SaveEngine& e;
  analysis::SelectionList& selection;
  SaveResult result;
  OutputNamer namer;

  struct Store {
    std::unique_ptr<OutputStore> store;
    std::string displayName;
    std::filesystem::path path;     // the output's name once it is finished
    std::filesystem::path working;  // its name while it is written
    std::size_t output = 0;         // its place in the result's outputs
  };
  std::map<std::u16string, Store> open;               // mailboxes whose store is open
  std::map<std::u16string, std::size_t> lastEntryOf;  // the last selection entry of each mailbox
  std::map<std::u16string, std::size_t> reportOf;     // index into result.report.mailboxes
  std::unordered_map<std::uint32_t, const analysis::FolderNode*> folderByTreeItem;
  std::optional<std::u16string> lastMailbox;
  Store* current = nullptr;
  std::uint32_t threshold = 0;
  std::uint32_t total = 0;

  // The counting pass's findings for one folder.
  struct Count {
    std::vector<std::size_t> inRange;  // header positions inside the date range
    bool stopped = false;
  };

  Run(SaveEngine& engine, analysis::SelectionList& list)
      : e(engine), selection(list), namer(engine.settings_.destination) {}

  MailboxReport& mailboxReport(const std::u16string& name) {
    auto [it, added] = reportOf.try_emplace(name, result.report.mailboxes.size());
    if (added) {
      result.report.mailboxes.emplace_back();
      result.report.mailboxes.back().name = utf16ToUtf8(name);
    }
    return result.report.mailboxes[it->second];
  }

  ItemNote noteOf(const analysis::MessageHeader& header, std::string reason) {
    return {hexId(header.messageId), safeSubject(header), std::move(reason)};
  }
  template <class T>
  std::string safeSubject(const T& record) {
    try {
      return e.items_.subjectOf(record);
    } catch (const std::exception&) {
      return {};
    }
  }

  bool belongs(const analysis::MessageHeader& h, const analysis::FolderNode& folder) const {
    return !e.settings_.largePages || sameOwner(h.ownerKey, folder.ownerKey);
  }

  // Walks the folder's headers: every one is found; those inside the date range count,
  // the others are noted as left out. Stop ends the walk.
  Count countingPass(const analysis::FolderNode& folder, FolderReport& report) {
    Count count;
    for (std::size_t position : e.model_.messageHeaders.headersOfFolder(folder.id)) {
      e.control_.waitWhilePaused();
      if (e.control_.stopRequested()) {
        count.stopped = true;
        break;
      }
      const auto& header = e.model_.messageHeaders[position];
      if (!belongs(header, folder)) continue;
      ++report.found;
      const auto time = exportTimeOf(header.time);
      if (time.rejection != DateRejection::None) {
        report.leftOut.push_back(noteOf(header, dateRejectionText(time.rejection)));
      } else {
        count.inRange.push_back(position);
      }
    }
    report.counted = static_cast<std::uint32_t>(count.inRange.size());
    return count;
  }

  // Opens (or goes on in) the output store of a mailbox.
  void openStoreFor(const std::u16string& mailbox) {
    if (lastMailbox && *lastMailbox == mailbox && current != nullptr) return;
    lastMailbox = mailbox;
    if (auto it = open.find(mailbox); it != open.end()) {
      current = &it->second;
      return;
    }
    const std::string stamp = saveStamp(e.settings_.localNow());
    // The output is written under a working name and takes its own name only once it is
    // finished, so that no file under an output's name is ever half written.
    std::filesystem::path path;
    std::filesystem::path working;
    std::error_code ec;
    do {
      path = namer.storePath(mailbox, stamp, e.output_.extension());
      working = path;
      working += kWorkingSuffix;
    } while (std::filesystem::exists(std::filesystem::symlink_status(working, ec)));
    Store store{e.output_.newStore(), storeDisplayName(mailbox, stamp), path, working, result.outputs.size()};
    auto& report = mailboxReport(mailbox);
    report.displayName = store.displayName;
    report.output = path.string();
    result.outputs.push_back(path);
    auto& mail = store.store->mail();
    callWriter(report.errors, "the output " + working.string() + " could not be created",
               [&] { mail.CreateStore(working.string(), store.displayName); });
    current = &open.emplace(mailbox, std::move(store)).first->second;
  }

  void closeStore(const std::u16string& mailbox) {
    auto it = open.find(mailbox);
    if (it == open.end()) return;
    auto& mail = it->second.store->mail();
    MailboxReport& report = mailboxReport(mailbox);
    if (!callWriter(report.errors, "the output could not be finished", [&] { mail.CloseStore(); })) {
      // It stays under its working name; its items are failed.
      report.output = it->second.working.string();
      result.outputs[it->second.output] = it->second.working;
      failWrittenItems(mailbox, report.errors.back());
    } else if (const int error = renameWithoutReplacing(it->second.working, it->second.path); error != 0) {
      // Complete and readable, but under its working name: its items are there.
      report.output = it->second.working.string();
      result.outputs[it->second.output] = it->second.working;
      report.errors.push_back("the finished output " + it->second.working.string() + " could not be renamed to " +
                              it->second.path.string() + ": " + std::strerror(error));
    }
    if (current == &it->second) current = nullptr;
    open.erase(it);
  }

  // The output of `mailbox` could not be finished: what was written into it is not in a file
  // anyone can open, so every item counted as written there is counted as failed instead.
  void failWrittenItems(const std::u16string& mailbox, const std::string& reason) {
    for (FolderReport& folder : mailboxReport(mailbox).folders) {
      std::unordered_set<std::string> failedIds;
      for (ItemNote& note : folder.writtenItems) {
        failedIds.insert(note.messageId);
        folder.failed.push_back({std::move(note.messageId), std::move(note.subject), reason});
      }
      std::erase_if(folder.withoutRecord, [&](const ItemNote& note) { return failedIds.contains(note.messageId); });
      folder.written = 0;
      folder.writtenItems.clear();
    }
  }

  std::string storeRoot() const { return "\\\\" + current->displayName + "\\"; }

  void createFolderChain(const std::u16string& path, FolderReport& report) {
    auto& mail = current->store->mail();
    for (std::size_t p = path.find(u'\\'); p != std::u16string::npos; p = path.find(u'\\', p + 1)) {
      const std::string folderPath = storeRoot() + utf16ToUtf8(path.substr(0, p));
      callWriter(report.errors, "folder " + folderPath + " could not be created",
                 [&] { mail.CreateFolder(folderPath); });
    }
  }

  // The free-space check of the common tail; false when the user ends the save.
  bool freeSpaceCheck(const std::string& folderPath, FolderReport& report) {
    threshold += kFreeSpaceCheckInterval;
    if (!freeSpacePasses(e.settings_.freeSpace(e.settings_.destination))) {
      Message question;
      question.text = kLowSpaceContinue;
      question.caption = kMessageCaption;
      question.icon = MessageIcon::Error;
      question.buttons = MessageButtons::YesNo;
      question.systemModal = true;
      if (e.sink_.show(question) != MessageAnswer::Yes) return false;
    }
    auto& mail = current->store->mail();
    callWriter(report.errors, "folder " + folderPath + " could not be reopened", [&] {
      mail.CloseFolder();
      mail.OpenFolder(folderPath);
    });
    return true;
  }

  PassEnd savePass(const analysis::SelectionEntry& entry, const analysis::FolderNode& folder,
                   const std::u16string& mailbox, const std::string& folderPath, const Count& count,
                   FolderReport& report) {
    e.observer_.currentProgress(0);
    auto& items = e.model_.messages;
    items.clear();
    try {
      e.items_.loadFolderItems(folder, items);
    } catch (const std::exception& ex) {
      report.errors.push_back("the messages of the folder could not be read: " + messageOf(ex));
    }
    const auto countValue = static_cast<std::uint32_t>(count.inRange.size());
    e.observer_.counters(0, countValue);
    ItemContext context{*current->store, folderPath, folder, mailbox, e.control_, e.observer_};
    std::unordered_map<analysis::MessageId, std::uint32_t> handled;
    std::uint32_t written = 0;
    PassEnd end = PassEnd::Done;
    for (auto& item : items) {
      e.control_.waitWhilePaused();
      if (item.folderId != folder.id) continue;
      if (e.settings_.largePages && !sameOwner(item.ownerKey, folder.ownerKey)) continue;
      const auto time = exportTimeOf(item.time);
      if (time.rejection != DateRejection::None) continue;
      e.control_.clearSkip();
      ItemOutcome outcome;
      try {
        outcome = e.writer_.write(item, time.fileTime, context);
      } catch (const std::exception& ex) {
        outcome = ItemOutcome::failed(messageOf(ex));
      }
      e.observer_.attachmentsShown(false);
      ++handled[item.messageId];
      if (outcome.result == ItemOutcome::Result::Skipped) {
        report.skipped.push_back({hexId(item.messageId), safeSubject(item), outcome.reason});
        continue;
      }
      if (outcome.result == ItemOutcome::Result::Failed) {
        report.failed.push_back({hexId(item.messageId), safeSubject(item), outcome.reason});
      } else {
        const bool checkSpace = total >= threshold;
        ++total;
        ++written;
        ++report.written;
        report.writtenItems.push_back({hexId(item.messageId), safeSubject(item), {}});
        if (!item.recordFound)
          report.withoutRecord.push_back(
              {hexId(item.messageId), safeSubject(item), "no message record was found: written from its header alone"});
        if (checkSpace && !freeSpaceCheck(folderPath, report)) {
          end = PassEnd::LowSpace;
          break;
        }
        e.observer_.counters(written, countValue);
        if (countValue > 0) {
          const int percent = percentOf(written, countValue);
          e.observer_.currentProgress(percent);
          if (selection.size() == 1) e.observer_.overallProgress(percent);
        }
      }
      if (!item.attachments.empty()) item.attachments[0].chunks.clear();
      if (e.control_.stopRequested()) {
        end = PassEnd::Stopped;
        break;
      }
    }
    (void)entry;
    accountUnhandled(count, handled,
                     end == PassEnd::Done ? "no message record was found for it" : "the save ended before this item",
                     report);
    return end;
  }

  void accountUnhandled(const Count& count, std::unordered_map<analysis::MessageId, std::uint32_t>& handled,
                        const char* reason, FolderReport& report) {
    for (std::size_t position : count.inRange) {
      const auto& header = e.model_.messageHeaders[position];
      auto it = handled.find(header.messageId);
      if (it != handled.end() && it->second > 0) {
        --it->second;
      } else {
        report.notReached.push_back(noteOf(header, reason));
      }
    }
  }

  // Notes the folders the save never came to, so that the report accounts for them.
  void accountRemaining(std::size_t from) {
    for (std::size_t i = from; i < selection.size(); ++i) {
      const auto& entry = selection[i];
      const auto mailbox = mailboxNameOf(entry.path);
      auto found = folderByTreeItem.find(entry.treeItem);
      if (!mailbox || found == folderByTreeItem.end()) continue;
      FolderReport report;
      report.path = utf16ToUtf8(entry.path);
      for (std::size_t position : e.model_.messageHeaders.headersOfFolder(found->second->id)) {
        const auto& header = e.model_.messageHeaders[position];
        if (!belongs(header, *found->second)) continue;
        ++report.found;
        const auto time = exportTimeOf(header.time);
        if (time.rejection != DateRejection::None) {
          report.leftOut.push_back(noteOf(header, dateRejectionText(time.rejection)));
        } else {
          ++report.counted;
          report.notReached.push_back(noteOf(header, "the save ended before this folder"));
        }
      }
      mailboxReport(*mailbox).folders.push_back(std::move(report));
    }
  }

  // One selection entry; returns how the save goes on.
  PassEnd saveEntry(std::size_t index) {
    auto& entry = selection[index];
    FolderReport report;
    report.path = utf16ToUtf8(entry.path);
    const auto mailbox = mailboxNameOf(entry.path);

    e.observer_.countingShown(true);
    Count count;
    auto found = folderByTreeItem.find(entry.treeItem);
    if (found != folderByTreeItem.end()) {
      count = countingPass(*found->second, report);
    } else if (mailbox && entry.path.size() > mailbox->size() + 1) {
      // A mailbox's own entry holds no items; any other entry should name a folder.
      report.errors.push_back("the folder is not among the scan's folders");
    }
    entry.messageCount = static_cast<std::uint32_t>(count.inRange.size());
    e.observer_.countingShown(false);
    if (!mailbox) return e.control_.stopRequested() ? PassEnd::StoppedBeforeStart : PassEnd::Done;

    if (count.stopped || e.control_.stopRequested()) return PassEnd::StoppedBeforeStart;

    openStoreFor(*mailbox);
    createFolderChain(entry.path, report);
    e.observer_.currentFolder(entry.path);

    PassEnd end = PassEnd::Done;
    if (!count.inRange.empty() && found != folderByTreeItem.end()) {
      const std::string folderPath = storeRoot() + utf16ToUtf8(entry.path.substr(0, entry.path.size() - 1));
      auto& mail = current->store->mail();
      callWriter(report.errors, "folder " + folderPath + " could not be opened", [&] { mail.OpenFolder(folderPath); });
      try {
        end = savePass(entry, *found->second, *mailbox, folderPath, count, report);
      } catch (const std::exception& ex) {
        report.errors.push_back("the save of the folder broke off: " + messageOf(ex));
      }
      callWriter(report.errors, "folder " + folderPath + " could not be closed", [&] { mail.CloseFolder(); });
    }
    e.observer_.folderFinished(report);
    mailboxReport(*mailbox).folders.push_back(std::move(report));
    if (lastEntryOf[*mailbox] == index) closeStore(*mailbox);
    return end;
  }

  void finishReport(const std::string& startStamp) {
    auto& report = result.report;
    report.ended = isoUtcTime(e.settings_.unixNow());
    for (const auto& source : e.settings_.sourceFiles) report.sources.push_back(describeSourceFile(source));
    const auto stem = "TK_Report_" + startStamp;
    // Both files are created new: a name taken in the meantime (by a file or a link) is never
    // written over, the pair moves on to the next free names instead.
    for (unsigned n = 1;; ++n) {
      const std::string base = n == 1 ? stem : stem + " (" + std::to_string(n) + ")";
      auto json = namer.reserve(base, ".json");
      auto text = e.settings_.destination / (json.stem().string() + ".txt");
      std::error_code ec;
      if (std::filesystem::exists(std::filesystem::symlink_status(text, ec))) continue;
      const int jsonError = writeNewFileAt(json, reportAsJson(report));
      if (jsonError == EEXIST) continue;
      const int textError = jsonError == 0 ? writeNewFileAt(text, reportAsText(report)) : 0;
      if (textError == EEXIST) {
        std::filesystem::remove(json, ec);
        continue;
      }
      result.reportJson = json;
      result.reportText = text;
      if (jsonError != 0 || textError != 0) {
        const auto& failed = jsonError != 0 ? json : text;
        result.reportError = "the report could not be written to " + failed.string() + ": " +
                             std::strerror(jsonError != 0 ? jsonError : textError);
      }
      break;
    }
  }
};

SaveResult SaveEngine::run(analysis::SelectionList& selection) {
  Run run(*this, selection);
  auto& report = run.result.report;
  report.toolVersion = kToolVersion;
  report.format = settings_.formatName;
  report.destination = settings_.destination.string();
  report.started = isoUtcTime(settings_.unixNow());
  const std::string startStamp = saveStamp(settings_.localNow());

  // The writer is set up and probed once before anything else.
  try {
    (void)output_.newStore();
  } catch (const std::exception& ex) {
    run.result.end = SaveEnd::SetupFailed;
    run.result.succeeded = false;
    report.outcome = "not started: the output writer could not be set up: " + messageOf(ex);
    run.finishReport(startStamp);
    return std::move(run.result);
  }

  control_.clearSkip();
  for (const auto& node : model_.folders)
    if (node.treeItem != 0) run.folderByTreeItem.emplace(node.treeItem, &node);
  for (std::size_t i = 0; i < selection.size(); ++i)
    if (auto mailbox = mailboxNameOf(selection[i].path)) run.lastEntryOf[*mailbox] = i;

  const auto entries = selection.size();
  std::size_t i = 0;
  for (; i < entries; ++i) {
    const PassEnd end = run.saveEntry(i);
    if (end == PassEnd::StoppedBeforeStart) {
      run.result.end = SaveEnd::Stopped;
      break;
    }
    if (end == PassEnd::Stopped || control_.stopRequested()) {
      run.result.end = SaveEnd::Stopped;
      ++i;
      break;
    }
    if (end == PassEnd::LowSpace) {
      control_.clearSaveSucceeded();
      run.result.end = SaveEnd::LowSpaceStopped;
      ++i;
      break;
    }
    if (entries >= 2)
      observer_.overallProgress(percentOf(static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(entries)));
  }
  while (!run.open.empty()) run.closeStore(run.open.begin()->first);
  run.accountRemaining(i);

  run.result.succeeded = control_.saveSucceeded();
  switch (run.result.end) {
    case SaveEnd::Completed: report.outcome = "completed"; break;
    case SaveEnd::Stopped: report.outcome = "stopped by the user"; break;
    case SaveEnd::LowSpaceStopped: report.outcome = "stopped: less than 300 MB free on the destination"; break;
    case SaveEnd::SetupFailed: break;
  }
  run.finishReport(startStamp);
  return std::move(run.result);
}

}  // namespace tarnwick::exporter
