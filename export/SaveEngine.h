#pragma once

#include "analysis/ScanModel.h"
#include "analysis/SelectionEntry.h"
#include "export/DestinationCheck.h"
#include "export/ItemWriter.h"
#include "export/SaveControl.h"
#include "export/SaveObserver.h"
#include "export/SaveReport.h"
#include "export/WriterInterfaces.h"
#include "platform/FileTime.h"
#include "platform/MessageSink.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::exporter {

struct SaveSettings {
  std::filesystem::path destination;
  std::string formatName = "pst";
  bool largePages = false;                         // a 32 KB-page store: items also match their folder by owner key
  std::vector<std::filesystem::path> sourceFiles;  // described in the report
  FreeSpaceProbe freeSpace;                        // empty: the real volume
  std::function<SystemTime()> localNow;            // empty: the clock, in local time
  std::function<std::int64_t()> unixNow;           // empty: the clock
};

// How a save ended.
enum class SaveEnd {
  Completed,        // every selected folder was worked through
  Stopped,          // the user stopped it
  LowSpaceStopped,  // "No" to the free-space question
  SetupFailed,      // the output writer could not be set up: nothing was saved
};

struct SaveResult {
  SaveEnd end = SaveEnd::Completed;
  bool succeeded = true;  // the save succeeded flag: "Saving Completed Successfully"
  SaveReport report;
  std::filesystem::path reportJson;
  std::filesystem::path reportText;
  std::string reportError;  // why the report could not be written, if so
  std::vector<std::filesystem::path> outputs;

  // Everything the counting passes found in range was written and no store failed.
  bool everythingWritten() const;
};

// Saves the selected folders: a counting pass per folder, one output store per mailbox
// (a mailbox met again goes on in the store already open for it), the folder chain, and
// every item of the folder through the item writer, with the free-space check, Skip and
// Stop. Nothing existing is overwritten. Every save, stopped or not, leaves a report
// (TK_Report_<stamp>.json and .txt) beside its output. Runs on the caller's thread; the
// front end drives Skip and Stop through the SaveControl from another.
class SaveEngine {
 public:
  SaveEngine(analysis::ScanModel& model, FolderItemSource& items, ItemWriter& writer, OutputFormatFactory& output,
             SaveObserver& observer, MessageSink& sink, SaveControl& control, SaveSettings settings);

  // Runs the whole save; writes each entry's counting-pass result into its messageCount.
  SaveResult run(analysis::SelectionList& selection);

 private:
  struct Run;
  analysis::ScanModel& model_;
  FolderItemSource& items_;
  ItemWriter& writer_;
  OutputFormatFactory& output_;
  SaveObserver& observer_;
  MessageSink& sink_;
  SaveControl& control_;
  SaveSettings settings_;
};

// The headline of a finished save: "Saving Aborted by User" when the user stopped it,
// "Saving Completed Successfully" only when every item it counted was written whole, and
// "Saving Completed with Failures" otherwise.
const char* saveResultText(const SaveResult& result);

// 16 hexadecimal digits of an identifier, bytes in stored order.
std::string hexId(const analysis::MessageId& id);

}  // namespace tarnwick::exporter
