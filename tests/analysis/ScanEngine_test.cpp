#include "analysis/ScanEngine.h"
#include "analysis/FolderTreeModel.h"
#include "analysis/ScanSummary.h"
#include "analysis/ScanTexts.h"
#include "platform/StoreFile.h"
#include "tests/support/SampleStore.h"
#include "tests/support/SampleStore32K.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::analysis {
namespace {

using testing::Bytes;
using testing::SampleStore;

struct RecordingObserver : ScanObserver {
  std::vector<std::string> statuses;
  std::vector<std::pair<std::string, int>> progress;  // (status at the time, percent)
  std::function<void(const std::string&, int)> onProgress;
  bool ended = false;

  void statusChanged(std::string_view text) override { statuses.emplace_back(text); }
  void progressChanged(int percent) override {
    const std::string status = statuses.empty() ? "" : statuses.back();
    progress.emplace_back(status, percent);
    if (onProgress) onProgress(status, percent);
  }
  void scanEnded() override { ended = true; }
};

struct RecordingSink : MessageSink {
  std::vector<Message> shown;
  MessageAnswer show(const Message& message) override {
    shown.push_back(message);
    return MessageAnswer::Ok;
  }
};

// Runs the scan over store bytes written to a scratch file.
struct ScanRun {
  explicit ScanRun(const Bytes& store, std::function<void(const std::string&, int)> onProgress = {}) {
    path = dir.write("store.edb", store);
    observer.onProgress = std::move(onProgress);
    EXPECT_TRUE(database.Open(path.string()));
  }
  ScanResult run() {
    ScanOptions options;
    options.sleep = [this](std::chrono::milliseconds ms) {
      sleeps.push_back(ms);
      sleptAfter = observer.progress.empty() ? -1 : observer.progress.back().second;
    };
    ScanEngine engine(database, nullptr, u"store.edb", model, tree, control, observer, sink, options);
    return engine.run();
  }

  testing::ScratchDir dir;
  std::filesystem::path path;
  StoreFile database;
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  RecordingObserver observer;
  RecordingSink sink;
  std::vector<std::chrono::milliseconds> sleeps;
  int sleptAfter = -2;
};

const FolderSummary* findSummary(const std::vector<FolderSummary>& folders, std::u16string_view name) {
  for (const auto& f : folders) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

TEST(ScanEngine, FindsMailboxesFoldersAndHeadersOfASmallStore) {
  SampleStore sample;
  ScanRun run(sample.bytes());
  const ScanResult result = run.run();
  ASSERT_EQ(result.outcome, ScanOutcome::Completed);
  EXPECT_TRUE(run.sink.shown.empty());

  const auto mailboxes = summarizeScan(result, run.model, run.tree);
  ASSERT_EQ(mailboxes.size(), 2u);
  EXPECT_EQ(mailboxes[0].name, u"Alice");
  EXPECT_EQ(mailboxes[0].id.bytes, sample.alice);
  EXPECT_EQ(mailboxes[1].name, u"Bob");

  // Alice: Calendar, Inbox (with Projects below it), Sent Items, sorted by name.
  const auto& alice = mailboxes[0].folders;
  ASSERT_EQ(alice.size(), 3u);
  EXPECT_EQ(alice[0].name, u"Calendar");
  EXPECT_EQ(alice[0].kind, FolderKind::Calendar);
  EXPECT_EQ(alice[1].name, u"Inbox");
  EXPECT_EQ(alice[1].kind, FolderKind::Other);  // a mail folder: class IPF.Note, not named Notes
  EXPECT_EQ(alice[1].messages, 2u);
  EXPECT_EQ(alice[1].path, u"Alice\\Inbox\\");
  ASSERT_EQ(alice[1].folders.size(), 1u);
  EXPECT_EQ(alice[1].folders[0].name, u"Projects");
  EXPECT_EQ(alice[1].folders[0].messages, 1u);
  EXPECT_EQ(alice[1].folders[0].path, u"Alice\\Inbox\\Projects\\");
  EXPECT_EQ(alice[2].name, u"Sent Items");
  EXPECT_EQ(alice[2].messages, 0u);

  const auto* bobInbox = findSummary(mailboxes[1].folders, u"Inbox");
  ASSERT_NE(bobInbox, nullptr);
  EXPECT_EQ(bobInbox->messages, 1u);
  EXPECT_EQ(findSummary(mailboxes[1].folders, u"Lost"), nullptr);  // its parent is unknown

  // The orphan and the mailbox roots are purged from the folder list after step 4.
  for (const FolderNode& node : run.model.folders) {
    EXPECT_NE(node.treeItem, 0u);
    EXPECT_NE(node.name, u"Lost");
  }

  // Message headers: ids, folders, texts where the rows put them, time.
  ASSERT_EQ(run.model.messageHeaders.size(), 4u);
  std::vector<std::string> seen;
  for (const MessageHeader& h : run.model.messageHeaders) {
    EXPECT_EQ(h.time.bytes, testing::timeBytes(testing::kTime2020));
    EXPECT_GT(h.primaryOffset, 0);
    EXPECT_GT(h.thirdOffset, 0);
    seen.push_back(idHex(FolderId::fromBytes(h.messageId.bytes)));
  }
  std::vector<std::string> expected;
  for (const auto& m : sample.messages()) expected.push_back(idHex(FolderId::fromBytes(m.id)));
  std::sort(seen.begin(), seen.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(seen, expected);
}

TEST(ScanEngine, FindsTheMailboxFoldersAndHeadersOfA32KStore) {
  testing::SampleStore32K sample;
  ScanRun run(sample.bytes());
  const ScanResult result = run.run();
  ASSERT_EQ(result.outcome, ScanOutcome::Completed);
  const auto mailboxes = summarizeScan(result, run.model, run.tree);
  ASSERT_EQ(mailboxes.size(), 1u);
  EXPECT_EQ(mailboxes[0].name, u"Alice");
  ASSERT_EQ(result.mailboxes.size(), 1u);
  EXPECT_EQ(result.mailboxes[0].ownerKey, std::optional<std::string>("4-48A06756"));
  const auto& folders = mailboxes[0].folders;
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].name, u"Contacts");
  EXPECT_EQ(folders[0].kind, FolderKind::Contacts);
  EXPECT_EQ(folders[1].name, u"Inbox");
  EXPECT_EQ(folders[1].messages, 2u);
  ASSERT_EQ(folders[1].folders.size(), 1u);
  EXPECT_EQ(folders[1].folders[0].name, u"Archiv \u00e4lter");
  EXPECT_EQ(folders[1].folders[0].messages, 1u);
  ASSERT_EQ(run.model.messageHeaders.size(), 3u);
  EXPECT_EQ(run.model.messageHeaders[0].ownerKey, std::optional<std::string>("4-48A06756"));
  EXPECT_GT(run.model.messageHeaders[0].secondaryOffset, 0);
}

TEST(ScanEngine, ShowsTheStepTextsInOrderAndFullProgressBeforeTheOneSecondPause) {
  SampleStore sample;
  ScanRun run(sample.bytes());
  ASSERT_EQ(run.run().outcome, ScanOutcome::Completed);
  const std::vector<std::string> steps = {kStep1Text, kStep2Text, kStep3Text, kStep4Text, kStep5Text};
  EXPECT_EQ(run.observer.statuses, steps);
  ASSERT_EQ(run.sleeps.size(), 1u);
  EXPECT_EQ(run.sleeps[0], std::chrono::milliseconds(1000));
  EXPECT_EQ(run.sleptAfter, 100);
  EXPECT_TRUE(run.observer.ended);
  EXPECT_EQ(run.observer.progress.back().second, 0);  // a finished scan resets the bar
  for (const auto& [status, percent] : run.observer.progress) {
    EXPECT_GE(percent, 0);
    EXPECT_LE(percent, 100);
  }
}

// A catalogue whose root is a branch page with many children, each a branch again: the
// progress total grows while the walk runs.
Bytes branchyCatalogue() {
  testing::StoreImage file(4096, 200);
  testing::PageBytes root(4096, 2, /*branch=*/true);
  for (std::uint32_t child = 100; child < 140; ++child) root.add(testing::branchRecord(child));
  root.add(testing::branchRecord(0));  // the last tag is never followed
  file.page(4, root.bytes());
  for (std::uint32_t child = 100; child < 140; ++child) {
    testing::PageBytes inner(4096, 2, /*branch=*/true);
    for (std::uint32_t leaf = 0; leaf < 30; ++leaf) inner.add(testing::branchRecord(150 + leaf % 10));
    inner.add(testing::branchRecord(0));
    file.page(child, inner.bytes());
  }
  return file.bytes();
}

TEST(ScanEngine, CatalogueProgressNeverGoesBackwards) {
  ScanRun run(branchyCatalogue());
  run.run();
  int last = 0;
  for (const auto& [status, percent] : run.observer.progress) {
    if (status != kStep1Text) break;
    EXPECT_GE(percent, last);
    last = percent;
  }
  EXPECT_EQ(last, 100);
}

TEST(ScanEngine, StopDuringFolderStepKeepsTheMailboxesInTheTree) {
  SampleStore sample;
  ScanRun* self = nullptr;
  ScanRun run(sample.bytes(), [&self](const std::string& status, int) {
    if (status == kStep3Text) self->control.requestStop();
  });
  self = &run;
  const ScanResult result = run.run();
  EXPECT_EQ(result.outcome, ScanOutcome::Stopped);
  EXPECT_EQ(run.observer.statuses.back(), kStep3Text);
  const auto mailboxes = summarizeScan(result, run.model, run.tree);
  ASSERT_EQ(mailboxes.size(), 2u);
  EXPECT_TRUE(run.model.messageHeaders.empty());
}

TEST(ScanEngine, StopDuringTheCatalogueWalkEndsBeforeStepTwo) {
  ScanRun* self = nullptr;
  ScanRun run(branchyCatalogue(), [&self](const std::string&, int) { self->control.requestStop(); });
  self = &run;
  EXPECT_EQ(run.run().outcome, ScanOutcome::Stopped);
  EXPECT_EQ(run.observer.statuses.size(), 1u);
  EXPECT_TRUE(run.sleeps.empty());
  // Nothing more was read once the stop was asked for (the first progress comes from the
  // first tag of the first child): the root, that child and its first probe.
  EXPECT_LE(run.model.pages.size(), 3u);
}

TEST(ScanEngine, PausedScanStandsStillUntilResumed) {
  SampleStore sample;
  ScanRun* self = nullptr;
  std::atomic<bool> resumedByHelper{false};
  std::thread helper;
  ScanRun run(sample.bytes(), [&](const std::string& status, int) {
    if (status == kStep2Text && !self->control.paused() && !resumedByHelper) {
      self->control.pause();
      helper = std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        resumedByHelper = true;
        self->control.resume();
      });
    }
  });
  self = &run;
  const auto started = std::chrono::steady_clock::now();
  const ScanResult result = run.run();
  const auto took = std::chrono::steady_clock::now() - started;
  helper.join();
  EXPECT_EQ(result.outcome, ScanOutcome::Completed);
  EXPECT_TRUE(resumedByHelper);
  EXPECT_GE(took, std::chrono::milliseconds(100));
  EXPECT_EQ(run.model.messageHeaders.size(), 4u);
}

TEST(ScanEngine, AStoreWithoutMailboxRecordsEndsAfterStepTwoWithItsMessage) {
  testing::StoreImage file(8192, 30);
  testing::PageBytes catalogue(8192, 2);
  catalogue.add(testing::tableRecord("Mailbox", 20, 10));
  file.page(4, catalogue.bytes());
  file.page(10, testing::PageBytes(8192, 20).add(testing::Bytes(80, 0x41)).bytes());
  ScanRun run(file.bytes());
  const ScanResult result = run.run();
  EXPECT_EQ(result.outcome, ScanOutcome::NoMailbox);
  ASSERT_EQ(run.sink.shown.size(), 1u);
  EXPECT_EQ(run.sink.shown[0].text, kNoMailboxMessage);
  EXPECT_EQ(run.sink.shown[0].caption, kScanMessageCaption);
  EXPECT_EQ(run.observer.statuses.size(), 2u);
  EXPECT_EQ(run.tree.itemCount(), 0u);
}

TEST(ScanEngine, UnsupportedPageSizeShowsTheCorruptedFileMessage) {
  testing::StoreImage file(16384, 4);
  ScanRun run(file.bytes());
  EXPECT_EQ(run.run().outcome, ScanOutcome::UnsupportedPageSize);
  ASSERT_EQ(run.sink.shown.size(), 1u);
  EXPECT_EQ(run.sink.shown[0].text, "File is highly corrupted, Contact system administrator.");
  EXPECT_TRUE(run.observer.statuses.empty());
}

TEST(ScanEngine, ANewScanDiscardsThePreviousOne) {
  SampleStore sample;
  ScanRun run(sample.bytes());
  ASSERT_EQ(run.run().outcome, ScanOutcome::Completed);
  const std::size_t items = run.tree.itemCount();
  const std::size_t pages = run.model.pages.size();
  ASSERT_EQ(run.run().outcome, ScanOutcome::Completed);
  EXPECT_EQ(run.tree.itemCount(), items);
  EXPECT_EQ(run.model.pages.size(), pages);
  EXPECT_EQ(run.model.messageHeaders.size(), 4u);
}

// The real ESE files hold no mailbox: every scan ends with that outcome, cleanly.
TEST(ScanEngine, RealEseFilesEndWithNoMailbox) {
  const std::filesystem::path data = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "ese";
  int scanned = 0;
  for (const auto& entry : std::filesystem::directory_iterator(data)) {
    if (entry.path().extension() != ".gz") continue;
    testing::ScratchDir dir;
    const auto file = dir.gunzip(entry.path());
    StoreFile database;
    ASSERT_TRUE(database.Open(file.string()));
    ScanModel model;
    FolderTreeModel tree;
    ScanControl control;
    RecordingObserver observer;
    RecordingSink sink;
    ScanOptions options;
    options.sleep = [](std::chrono::milliseconds) {};
    ScanEngine engine(database, nullptr, u"real", model, tree, control, observer, sink, options);
    const ScanResult result = engine.run();
    EXPECT_EQ(result.outcome, ScanOutcome::NoMailbox) << entry.path();
    EXPECT_EQ(sink.shown.size(), 1u);
    ++scanned;
  }
  EXPECT_GE(scanned, 8);
}

}  // namespace
}  // namespace tarnwick::analysis

namespace tarnwick::analysis {
namespace {

// A read that fails ends the scan with a message naming the file and the error.
TEST(ScanEngine, AFailedReadEndsTheScanWithAMessageNamingTheFile) {
  StoreFile database;
  // The process's own memory: open works, reading at offset 0 fails with an I/O error.
  if (!database.Open("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem";
  ScanModel model;
  FolderTreeModel tree;
  ScanControl control;
  RecordingObserver observer;
  RecordingSink sink;
  ScanEngine engine(database, nullptr, u"mem", model, tree, control, observer, sink);
  const ScanResult result = engine.run();
  EXPECT_EQ(result.outcome, ScanOutcome::FileFailed);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_NE(sink.shown[0].text.find("/proc/self/mem"), std::string::npos) << sink.shown[0].text;
  EXPECT_EQ(sink.shown[0].icon, MessageIcon::Error);
  EXPECT_TRUE(observer.ended);
}

}  // namespace
}  // namespace tarnwick::analysis

namespace tarnwick::analysis {
namespace {

TEST(ScanControl, PauseHoldsAtTheNextCheckAndAStopWaitsForTheResume) {
  ScanControl control;
  EXPECT_FALSE(control.checkpoint());
  control.pause();
  std::atomic<bool> passed{false};
  std::thread worker([&] {
    control.checkpoint();
    passed = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(passed);
  control.requestStop();  // a paused scan stays paused until resumed
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(passed);
  control.resume();
  worker.join();
  EXPECT_TRUE(passed);
  EXPECT_TRUE(control.checkpoint());
  control.clearStop();
  EXPECT_FALSE(control.checkpoint());
}

}  // namespace
}  // namespace tarnwick::analysis
