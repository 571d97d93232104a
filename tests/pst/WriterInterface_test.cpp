// The mail writer's texts: folder paths, recipient and attachment lists,
// header files, failures, and MIME import.
#include <gtest/gtest.h>

#include <fstream>

#include "PstTestReader.h"
#include "TestSupport.h"
#include "platform/FileTime.h"
#include "pst/PstError.h"
#include "pst/PstMailWriter.h"
#include "pst/messaging/PropTags.h"

namespace tarnwick::pst {
namespace {

using namespace testing;

TEST(ItemTexts, RecipientAttachmentAndFromLines) {
  auto r = parseRecipientList("a@b.example,Bob Smith <bob@c.example>; \"Q, R\" <q@r.example>");
  ASSERT_EQ(r.size(), 4u);  // the quoted comma splits, as the list's own separator
  EXPECT_EQ(r[0].address, "a@b.example");
  EXPECT_EQ(r[0].name, "a@b.example");
  EXPECT_EQ(r[1].name, "Bob Smith");
  EXPECT_EQ(r[1].address, "bob@c.example");
  auto a = parseAttachmentList("/tmp/x.txt;/tmp/y z.bin;;");
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[1], std::filesystem::path("/tmp/y z.bin"));
  auto from = parseFromLine("From: Mailbox - Sales<Mailbox - Sales>\r\n");
  EXPECT_EQ(from.name, "Mailbox - Sales");
  EXPECT_EQ(from.address, "Mailbox - Sales");
}

TEST(MailWriter, FolderPathsMustNameTheOpenStoreAndFilesAreNeverOverwritten) {
  ScratchDir dir("writer-paths");
  PstMailWriter w;
  EXPECT_THROW(w.CreateFolder("\\\\S\\A"), PstError);  // no store yet
  w.CreateStore((dir / "a.pst").string(), "S");
  EXPECT_THROW(w.CreateFolder("\\\\Other\\A"), PstError);
  w.CreateFolder("\\\\S\\A\\B\\C");
  w.CreateFolder("\\\\S\\A\\B");  // existing: no second folder
  w.OpenFolder("\\\\S\\A\\B");
  w.AddNote("\\\\S\\A\\B", "body", "subject", BodyKind::Utf16Text, {});
  w.CloseFolder();
  auto& store = w.store();
  Nid a = store.findFolder(store.topOfStore(), "A");
  ASSERT_NE(a.value, 0u);
  EXPECT_EQ(store.childFolders(a).size(), 1u);
  w.CloseStore();
  PstMailWriter again;
  try {
    again.CreateStore((dir / "a.pst").string(), "S");
    FAIL() << "an existing file was overwritten";
  } catch (const PstError& e) {
    EXPECT_NE(std::string(e.what()).find("a.pst"), std::string::npos) << "the message names the file";
  }
}

TEST(MailWriter, HeaderFileGivesSenderAndStaysAsHeaders) {
  ScratchDir dir("writer-header");
  {
    std::ofstream(dir / "temp.eml", std::ios::binary) << "From: Sales<Sales>\r\n";
    PstMailWriter w;
    w.CreateStore((dir / "h.pst").string(), "S");
    w.AddMessage("\\\\S\\Sent Items", "s", "x@y.example", (dir / "temp.eml").string(),
                 utcFileTime(2003, 1, 2, 16, 5, 6), "", "b", BodyKind::Utf16Text, "", "");
    w.CloseStore();
  }
  PstTestReader r(dir / "h.pst");
  for (const auto& [nid, n] : r.nodes()) {
    if ((nid & 0x1F) != 0x04) continue;
    auto p = r.nodeProperties(nid);
    EXPECT_EQ(PstTestReader::utf16(p.at(propid::kSenderName).bytes), "Sales");
    EXPECT_EQ(PstTestReader::utf16(p.at(propid::kTransportMessageHeaders).bytes), "From: Sales<Sales>\r\n");
    EXPECT_EQ(p.at(propid::kClientSubmitTime).bytes.size(), 8u);
    return;
  }
  FAIL() << "no message written";
}

TEST(MailWriter, ImportMessageFileKeepsBodiesAttachmentsAndAttachedMessages) {
  if (!toolAvailable("pffexport")) GTEST_SKIP() << "pffexport not installed";
  ScratchDir dir("writer-mime");
  std::ofstream(dir / "m.eml", std::ios::binary)
      << "From: Alice Example <alice@example.com>\r\nTo: bob@example.com, Carol <carol@example.com>\r\n"
         "Cc: dan@example.com\r\nSubject: =?UTF-8?B?R3LDvMOfZQ==?=\r\nDate: Tue, 02 Feb 2010 10:20:30 +0000\r\n"
         "Message-ID: <abc@example.com>\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=\"XX\"\r\n\r\n"
         "--XX\r\nContent-Type: multipart/alternative; boundary=\"YY\"\r\n\r\n"
         "--YY\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nPlain body\r\n"
         "--YY\r\nContent-Type: text/html; charset=utf-8\r\n\r\n<p>HTML body</p>\r\n--YY--\r\n"
         "--XX\r\nContent-Type: application/octet-stream\r\nContent-Disposition: attachment; filename=\"data.bin\"\r\n"
         "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQF\r\n"
         "--XX\r\nContent-Type: message/rfc822\r\n\r\nFrom: x@y.example\r\nSubject: Inner\r\n\r\nInner "
         "body\r\n--XX--\r\n";
  {
    PstMailWriter w;
    w.CreateStore((dir / "m.pst").string(), "S");
    w.ImportMessageFile("\\\\S\\Inbox", (dir / "m.eml").string());
    w.CloseStore();
  }
  EXPECT_EQ(pstcheckProblems(dir / "m.pst"), "");
  std::string out;
  ASSERT_EQ(runCommand("cd " + shellQuoted(dir.path()) + " && pffexport -q -f all -t x m.pst", &out), 0) << out;
  auto item = dir / "x.export" / "Top of Outlook data file" / "Inbox" / "Message00001";
  std::string headers = readText(item / "OutlookHeaders.txt");
  EXPECT_NE(headers.find("Subject:\t\t\t\tGr\xC3\xBC\xC3\x9F"
                         "e"),
            std::string::npos)
      << headers;
  EXPECT_NE(headers.find("Sender name:\t\t\t\tAlice Example"), std::string::npos) << headers;
  EXPECT_NE(headers.find("Feb 02, 2010 10:20:30"), std::string::npos) << headers;
  EXPECT_EQ(readText(item / "Message.txt"), "Plain body");  // the CRLF before a boundary belongs to it
  EXPECT_NE(readText(item / "Message.html").find("<p>HTML body</p>"), std::string::npos);
  EXPECT_EQ(readText(item / "Attachments" / "1_data.bin"), std::string("\x00\x01\x02\x03\x04\x05", 6));
  EXPECT_NE(readText(item / "Attachments" / "2_Inner.eml").find("Inner body"), std::string::npos);
  std::string recipients = readText(item / "Recipients.txt");
  EXPECT_NE(recipients.find("carol@example.com"), std::string::npos);
  EXPECT_NE(recipients.find("Recipient type:\t\tCC"), std::string::npos) << recipients;
  EXPECT_NE(readText(item / "InternetHeaders.txt").find("Message-ID: <abc@example.com>"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::pst

namespace tarnwick::pst {
namespace {

TEST(MailWriter, UnreadableAttachmentFailsTheItemAndLeavesNoBlocks) {
  ScratchDir dir("writer-missing");
  {
    PstMailWriter w;
    w.CreateStore((dir / "m.pst").string(), "S");
    w.AddMessage("\\\\S\\Inbox", "kept", "a@b.example", "", utcFileTime(2003, 1, 2, 16, 5, 6), "", "b",
                 BodyKind::Utf16Text, "", "");
    EXPECT_THROW(w.AddMessage("\\\\S\\Inbox", "lost", "a@b.example", "", utcFileTime(2003, 1, 2, 16, 5, 6),
                              (dir / "missing.bin").string() + ";", "b", BodyKind::Utf16Text, "", ""),
                 PstError);
    w.CloseStore();
  }
  EXPECT_EQ(pstcheckProblems(dir / "m.pst"), "");
  PstTestReader r(dir / "m.pst");
  auto maps = r.verifyAllocationMaps();
  EXPECT_TRUE(maps.empty()) << maps.front();
  int messages = 0;
  for (const auto& [nid, n] : r.nodes()) messages += (nid & 0x1F) == 0x04;
  EXPECT_EQ(messages, 1);
  EXPECT_TRUE(r.unreferencedBlocks().empty());
}

}  // namespace
}  // namespace tarnwick::pst
