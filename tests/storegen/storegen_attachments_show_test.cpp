// `tarnwick show --attachments-out` on generated stores: through the whole product (scan,
// message records, attachment rows, long values, data), every planned attachment of a
// message comes out with its name and size, saved under a safe name inside the chosen
// folder with the planned bytes.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "StoreFixture.h"
#include "content/SafeFileName.h"
#include "platform/CodePage.h"
#include "tools/storegen/ExchangeSkeleton.h"

namespace tarnwick::storegen {
namespace {

namespace fs = std::filesystem;

std::string hexId(std::uint64_t id) {
  const auto b = identifierBytes(id);
  return testing::hexOf(std::string(b.begin(), b.end()));
}

class ShowAttachments : public ::testing::TestWithParam<StoreFormat> {};

TEST_P(ShowAttachments, EveryPlannedAttachmentIsSavedWholeInsideTheFolder) {
  const fs::path tarnwick = fs::path(TARNWICK_BINARY_DIR) / "tarnwick";
  if (!fs::exists(tarnwick)) GTEST_SKIP() << "the command-line program is not built";
  testing::ScratchDir dir("show-attachments-" + testing::formatTestName(GetParam()));
  Scenario s;
  s.format = GetParam();
  s.randomSeed = 5;
  const testing::GeneratedStore store = testing::generate(s, dir.path() / "store");
  Rng rng(s.randomSeed);
  StorePlan plan;
  plan.format = s.format;
  addExchangeSkeleton(s, rng, plan);

  std::size_t messages = 0, saved = 0, unlisted = 0;
  for (const MessagePlan& m : plan.messages) {
    if (m.content.attachments.empty()) continue;
    const fs::path out = dir.path() / ("out-" + hexId(m.id));
    fs::create_directories(out);
    std::string command = "'";
    command += tarnwick.string();
    command += "' show '";
    command += store.edb.string();
    command += "' --folder ";
    command += hexId(m.folderId);
    command += " --message ";
    command += hexId(m.id);
    command += " --json --attachments-out '";
    command += out.string();
    command += "'";
    const auto result = testing::run(command);
    // Messages the list does not show are the message records' matter, not the attachments'.
    if (result.status == 2 && result.output.find("listed in folder") != std::string::npos) {
      ++unlisted;
      continue;
    }
    ASSERT_EQ(result.status, 0) << "message " << hexId(m.id) << ": " << result.output;
    const nlohmann::json show = nlohmann::json::parse(result.output);
    ASSERT_EQ(show["attachments"].size(), m.content.attachments.size()) << "message " << hexId(m.id);
    for (const AttachmentPlan& a : m.content.attachments) {
      bool listed = false;
      for (const auto& j : show["attachments"]) listed |= j["name"] == a.fileName && j["size"] == a.data.size();
      EXPECT_TRUE(listed) << a.fileName << " (" << a.data.size() << " bytes) of message " << hexId(m.id);
      const fs::path file = out / Utf16ToUtf8(content::safeFileName(Utf8ToUtf16(a.fileName)));
      ASSERT_TRUE(fs::is_regular_file(file)) << file;
      EXPECT_TRUE(testing::readFile(file) == a.data) << a.fileName;
      ++saved;
    }
    // Nothing beside the planned files, nothing outside the folder.
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(out), fs::directory_iterator())),
              m.content.attachments.size());
    ++messages;
  }
  std::size_t outside = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) outside += e.path().filename().string().rfind("out-", 0) != 0;
  EXPECT_EQ(outside, 1u);  // the store's own folder
  // Some generated message records are not matched yet (their own tests follow that up);
  // every message the list shows must give back all of its attachments.
  RecordProperty("unlistedMessages", static_cast<int>(unlisted));
  EXPECT_GE(messages, 2u);
  EXPECT_GE(saved, 3u);
}

INSTANTIATE_TEST_SUITE_P(Formats, ShowAttachments,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007, StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
