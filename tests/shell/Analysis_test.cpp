#include "shell/Analysis.h"
#include "RecordingSink.h"
#include "analysis/ScanTexts.h"
#include "shell/FolderTreeView.h"
#include "shell/MainWindow.h"
#include "shell/MessageListView.h"
#include "shell/PreviewPane.h"
#include "shell/ShellSession.h"
#include "tests/support/SampleStore.h"

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

using namespace tarnwick;
using namespace tarnwick::shell;

namespace {

// Runs `check` once the event loop is idle (inside a modal dialog's loop).
template <typename F>
void whenIdle(F check) {
  QTimer::singleShot(0, check);
}

}  // namespace

class AnalysisTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString store_;

  static bool hasDescendant(QTreeWidgetItem* item, const QString& text) {
    for (int i = 0; i < item->childCount(); ++i)
      if (item->child(i)->text(0) == text || hasDescendant(item->child(i), text)) return true;
    return false;
  }

  QStringList childTexts(QTreeWidgetItem* item) {
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i) texts << item->child(i)->text(0);
    return texts;
  }

 private Q_SLOTS:
  void initTestCase() {
    store_ = dir_.filePath("priv1.edb");
    const testing::Bytes bytes = testing::SampleStore().bytes();
    std::ofstream(store_.toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }

  void startsOnAStoreRunsTheAnalysisAndShowsTheTree() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    frame.resize(1280, 800);
    frame.show();
    QString analysisTitle;
    whenIdle([&] {
      auto* source = QApplication::activeModalWidget();
      QVERIFY(source && source->objectName() == "sourceDialog");
      // The analysis dialog comes up once Next has opened the store.
      whenIdle([&] {
        if (QWidget* analysis = QApplication::activeModalWidget()) analysisTitle = analysis->objectName();
      });
      QTest::mouseClick(source->findChild<QPushButton*>("next"), Qt::LeftButton);
    });
    QVERIFY(frame.runSourceDialog(store_));
    QCOMPARE(analysisTitle, QString("analysisDialog"));
    QVERIFY(sink.shown.empty());
    QVERIFY(session.files().database.IsOpen());

    FolderTreeView* tree = frame.leftView();
    QCoreApplication::processEvents();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), store_);
    QCOMPARE(childTexts(root), (QStringList{"Alice", "Bob"}));
    QTreeWidgetItem* alice = root->child(0);
    QVERIFY(childTexts(alice).contains("Inbox"));
    QVERIFY(childTexts(alice).contains("Calendar"));
    QVERIFY(!childTexts(alice).contains("orphan"));
    // Every item has a check box, none checked; Save is off.
    QCOMPARE(alice->checkState(0), Qt::Unchecked);
    QVERIFY(!frame.saveAction()->isEnabled());

    // Checking a mailbox checks its folders and enables Save; unchecking one folder
    // unchecks the mailbox but leaves it bold.
    alice->setCheckState(0, Qt::Checked);
    QCoreApplication::processEvents();
    for (int i = 0; i < alice->childCount(); ++i) QCOMPARE(alice->child(i)->checkState(0), Qt::Checked);
    QVERIFY(alice->font(0).bold());
    QVERIFY(frame.saveAction()->isEnabled());
    QTreeWidgetItem* inbox = alice->child(childTexts(alice).indexOf("Inbox"));
    inbox->setCheckState(0, Qt::Unchecked);
    QCOMPARE(alice->checkState(0), Qt::Unchecked);
    QVERIFY(alice->font(0).bold());
    QVERIFY(frame.saveAction()->isEnabled());
    // Choosing a folder lists its messages on the list's worker; meanwhile Open, Save
    // and Exit are off.
    tree->setFocus();
    tree->setCurrentItem(inbox);
    QVERIFY(session.work().runningWork().listFill || frame.listView()->rows()->topLevelItemCount() > 0);
    if (session.work().runningWork().listFill) {
      QVERIFY(!frame.openAction()->isEnabled());
      QVERIFY(!frame.saveAction()->isEnabled());
      QVERIFY(!frame.exitAction()->isEnabled());
      QVERIFY(frame.stopAction()->isEnabled());
    }
    QTRY_VERIFY(!session.work().runningWork().listFill);
    QVERIFY(frame.openAction()->isEnabled());
    QTreeWidget* rows = frame.listView()->rows();
    QStringList subjects;
    for (int i = 0; i < rows->topLevelItemCount(); ++i)
      subjects << rows->topLevelItem(i)->text(MessageListView::SubjectColumn);
    QCOMPARE(subjects, (QStringList{"RE: Budget", "Lunch"}));
    QCOMPARE(rows->topLevelItem(0)->text(MessageListView::FromColumn), QString("Carol"));
    QVERIFY(frame.statusBar()->currentMessage().contains("2 items"));
    // A click on a row prepares its preview on the body worker.
    rows->setFocus();
    const QRect first = rows->visualItemRect(rows->topLevelItem(0));
    QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, QPoint(first.left() + 10, first.center().y()));
    QTRY_VERIFY(!session.work().runningWork().bodyLoad);
    QCOMPARE(frame.bodyView()->subjectText()->text(), QString("RE: Budget"));
    QCOMPARE(frame.bodyView()->fromText()->text(), QString("Carol"));
    QVERIFY(!frame.bodyView()->dateText()->text().isEmpty());
    // Space on the listed folder checks it again, and the mailbox with it.
    QTest::keyClick(tree, Qt::Key_Space);
    QCOMPARE(inbox->checkState(0), Qt::Checked);
    QCOMPARE(alice->checkState(0), Qt::Checked);
    // The well-known folders carry their own pictures.
    QVERIFY(inbox->icon(0).cacheKey() != root->child(1)->icon(0).cacheKey());
  }

  void treeOfAGeneratedStoreMatchesItsManifest() {
    const std::filesystem::path generator =
        std::filesystem::path(TARNWICK_BINARY_DIR) / "tools" / "storegen" / "tarnwick-storegen";
    if (!std::filesystem::exists(generator)) QSKIP("the store generator is not built");
    for (const char* format : {"4k", "8k", "32k"}) {
      QTemporaryDir out;
      std::string command = "'";
      command.append(generator.string()).append("' --format ").append(format).append(" --seed 7 --out '");
      command.append(out.path().toStdString()).append("' > /dev/null 2>&1");
      QCOMPARE(std::system(command.c_str()), 0);
      std::ifstream manifestFile(out.filePath("manifest.json").toStdString());
      const nlohmann::json manifest = nlohmann::json::parse(manifestFile);

      RecordingSink sink;
      ShellSession session(sink);
      MainWindow frame(session);
      const std::string edb = out.filePath("store.edb").toStdString();
      const std::string stm = std::filesystem::exists(out.filePath("store.stm").toStdString())
                                  ? out.filePath("store.stm").toStdString()
                                  : std::string();
      QVERIFY(store::openStoreFiles(session.files(), edb, stm).opened);
      session.setPaths(edb, stm);
      QVERIFY(session.analyse(&frame));
      QCoreApplication::processEvents();

      QTreeWidgetItem* root = frame.leftView()->topLevelItem(0);
      QVERIFY(root);
      QCOMPARE(root->text(0).toStdString(), edb);
      std::set<std::string> shown;
      std::map<std::string, QTreeWidgetItem*> byName;
      for (int i = 0; i < root->childCount(); ++i) {
        shown.insert(root->child(i)->text(0).toStdString());
        byName[root->child(i)->text(0).toStdString()] = root->child(i);
      }
      std::set<std::string> expected;
      std::map<std::string, std::string> mailboxName;
      for (const auto& m : manifest["mailboxes"]) {
        expected.insert(m["name"].get<std::string>());
        mailboxName[m["id"].get<std::string>()] = m["name"].get<std::string>();
      }
      QVERIFY2(shown == expected, format);
      // Every folder the manifest lists is under its own mailbox.
      if (manifest.contains("folders")) {
        for (const auto& f : manifest["folders"]) {
          QTreeWidgetItem* mailbox = byName[mailboxName[f["mailbox"].get<std::string>()]];
          QVERIFY(mailbox);
          const QString name = QString::fromStdString(f["name"].get<std::string>());
          QVERIFY2(hasDescendant(mailbox, name), qPrintable(name));
        }
      }
    }
  }

  // A read that fails during the analysis ends it with one message naming the file, not two.
  void aFailedReadIsShownOnce() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    if (!store::openStoreFiles(session.files(), "/proc/self/mem", "").opened) QSKIP("no /proc/self/mem");
    session.setPaths("/proc/self/mem", "");
    session.analyse(&frame);
    QCoreApplication::processEvents();
    QCOMPARE(sink.shown.size(), std::size_t{1});
    QVERIFY(sink.shown[0].text.find("/proc/self/mem") != std::string::npos);
  }

  void pauseResumeAndStop() {
    RecordingSink sink;
    ShellSession session(sink);
    QVERIFY(store::openStoreFiles(session.files(), store_.toStdString(), "").opened);
    session.setPaths(store_.toStdString(), "");
    Analysis dialog(session);
    // The scan waits after step 1 until the test lets it go on.
    std::atomic<bool> release{false};
    analysis::ScanOptions options;
    options.sleep = [&](std::chrono::milliseconds) {
      while (!release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };
    dialog.setScanOptions(options);

    bool checked = false;
    whenIdle([&] {
      QTRY_VERIFY(dialog.running());
      // Pause and Resume.
      QTest::mouseClick(dialog.pauseButton(), Qt::LeftButton);
      QCOMPARE(dialog.pauseButton()->text(), QString("Resume"));
      QVERIFY(!dialog.stopButton()->isEnabled());
      QVERIFY(!dialog.progressBar()->isEnabled());
      QVERIFY(dialog.control().paused());
      // Escape while paused asks; No leaves the scan paused.
      QTest::keyClick(&dialog, Qt::Key_Escape);
      QCOMPARE(sink.shown.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(sink.shown[0].text), QString("  Do you want to stop Mailbox analysis process ?"));
      QVERIFY(dialog.control().paused());
      QTest::mouseClick(dialog.pauseButton(), Qt::LeftButton);
      QCOMPARE(dialog.pauseButton()->text(), QString("Pause"));
      QVERIFY(dialog.stopButton()->isEnabled());
      QVERIFY(!dialog.control().paused());
      // Enter presses nothing.
      QTest::keyClick(&dialog, Qt::Key_Return);
      QCOMPARE(sink.shown.size(), std::size_t{1});
      QVERIFY(dialog.running());
      // Stop, answered No: the scan runs on with its bar.
      QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
      QCOMPARE(sink.shown.size(), std::size_t{2});
      QVERIFY(!dialog.control().stopRequested());
      QVERIFY(dialog.progressBar()->isVisible());
      // Stop, answered Yes.
      sink.answers = {MessageAnswer::Yes};
      QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
      QVERIFY(dialog.control().stopRequested());
      QVERIFY(dialog.stoppingText()->isVisible());
      QVERIFY(dialog.progressBar()->isHidden());
      QVERIFY(!dialog.stopButton()->isEnabled());
      checked = true;
      release = true;
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(checked);
    QVERIFY(dialog.result().outcome == analysis::ScanOutcome::Stopped);
    QVERIFY(!session.work().running(WorkState::Worker::Analysis));
  }
};

QTEST_MAIN(AnalysisTest)
#include "Analysis_test.moc"
