// The command line: exit codes and what it prints for clean and faulty files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/pstcheck/PstFile.h"

namespace tarnwick::pstcheck::test {
namespace {

struct CliResult {
  int exitCode;
  std::string out;
};

CliResult run(const std::string& args) {
  const std::string cmd = std::string(PSTCHECK_EXE) + " " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  CliResult r{-1, {}};
  if (!p) return r;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
  const int status = ::pclose(p);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string writeTemp(const std::vector<std::uint8_t>& bytes, const char* name) {
  const std::string path = std::string(TARNWICK_BINARY_DIR) + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(PstCheckCli, CleanFileExitsZeroWithSummary) {
  const CliResult r = run(std::string(TARNWICK_TESTDATA_DIR) + "/pst/Empty.pst");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(r.out.find("clean: 10 pages, 31 blocks, 47 nodes, 6 folders"), std::string::npos) << r.out;
}

TEST(PstCheckCli, FaultsArePrintedWithPlaceAndExitOne) {
  auto f = PstFile::empty();
  f.bytes()[0x8e00 + 484] ^= 0x20;  // unused space after the entries
  const std::string path = writeTemp(f.bytes(), "pstcheck_cli_fault.pst");
  const CliResult r = run(path);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_NE(r.out.find("[page] NBT page at 0x8e00: dwCRC"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 fault(s)"), std::string::npos) << r.out;
  std::remove(path.c_str());
}

TEST(PstCheckCli, UsageAndUnreadableFiles) {
  EXPECT_EQ(run("").exitCode, 2);
  const CliResult missing = run("/nonexistent/file.pst");
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_NE(missing.out.find("/nonexistent/file.pst"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::pstcheck::test
