#include "platform/StoreFile.h"
#include "tests/support/Commands.h"
#include "tests/support/PageBytes.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace tarnwick {
namespace {

// Runs the built `tarnwick` with `args` (already quoted); its stdout and stderr kept apart.
testing::SeparatedResult runTarnwick(const std::string& args) {
  return testing::runApart(std::string(TARNWICK_BINARY_DIR) + "/tarnwick " + args);
}

TEST(InfoCommand, ReportsTheGeometryOfRealStoresAsTextAndJson) {
  testing::ScratchDir dir;
  const auto ese = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "ese";
  if (!std::filesystem::exists(ese / "large.edb.gz")) GTEST_SKIP() << "no test data";
  const auto large = dir.gunzip(ese / "large.edb.gz");
  const auto basic = dir.gunzip(ese / "basic.edb.gz");

  testing::SeparatedResult r = runTarnwick("info --json " + testing::shellQuoted(large));
  ASSERT_EQ(r.status, 0) << r.errors;
  auto j = nlohmann::json::parse(r.output);
  EXPECT_EQ(j["pageSize"], 32768);
  EXPECT_EQ(j["pageSizeClass"], 2);
  EXPECT_EQ(j["fileSize"], std::filesystem::file_size(large));
  EXPECT_EQ(j["pageCount"], std::filesystem::file_size(large) / 32768 - 2);

  r = runTarnwick("info " + testing::shellQuoted(basic));
  ASSERT_EQ(r.status, 0) << r.errors;
  EXPECT_NE(r.output.find("4096 bytes"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("class:  0"), std::string::npos) << r.output;
}

TEST(InfoCommand, UnsupportedPageSizeExitsFourWithTheCorruptedFileMessage) {
  testing::ScratchDir dir;
  const auto store = dir.write("odd.edb", testing::storeFileBytes(16384, 16384 * 4));
  testing::SeparatedResult r = runTarnwick("info " + testing::shellQuoted(store));
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.errors.find("File is highly corrupted, Contact system administrator."), std::string::npos) << r.errors;
  EXPECT_NE(r.errors.find(store.string()), std::string::npos);
  EXPECT_TRUE(r.output.empty());
}

TEST(InfoCommand, MissingOrHeldFilesExitThreeNamingTheFile) {
  testing::ScratchDir dir;
  testing::SeparatedResult r = runTarnwick("info " + testing::shellQuoted(dir.path() / "nowhere.edb"));
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.errors.find("nowhere.edb"), std::string::npos) << r.errors;

  const auto store = dir.write("held.edb", testing::storeFileBytes(4096, 4096 * 4));
  StoreFile holder;
  ASSERT_TRUE(holder.Open(store));
  r = runTarnwick("info " + testing::shellQuoted(store));
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.errors.find("held.edb"), std::string::npos);
  EXPECT_NE(r.errors.find("already being used by another process"), std::string::npos) << r.errors;
  holder.Close();
  EXPECT_EQ(runTarnwick("info " + testing::shellQuoted(store)).status, 0);

  r = runTarnwick("info " + testing::shellQuoted(dir.path()));
  EXPECT_EQ(r.status, 3);
}

TEST(InfoCommand, UsageHelpAndVersion) {
  EXPECT_EQ(runTarnwick("").status, 2);
  EXPECT_EQ(runTarnwick("info").status, 2);
  EXPECT_EQ(runTarnwick("frobnicate x").status, 2);
  EXPECT_EQ(runTarnwick("info a b").status, 2);
  testing::SeparatedResult help = runTarnwick("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("info"), std::string::npos);
  EXPECT_EQ(runTarnwick("info --help").status, 0);
  testing::SeparatedResult version = runTarnwick("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output.rfind("tarnwick ", 0), 0u) << version.output;
}

}  // namespace
}  // namespace tarnwick
