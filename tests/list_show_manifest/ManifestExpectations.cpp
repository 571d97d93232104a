#include "tests/list_show_manifest/ManifestExpectations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <sstream>

namespace tarnwick::testing {

namespace fs = std::filesystem;

namespace {

std::string kindWord(const std::string& letter) {
  if (letter == "c") return "contact";
  if (letter == "a") return "appointment";
  if (letter == "t") return "task";
  if (letter == "n") return "note";
  if (letter == "j") return "journal";
  return "mail";
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The addresses of a To text ("a@x.org,<b@y.org>"), without angle brackets, lower case.
std::vector<std::string> addressesOf(const std::string& to) {
  std::vector<std::string> out;
  std::stringstream in(to);
  std::string entry;
  while (std::getline(in, entry, ',')) {
    const std::size_t open = entry.find('<');
    const std::size_t close = entry.find('>', open == std::string::npos ? 0 : open);
    if (open != std::string::npos && close != std::string::npos) entry = entry.substr(open + 1, close - open - 1);
    out.push_back(lower(entry));
  }
  return out;
}

// The preview's kind: the item's when it is a contact or appointment, else the folder's.
char previewKind(const std::string& itemKind, const nlohmann::json& folder) {
  if (itemKind == "a" || itemKind == "c") return itemKind[0];
  const std::string folderKind = folder.value("kind", "");
  if (folderKind == "a" || folderKind == "c") return folderKind[0];
  return 'd';
}

}  // namespace

ManifestIndex::ManifestIndex(const nlohmann::json& manifest) {
  for (const nlohmann::json& m : manifest["mailboxes"]) {
    mailboxNames_[m["id"]] = m["name"];
    mailboxKeys_[m["id"]] = m.value("key", "");
  }
  for (const nlohmann::json& t : manifest["tables"]) tableIds_[t["name"]] = t["objectId"].get<std::uint32_t>();
  for (const nlohmann::json& f : manifest["folders"]) folders_[f["id"]] = &f;
  for (const nlohmann::json& m : manifest["messages"]) messages_[m["folder"]].push_back(&m);
}

const std::vector<const nlohmann::json*>& ManifestIndex::messagesOf(const std::string& folderId) const {
  static const std::vector<const nlohmann::json*> kNone;
  auto it = messages_.find(folderId);
  return it == messages_.end() ? kNone : it->second;
}

std::string ManifestIndex::mailboxName(const std::string& mailboxId) const {
  auto it = mailboxNames_.find(mailboxId);
  return it == mailboxNames_.end() ? std::string() : it->second;
}

const nlohmann::json* ManifestIndex::folder(const std::string& folderId) const {
  auto it = folders_.find(folderId);
  return it == folders_.end() ? nullptr : it->second;
}

bool ManifestIndex::appointmentTextsNamed(const std::string& mailboxId) const {
  constexpr std::uint32_t kNamedColumnTable = 19;
  auto key = mailboxKeys_.find(mailboxId);
  for (const std::string& name :
       {std::string("Msg"), "Body-" + (key == mailboxKeys_.end() ? std::string() : key->second)}) {
    auto t = tableIds_.find(name);
    if (t != tableIds_.end()) return t->second == kNamedColumnTable;
  }
  return false;
}

ListedRows parseRows(const std::string& listOutput) {
  ListedRows rows;
  const nlohmann::json list = nlohmann::json::parse(listOutput, nullptr, false);
  if (list.is_discarded() || !list.contains("messages")) {
    ADD_FAILURE() << "list printed no JSON: " << listOutput.substr(0, 200);
    return rows;
  }
  for (const nlohmann::json& row : list["messages"]) {
    EXPECT_TRUE(rows.emplace(row["id"], row).second) << "listed twice: " << row["id"];
  }
  return rows;
}

bool isListedYear(const nlohmann::json& message) {
  const int year = displayYearUtc(message["fileTime"].get<std::uint64_t>());
  return year >= 1980 && year <= 2099;
}

void expectRowMatches(const nlohmann::json& row, const nlohmann::json& message, const nlohmann::json& folder,
                      const ManifestIndex& index) {
  const std::string id = message["id"];
  EXPECT_EQ(row["subject"], message["subject"]) << id;
  EXPECT_EQ(row["date"], displayTimeUtc(message["fileTime"].get<std::uint64_t>())) << id;
  // Sent items, and notes, contacts and appointments without a sender, show the mailbox.
  const std::string sender = message["sender"];
  const std::string kind = row["kind"];
  std::string from = sender;
  if (folder["name"] == "Sent Items" ||
      (sender.empty() && (kind == "note" || kind == "contact" || kind == "appointment"))) {
    from = index.mailboxName(folder["mailbox"]);
  }
  EXPECT_EQ(row["from"], from) << id;
  if (message.contains("kind")) {
    EXPECT_EQ(kind, kindWord(message["kind"])) << id;
  }
  if (message.contains("attachments")) {
    EXPECT_EQ(row["attachments"], !message["attachments"].empty()) << id;
  }
}

std::string ShowTally::describe() const {
  std::ostringstream out;
  out << shown << " items shown";
  for (const auto& [form, n] : bodies) out << ", " << n << " " << form << " bodies";
  out << ", " << recipients << " with recipients, " << attachments << " attachments, " << summaries
      << " summaries; kinds";
  for (const auto& [kind, n] : kinds) out << " " << kind << "=" << n;
  return out.str();
}

void expectShowMatches(const GeneratedStore& store, const nlohmann::json& folder, const nlohmann::json& message,
                       const ManifestIndex& index, ShowTally& tally) {
  const std::string id = message["id"];
  const fs::path body = store.dir() / ("body-" + id);
  const fs::path attachments = store.dir() / ("attachments-" + id);
  fs::create_directories(attachments);
  const SeparatedResult run = runTarnwick(
      "show " + store.storeArguments() + " --folder " + folder["id"].get<std::string>() + " --message " + id +
      " --json --body-out " + shellQuoted(body.string()) + " --attachments-out " + shellQuoted(attachments.string()));
  ASSERT_EQ(run.status, 0) << id << "\n" << run.errors;
  const nlohmann::json shown = nlohmann::json::parse(run.output, nullptr, false);
  ASSERT_FALSE(shown.is_discarded()) << id << ": " << run.output.substr(0, 200);
  ++tally.shown;
  EXPECT_EQ(shown["date"], displayTimeUtc(message["fileTime"].get<std::uint64_t>())) << id;

  // Recipients: the To text holds exactly the manifest's addresses (cut after 160 characters).
  if (message.contains("recipients")) {
    std::vector<std::string> expected;
    for (const nlohmann::json& r : message["recipients"]) {
      const std::string address = lower(r["address"]);
      if (std::find(expected.begin(), expected.end(), address) == expected.end()) expected.push_back(address);
    }
    std::string to = shown["to"];
    const bool cut = to.size() > 160 && to.ends_with("...");
    if (cut) to = to.substr(0, to.size() - 3);
    std::vector<std::string> got = addressesOf(to);
    if (cut && !got.empty()) got.pop_back();  // the last one may be cut short
    if (cut) {
      for (const std::string& a : got)
        EXPECT_NE(std::find(expected.begin(), expected.end(), a), expected.end()) << id << ": " << a;
    } else {
      EXPECT_EQ(got, expected) << id << ": To " << shown["to"];
    }
    if (!expected.empty()) ++tally.recipients;
  }

  // Body: its form, and its bytes as the reader must give them back.
  if (message.contains("bodyForm")) {
    const std::string form = message["bodyForm"];
    EXPECT_EQ(shown["bodyForm"], form) << id;
    ASSERT_TRUE(fs::exists(body)) << id << ": no body written";
    if (message.contains("bodySize")) {
      EXPECT_EQ(fs::file_size(body), message["bodySize"].get<std::uint64_t>()) << id << " " << form;
    }
    EXPECT_EQ(fileSha256(body), message["bodySha256"]) << id << " " << form;
    ++tally.bodies[form];
  } else if (message.contains("kind")) {
    EXPECT_EQ(shown["bodyForm"], "none") << id;
  }

  // Attachments: the same names and sizes, and the saved files hold the same bytes.
  if (message.contains("attachments")) {
    std::multiset<std::pair<std::string, std::uint64_t>> expected, got;
    std::multiset<std::string> expectedDigests, savedDigests;
    for (const nlohmann::json& a : message["attachments"]) {
      expected.emplace(a["name"], a["size"].get<std::uint64_t>());
      expectedDigests.insert(a["sha256"].get<std::string>());
    }
    for (const nlohmann::json& a : shown["attachments"]) got.emplace(a["name"], a["size"].get<std::uint64_t>());
    EXPECT_EQ(got, expected) << id;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(attachments)) {
      EXPECT_TRUE(e.is_regular_file() && e.path().parent_path() == attachments) << id << ": " << e.path();
      savedDigests.insert(fileSha256(e.path()));
    }
    EXPECT_EQ(savedDigests, expectedDigests) << id;
    tally.attachments += expected.size();
  }

  // Contact and appointment lines; appointments end with their start and end.
  if (message.contains("kind")) {
    const std::string kind = message["kind"];
    ++tally.kinds[kind];
    std::vector<std::string> expected;
    const char preview = previewKind(kind, folder);
    const bool texts = preview == 'c' || index.appointmentTextsNamed(folder["mailbox"]);
    if (preview != 'd' && texts && message.contains("lines")) {
      for (const nlohmann::json& line : message["lines"]) expected.push_back(line);
    }
    if (preview == 'a' && message.contains("startFileTime")) {
      expected.push_back("Start Date :   " + displayTimeUtc(message["startFileTime"].get<std::uint64_t>()));
      expected.push_back("End Date :   " + displayTimeUtc(message["endFileTime"].get<std::uint64_t>()));
    }
    std::vector<std::string> got;
    for (const nlohmann::json& line : shown["summary"]) got.push_back(line);
    EXPECT_EQ(got, expected) << id << " (" << kind << ")";
    if (!expected.empty()) ++tally.summaries;
  }
  std::error_code ec;
  fs::remove(body, ec);
  fs::remove_all(attachments, ec);
}

}  // namespace tarnwick::testing
