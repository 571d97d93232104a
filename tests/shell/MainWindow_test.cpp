#include "shell/MainWindow.h"
#include "RecordingSink.h"
#include "platform/AppText.h"
#include "shell/IconSet.h"
#include "shell/SaveProgressDialog.h"
#include "shell/SaveResultDialog.h"
#include "shell/ShellSession.h"
#include "shell/ToolBar.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

using namespace tarnwick;
using namespace tarnwick::shell;
using Worker = WorkState::Worker;

class MainFrameTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void commandsFollowTheRunningWork() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    frame.show();
    auto states = [&] {
      return QList<bool>{frame.openAction()->isEnabled(),  frame.saveAction()->isEnabled(),
                         frame.stopAction()->isEnabled(),  frame.helpAction()->isEnabled(),
                         frame.aboutAction()->isEnabled(), frame.exitAction()->isEnabled()};
    };
    // Idle, nothing checked: Save and Stop are off.
    QCOMPARE(states(), (QList<bool>{true, false, false, true, true, true}));
    QCOMPARE(frame.workPane()->text(), QString());

    session.work().setRunning(Worker::ListFill, true);
    QCOMPARE(states(), (QList<bool>{false, false, true, true, true, false}));
    QCOMPARE(frame.workPane()->text(), QString("Insertion is in progress, please wait....."));
    QVERIFY(!frame.closeAllowed());

    // The window's close is refused while the list fills, without a question.
    QCloseEvent close;
    QApplication::sendEvent(&frame, &close);
    QVERIFY(!close.isAccepted());
    QVERIFY(sink.shown.empty());
    // Exit does nothing either.
    frame.onExit();
    QVERIFY(sink.shown.empty());

    session.work().setRunning(Worker::BodyLoad, true);
    QCOMPARE(frame.workPane()->text(), QString("Insertion is in progress, please wait....."));
    session.work().setRunning(Worker::ListFill, false);
    QCOMPARE(frame.workPane()->text(), QString("Inserting Mail Body, please wait....."));
    QCOMPARE(states(), (QList<bool>{false, false, false, true, true, false}));
    session.work().setListBusy(true);
    QVERIFY(frame.stopAction()->isEnabled());
    session.work().setListBusy(false);
    session.work().setRunning(Worker::BodyLoad, false);
    QCOMPARE(states(), (QList<bool>{true, false, false, true, true, true}));
    QCOMPARE(frame.workPane()->text(), QString());

    // While the analysis or a save runs, Open and Exit stay off too (Stop is the list's).
    for (Worker worker : {Worker::Analysis, Worker::Export}) {
      session.work().setRunning(worker, true);
      QCOMPARE(states(), (QList<bool>{false, false, false, true, true, false}));
      QVERIFY(!frame.closeAllowed());
      session.work().setRunning(worker, false);
      QCOMPARE(states(), (QList<bool>{true, false, false, true, true, true}));
    }

    // The toolbar buttons follow their commands.
    session.work().setRunning(Worker::ListFill, true);
    const auto buttons = frame.toolBar()->findChildren<QToolButton*>();
    int enabledButtons = 0;
    for (QToolButton* button : buttons)
      if (button->defaultAction() && button->isEnabled()) ++enabledButtons;
    QCOMPARE(enabledButtons, 2);  // Stop and Help
    session.work().setRunning(Worker::ListFill, false);
  }

  void startUpShowsTheSourceDialogOverADisabledMaximisedWindow() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    bool seen = false;
    QTimer::singleShot(0, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      seen = modal && modal->objectName() == "sourceDialog" && !frame.isEnabled() && frame.isVisible() &&
             frame.windowState().testFlag(Qt::WindowMaximized);
      if (modal) static_cast<QDialog*>(modal)->reject();
    });
    frame.startUp({}, {});
    QVERIFY(seen);
    QVERIFY(frame.isEnabled());  // usable once the dialog has closed, whatever its answer
    QVERIFY(sink.shown.empty());
  }

  void closeAsksAndNoKeepsTheWindow() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    frame.show();
    QCloseEvent close;
    QApplication::sendEvent(&frame, &close);
    QVERIFY(!close.isAccepted());
    QCOMPARE(sink.shown.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(sink.shown[0].text),
             QString("Do you want to exit from  Tarnwick for  EDB To PST?"));
    QCOMPARE(QString::fromStdString(sink.shown[0].caption), QString(kMessageCaption));
    QVERIFY(sink.shown[0].buttons == MessageButtons::YesNo);
    sink.answers = {MessageAnswer::Yes};
    QCloseEvent again;
    QApplication::sendEvent(&frame, &again);
    QVERIFY(again.isAccepted());
  }

  void frameLayout() {
    RecordingSink sink;
    ShellSession session(sink);
    MainWindow frame(session);
    QCOMPARE(frame.windowTitle(), QString(kWindowTitle));
    QVERIFY(frame.progressBar()->isHidden());
    QCOMPARE(frame.progressBar()->maximum(), 100);
    QCOMPARE(frame.openAction()->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(frame.saveAction()->shortcut(), QKeySequence("Ctrl+S"));
    QCOMPARE(frame.toolBar()->images().normal().size(), 5);
    QCOMPARE(frame.toolBar()->iconSize(), QSize(44, 45));
  }

  void toolbarImagesFromOneBitmap() {
    // Disabled: grey = 255 * sqrt(luma / 255), truncated; alpha kept.
    QCOMPARE(IconSet::disabledPixel(qRgba(255, 255, 255, 200)), qRgba(255, 255, 255, 200));
    QCOMPARE(IconSet::disabledPixel(qRgba(0, 0, 0, 255)), qRgba(0, 0, 0, 255));
    // luma of pure red = 76.245; 255 * sqrt(0.299) = 139.4
    QCOMPARE(IconSet::disabledPixel(qRgba(255, 0, 0, 10)), qRgba(139, 139, 139, 10));
    // Hot: 255 * (c / 255)^1.4, truncated: 128 -> 97, 255 stays, 0 stays.
    QCOMPARE(IconSet::hotPixel(qRgba(128, 255, 0, 77)), qRgba(97, 255, 0, 77));

    // A 24-bit strip keeps its mask colour in every derived image.
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(QColor(12, 12, 12));
    strip.setPixel(1, 1, qRgb(128, 128, 128));
    const QImage hot = IconSet::convert(strip, IconSet::hotPixel);
    QCOMPARE(hot.pixel(0, 0), qRgb(12, 12, 12));
    QCOMPARE(hot.pixel(1, 1), qRgb(97, 97, 97));
    IconSet lists;
    QVERIFY(lists.create(strip, 4, 4));
    QCOMPARE(lists.normal().size(), 2);
    QCOMPARE(lists.width(), 4);
    QCOMPARE(lists.hot()[0].toImage().pixelColor(1, 1).red(), 97);
    QCOMPARE(lists.disabled()[0].toImage().pixelColor(0, 0).alpha(), 0);  // the mask is see-through
    QVERIFY(!lists.create(QImage(), 4, 4));
  }

  void saveDialogShowsTheWorkerAndAsksBeforeStopping() {
    int asked = 0;
    int skipped = 0;
    SaveProgressDialog dialog({[&] {
                                 ++asked;
                                 return false;
                               },
                               [&] { ++skipped; }});
    QCOMPARE(dialog.windowTitle(), QString(kWindowTitle));
    dialog.show();
    dialog.showCounting(true);
    QVERIFY(dialog.countingText()->isVisible());
    QCOMPARE(dialog.countingText()->text(), QString("Analysing Total mails. Please wait..."));
    dialog.showCounting(false);
    dialog.setCurrentFolder("Mailbox - Ann\\Inbox\\");
    dialog.setCounters(3, 12);
    dialog.setCurrentProgress(25);
    dialog.setOverallProgress(10);
    QCOMPARE(dialog.writtenText()->text(), QString("3"));
    QCOMPARE(dialog.countText()->text(), QString("12"));
    QCOMPARE(dialog.currentBar()->value(), 25);
    dialog.showAttachments(true);
    QCOMPARE(dialog.attachmentsText()->text(), QString("Enumerating Attachments Body, Please wait..."));

    QTest::mouseClick(dialog.skipButton(), Qt::LeftButton);
    QCOMPARE(skipped, 1);
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    QCOMPARE(asked, 1);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QTest::keyClick(dialog.stopButton(), Qt::Key_Down);
    QCOMPARE(asked, 3);
    QTest::keyClick(dialog.stopButton(), Qt::Key_Return);  // never presses a button
    QCOMPARE(asked, 3);
    QVERIFY(dialog.isVisible());
    dialog.close();  // the window's close asks too, and the dialog stays
    QCOMPARE(asked, 4);
    QVERIFY(dialog.isVisible());

    dialog.finish(false);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    SaveProgressDialog failed({[] { return true; }, [] {}});
    failed.show();
    failed.finish(true);
    QCOMPARE(failed.result(), int(QDialog::Rejected));
  }

  void resultDialogTexts() {
    QCOMPARE(SaveResultDialog(true, {}).resultText(), QString("Saving Completed Successfully"));
    QCOMPARE(SaveResultDialog(false, {}).resultText(), QString("Saving Aborted by User"));
    QCOMPARE(SaveResultDialog(true, {}).windowTitle(), QString(kWindowTitle));
  }
};

QTEST_MAIN(MainFrameTest)
#include "MainWindow_test.moc"
