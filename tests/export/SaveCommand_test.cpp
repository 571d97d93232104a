#include "export/SaveCommand.h"
#include "export/SaveTexts.h"
#include "export/SaveWorker.h"
#include "tests/export/SaveFakes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

namespace tarnwick::exporter {
namespace {

using namespace fakes;

struct CommandProbe {
  analysis::SelectionList selection;
  std::optional<std::filesystem::path> destination;
  bool dialogCancels = false;
  int saves = 0, cleared = 0, shown = 0;
  std::string shownText;

  SaveCommandHooks hooks() {
    SaveCommandHooks h;
    h.buildSelection = [this] { return selection; };
    h.chooseDestination = [this] { return destination; };
    h.runSave = [this](analysis::SelectionList&, const std::filesystem::path&) -> std::optional<SaveResult> {
      ++saves;
      if (dialogCancels) return std::nullopt;
      SaveResult r;
      r.succeeded = false;
      return r;
    };
    h.clearChecks = [this](analysis::SelectionList& s) {
      ++cleared;
      s.clear();
    };
    h.showResult = [this](const SaveResult& r) {
      ++shown;
      shownText = saveResultText(r);
    };
    return h;
  }
};

TEST(SaveCommand, RefusalsComeInOrderAndLeaveTheChecks) {
  tarnwick::testing::ScratchDir dir;
  std::uint64_t freeBytes = 1ull << 40;
  FreeSpaceProbe probe = [&](const std::filesystem::path&) { return std::optional<std::uint64_t>(freeBytes); };
  ScriptedSink sink;
  CommandProbe p;
  bool asked = false;
  auto hooks = p.hooks();
  hooks.chooseDestination = [&] {
    asked = true;
    return p.destination;
  };

  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::NothingSelected);
  EXPECT_FALSE(asked);  // no folder browser without a selection
  EXPECT_EQ(sink.asked, std::vector<std::string>{kNoFoldersSelected});

  p.selection = {{u"A\\Inbox\\", 5, 0}};
  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::NoDestination);
  p.destination = dir.path() / "missing";
  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::DestinationRefused);
  EXPECT_EQ(sink.asked.back(), "Saving path doesn't exist, select another path for saving");
  p.destination = dir.path();
  freeBytes = kFreeSpaceThreshold;
  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::DestinationRefused);
  EXPECT_EQ(sink.asked.back(), "Free space is less than 300 MB. Please change destination path.");
  EXPECT_EQ(p.saves, 0);
  EXPECT_EQ(p.cleared, 0);

  freeBytes = 1ull << 40;
  p.dialogCancels = true;
  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::Cancelled);
  EXPECT_EQ(p.cleared, 0);
  EXPECT_EQ(p.shown, 0);

  // A save that ended with OK, even a stopped one, clears the saved checks.
  p.dialogCancels = false;
  EXPECT_EQ(runSaveCommand(hooks, sink, probe), SaveCommandEnd::Saved);
  EXPECT_EQ(p.cleared, 1);
  EXPECT_EQ(p.shownText, "Saving Aborted by User");
}

TEST(SaveWorker, RunsTheSaveOnItsOwnThreadAndHoldsAtTheAbortQuestion) {
  tarnwick::testing::ScratchDir dir;
  analysis::ScanModel model;
  model.folders.addFolderNode(fid(1), {}, u"A", analysis::FolderKind::Other, 101, std::nullopt);
  model.folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 102, std::nullopt);
  for (int i = 0; i < 50; ++i) {
    analysis::MessageHeader h;
    h.messageId = mid(static_cast<std::uint16_t>(i + 1));
    h.folderId = fid(2);
    h.time = modelTimeFromFileTime(fileTimeAt(2001, 1, 1));
    model.messageHeaders.addMessageHeader(h);
  }
  CallLog log;
  FakeFactory factory(log);
  FakeItemSource source(model);
  FakeItemWriter writer(source);
  RecordingObserver observer;
  ScriptedSink sink;
  SaveControl control;
  SaveSettings settings;
  settings.destination = dir.path();
  settings.freeSpace = [](const std::filesystem::path&) { return std::optional<std::uint64_t>(1ull << 40); };
  SaveEngine engine(model, source, writer, factory, observer, sink, control, settings);
  analysis::SelectionList selection{{u"A\\Inbox\\", 102, 0}};

  // The abort question is asked from the front end's thread while the worker writes; the
  // worker waits at its next poll until the answer is in, and Yes stops it.
  std::atomic<int> written{0};
  std::atomic<bool> questionOpen{false};
  std::atomic<int> writtenWhileOpen{0};
  writer.before = [&](const analysis::MessageItem&, const ItemContext&) {
    if (questionOpen.load()) writtenWhileOpen.fetch_add(1);
    written.fetch_add(1);
    while (written.load() == 10 && !control.stopRequested() && !questionOpen.load()) std::this_thread::yield();
  };
  sink.answers = {MessageAnswer::Yes};
  sink.onShow = [&] {
    questionOpen.store(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    questionOpen.store(false);
  };
  control.reset();
  std::atomic<bool> told{false};
  SaveWorker worker(engine, selection, [&] { told.store(true); });
  worker.start();
  while (written.load() < 10) std::this_thread::yield();
  EXPECT_TRUE(control.requestAbort(sink));
  const auto& result = worker.wait();
  EXPECT_TRUE(worker.finished());
  EXPECT_TRUE(told.load());
  EXPECT_EQ(result.end, SaveEnd::Stopped);
  EXPECT_EQ(dialogEndOf(result), SaveDialogEnd::Ok);
  EXPECT_LE(writtenWhileOpen.load(), 1);  // at most the item under way when the question opened
  EXPECT_LT(result.report.totals().written, 50u);
  EXPECT_EQ(result.report.totals().written + result.report.totals().notReached, 50u);

  SaveResult setupFailed;
  setupFailed.end = SaveEnd::SetupFailed;
  EXPECT_EQ(dialogEndOf(setupFailed), SaveDialogEnd::Cancel);
}

}  // namespace
}  // namespace tarnwick::exporter
