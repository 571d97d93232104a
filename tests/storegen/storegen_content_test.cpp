// Generated stores read back the way `tarnwick list` and `show` read them: every message
// of the manifest is found in its folder with its subject and sender, its recipients, its
// body in its form (the exact bytes, by digest), its attachments and its contact or
// appointment lines.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "content/AttachmentData.h"
#include "content/HeaderTexts.h"
#include "content/PreviewAssembly.h"
#include "platform/CodePage.h"
#include "platform/FileTime.h"
#include "platform/MessageSink.h"
#include "session/StoreSession.h"
#include "tests/storegen/StoreFixture.h"
#include "tools/storegen/Digest.h"

namespace tarnwick::storegen {
namespace {

using nlohmann::json;
using testing::ScratchDir;

std::string readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string digestOf(const std::string& bytes) {
  return sha256Hex(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

analysis::MessageId idOf(const std::string& hex) {
  analysis::MessageId id;
  for (std::size_t i = 0; i < 8; ++i)
    id.bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
  return id;
}

// The body form a preview's body file stands for.
std::string formOf(const std::filesystem::path& body) {
  const std::string ext = body.extension().string();
  if (ext == ".txt") return "text";
  if (ext == ".html") return "html";
  if (ext == ".rtf") return "rtf";
  if (ext == ".mht") return "eml";
  return "";
}

class StoregenContent : public ::testing::TestWithParam<StoreFormat> {};

TEST_P(StoregenContent, EveryMessageReadsBackAsTheManifestSaysItIs) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("content-") + std::string(traits.name));
  Scenario scenario;
  scenario.format = GetParam();
  const testing::GeneratedStore g = testing::generate(scenario, dir.path() / "store");
  const json& manifest = g.manifest;
  const bool large = GetParam() == StoreFormat::Exchange2010;

  session::StoreSession session;
  const std::string stm = manifest["files"].contains("stm") ? (g.dir / "store.stm").string() : std::string();
  StreamMessageSink sink(stderr);
  ASSERT_TRUE(session.openAndScan(g.edb.string(), stm, sink).ready());
  const std::filesystem::path work = dir.path() / "work";
  std::filesystem::create_directories(work);
  content::PreviewSources sources{*session.database(), session.streaming(), session.geometry(), work};
  content::MhtNaming naming;

  std::map<std::string, int> checked;  // kind + form + placement -> messages
  std::size_t attachmentsChecked = 0;
  for (const json& folderEntry : manifest["folders"]) {
    const std::string folderId = folderEntry["id"];
    const analysis::FolderNode* folder = session.findFolder(folderId);
    ASSERT_NE(folder, nullptr) << folderEntry["path"];
    session.loadFolder(*folder);
    analysis::MessageItemList& items = session.model().messages;
    for (const json& m : manifest["messages"]) {
      if (m["folder"] != folderId) continue;
      std::string what = m["subject"].get<std::string>();
      what.append(" (").append(m["id"].get<std::string>()).append(")");
      const auto at = items.positionsOf(idOf(m["id"]));
      ASSERT_FALSE(at.empty()) << what;
      const std::size_t index = at.front();
      content::LoadControl control;
      control.attachmentData = true;
      ASSERT_TRUE(session.loadItem(*folder, index, control));
      const analysis::MessageItem& item = items[index];
      EXPECT_TRUE(item.recordFound) << what;
      EXPECT_EQ(modelTimeToFileTime(item.time), m["fileTime"].get<std::uint64_t>()) << what;

      const content::HeaderTexts texts = content::readHeaderTexts(*session.database(), session.geometry(), item);
      EXPECT_EQ(utf16ToUtf8(texts.subject), m["subject"]) << what;
      EXPECT_EQ(utf16ToUtf8(texts.sender), m["sender"]) << what;

      content::PreviewData preview =
          content::assemblePreview(item, folder->kind, texts.sender, texts.subject, u"", sources, naming);
      std::string to;
      for (const json& r : m["recipients"]) {
        if (!to.empty()) to.push_back(',');
        to.append(r["address"].get<std::string>());
      }
      if (to.size() > content::PreviewLimits::kTo) to.resize(content::PreviewLimits::kTo), to.append("...");
      EXPECT_EQ(utf16ToUtf8(preview.to), to) << what;

      const std::string form = m.value("bodyForm", "");
      EXPECT_EQ(formOf(preview.bodyPath), form) << what;
      if (!form.empty() && !preview.bodyPath.empty()) {
        const std::string body = readAll(preview.bodyPath);
        EXPECT_EQ(body.size(), m["bodySize"].get<std::size_t>()) << what;
        EXPECT_EQ(digestOf(body), m["bodySha256"]) << what;
      }

      std::vector<std::string> names;
      for (const analysis::AttachmentItem& a : item.attachments) names.push_back(utf16ToUtf8(a.fileName));
      ASSERT_EQ(names.size(), m["attachments"].size()) << what;
      for (std::size_t i = 0; i < names.size(); ++i) {
        const json& expected = m["attachments"][i];
        EXPECT_EQ(names[i], expected["name"]) << what;
        auto data = content::readAttachmentData(*session.database(), session.geometry(), item.attachments[i],
                                                work / "tempB.img");
        ASSERT_TRUE(data.has_value()) << what << " attachment " << names[i];
        EXPECT_EQ(data->size(), expected["size"].get<std::size_t>()) << what;
        EXPECT_EQ(sha256Hex(*data), expected["sha256"]) << what;
        ++attachmentsChecked;
      }

      const std::string kind = m["kind"];
      std::vector<std::string> lines;
      for (const std::u16string& l : preview.summaryLines) lines.push_back(utf16ToUtf8(l));
      if (kind == "c") {
        EXPECT_EQ(lines, m["lines"].get<std::vector<std::string>>()) << what;
      } else if (kind == "a") {
        // Start and end always; the three texts where the store's catalogue names their
        // columns for the message table (object 19), which 32 KB stores do not.
        ASSERT_TRUE(item.appointment.has_value()) << what;
        ASSERT_TRUE(item.appointment->start && item.appointment->end) << what;
        EXPECT_EQ(modelTimeToFileTime(*item.appointment->start), m["startFileTime"].get<std::uint64_t>()) << what;
        EXPECT_EQ(modelTimeToFileTime(*item.appointment->end), m["endFileTime"].get<std::uint64_t>()) << what;
        const auto expected = m["lines"].get<std::vector<std::string>>();
        if (!large) {
          ASSERT_GE(lines.size(), expected.size()) << what;
          EXPECT_EQ(
              std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(expected.size())),
              expected)
              << what;
        }
      } else {
        EXPECT_TRUE(lines.empty()) << what;
      }
      std::string key = kind;
      key.append(" ").append(form).append(" ").append(m.value("bodyPlacement", ""));
      ++checked[key];
    }
  }
  std::size_t total = 0;
  for (const auto& [key, n] : checked) total += static_cast<std::size_t>(n);
  EXPECT_EQ(total, manifest["messages"].size());
  // Every body form and placement the format has.
  for (const char* key :
       {"m text inline", "m html inline", "m rtf inline", "m text longValue", "m html longValue", "m rtf longValue",
        "c text inline", "a text inline", "t text inline", "n text inline", "j text inline"}) {
    EXPECT_GT(checked[key], 0) << key;
  }
  if (large) {
    for (const char* key : {"m html 7bit", "m text 7bit", "m text lz77", "m rtf lz77"})
      EXPECT_GT(checked[key], 0) << key;
  }
  RecordProperty("attachments", static_cast<int>(attachmentsChecked));
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenContent,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
