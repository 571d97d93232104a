#include "shell/SourceDialog.h"
#include "RecordingSink.h"
#include "platform/AppText.h"
#include "shell/ShellSession.h"
#include "shell/SourceSelection.h"
#include "store/StoreMessages.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace tarnwick;
using namespace tarnwick::shell;

class SourceDialogTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  bool textKept_ = false;

  QString touch(const QString& name) {
    const QString path = dir_.filePath(name);
    std::ofstream(path.toStdString()) << "store bytes";
    return path;
  }

  // Fills the boxes, presses Next and returns what the dialog said.
  std::vector<Message> pressNext(ShellSession& session, RecordingSink& sink, const QString& database,
                                 const QString& streaming, bool* accepted = nullptr) {
    SourceDialog dialog(session);
    dialog.databaseEdit()->setText(database);
    dialog.streamingEdit()->setText(streaming);
    QTest::mouseClick(dialog.nextButton(), Qt::LeftButton);
    if (accepted) *accepted = dialog.result() == QDialog::Accepted;
    // A refusal keeps the user's text.
    textKept_ = dialog.databaseEdit()->text() == database && dialog.streamingEdit()->text() == streaming;
    return sink.shown;
  }

 private Q_SLOTS:
  void refusesMissingAndMisnamedFiles() {
    struct Case {
      const char* what;
      QString database;
      QString streaming;
      const char* message;
    };
    const QString edb = touch("priv1.edb");
    const Case cases[] = {
        {"missing database", dir_.filePath("gone.edb"), "", "File not found. Verify the correct file name."},
        {"empty database box", "", "", "File not found. Verify the correct file name."},
        {"database not ending in edb", touch("priv1.txt"), "", "Please Verify the EDB File Path"},
        {"missing streaming file", edb, dir_.filePath("gone.stm"), "File not found. Verify the correct file name."},
        {"streaming file not ending in stm", edb, touch("priv1.bak"), "Please Verify the STM File Path"},
    };
    for (const Case& c : cases) {
      RecordingSink sink;
      ShellSession session(sink);
      bool accepted = true;
      const auto shown = pressNext(session, sink, c.database, c.streaming, &accepted);
      QVERIFY2(!accepted, c.what);
      QVERIFY2(textKept_, c.what);
      QCOMPARE(shown.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(shown[0].text), QString(c.message));
      QCOMPARE(QString::fromStdString(shown[0].caption), QString(kMessageCaption));
      QVERIFY2(!session.files().database.IsOpen(), c.what);
    }
  }

  void refusesALockedFileAndKeepsNothingOpen() {
    const QString edb = touch("locked.edb");
    const QString stm = touch("locked.stm");
    for (const QString& held : {edb, stm}) {
      StoreFile holder;
      QVERIFY(holder.Open(held.toStdString()));
      RecordingSink sink;
      ShellSession session(sink);
      bool accepted = true;
      const auto shown = pressNext(session, sink, edb, stm, &accepted);
      QVERIFY(!accepted);
      QCOMPARE(shown.size(), std::size_t{1});
      QCOMPARE(QString::fromStdString(shown[0].text), QString(store::kFileInUseMessage));
      QVERIFY(!session.files().database.IsOpen());
      QVERIFY(!session.files().streaming.IsOpen());
    }
  }

  void opensBothFilesAndRunsTheAnalysis() {
    const QString edb = touch("good.edb");
    const QString stm = touch("good.stm");
    RecordingSink sink;
    ShellSession session(sink);
    int analyses = 0;
    session.analyse = [&](QWidget*) {
      ++analyses;
      return true;
    };
    bool accepted = false;
    QVERIFY(pressNext(session, sink, edb, stm, &accepted).empty());
    QVERIFY(accepted);
    QCOMPARE(analyses, 1);
    QVERIFY(session.files().database.IsOpen());
    QVERIFY(session.files().streaming.IsOpen());
    QCOMPARE(QString::fromStdString(session.databasePath()), edb);

    // A second source asks first; No keeps the previous files and runs nothing.
    SourceDialog again(session);
    again.databaseEdit()->setText(touch("other.edb"));
    sink.answers = {MessageAnswer::No};
    QTest::mouseClick(again.nextButton(), Qt::LeftButton);
    QCOMPARE(sink.shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(sink.shown[0].text),
             QString("Selecting new EDB file will close current analysis results.\r\nDo you want to continue ?"));
    QCOMPARE(analyses, 1);
    QCOMPARE(QString::fromStdString(session.files().database.Path()), edb);

    // Yes goes on with the new file; a cancelled analysis closes both files.
    session.analyse = [&](QWidget*) {
      ++analyses;
      return false;
    };
    sink.answers = {MessageAnswer::Yes};
    QTest::mouseClick(again.nextButton(), Qt::LeftButton);
    QCOMPARE(analyses, 2);
    QVERIFY(!session.files().database.IsOpen());
  }

  void findsTheStreamingFile() {
    QTemporaryDir folder;
    const auto make = [&](const char* name) {
      const QString path = folder.filePath(name);
      std::ofstream(path.toStdString()) << "x";
      return path.toStdString();
    };
    const std::string edb = make("priv1.edb");
    QCOMPARE(findStreamingFile(edb), std::string());  // none yet
    const std::string other = make("ZZZ.STM");
    QCOMPARE(findStreamingFile(edb), other);  // any file ending in .stm, any case
    const std::string own = make("priv1.stm");
    QCOMPARE(findStreamingFile(edb), own);                    // the database's own name wins
    QCOMPARE(findStreamingFile("priv1.edb"), std::string());  // no folder part

    // The dialog fills the streaming box when a database is chosen, and keeps what the
    // box held when the folder has none.
    RecordingSink sink;
    ShellSession session(sink);
    SourceDialog dialog(session);
    dialog.databaseChosen(QString::fromStdString(edb));
    QCOMPARE(dialog.streamingEdit()->text().toStdString(), own);
    QTemporaryDir empty;
    dialog.databaseChosen(empty.filePath("x.edb"));
    QCOMPARE(dialog.streamingEdit()->text().toStdString(), own);
  }

  void extensionTestLooksAtTheLastThreeLettersOnly() {
    QVERIFY(endsWithNoCase("/data/privedb", "edb"));
    QVERIFY(endsWithNoCase("/data/PRIV1.EDB", "edb"));
    QVERIFY(!endsWithNoCase("/data/priv1.ed", "edb"));
    QVERIFY(!endsWithNoCase("db", "edb"));
    const QString noDot = touch("mailboxedb");
    QCOMPARE(checkSourcePaths(noDot.toStdString(), ""), SourceCheck::Accepted);
  }
};

QTEST_MAIN(SourceDialogTest)
#include "SourceDialog_test.moc"
