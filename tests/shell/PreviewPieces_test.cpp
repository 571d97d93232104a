#include "shell/BodyDocument.h"
#include "shell/MessageListView.h"
#include "shell/MimeBody.h"
#include "shell/PreviewPane.h"
#include "shell/RtfToHtml.h"
#include "shell/SafeTextBrowser.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>

using namespace tarnwick::shell;

namespace {

QString html(std::string_view rtf) { return QString::fromStdU16String(rtfToHtml(rtf)); }

// A 2 x 2 red PNG, base64 for a MIME part.
QByteArray redPngBase64() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png.toBase64();
}

}  // namespace

class PreviewPiecesTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void plainRtfKeepsParagraphsAndFormatting() {
    const QString out = html(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fswiss Courier New;}}"
        "{\\colortbl;\\red255\\green0\\blue0;}"
        "{\\*\\generator Writer;}{\\info{\\title Secret}}"
        "Hello \\b bold\\b0  and \\i italic\\i0\\par "
        "{\\ul under}\\line \\f1\\fs40\\cf1 big red\\par "
        "caf\\'e9 \\u8364? {\\pict 89504e47}<tag> & done}");
    QVERIFY(out.contains("Hello "));
    QVERIFY(out.contains("font-weight:bold;\">bold</span>"));
    QVERIFY(out.contains("font-style:italic;\">italic</span>"));
    QVERIFY(out.contains("text-decoration:underline;\">under</span>"));
    QVERIFY(out.contains("<br>"));
    QVERIFY(out.contains("</p><p>"));
    QVERIFY(out.contains("font-family:'Courier New';font-size:20pt;color:rgb(255,0,0);\">big red"));
    QVERIFY(out.contains(QString::fromUtf8("café €")));  // code page byte and \u with its stand-in skipped
    QVERIFY(out.contains("&lt;tag&gt; &amp; done"));
    QVERIFY(!out.contains("Secret"));    // \info is not body text
    QVERIFY(!out.contains("Writer"));    // neither is an ignorable destination
    QVERIFY(!out.contains("89504e47"));  // nor a picture
    QVERIFY(!out.contains("Arial"));     // the font table is not text
  }

  void htmlInsideRtfIsRecovered() {
    const std::string rtf =
        "{\\rtf1\\ansi\\fromhtml1 \\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
        "{\\*\\htmltag19 <html>}{\\*\\htmltag34 <body>}"
        "\\htmlrtf {\\f0 \\htmlrtf0 Dear {\\*\\htmltag84 <b>}Bob{\\*\\htmltag92 </b>}\\htmlrtf }\\htmlrtf0 \\par "
        "{\\*\\htmltag <a href=\"http://x.test/\">}link{\\*\\htmltag </a>}"
        "{\\*\\htmltag </body></html>}}";
    QVERIFY(rtfCarriesHtml(rtf));
    const QString out = html(rtf);
    QCOMPARE(out, QString("<html><body>Dear <b>Bob</b>\r\n<a href=\"http://x.test/\">link</a></body></html>"));
    QVERIFY(!rtfCarriesHtml("{\\rtf1\\ansi\\fromhtml0 x}"));
  }

  void damagedRtfGivesWhatCouldBeRead() {
    // Cut in the middle of a control word, a \' escape, and with groups never closed or
    // closed too often: no crash, the text read so far comes out.
    for (std::string_view cut : {"{\\rtf1 abc\\b", "{\\rtf1 abc\\'", "{\\rtf1 abc\\'4", "{\\rtf1{{{ abc",
                                 "}}}{\\rtf1 abc}}}}", "{\\rtf1 abc\\u-", "{\\rtf1 abc\\"})
      QVERIFY2(html(cut).contains("abc"), cut.data());
    QVERIFY(html("").contains("<body>"));
    std::string deep(100000, '{');
    deep += "deep";
    QVERIFY(html(deep).contains("deep"));
  }

  void mimeMessageGivesHtmlAndInlineImages() {
    const QByteArray message =
        "From: a@example.test\r\nTo: b@example.test\r\nSubject: hi\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/related; boundary=\"B\"\r\n\r\n"
        "--B\r\nContent-Type: multipart/alternative; boundary=\"A\"\r\n\r\n"
        "--A\r\nContent-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "Gr=FC=DFe\r\n"
        "--A\r\nContent-Type: text/html; charset=iso-8859-1\r\n\r\n"
        "<p>Gr\xfc\xdf"
        "e <img src=\"cid:pic1\"> <img src=\"http://tracker.test/p.gif\"></p>\r\n"
        "--A--\r\n"
        "--B\r\nContent-Type: image/png\r\nContent-ID: <pic1>\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
        redPngBase64() + "\r\n--B--\r\n";
    const auto body = parseMimeBody(std::string_view(message.constData(), message.size()));
    QVERIFY(body.has_value());
    QCOMPARE(QString::fromStdString(body->text).trimmed(), QString::fromUtf8("Grüße"));
    QVERIFY(QString::fromStdString(body->html).contains(QString::fromUtf8("Grüße")));
    QCOMPARE(body->inlineParts.count("cid:pic1"), std::size_t{1});
    QCOMPARE(QString::fromStdString(body->inlineParts.at("cid:pic1").contentType), QString("image/png"));

    // The page shows the message's own image and refuses the remote one.
    SafeTextBrowser browser;
    browser.setInlineParts(body->inlineParts);
    browser.setHtml(QString::fromStdString(body->html));
    browser.resize(400, 300);
    browser.show();
    QCoreApplication::processEvents();
    const QVariant own = browser.loadResource(QTextDocument::ImageResource, QUrl("cid:pic1"));
    QCOMPARE(own.value<QImage>().pixelColor(0, 0), QColor(Qt::red));
    QVERIFY(browser.refused().contains("http://tracker.test/p.gif"));
    QVERIFY(!browser.loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd")).isValid());
    QVERIFY(!browser.loadResource(QTextDocument::StyleSheetResource, QUrl("https://evil.test/x.css")).isValid());
    QVERIFY(!parseMimeBody("").has_value() || parseMimeBody("")->html.empty());
  }

  void bodyFilesOfEveryForm() {
    QTemporaryDir dir;
    const auto write = [&](const char* name, const std::string& bytes) {
      const std::filesystem::path path = dir.filePath(name).toStdString();
      std::ofstream(path, std::ios::binary) << bytes;
      return path;
    };
    // UTF-16LE text.
    const std::string utf16("H\0i\0 \0\xAC\x20", 8);
    BodyDocument text = loadBodyDocument(write("TarnBody.txt", utf16), false);
    QVERIFY(text.valid && !text.html);
    QCOMPARE(text.text, QString::fromUtf8("Hi €"));
    // 8-bit: Windows-1252 plain text, UTF-8 HTML.
    BodyDocument plain = loadBodyDocument(write("TarnBody.html", "caf\xe9 <3 you"), false);
    QVERIFY(!plain.html);
    QCOMPARE(plain.text, QString::fromUtf8("café <3 you"));
    BodyDocument page = loadBodyDocument(write("TarnBody.html", "<HTML><body>Gr\xc3\xbc\xc3\x9f</body></HTML>"), false);
    QVERIFY(page.html);
    QVERIFY(page.text.contains(QString::fromUtf8("Grüß")));
    // RTF shown as HTML.
    BodyDocument rtf = loadBodyDocument(write("TarnBody.rtf", "{\\rtf1 \\b Bold\\b0}"), true);
    QVERIFY(rtf.html);
    QVERIFY(rtf.text.contains("font-weight:bold;\">Bold"));
    QVERIFY(!loadBodyDocument(dir.filePath("missing.txt").toStdString(), false).valid);

    // The pane: attachments hidden when there are none, the summary only for contacts
    // and appointments, the body where there is one.
    PreviewPane pane;
    pane.show();
    PreviewContent mail;
    mail.from = "Ann";
    mail.subject = "Hello";
    mail.bodyPath = write("TarnBody.html", "<p>remote <img src=\"http://t.test/x.gif\"></p>");
    pane.showPreview(mail);
    QCoreApplication::processEvents();
    QCOMPARE(pane.subjectText()->text(), QString("Hello"));
    QVERIFY(pane.attachmentsText()->isHidden());
    QVERIFY(pane.summary()->isHidden());
    QVERIFY(pane.body()->isVisible());
    QVERIFY(pane.body()->refused().contains("http://t.test/x.gif"));
    PreviewContent contact;
    contact.kind = tarnwick::content::PreviewKind::Contact;
    contact.attachments = "card.vcf";
    // The lines stand in the item's order, not sorted: a value's further lines stay under
    // their label.
    contact.summary = {"Name : Bob", "Address : 1 Main St", "Springfield", "Phone : 1"};
    pane.showPreview(contact);
    QVERIFY(pane.attachmentsText()->isVisible());
    QCOMPARE(pane.summary()->count(), 4);
    QCOMPARE(pane.summary()->item(0)->text(), QString("Name : Bob"));
    QCOMPARE(pane.summary()->item(2)->text(), QString("Springfield"));
    QVERIFY(pane.body()->isHidden());
    pane.clearPreview();
    QVERIFY(pane.summary()->isHidden());
    QVERIFY(pane.subjectText()->text().isEmpty());
  }

  void messageListFilterAndSort() {
    MessageListView list;
    QSignalSpy counts(&list, &MessageListView::rowCountChanged);
    list.setRows({
        {12, true, "Carol", "RE: Budget", "Mon 03/02/2010 09:05 AM", "2010-02-03 09:05:00", "id1"},
        {0, false, "bob", "Meeting", "Tue 01/01/2008 10:00 AM", "2008-01-01 10:00:00", "id2"},
        {1, false, "Dave", "budget plan", "Wed 05/05/2021 01:00 PM", "2021-05-05 13:00:00", "id3"},
    });
    QTreeWidget* rows = list.rows();
    QCOMPARE(rows->topLevelItemCount(), 3);
    QCOMPARE(rows->topLevelItem(0)->text(MessageListView::FromColumn), QString("Carol"));  // list order at first
    QVERIFY(!rows->topLevelItem(0)->icon(MessageListView::AttachmentColumn).isNull());
    QVERIFY(rows->topLevelItem(1)->icon(MessageListView::AttachmentColumn).isNull());
    QCOMPARE(MessageListView::messageIdOf(rows->topLevelItem(1)), QByteArray("id2"));
    QCOMPARE(counts.last(), (QList<QVariant>{3, 3}));

    // The filter applies as you type, to subject and sender, in any case.
    QTest::keyClicks(list.filterBox(), "BUDGET");
    QCOMPARE(list.visibleRowCount(), 2);
    QCOMPARE(counts.last(), (QList<QVariant>{2, 3}));
    list.filterBox()->setText("bob");
    QCOMPARE(list.visibleRowCount(), 1);
    list.filterBox()->clear();
    QCOMPARE(list.visibleRowCount(), 3);

    // Date sorts by time, both ways; From without regard to case.
    rows->sortByColumn(MessageListView::DateColumn, Qt::AscendingOrder);
    QCOMPARE(MessageListView::messageIdOf(rows->topLevelItem(0)), QByteArray("id2"));
    QCOMPARE(MessageListView::messageIdOf(rows->topLevelItem(2)), QByteArray("id3"));
    rows->sortByColumn(MessageListView::DateColumn, Qt::DescendingOrder);
    QCOMPARE(MessageListView::messageIdOf(rows->topLevelItem(0)), QByteArray("id3"));
    rows->sortByColumn(MessageListView::FromColumn, Qt::AscendingOrder);
    QCOMPARE(rows->topLevelItem(0)->text(MessageListView::FromColumn), QString("bob"));
  }

  void attachmentsAndMessageCanBeSaved() {
    QTemporaryDir dir;
    const std::filesystem::path mht = dir.filePath("TarnBody1.mht").toStdString();
    std::ofstream(mht, std::ios::binary) << "Subject: x\r\n\r\nbody\r\n";
    PreviewPane pane;
    pane.show();
    QSignalSpy wanted(&pane, &PreviewPane::saveAttachmentRequested);
    PreviewContent content;
    content.attachments = "a.txt, b.pdf";
    content.attachmentNames = {"a.txt", "b.pdf"};
    content.bodyPath = mht;
    pane.showPreview(content);
    QVERIFY(pane.saveAttachmentButton()->isVisible());
    QCOMPARE(pane.saveAttachmentButton()->menu()->actions().size(), 2);
    pane.saveAttachmentButton()->menu()->actions().at(1)->trigger();
    QCOMPARE(wanted.size(), 1);
    QCOMPARE(wanted.first(), (QList<QVariant>{1, QString("b.pdf")}));
    QVERIFY(pane.saveMessageButton()->isVisible());
    const QString copy = dir.filePath("saved.eml");
    QVERIFY(pane.saveMessageTo(copy));
    QFile saved(copy);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("body"));
    // An RTF or text body has no message file to save.
    PreviewContent plain;
    plain.bodyPath = dir.filePath("TarnBody.txt").toStdString();
    pane.showPreview(plain);
    QVERIFY(pane.saveMessageButton()->isHidden());
    QVERIFY(pane.saveAttachmentButton()->isHidden());
    QVERIFY(!pane.saveMessageTo(copy));
  }
};

QTEST_MAIN(PreviewPiecesTest)
#include "PreviewPieces_test.moc"
