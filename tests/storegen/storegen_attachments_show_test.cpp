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

// Whether the list shows a message of this FILETIME: years 1980 to 2099, in local time.
// Within a day of either end it depends on the time zone.
enum class Listed { Yes, No, Either };
Listed listed(std::uint64_t fileTime) {
  constexpr std::int64_t kUnixEpoch = 11644473600;  // seconds from 1601 to 1970
  constexpr std::int64_t kDay = 86400;
  constexpr std::int64_t kFrom = 315532800;  // 1980-01-01
  constexpr std::int64_t kTo = 4102444800;   // 2100-01-01
  const std::int64_t seconds = static_cast<std::int64_t>(fileTime / 10000000) - kUnixEpoch;
  if (seconds >= kFrom + kDay && seconds < kTo - kDay) return Listed::Yes;
  if (seconds < kFrom - kDay || seconds >= kTo + kDay) return Listed::No;
  return Listed::Either;
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
    // The list leaves out messages dated outside 1980-2099 (a day's margin for the time zone).
    const Listed expected = listed(m.time);
    if (expected != Listed::Yes && result.status == 2) {
      ++unlisted;
      continue;
    }
    EXPECT_NE(expected, Listed::No) << hexId(m.id) << " is dated outside the list's years";
    ASSERT_EQ(result.status, 0) << "message " << hexId(m.id) << ": " << result.output;
    const nlohmann::json show = nlohmann::json::parse(result.output);
    ASSERT_EQ(show["attachments"].size(), m.content.attachments.size()) << "message " << hexId(m.id);
    for (const AttachmentPlan& a : m.content.attachments) {
      bool listed = false;
      for (const auto& j : show["attachments"]) listed |= j["name"] == a.fileName && j["size"] == a.data.size();
      EXPECT_TRUE(listed) << a.fileName << " (" << a.data.size() << " bytes) of message " << hexId(m.id);
      const fs::path file = out / utf16ToUtf8(content::safeFileName(utf8ToUtf16(a.fileName)));
      ASSERT_TRUE(fs::is_regular_file(file)) << file;
      EXPECT_TRUE(testing::readFile(file) == a.data) << a.fileName;
      ++saved;
    }
    // Without --attachments-out show gives the same sizes: it loads what it would save.
    std::string plain = command.substr(0, command.find(" --attachments-out"));
    const auto again = testing::run(plain);
    ASSERT_EQ(again.status, 0) << again.output;
    const nlohmann::json shownAgain = nlohmann::json::parse(again.output);
    EXPECT_EQ(shownAgain["attachments"], show["attachments"]) << "message " << hexId(m.id);
    // Nothing beside the planned files, nothing outside the folder.
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(out), fs::directory_iterator())),
              m.content.attachments.size());
    ++messages;
  }
  std::size_t outside = 0;
  for (const auto& e : fs::directory_iterator(dir.path()))
    outside += e.path().filename().string().rfind("out-", 0) != 0;
  EXPECT_EQ(outside, 1u);  // the store's own folder
  RecordProperty("unlistedMessages", static_cast<int>(unlisted));
  EXPECT_GE(messages, 2u);
  EXPECT_GE(saved, 3u);
}

INSTANTIATE_TEST_SUITE_P(Formats, ShowAttachments,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
