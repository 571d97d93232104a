// Round trips through the two independent readers: libpff (pffexport) and libpst
// (readpst). Both find folders and items through parent node ids, so together with the
// table checks of StoreTables_test they cover both ways a reader walks a store.
#include <gtest/gtest.h>

// One-line EXPECTs under an if read best without braces here.
#pragma GCC diagnostic ignored "-Wdangling-else"

#include <algorithm>
#include <regex>

#include "TestSupport.h"
#include "tools/pstsample/SampleStore.h"

namespace tarnwick::pst {
namespace {

using namespace testing;
namespace fs = std::filesystem;

struct ExportedItem {
  std::string folder;
  fs::path dir;
  std::string text;  // every .txt file of the item
};

std::string lastFolder(const std::string& manifestFolder) {
  auto at = manifestFolder.rfind('\\');
  return at == std::string::npos ? manifestFolder : manifestFolder.substr(at + 1);
}

std::string isoToLibpff(const std::string& iso) {
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int month = std::stoi(iso.substr(5, 2));
  return std::string(kMonths[month - 1]) + " " + iso.substr(8, 2) + ", " + iso.substr(0, 4) + " " + iso.substr(11, 8);
}

class OracleRoundtrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir("oracle");
    pstsample::SampleOptions o;
    o.output = *dir_ / "sample.pst";
    o.workDir = *dir_ / "work";
    manifest_ = new nlohmann::json(pstsample::writeSampleStore(o));
  }
  static void TearDownTestSuite() {
    delete manifest_;
    delete dir_;
  }
  static ScratchDir* dir_;
  static nlohmann::json* manifest_;
};
ScratchDir* OracleRoundtrip::dir_ = nullptr;
nlohmann::json* OracleRoundtrip::manifest_ = nullptr;

TEST_F(OracleRoundtrip, PffinfoOpensTheStore) {
  if (!toolAvailable("pffinfo")) GTEST_SKIP() << "pffinfo not installed";
  std::string out;
  ASSERT_EQ(runCommand("pffinfo " + shellQuoted(*dir_ / "sample.pst"), &out), 0) << out;
  EXPECT_NE(out.find("Subtree, Wastbox, Common views, Finder"), std::string::npos) << out;
}

TEST_F(OracleRoundtrip, PffexportGivesFoldersItemsAndBytesWritten) {
  if (!toolAvailable("pffexport")) GTEST_SKIP() << "pffexport not installed";
  std::string out;
  ASSERT_EQ(runCommand("cd " + shellQuoted(dir_->path()) + " && pffexport -q -t pff sample.pst", &out), 0) << out;
  fs::path root = *dir_ / "pff.export" / "Top of Outlook data file" / "Mailbox";
  for (const auto& f : (*manifest_)["folders"]) {
    std::string name = f.get<std::string>();
    if (name == "Mailbox") continue;
    bool found = false;
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_directory() && e.path().filename() == name) found = true;
    EXPECT_TRUE(found) << name;
  }
  std::vector<ExportedItem> items;
  std::regex itemDir("(Message|Appointment|Contact|Task|Note|Activity)[0-9]{5}");
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_directory() || !std::regex_match(e.path().filename().string(), itemDir)) continue;
    ExportedItem item{e.path().parent_path().filename().string(), e.path(), ""};
    for (const auto& f : fs::directory_iterator(e.path()))
      if (f.path().extension() == ".txt") item.text += readText(f.path());
    items.push_back(std::move(item));
  }
  EXPECT_EQ(items.size(), (*manifest_)["items"].size());
  for (const auto& m : (*manifest_)["items"]) {
    std::string subject = m["subject"];
    const ExportedItem* hit = nullptr;
    for (const auto& it : items)
      if (it.folder == lastFolder(m["folder"]) &&
          it.text.find("Subject:\t\t\t\t" + subject + "\n") != std::string::npos)
        hit = &it;
    ASSERT_NE(hit, nullptr) << subject;
    if (m.contains("sender") && m["kind"] == "mail")
      EXPECT_NE(hit->text.find("Sender email address:\t\t\t" + m["sender"].get<std::string>()), std::string::npos)
          << subject;
    if (m.contains("recipients"))
      for (const auto& r : m["recipients"])
        EXPECT_NE(hit->text.find("Email address:\t\t" + r.get<std::string>()), std::string::npos) << subject;
    if (m.contains("date") && m["kind"] == "mail")
      EXPECT_NE(hit->text.find("Client submit time:\t\t\t" + isoToLibpff(m["date"])), std::string::npos) << subject;
    if (m.contains("start")) EXPECT_NE(hit->text.find(isoToLibpff(m["start"])), std::string::npos) << subject;
    if (m.contains("body") && (m["kind"] == "mail"))
      EXPECT_EQ(readText(hit->dir / "Message.txt"), m["body"].get<std::string>()) << subject;
    if (m.contains("body") && m["kind"] != "mail" && m["kind"] != "appointment")  // libpff exports no appointment body
      EXPECT_NE(hit->text.find(m["body"].get<std::string>()), std::string::npos) << subject;
    if (m.contains("html")) EXPECT_EQ(readText(hit->dir / "Message.html"), m["html"].get<std::string>());
    if (m["subject"] == "RTF message")
      EXPECT_NE(readText(hit->dir / "Message.rtf").find("Rich \\b text\\b0 body."), std::string::npos);
    if (m.contains("attachments")) {
      int index = 1;
      for (const auto& a : m["attachments"]) {
        std::string name = a["name"];
        fs::path exported = hit->dir / "Attachments" / (std::to_string(index++) + "_" + name);
        ASSERT_TRUE(fs::exists(exported)) << exported;
        EXPECT_EQ(readText(exported), readText(*dir_ / "work" / name)) << name;
      }
    }
  }
}

TEST_F(OracleRoundtrip, ReadpstGivesFoldersAndMailItems) {
  if (!toolAvailable("readpst")) GTEST_SKIP() << "readpst not installed";
  fs::create_directories(*dir_ / "rp");
  std::string out;
  // One process (-j 0): readpst's forked writers may still be writing when it returns.
  ASSERT_EQ(
      runCommand("readpst -j 0 -S -D -o " + shellQuoted(*dir_ / "rp") + " " + shellQuoted(*dir_ / "sample.pst"), &out),
      0)
      << out;
  fs::path root = *dir_ / "rp" / (*manifest_)["store"].get<std::string>() / "Mailbox";
  for (const auto& m : (*manifest_)["items"]) {
    if (m["kind"] == "task" || m["kind"] == "note") continue;  // readpst leaves these kinds out by default
    std::string s = m["subject"];
    if (std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      continue;  // readpst writes such subjects MIME-encoded; pffexport covers them
    fs::path folder = root;
    std::string path = m["folder"];
    for (std::size_t at = path.find('\\'); at != std::string::npos;) {
      std::size_t next = path.find('\\', at + 1);
      folder /= path.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
      at = next;
    }
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    std::string subject = m["subject"], found;
    fs::path itemFile;
    for (const auto& e : fs::directory_iterator(folder)) {
      if (!e.is_regular_file() || e.path().filename().string().find('-') != std::string::npos) continue;
      std::string content = readText(e.path());
      if (content.find("Subject: " + subject) != std::string::npos ||
          content.find("SUMMARY:" + subject) != std::string::npos ||
          (m.contains("email") && content.find("EMAIL:" + m["email"].get<std::string>()) != std::string::npos)) {
        found = content;
        itemFile = e.path();
      }
    }
    ASSERT_FALSE(found.empty()) << subject << " in " << folder;
    if (m["kind"] != "mail") continue;
    EXPECT_NE(found.find("From: " + m["sender"].get<std::string>()), std::string::npos) << subject;
    // readpst's To: line carries display names: look for the address's local part.
    std::string lower = found;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& r : m["recipients"]) {
      std::string local = r.get<std::string>().substr(0, r.get<std::string>().find('@'));
      EXPECT_NE(lower.find(local), std::string::npos) << subject;
    }
    if (m.contains("body")) {
      std::string body = m["body"], withoutCr;
      for (char c : body)
        if (c != '\r') withoutCr += c;
      EXPECT_NE(found.find(withoutCr), std::string::npos) << subject;  // readpst writes LF line ends
    }
    if (m.contains("attachments"))
      for (const auto& a : m["attachments"]) {
        fs::path att = itemFile.string() + "-" + a["name"].get<std::string>();
        ASSERT_TRUE(fs::exists(att)) << att;
        EXPECT_EQ(readText(att), readText(*dir_ / "work" / a["name"].get<std::string>()));
      }
  }
}

}  // namespace
}  // namespace tarnwick::pst
