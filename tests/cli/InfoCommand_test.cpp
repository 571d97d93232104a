#include "platform/StoreFile.h"
#include "tests/support/ScratchDir.h"
#include "tests/support/PageBytes.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace tarnwick {
namespace {

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string Quoted(const std::filesystem::path& p) {
  std::string q(1, '\'');
  q.append(p.string());
  q.push_back('\'');
  return q;
}

// Runs the built `tarnwick` with `args` (already quoted) and collects its output.
ProgramRun Tarnwick(const std::string& args) {
  testing::ScratchDir dir;
  const auto errFile = dir.path() / "stderr.txt";
  std::string cmd = TARNWICK_BINARY_DIR;
  cmd.append("/tarnwick ").append(args).append(" 2>").append(Quoted(errFile));
  ProgramRun r;
  std::FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errFile);
  r.err.assign(std::istreambuf_iterator<char>(in), {});
  return r;
}


TEST(InfoCommand, ReportsTheGeometryOfRealStoresAsTextAndJson) {
  testing::ScratchDir dir;
  const auto ese = std::filesystem::path(TARNWICK_TESTDATA_DIR) / "ese";
  if (!std::filesystem::exists(ese / "large.edb.gz")) GTEST_SKIP() << "no test data";
  const auto large = dir.gunzip(ese / "large.edb.gz");
  const auto basic = dir.gunzip(ese / "basic.edb.gz");

  ProgramRun r = Tarnwick("info --json " + Quoted(large));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  auto j = nlohmann::json::parse(r.out);
  EXPECT_EQ(j["pageSize"], 32768);
  EXPECT_EQ(j["pageSizeClass"], 2);
  EXPECT_EQ(j["fileSize"], std::filesystem::file_size(large));
  EXPECT_EQ(j["pageCount"], std::filesystem::file_size(large) / 32768 - 2);

  r = Tarnwick("info " + Quoted(basic));
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("4096 bytes"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("class:  0"), std::string::npos) << r.out;
}

TEST(InfoCommand, UnsupportedPageSizeExitsFourWithTheCorruptedFileMessage) {
  testing::ScratchDir dir;
  const auto store = dir.write("odd.edb", testing::StoreFileBytes(16384, 16384 * 4));
  ProgramRun r = Tarnwick("info " + Quoted(store));
  EXPECT_EQ(r.exitCode, 4);
  EXPECT_NE(r.err.find("File is highly corrupted, Contact system administrator."), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(store.string()), std::string::npos);
  EXPECT_TRUE(r.out.empty());
}

TEST(InfoCommand, MissingOrHeldFilesExitThreeNamingTheFile) {
  testing::ScratchDir dir;
  ProgramRun r = Tarnwick("info " + Quoted(dir.path() / "nowhere.edb"));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("nowhere.edb"), std::string::npos) << r.err;

  const auto store = dir.write("held.edb", testing::StoreFileBytes(4096, 4096 * 4));
  StoreFile holder;
  ASSERT_TRUE(holder.Open(store));
  r = Tarnwick("info " + Quoted(store));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.err.find("held.edb"), std::string::npos);
  EXPECT_NE(r.err.find("already being used by another process"), std::string::npos) << r.err;
  holder.Close();
  EXPECT_EQ(Tarnwick("info " + Quoted(store)).exitCode, 0);

  r = Tarnwick("info " + Quoted(dir.path()));
  EXPECT_EQ(r.exitCode, 3);
}

TEST(InfoCommand, UsageHelpAndVersion) {
  EXPECT_EQ(Tarnwick("").exitCode, 2);
  EXPECT_EQ(Tarnwick("info").exitCode, 2);
  EXPECT_EQ(Tarnwick("frobnicate x").exitCode, 2);
  EXPECT_EQ(Tarnwick("info a b").exitCode, 2);
  ProgramRun help = Tarnwick("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("info"), std::string::npos);
  EXPECT_EQ(Tarnwick("info --help").exitCode, 0);
  ProgramRun version = Tarnwick("--version");
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("tarnwick ", 0), 0u) << version.out;
}

}  // namespace
}  // namespace tarnwick
