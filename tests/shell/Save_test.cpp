#include "AnalysedWindow.h"
#include "GeneratedStore.h"
#include "PstReadBack.h"
#include "RecordingSink.h"
#include "export/SaveTexts.h"
#include "export/WriterInterfaces.h"
#include "shell/FolderTreeView.h"
#include "shell/MainWindow.h"
#include "shell/MessageListView.h"
#include "shell/PreviewPane.h"
#include "shell/SaveCommandRunner.h"
#include "shell/SaveProgressDialog.h"
#include "shell/SaveResultDialog.h"
#include "shell/ShellSession.h"
#include "tests/support/Commands.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>

using namespace tarnwick;
using namespace tarnwick::shell;

namespace {

// Answers the result dialog of a save and keeps what it said.
class ResultCatcher {
 public:
  ResultCatcher() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* log = qobject_cast<SaveResultDialog*>(QApplication::activeModalWidget())) {
        texts << log->resultText() << log->totalsText() << log->reportText();
        log->accept();
      }
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// A free-space probe that holds the save worker (not the command's own check) until
// released, so that a test can act while a save is surely running.
struct HeldProbe {
  std::atomic<bool> held{false};
  std::atomic<bool> release{false};
  exporter::FreeSpaceProbe probe() {
    return [this](const std::filesystem::path&) -> std::optional<std::uint64_t> {
      if (QThread::currentThread() != qApp->thread()) {
        held = true;
        while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      return std::uint64_t{1} << 40;
    };
  }
};

std::optional<std::uint64_t> plentyOfSpace(const std::filesystem::path&) { return std::uint64_t{1} << 40; }

std::vector<std::filesystem::path> filesIn(const QString& dir, const std::string& extension) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.toStdString()))
    if (entry.path().extension() == extension) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// An output whose writer cannot be set up.
class BrokenOutput : public exporter::OutputFormatFactory {
 public:
  std::string extension() const override { return ".pst"; }
  std::unique_ptr<exporter::OutputStore> newStore() override { throw std::runtime_error("no writer here"); }
};

}  // namespace

class SaveTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    // Years are told in UTC, as the manifest gives them.
    qputenv("TZ", "UTC");
    tzset();
  }

  void checkedFoldersAreSavedIntoPstFilesThatReadBack_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("32k") << "32k";  // items matched to folders by owner key too
    QTest::newRow("4k") << "4k";
  }

  void checkedFoldersAreSavedIntoPstFilesThatReadBack() {
    QFETCH(QString, format);
    GeneratedStore store;
    if (!store.generate(format.toUtf8().constData())) QSKIP("the store generator is not built");
    OpenWindow window;
    QVERIFY(window.open(store));
    QTemporaryDir out;
    window.hooks().chooseFolder = [&](QWidget*, const QString&) { return out.path(); };
    window.hooks().freeSpace = plentyOfSpace;

    // A whole mailbox and one folder of another one.
    const std::string whole = store.items().back().mailbox;
    std::string other;
    for (const auto& item : store.items())
      if (item.mailbox != whole) other = item.mailbox;
    QVERIFY(!other.empty());
    QTreeWidgetItem* otherInbox = window.item(other, "Inbox");
    QVERIFY(otherInbox);
    window.check(window.item(whole));
    window.check(otherInbox);
    QVERIFY(window.frame.saveAction()->isEnabled());

    // The whole mailbox's Inbox is listed before the save.
    window.frame.leftView()->setFocus();
    window.frame.leftView()->setCurrentItem(window.item(whole, "Inbox"));
    QTRY_VERIFY(!window.session.work().runningWork().listFill);
    const int rowsBefore = window.frame.listView()->rows()->topLevelItemCount();

    ResultCatcher result;
    window.frame.saveAction()->trigger();
    QCOMPARE(result.texts.value(0), QString("Saving Completed Successfully"));
    std::map<std::string, std::vector<std::string>> expected;
    std::size_t expectedCount = 0;
    for (const auto& item : store.items())
      if (item.saved() && (item.mailbox == whole || (item.mailbox == other && item.folder == "Inbox"))) {
        expected[item.mailbox + "/" + item.folder].push_back(item.subject);
        ++expectedCount;
      }
    for (auto& [folder, subjects] : expected) std::sort(subjects.begin(), subjects.end());
    QVERIFY(expectedCount > 0);
    QVERIFY2(result.texts.value(1).startsWith(QString("Written %1 of %1 items").arg(expectedCount)),
             qPrintable(result.texts.value(1)));
    QVERIFY(result.texts.value(2).startsWith("Report: " + out.path()));
    QVERIFY(window.sink.shown.empty());

    // The saved folders are no longer checked; Save is off again.
    QCOMPARE(window.checkedItems(), 0);
    QVERIFY(!window.frame.saveAction()->isEnabled());

    // One PST per mailbox, clean, and the readers find every saved item in its folder.
    const auto psts = filesIn(out.path(), ".pst");
    QCOMPARE(psts.size(), std::size_t{2});
    QCOMPARE(filesIn(out.path(), ".json").size(), std::size_t{1});  // the report
    std::map<std::string, std::vector<std::string>> found;
    for (const auto& pst : psts) {
      const tarnwick::testing::CommandResult check =
          tarnwick::testing::run(std::string(PSTCHECK_EXE) + " " + quotedPath(pst));
      QVERIFY2(check.status == 0, check.output.c_str());
      QTemporaryDir work;
      for (auto& [folder, subjects] : pffexportSubjects(pst, work.path().toStdString())) {
        if (!subjects.empty()) found[folder] = subjects;
      }
      const std::string mailbox = pst.filename().string().find("TK_" + whole + "_") == 0 ? whole : other;
      const std::string storeName = pst.stem().string();
      for (const auto& [folder, subjects] : expected) {
        if (folder.rfind(mailbox + "/", 0) != 0) continue;
        const std::string path = folder.substr(mailbox.size() + 1);
        bool mailFolder = false;
        for (const auto& item : store.items())
          if (item.mailbox == mailbox && item.folder == path) mailFolder = item.folderKind.empty();
        if (!mailFolder || path == "Journal" || path == "Tasks" || path == "Notes") continue;
        QCOMPARE(readpstMailCount(pst, work.path().toStdString(), storeName, folder), int(subjects.size()));
      }
    }
    auto dump = [](const std::map<std::string, std::vector<std::string>>& folders) {
      std::string text;
      for (const auto& [folder, subjects] : folders) {
        text += "\n" + folder + ":";
        for (const auto& subject : subjects) text += " [" + subject + "]";
      }
      return text;
    };
    QVERIFY2(found == expected, ("found:" + dump(found) + "\nexpected:" + dump(expected)).c_str());

    // The listed folder is listed again, and its rows still lead to their messages.
    QTRY_VERIFY(!window.session.work().runningWork().listFill);
    QTreeWidget* rows = window.frame.listView()->rows();
    QCOMPARE(rows->topLevelItemCount(), rowsBefore);
    if (rowsBefore > 0) {
      rows->setFocus();
      const QRect first = rows->visualItemRect(rows->topLevelItem(0));
      QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, QPoint(first.left() + 10, first.center().y()));
      QTRY_VERIFY(!window.session.work().runningWork().bodyLoad);
      QCOMPARE(window.frame.bodyView()->subjectText()->text(),
               rows->topLevelItem(0)->text(MessageListView::SubjectColumn));
    }
  }

  void stopDuringASaveEndsItAfterTheCurrentMessage() {
    GeneratedStore store;
    if (!store.generate("32k")) QSKIP("the store generator is not built");
    OpenWindow window;
    QVERIFY(window.open(store));
    // A mailbox whose Inbox has two saved mails or more.
    std::string mailbox;
    for (const auto& item : store.items())
      if (store.savedSubjects(item.mailbox, "Inbox").size() >= 2) mailbox = item.mailbox;
    if (mailbox.empty()) QSKIP("no Inbox with two mails in range");
    const auto inboxSubjects = store.savedSubjects(mailbox, "Inbox");
    QTemporaryDir out;
    HeldProbe probe;
    window.hooks().chooseFolder = [&](QWidget*, const QString&) { return out.path(); };
    window.hooks().freeSpace = probe.probe();
    window.check(window.item(mailbox, "Inbox"));

    bool checked = false;
    QTimer::singleShot(0, [&] {
      auto release = qScopeGuard([&] { probe.release = true; });
      auto* dialog = qobject_cast<SaveProgressDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      // The worker holds after its first mail, with the folder and its count shown.
      QTRY_VERIFY(probe.held.load());
      QTRY_COMPARE(dialog->folderText()->text(), QString::fromStdString(mailbox + "\\Inbox\\"));
      QTRY_COMPARE(dialog->countText()->text(), QString::number(inboxSubjects.size()));
      QVERIFY(dialog->countingText()->isHidden());
      // Meanwhile the window's commands are off.
      QVERIFY(!window.frame.openAction()->isEnabled());
      QVERIFY(!window.frame.saveAction()->isEnabled());
      QVERIFY(!window.frame.exitAction()->isEnabled());
      // Stop answered No leaves the save running; Yes stops it.
      QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
      QCOMPARE(window.sink.shown.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(window.sink.shown[0].text), QString(exporter::kAbortQuestion));
      QVERIFY(dialog->isVisible());
      window.sink.answers = {MessageAnswer::Yes};
      QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
      QCOMPARE(window.sink.shown.size(), std::size_t{2});
      checked = true;
    });
    ResultCatcher result;
    window.frame.saveAction()->trigger();
    QVERIFY(checked);
    QCOMPARE(result.texts.value(0), QString("Saving Aborted by User"));
    QVERIFY2(result.texts.value(1).startsWith(QString("Written 1 of %1 items").arg(inboxSubjects.size())),
             qPrintable(result.texts.value(1)));
    // A stopped save clears its checks too.
    QCOMPARE(window.checkedItems(), 0);
    const auto psts = filesIn(out.path(), ".pst");
    QCOMPARE(psts.size(), std::size_t{1});
    QTemporaryDir work;
    const auto found = pffexportSubjects(psts[0], work.path().toStdString());
    std::size_t items = 0;
    for (const auto& [folder, subjects] : found) items += subjects.size();
    QCOMPARE(items, std::size_t{1});
    QCOMPARE(found.count(mailbox + "/Inbox"), std::size_t{1});
  }

  void refusedDestinationsAndAFailedSetUpLeaveTheChecks() {
    GeneratedStore store;
    if (!store.generate("32k")) QSKIP("the store generator is not built");
    OpenWindow window;
    QVERIFY(window.open(store));
    QTemporaryDir out;
    QStringList startFolders;
    QString answer;
    window.hooks().chooseFolder = [&](QWidget*, const QString& start) {
      startFolders << start;
      return answer;
    };
    std::uint64_t freeBytes = std::uint64_t{1} << 40;
    window.hooks().freeSpace = [&](const std::filesystem::path&) { return std::optional<std::uint64_t>(freeBytes); };
    SaveCommandRunner& save = window.frame.saveCommand();
    using End = exporter::SaveCommandEnd;

    // Nothing checked: the message, and no folder is asked for.
    QCOMPARE(save.run(), End::NothingSelected);
    QCOMPARE(window.sink.shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(window.sink.shown[0].text),
             QString("No folders found selected. Please select folders to be saved."));
    QVERIFY(window.sink.shown[0].icon == MessageIcon::Information);
    QVERIFY(startFolders.isEmpty());

    QTreeWidgetItem* inbox = window.item(store.items().front().mailbox, "Inbox");
    window.check(inbox);
    window.sink.shown.clear();
    // The picker cancelled: nothing said, nothing saved.
    QCOMPARE(save.run(), End::NoDestination);
    QVERIFY(window.sink.shown.empty());
    // A folder that does not exist.
    answer = out.filePath("missing");
    QCOMPARE(save.run(), End::DestinationRefused);
    QCOMPARE(QString::fromStdString(window.sink.shown.back().text),
             QString("Saving path doesn't exist, select another path for saving"));
    QCOMPARE(save.destination(), answer);  // kept until the next choice, which starts there
    // Exactly 300 MiB free is too little.
    answer = out.path();
    freeBytes = 300ull * 1048576ull;
    QCOMPARE(save.run(), End::DestinationRefused);
    QCOMPARE(startFolders.last(), out.filePath("missing"));
    QCOMPARE(QString::fromStdString(window.sink.shown.back().text),
             QString("Free space is less than 300 MB. Please change destination path."));
    QVERIFY(window.sink.shown.back().icon == MessageIcon::Error);
    freeBytes += 1;
    // A folder we may not write into (root may write anywhere).
    if (::geteuid() != 0) {
      QTemporaryDir locked;
      std::filesystem::permissions(locked.path().toStdString(),
                                   std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
      answer = locked.path();
      QCOMPARE(save.run(), End::DestinationRefused);
      QVERIFY(QString::fromStdString(window.sink.shown.back().text).contains(locked.path()));
      std::filesystem::permissions(locked.path().toStdString(), std::filesystem::perms::owner_all);
    }
    // The writer cannot be set up: the save dialog ends with Cancel, no result is shown
    // and the checks stay.
    answer = out.path();
    window.hooks().makeOutput = [] { return std::make_unique<BrokenOutput>(); };
    window.sink.shown.clear();
    ResultCatcher result;
    QCOMPARE(save.run(), End::Cancelled);
    QVERIFY(result.texts.isEmpty());
    QVERIFY(save.lastResult() && save.lastResult()->end == exporter::SaveEnd::SetupFailed);

    QCOMPARE(inbox->checkState(0), Qt::Checked);
    QVERIFY(window.frame.saveAction()->isEnabled());
    QVERIFY(filesIn(out.path(), ".pst").empty());
  }
};

QTEST_MAIN(SaveTest)
#include "Save_test.moc"
