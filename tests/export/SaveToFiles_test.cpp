#include "export/MessageItemWriters.h"
#include "export/OutputFormats.h"
#include "export/PstOutput.h"
#include "export/SaveEngine.h"
#include "platform/CodePage.h"
#include "tests/export/SaveFakes.h"
#include "tests/support/Commands.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::exporter {
namespace {

using namespace fakes;
using tarnwick::testing::ScratchDir;

// Content as the store would give it: subjects by message id, a fixed sender and body.
class TableContent : public ItemContentReader {
 public:
  explicit TableContent(FakeItemSource& source) : source_(source) {}
  HeaderTexts headerTexts(const analysis::MessageItem& item) override {
    return {utf8ToUtf16(source_.subjectOf(item)), u"Alice <alice@example.com>"};
  }
  std::optional<StoredItemBody> body(const analysis::MessageItem& item) override {
    const std::string text = "Body of " + source_.subjectOf(item) + "\nFrom here\n";
    return StoredItemBody{1, std::vector<std::uint8_t>(text.begin(), text.end())};
  }
  std::u16string recipients(const analysis::MessageItem&) override { return u"bob@example.com"; }
  bool extractStreamedMessage(const analysis::MessageItem&, const std::filesystem::path&) override { return false; }

 private:
  FakeItemSource& source_;
};

class SaveToFilesTest : public ::testing::TestWithParam<OutputFormat> {};

TEST_P(SaveToFilesTest, EveryItemInRangeArrivesAndTheRestIsReported) {
  ScratchDir dir;
  analysis::ScanModel model;
  model.folders.addFolderNode(fid(1), {}, u"Mailbox - Sales", analysis::FolderKind::Other, 101, std::nullopt);
  model.folders.addFolderNode(fid(2), fid(1), u"Inbox", analysis::FolderKind::Other, 102, std::nullopt);
  model.folders.addFolderNode(fid(3), fid(2), u"Sub/Folder", analysis::FolderKind::Other, 103, std::nullopt);
  FakeItemSource source(model);
  std::uint16_t id = 1;
  auto add = [&](std::uint8_t folder, std::uint64_t ft, const std::string& subject) {
    analysis::MessageHeader h;
    h.messageId = mid(id++);
    h.folderId = fid(folder);
    h.time = modelTimeFromFileTime(ft);
    source.subjects[h.messageId] = subject;
    model.messageHeaders.addMessageHeader(h);
  };
  add(2, fileTimeAt(2010, 2, 3, 13, 4, 5), "first");
  add(2, fileTimeAt(1979, 1, 1), "ancient");
  add(3, fileTimeAt(2099, 12, 31, 23, 0, 0), "last");
  add(3, fileTimeAt(2100, 1, 1), "future");

  ScratchDir storeDir;
  const auto dbPath = storeDir.write("store.edb", std::vector<std::uint8_t>(8192, 0));
  StoreFile db;
  ASSERT_TRUE(db.Open(dbPath.string()));
  const auto geometry = store::makeStoreGeometry(4096, 8192);
  TableContent content(source);
  const auto work = storeDir.path() / "work";
  std::filesystem::create_directory(work);
  const store::FileByteSource dbBytes(db);
  KindItemWriter writer(content, dbBytes, geometry, work);
  auto factory = makeOutputFactory(GetParam());
  RecordingObserver observer;
  ScriptedSink sink;
  SaveControl control;
  SaveSettings settings;
  settings.destination = dir.path();
  settings.formatName = outputFormatName(GetParam());
  settings.freeSpace = [](const std::filesystem::path&) { return std::optional<std::uint64_t>(1ull << 40); };
  settings.sourceFiles = {dbPath};
  SaveEngine engine(model, source, writer, *factory, observer, sink, control, settings);
  analysis::SelectionList selection{{u"Mailbox - Sales\\Inbox\\", 102, 0},
                                    {u"Mailbox - Sales\\Inbox\\Sub/Folder\\", 103, 0}};
  control.reset();
  auto result = engine.run(selection);
  ASSERT_EQ(result.end, SaveEnd::Completed);
  EXPECT_TRUE(result.everythingWritten());
  const auto totals = result.report.totals();
  EXPECT_EQ(totals.written, 2u);
  EXPECT_EQ(totals.leftOut, 2u);
  ASSERT_EQ(result.outputs.size(), 1u);
  const auto root = result.outputs[0];
  EXPECT_EQ(root.parent_path(), dir.path());
  EXPECT_TRUE(std::filesystem::is_empty(work));

  if (GetParam() == OutputFormat::Eml) {
    const auto listing =
        testing::runApart("cd '" + root.string() +
                          "' && python3 -c \"import "
                          "email,email.policy,glob,json;print(json.dumps({p:[str(m['subject']),str(m['date']),str(m['"
                          "from'])] for p in sorted(glob.glob('**/*.eml',recursive=True)) for m in "
                          "[email.message_from_binary_file(open(p,'rb'),policy=email.policy.default)]}))\"")
            .output;
    const auto files = nlohmann::json::parse(listing);
    ASSERT_EQ(files.size(), 2u) << listing;
    EXPECT_EQ(files["Mailbox - Sales/Inbox/000001 first.eml"][0], "first");
    EXPECT_EQ(files["Mailbox - Sales/Inbox/000001 first.eml"][1], "Wed, 03 Feb 2010 13:04:05 +0000");
    EXPECT_EQ(files["Mailbox - Sales/Inbox/000001 first.eml"][2], "Alice <alice@example.com>");
    EXPECT_TRUE(files.contains("Mailbox - Sales/Inbox/Sub_Folder/000001 last.eml")) << listing;
  } else {
    const auto counts =
        testing::runApart("cd '" + root.string() +
                          "' && python3 -c \"import mailbox,glob,json;print(json.dumps({p:[m['subject'] for m in "
                          "mailbox.mbox(p)] for p in sorted(glob.glob('**/*.mbox',recursive=True))}))\"")
            .output;
    const auto boxes = nlohmann::json::parse(counts);
    EXPECT_EQ(boxes["Mailbox - Sales/Inbox.mbox"], nlohmann::json{"first"}) << counts;
    EXPECT_EQ(boxes["Mailbox - Sales/Inbox/Sub_Folder.mbox"], nlohmann::json{"last"});
    EXPECT_EQ(boxes["Mailbox - Sales.mbox"].size(), 0u);
  }
  const auto report = nlohmann::json::parse(std::ifstream(result.reportJson));
  EXPECT_EQ(report["format"], outputFormatName(GetParam()));
  EXPECT_EQ(report["sources"][0]["size"], 8192);
  EXPECT_EQ(report["mailboxes"][0]["folders"][1]["leftOut"][0]["subject"], "future");
}

INSTANTIATE_TEST_SUITE_P(Formats, SaveToFilesTest, ::testing::Values(OutputFormat::Eml, OutputFormat::Mbox),
                         [](const auto& info) { return std::string(outputFormatName(info.param)); });

TEST(OutputFormats, Names) {
  EXPECT_EQ(parseOutputFormat("eml"), OutputFormat::Eml);
  EXPECT_EQ(parseOutputFormat("mbox"), OutputFormat::Mbox);
  EXPECT_EQ(parseOutputFormat("pst"), OutputFormat::Pst);
  EXPECT_FALSE(parseOutputFormat("PST").has_value());
  auto pst = makeOutputFactory(OutputFormat::Pst);
  EXPECT_EQ(pst->extension(), ".pst");
  EXPECT_NE(pst->newStore(), nullptr);
}

}  // namespace
}  // namespace tarnwick::exporter
