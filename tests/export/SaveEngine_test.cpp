#include "export/SaveEngine.h"
#include "export/SaveTexts.h"
#include "platform/Version.h"
#include "tests/export/SaveFakes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace tarnwick::exporter {
namespace {

using namespace fakes;
using tarnwick::testing::ScratchDir;

std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int countPrefix(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<int>(
      std::count_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

// A scanned store: mailboxes and folders with tree items, and message headers.
class SaveEngineTest : public ::testing::Test {
 protected:
  std::uint32_t addFolder(std::uint8_t id, std::uint8_t parent, const std::u16string& name,
                          std::optional<std::string> owner = std::nullopt) {
    const std::uint32_t item = 100u + id;
    model.folders.addFolderNode(fid(id), parent ? fid(parent) : analysis::FolderId{}, name, analysis::FolderKind::Other,
                                item, owner);
    return item;
  }
  void addItems(std::uint8_t folder, int count, std::uint64_t fileTime, const std::string& subjectPrefix,
                std::optional<std::string> owner = std::nullopt) {
    for (int i = 0; i < count; ++i) {
      analysis::MessageHeader h;
      h.messageId = mid(nextId++);
      h.folderId = fid(folder);
      h.time = modelTimeFromFileTime(fileTime);
      h.ownerKey = owner;
      source.subjects[h.messageId] = subjectPrefix + std::to_string(i);
      model.messageHeaders.addMessageHeader(h);
    }
  }
  SaveSettings settings() {
    SaveSettings s;
    s.destination = dir.path();
    s.freeSpace = [this](const std::filesystem::path&) {
      ++freeSpaceAsked;
      return std::optional<std::uint64_t>(freeBytes);
    };
    s.localNow = [] {
      SystemTime t;
      t.year = 2010;
      t.month = 2;
      t.day = 3;
      t.hour = 9;
      t.minute = 5;
      return t;
    };
    s.unixNow = [] { return std::int64_t{1265187900}; };
    return s;
  }
  SaveResult run(analysis::SelectionList& selection, std::optional<SaveSettings> custom = std::nullopt) {
    SaveEngine engine(model, source, writer, factory, observer, sink, control, custom ? *custom : settings());
    control.reset();
    return engine.run(selection);
  }
  const FolderReport* folderReport(const SaveResult& r, const std::string& path) {
    for (const auto& m : r.report.mailboxes)
      for (const auto& f : m.folders)
        if (f.path == path) return &f;
    return nullptr;
  }

  ScratchDir dir;
  analysis::ScanModel model;
  CallLog log;
  FakeFactory factory{log};
  FakeItemSource source{model};
  FakeItemWriter writer{source};
  RecordingObserver observer;
  ScriptedSink sink;
  SaveControl control;
  std::uint64_t freeBytes = 10ull << 30;
  int freeSpaceAsked = 0;
  std::uint16_t nextId = 1;
};

TEST_F(SaveEngineTest, SavesOneStorePerMailboxWithFolderChainsAndLeavesOutDatesOutsideTheRange) {
  addFolder(1, 0, u"Mailbox - A");
  const std::uint32_t rootA = 999;  // the tree item of a mailbox, which the folder list need not hold
  const auto inboxA = addFolder(2, 1, u"Inbox");
  const auto emptyA = addFolder(3, 1, u"Old");
  addFolder(4, 0, u"B");
  const auto inboxB = addFolder(5, 4, u"Inbox");
  addItems(2, 3, fileTimeAt(2010, 2, 3, 12, 0, 0), "a-in-");
  addItems(2, 1, fileTimeAt(1975, 5, 1), "too-old-");
  addItems(2, 1, fileTimeAt(2150, 5, 1), "too-new-");
  addItems(3, 2, fileTimeAt(1979, 12, 31, 23, 59, 59), "old-");
  addItems(5, 2, fileTimeAt(1980, 1, 1, 0, 0, 0), "b-in-");

  analysis::SelectionList selection{{u"Mailbox - A\\", rootA, 0},
                                    {u"Mailbox - A\\Inbox\\", inboxA, 0},
                                    {u"Mailbox - A\\Old\\", emptyA, 0},
                                    {u"B\\Inbox\\", inboxB, 0}};
  auto result = run(selection);

  EXPECT_EQ(result.end, SaveEnd::Completed);
  EXPECT_TRUE(result.succeeded);
  EXPECT_TRUE(result.everythingWritten());
  EXPECT_STREQ(saveResultText(result), "Saving Completed Successfully");
  EXPECT_EQ(selection[0].messageCount, 0u);
  EXPECT_EQ(selection[1].messageCount, 3u);
  EXPECT_EQ(selection[2].messageCount, 0u);
  EXPECT_EQ(selection[3].messageCount, 2u);

  const std::string storeA = "\\\\TK_Mailbox - A_3-2-2010 9-05\\";
  const std::vector<std::string> expectedStart{
      // Written under a working name, renamed once finished.
      "CreateStore " + (dir.path() / "TK_Mailbox - A_3-2-2010 9-05.pst.partial").string() +
          " | TK_Mailbox - A_3-2-2010 9-05",
      "CreateFolder " + storeA + "Mailbox - A",
      "CreateFolder " + storeA + "Mailbox - A",
      "CreateFolder " + storeA + "Mailbox - A\\Inbox",
      "OpenFolder " + storeA + "Mailbox - A\\Inbox",
      "AddMessage a-in-0 2010-02-03 12:00:00",  // the stored UTC instant, no shift
  };
  ASSERT_GE(log.calls.size(), expectedStart.size());
  EXPECT_EQ(std::vector<std::string>(log.calls.begin(), log.calls.begin() + expectedStart.size()), expectedStart);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "TK_Mailbox - A_3-2-2010 9-05.pst"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "TK_Mailbox - A_3-2-2010 9-05.pst.partial"));
  // The folder whose items all lie before 1980 gets its chain but is never opened.
  EXPECT_EQ(countPrefix(log.calls, "CreateFolder " + storeA + "Mailbox - A\\Old"), 1);
  EXPECT_EQ(countPrefix(log.calls, "OpenFolder " + storeA + "Mailbox - A\\Old"), 0);
  EXPECT_EQ(countPrefix(log.calls, "CreateStore"), 2);
  EXPECT_EQ(countPrefix(log.calls, "CloseStore"), 2);
  EXPECT_EQ(log.subjectsByFolder["\\\\TK_B_3-2-2010 9-05\\B\\Inbox"], (std::vector<std::string>{"b-in-0", "b-in-1"}));

  // The report accounts for every item, with the reason for those left out.
  const auto* inbox = folderReport(result, "Mailbox - A\\Inbox\\");
  ASSERT_NE(inbox, nullptr);
  EXPECT_EQ(inbox->found, 5u);
  EXPECT_EQ(inbox->written, 3u);
  ASSERT_EQ(inbox->leftOut.size(), 2u);
  EXPECT_EQ(inbox->leftOut[0].subject, "too-old-0");
  EXPECT_EQ(inbox->leftOut[0].reason, "date before 1980");
  EXPECT_EQ(inbox->leftOut[1].reason, "date after 2099");
  EXPECT_EQ(inbox->leftOut[1].messageId, "0500000000000000");
  const auto totals = result.report.totals();
  EXPECT_EQ(totals.found, 9u);
  EXPECT_EQ(totals.written, 5u);
  EXPECT_EQ(totals.leftOut, 4u);
  EXPECT_EQ(totals.found, totals.written + totals.leftOut);

  ASSERT_TRUE(result.reportError.empty()) << result.reportError;
  EXPECT_EQ(result.reportJson, dir.path() / "TK_Report_3-2-2010 9-05.json");
  EXPECT_EQ(result.reportText, dir.path() / "TK_Report_3-2-2010 9-05.txt");
  const auto json = nlohmann::json::parse(readFile(result.reportJson));
  EXPECT_EQ(json["outcome"], "completed");
  EXPECT_EQ(json["started"], "2010-02-03T09:05:00Z");
  EXPECT_EQ(json["totals"]["written"], 5);
  EXPECT_EQ(json["mailboxes"][0]["output"], (dir.path() / "TK_Mailbox - A_3-2-2010 9-05.pst").string());
  EXPECT_EQ(json["mailboxes"][0]["folders"][1]["leftOut"][0]["subject"], "too-old-0");
  const auto text = readFile(result.reportText);
  EXPECT_NE(text.find("Folder Mailbox - A\\Inbox\\: found 5, written 3, left out 2"), std::string::npos) << text;
  EXPECT_NE(text.find("\"too-new-0\"  (date after 2099)"), std::string::npos);

  // Several entries: the overall bar moves once per folder.
  EXPECT_EQ(observer.overall, (std::vector<int>{25, 50, 75, 100}));
}

TEST_F(SaveEngineTest, ReportNamesTheSourceFileWithItsSizeAndSha256) {
  const auto inbox = addFolder(2, 1, u"Inbox");
  addFolder(1, 0, u"A");
  addItems(2, 1, fileTimeAt(2001, 1, 1), "x");
  ScratchDir srcDir;
  const auto store = srcDir.write("priv1.edb", {'a', 'b', 'c'});
  auto s = settings();
  s.sourceFiles = {store, srcDir.path() / "missing.stm"};
  analysis::SelectionList selection{{u"A\\Inbox\\", inbox, 0}};
  auto result = run(selection, s);
  ASSERT_EQ(result.report.sources.size(), 2u);
  EXPECT_EQ(result.report.sources[0].size, 3u);
  EXPECT_EQ(result.report.sources[0].sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_FALSE(result.report.sources[1].error.empty());
  const auto json = nlohmann::json::parse(readFile(result.reportJson));
  EXPECT_EQ(json["sources"][0]["size"], 3);
  EXPECT_EQ(json["version"], kToolVersion);
  // One entry: the overall bar follows the current one.
  EXPECT_EQ(observer.overall, (std::vector<int>{100}));
}

TEST_F(SaveEngineTest, AWriterFailureCountsAsFailedNotWritten) {
  addFolder(1, 0, u"A");
  const auto inbox = addFolder(2, 1, u"Inbox");
  addItems(2, 3, fileTimeAt(2005, 6, 7), "m");
  writer.before = [](const analysis::MessageItem& item, const ItemContext&) {
    if (item.messageId == mid(2)) throw std::runtime_error("the PST writer refused the item");
  };
  analysis::SelectionList selection{{u"A\\Inbox\\", inbox, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::Completed);
  EXPECT_TRUE(result.succeeded);
  EXPECT_FALSE(result.everythingWritten());
  const auto* f = folderReport(result, "A\\Inbox\\");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->written, 2u);
  ASSERT_EQ(f->failed.size(), 1u);
  EXPECT_EQ(f->failed[0].subject, "m1");
  EXPECT_EQ(f->failed[0].reason, "the PST writer refused the item");
  EXPECT_TRUE(f->notReached.empty());
  EXPECT_EQ(observer.events.back(), "counters 2/3");
}

// A folder call of the writer that fails is named in the folder's report and counted, also
// where the free-space check closes and reopens the folder between items.
TEST_F(SaveEngineTest, AFailedFolderCallOfTheWriterIsCountedInTheReport) {
  addFolder(1, 0, u"A");
  const auto inbox = addFolder(2, 1, u"Inbox");
  addItems(2, 2, fileTimeAt(2005, 6, 7), "m");
  log.failing = {"OpenFolder"};
  analysis::SelectionList selection{{u"A\\Inbox\\", inbox, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::Completed);
  EXPECT_FALSE(result.everythingWritten());
  const auto* f = folderReport(result, "A\\Inbox\\");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->written, 2u);
  const std::string folder = "\\\\" + result.report.mailboxes[0].displayName + "\\A\\Inbox";
  EXPECT_EQ(f->errors, (std::vector<std::string>{"folder " + folder + " could not be opened: OpenFolder refused",
                                                 "folder " + folder + " could not be reopened: OpenFolder refused"}));
  EXPECT_EQ(result.report.totals().errors, 2u);

  log.failing = {"CloseFolder"};
  result = run(selection);
  f = folderReport(result, "A\\Inbox\\");
  ASSERT_NE(f, nullptr);
  ASSERT_EQ(f->errors.size(), 2u);
  EXPECT_NE(f->errors[0].find("could not be reopened: CloseFolder refused"), std::string::npos);
  EXPECT_NE(f->errors[1].find("could not be closed: CloseFolder refused"), std::string::npos);
  EXPECT_EQ(result.report.totals().errors, 2u);
}

// An output that cannot be finished (its last writes or its close fail: a full disk, a file
// size limit) holds nothing anyone can open: every item written into it is failed, the
// headline says so, and no item of it is reported as written.
TEST_F(SaveEngineTest, ItemsOfAnOutputThatCannotBeFinishedAreFailedNotWritten) {
  addFolder(1, 0, u"A");
  const auto inbox = addFolder(2, 1, u"Inbox");
  const auto sent = addFolder(3, 1, u"Sent");
  addItems(2, 3, fileTimeAt(2005, 6, 7), "in");
  addItems(3, 2, fileTimeAt(2005, 6, 7), "out");
  log.failing = {"CloseStore"};
  analysis::SelectionList selection{{u"A\\Inbox\\", inbox, 0}, {u"A\\Sent\\", sent, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::Completed);
  EXPECT_FALSE(result.everythingWritten());
  EXPECT_STREQ(saveResultText(result), "Saving Completed with Failures");
  const auto t = result.report.totals();
  EXPECT_EQ(t.written, 0u);
  EXPECT_EQ(t.failed, 5u);
  const auto* in = folderReport(result, "A\\Inbox\\");
  ASSERT_NE(in, nullptr);
  ASSERT_EQ(in->failed.size(), 3u);
  EXPECT_EQ(in->failed[0].subject, "in0");
  EXPECT_NE(in->failed[0].reason.find("the output could not be finished: CloseStore refused"), std::string::npos);
  const nlohmann::json json = nlohmann::json::parse(readFile(result.reportJson));
  EXPECT_EQ(json["totals"]["written"], 0);
  EXPECT_EQ(json["totals"]["failed"], 5);
  // It keeps its working name: nothing under an output's own name is unfinished.
  ASSERT_EQ(result.outputs.size(), 1u);
  EXPECT_EQ(result.outputs[0].extension(), ".partial");
  EXPECT_EQ(json["mailboxes"][0]["output"], result.outputs[0].string());
  EXPECT_FALSE(std::filesystem::exists(result.outputs[0].parent_path() / result.outputs[0].stem()));
}

// An item whose message record was not found is still written from its header, and the
// report says that its body, recipients and attachments could not be recovered.
TEST_F(SaveEngineTest, AnItemWrittenWithoutItsRecordIsNamedInTheReport) {
  addFolder(1, 0, u"A");
  const auto inbox = addFolder(2, 1, u"Inbox");
  addItems(2, 3, fileTimeAt(2005, 6, 7), "m");
  source.missingRecords.insert(mid(3));
  analysis::SelectionList selection{{u"A\\Inbox\\", inbox, 0}};
  auto result = run(selection);
  EXPECT_TRUE(result.everythingWritten());
  const auto* f = folderReport(result, "A\\Inbox\\");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->written, 3u);
  ASSERT_EQ(f->withoutRecord.size(), 1u);
  EXPECT_EQ(f->withoutRecord[0].messageId, hexId(mid(3)));
  EXPECT_EQ(f->withoutRecord[0].subject, "m2");
  EXPECT_EQ(result.report.totals().withoutRecord, 1u);
  const auto json = nlohmann::json::parse(reportAsJson(result.report));
  EXPECT_EQ(json["totals"]["withoutRecord"], 1);
  EXPECT_EQ(json["mailboxes"][0]["folders"][0]["withoutRecord"][0]["id"], hexId(mid(3)));
}

TEST_F(SaveEngineTest, FreeSpaceIsCheckedAfterTheFirstItemAndEvery400MoreAcrossFolders) {
  addFolder(1, 0, u"A");
  const auto f1 = addFolder(2, 1, u"One");
  const auto f2 = addFolder(3, 1, u"Two");
  addItems(2, 300, fileTimeAt(2005, 1, 1), "a");
  addItems(3, 501, fileTimeAt(2005, 1, 1), "b");
  analysis::SelectionList selection{{u"A\\One\\", f1, 0}, {u"A\\Two\\", f2, 0}};
  auto result = run(selection);
  EXPECT_EQ(freeSpaceAsked, 3);  // after items 1, 401 and 801
  EXPECT_TRUE(sink.asked.empty());
  EXPECT_EQ(result.report.totals().written, 801u);
  // Each check closes and reopens the folder.
  EXPECT_EQ(countPrefix(log.calls, "CloseFolder"), 2 + 3);
}

TEST_F(SaveEngineTest, AFullVolumeAsksAndNoEndsTheSaveAsNotSuccessful) {
  addFolder(1, 0, u"A");
  const auto f1 = addFolder(2, 1, u"One");
  const auto f2 = addFolder(3, 1, u"Two");
  addItems(2, 4, fileTimeAt(2005, 1, 1), "a");
  addItems(3, 2, fileTimeAt(2005, 1, 1), "b");
  freeBytes = 100 << 20;
  sink.answers = {MessageAnswer::No};
  analysis::SelectionList selection{{u"A\\One\\", f1, 0}, {u"A\\Two\\", f2, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::LowSpaceStopped);
  EXPECT_FALSE(result.succeeded);
  EXPECT_STREQ(saveResultText(result), "Saving Aborted by User");
  ASSERT_EQ(sink.asked.size(), 1u);
  EXPECT_EQ(sink.asked[0], "Free space is less than 300 MB. Are you sure you want to continue?");
  const auto t = result.report.totals();
  EXPECT_EQ(t.written, 1u);
  EXPECT_EQ(t.notReached, 5u);                         // three of the first folder, both of the second
  EXPECT_EQ(countPrefix(log.calls, "CloseStore"), 1);  // what was written stays, finished
  EXPECT_TRUE(std::filesystem::exists(result.reportJson));

  // Yes goes on to the end.
  log.calls.clear();
  sink.answers = {MessageAnswer::Yes};
  auto again = run(selection);
  EXPECT_EQ(again.end, SaveEnd::Completed);
  EXPECT_TRUE(again.succeeded);
  EXPECT_EQ(again.report.totals().written, 6u);
  // A second save in the same minute neither overwrites the store nor the report.
  EXPECT_EQ(again.outputs[0], dir.path() / "TK_A_3-2-2010 9-05 (2).pst");
  EXPECT_EQ(again.reportJson, dir.path() / "TK_Report_3-2-2010 9-05 (2).json");
  EXPECT_NE(readFile(result.reportJson), readFile(again.reportJson));
}

TEST_F(SaveEngineTest, StopDuringTheCountingPassSavesNothingAndAccountsForEveryItem) {
  addFolder(1, 0, u"A");
  const auto f1 = addFolder(2, 1, u"One");
  const auto f2 = addFolder(3, 1, u"Two");
  addItems(2, 3, fileTimeAt(2005, 1, 1), "a");
  addItems(3, 2, fileTimeAt(1970, 1, 1), "b");
  struct StopOnCount : RecordingObserver {
    SaveControl* control;
    MessageSink* sink;
    void countingShown(bool v) override {
      if (v) control->requestAbort(*sink);
    }
  } stopper;
  stopper.control = &control;
  stopper.sink = &sink;
  sink.answers = {MessageAnswer::Yes};
  analysis::SelectionList selection{{u"A\\One\\", f1, 0}, {u"A\\Two\\", f2, 0}};
  SaveEngine engine(model, source, writer, factory, stopper, sink, control, settings());
  control.reset();
  auto result = engine.run(selection);
  EXPECT_EQ(sink.asked, std::vector<std::string>{"Saving is in Progress. Do you want to abort ?"});
  EXPECT_EQ(result.end, SaveEnd::Stopped);
  EXPECT_FALSE(result.succeeded);
  EXPECT_EQ(countPrefix(log.calls, "CreateStore"), 0);
  EXPECT_EQ(source.loads, 0);
  const auto t = result.report.totals();
  EXPECT_EQ(t.found, 5u);
  EXPECT_EQ(t.notReached, 3u);
  EXPECT_EQ(t.leftOut, 2u);
  EXPECT_EQ(nlohmann::json::parse(readFile(result.reportJson))["outcome"], "stopped by the user");
}

TEST_F(SaveEngineTest, StopDuringTheSaveEndsAfterTheCurrentItemAndAbortNoChangesNothing) {
  addFolder(1, 0, u"A");
  const auto f1 = addFolder(2, 1, u"One");
  const auto f2 = addFolder(3, 1, u"Two");
  addItems(2, 4, fileTimeAt(2005, 1, 1), "a");
  addItems(3, 2, fileTimeAt(2005, 1, 1), "b");
  sink.answers = {MessageAnswer::No, MessageAnswer::Yes};
  writer.before = [&](const analysis::MessageItem& item, const ItemContext& ctx) {
    if (item.messageId == mid(1)) ctx.control.requestAbort(sink);  // "No": goes on
    if (item.messageId == mid(2)) ctx.control.requestAbort(sink);  // "Yes": stops after this item
  };
  analysis::SelectionList selection{{u"A\\One\\", f1, 0}, {u"A\\Two\\", f2, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::Stopped);
  EXPECT_FALSE(result.succeeded);
  const auto* one = folderReport(result, "A\\One\\");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->written, 2u);
  ASSERT_EQ(one->notReached.size(), 2u);
  EXPECT_EQ(one->notReached[0].subject, "a2");
  const auto* two = folderReport(result, "A\\Two\\");
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->notReached.size(), 2u);
  EXPECT_EQ(countPrefix(log.calls, "CloseStore"), 1);
}

TEST_F(SaveEngineTest, SkipDropsTheCurrentItemOnlyAndTheNextIsWritten) {
  addFolder(1, 0, u"A");
  const auto f1 = addFolder(2, 1, u"One");
  addItems(2, 3, fileTimeAt(2005, 1, 1), "a");
  writer.before = [&](const analysis::MessageItem& item, const ItemContext& ctx) {
    if (item.messageId == mid(2)) ctx.control.requestSkip();
  };
  analysis::SelectionList selection{{u"A\\One\\", f1, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::Completed);
  EXPECT_TRUE(result.succeeded);
  const auto* one = folderReport(result, "A\\One\\");
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(one->written, 2u);
  ASSERT_EQ(one->skipped.size(), 1u);
  EXPECT_EQ(one->skipped[0].subject, "a1");
  EXPECT_EQ(log.subjectsByFolder["\\\\TK_A_3-2-2010 9-05\\A\\One"], (std::vector<std::string>{"a0", "a2"}));
  EXPECT_FALSE(result.everythingWritten());
}

TEST_F(SaveEngineTest, AMailboxMetAgainGoesOnInItsOpenStore) {
  const auto rootA = addFolder(1, 0, u"A");
  (void)rootA;
  const auto a1 = addFolder(2, 1, u"One");
  const auto a2 = addFolder(3, 1, u"Two");
  addFolder(4, 0, u"B");
  const auto b1 = addFolder(5, 4, u"One");
  addItems(2, 1, fileTimeAt(2005, 1, 1), "a1-");
  addItems(3, 1, fileTimeAt(2005, 1, 1), "a2-");
  addItems(5, 1, fileTimeAt(2005, 1, 1), "b1-");
  std::ofstream(dir.path() / "TK_B_3-2-2010 9-05.pst") << "someone else's file";
  analysis::SelectionList selection{{u"A\\One\\", a1, 0}, {u"B\\One\\", b1, 0}, {u"A\\Two\\", a2, 0}};
  auto result = run(selection);
  EXPECT_EQ(countPrefix(log.calls, "CreateStore"), 2);
  EXPECT_EQ(log.subjectsByFolder["\\\\TK_A_3-2-2010 9-05\\A\\Two"], std::vector<std::string>{"a2-0"});
  EXPECT_EQ(readFile(dir.path() / "TK_B_3-2-2010 9-05.pst"), "someone else's file");
  EXPECT_EQ(result.outputs[1], dir.path() / "TK_B_3-2-2010 9-05 (2).pst");
  ASSERT_EQ(result.report.mailboxes.size(), 2u);
  EXPECT_EQ(result.report.mailboxes[0].folders.size(), 2u);
  // B's store is finished once its last entry is done; A's after its second.
  const auto closeB = std::find(log.calls.begin(), log.calls.end(), "CloseStore");
  const auto addA2 = std::find(log.calls.begin(), log.calls.end(), "AddMessage a2-0 2005-01-01 12:00:00");
  EXPECT_LT(closeB, addA2);
}

TEST_F(SaveEngineTest, LargePageStoresMatchItemsByOwnerKeyToo) {
  addFolder(1, 0, u"A", std::string("k1"));
  const auto f = addFolder(2, 1, u"Inbox", std::string("k1"));
  addItems(2, 2, fileTimeAt(2005, 1, 1), "mine", std::string("k1"));
  addItems(2, 1, fileTimeAt(2005, 1, 1), "other", std::string("k2"));
  addItems(2, 1, fileTimeAt(2005, 1, 1), "none");
  auto s = settings();
  s.largePages = true;
  analysis::SelectionList selection{{u"A\\Inbox\\", f, 0}};
  auto result = run(selection, s);
  EXPECT_EQ(selection[0].messageCount, 2u);
  EXPECT_EQ(result.report.totals().found, 2u);
  EXPECT_EQ(result.report.totals().written, 2u);
}

TEST_F(SaveEngineTest, AWriterThatCannotBeSetUpSavesNothing) {
  addFolder(1, 0, u"A");
  const auto f = addFolder(2, 1, u"Inbox");
  addItems(2, 1, fileTimeAt(2005, 1, 1), "x");
  factory.failSetup = true;
  analysis::SelectionList selection{{u"A\\Inbox\\", f, 0}};
  auto result = run(selection);
  EXPECT_EQ(result.end, SaveEnd::SetupFailed);
  EXPECT_FALSE(result.succeeded);
  EXPECT_TRUE(log.calls.empty());
  EXPECT_NE(readFile(result.reportJson).find("writer library missing"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::exporter
