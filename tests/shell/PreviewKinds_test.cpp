#include "AnalysedWindow.h"
#include "GeneratedStore.h"
#include "export/SaveReport.h"
#include "shell/MessageListView.h"
#include "shell/PreviewPane.h"
#include "shell/SafeTextBrowser.h"

#include <QLabel>
#include <QListWidget>
#include <QtTest>

#include <set>

using namespace tarnwick;
using namespace tarnwick::shell;

// A click on a message of every kind and body form of a generated store shows the texts,
// the body and the summary the store's manifest says it holds.
class PreviewKindsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void initTestCase() {
    qputenv("TZ", "Asia/Kolkata");
    tzset();
  }

  void everyKindAndBodyFormIsShownAsStored_data() {
    QTest::addColumn<QString>("format");
    QTest::newRow("32k") << "32k";
    QTest::newRow("8k") << "8k";
    QTest::newRow("4k") << "4k";
  }

  void everyKindAndBodyFormIsShownAsStored() {
    QFETCH(QString, format);
    GeneratedStore store;
    if (!store.generate(format.toUtf8().constData())) QSKIP("the store generator is not built");
    OpenWindow window;
    QVERIFY(window.open(store));
    PreviewPane* preview = window.frame.bodyView();

    // The first message of each kind and body form (the list shows the years 1980-2099).
    std::set<std::pair<std::string, std::string>> seen;
    int shown = 0;
    for (const ManifestItem& item : store.items()) {
      const std::string kind = item.raw.value("kind", "");
      const std::string form = item.raw.value("bodyForm", "");
      if (!item.saved() || !seen.insert({kind, form}).second) continue;
      const std::string where =
          format.toStdString() + " " + kind + "/" + form + " " + item.mailbox + "/" + item.folder + " " + item.id;
      QVERIFY2(window.list(item.mailbox, item.folder), where.c_str());
      QTreeWidgetItem* row = window.row(item.id);
      QVERIFY2(row, where.c_str());
      QVERIFY2(window.click(row), where.c_str());
      ++shown;

      QCOMPARE(preview->subjectText()->text().toStdString(), item.subject);
      QCOMPARE(preview->fromText()->text(), row->text(MessageListView::FromColumn));
      QCOMPARE(preview->dateText()->text(), row->text(MessageListView::DateColumn));
      // Mail shows its sender, but in Sent Items the mailbox's own name.
      if (kind == "m")
        QCOMPARE(row->text(MessageListView::FromColumn),
                 QString::fromStdString(item.folder == "Sent Items" ? item.mailbox : item.sender));
      // Every recipient is on the To line.
      const QString to = preview->toText()->text();
      for (const auto& recipient : item.raw.value("recipients", nlohmann::json::array())) {
        const QString address = QString::fromStdString(recipient.value("address", ""));
        QVERIFY2(to.contains(address), qPrintable(QString::fromStdString(where) + ": " + to));
      }
      // Contacts and appointments have their summary at the left.
      const bool summary = item.folderKind == "c" || item.folderKind == "a";
      QCOMPARE(preview->summary()->isVisible(), summary);
      if (summary) QVERIFY(preview->summary()->count() > 0);

      if (form.empty()) {
        QVERIFY2(preview->bodyFile().empty(), where.c_str());
        continue;
      }
      // The body file holds the stored body, byte for byte.
      QVERIFY2(!preview->bodyFile().empty(), where.c_str());
      if (form != "streamed") {
        const exporter::SourceFileInfo body = exporter::describeSourceFile(preview->bodyFile());
        QVERIFY2(body.sha256 == item.raw.value("bodySha256", ""), (where + " " + preview->bodyFile().string()).c_str());
      }
      // What the reader sees: text as text, HTML and RTF rendered, never their markup.
      const QString text = preview->body()->toPlainText();
      QVERIFY2(preview->body()->isVisible() && !text.trimmed().isEmpty(), where.c_str());
      QVERIFY2(!text.contains("<p>") && !text.contains("<html") && !text.contains("\\rtf") && !text.contains("\\par"),
               qPrintable(QString::fromStdString(where) + ": " + text.left(200)));
      if (form == "rtf") QVERIFY2(text.contains(QString::fromUtf8("K\u00f6ln")), qPrintable(text.left(300)));
      if (form == "html") QVERIFY(preview->body()->toHtml().contains("<p"));
    }
    QVERIFY(shown >= 6);
  }
};

QTEST_MAIN(PreviewKindsTest)
#include "PreviewKinds_test.moc"
