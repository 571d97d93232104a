// The command line: exit codes and what it prints for clean and faulty files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/pstcheck/PstFile.h"
#include "tests/support/Commands.h"

namespace tarnwick::pstcheck::test {
namespace {

// Runs the checker on `args`; its output holds stdout and stderr.
testing::CommandResult runChecker(const std::string& args) {
  return testing::run(std::string(PSTCHECK_EXE) + " " + args);
}

std::string writeTemp(const std::vector<std::uint8_t>& bytes, const char* name) {
  const std::string path = std::string(TARNWICK_BINARY_DIR) + "/" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(PstCheckCli, CleanFileExitsZeroWithSummary) {
  const testing::CommandResult r = runChecker(std::string(TARNWICK_TESTDATA_DIR) + "/pst/Empty.pst");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("clean: 10 pages, 31 blocks, 47 nodes, 6 folders"), std::string::npos) << r.output;
}

TEST(PstCheckCli, FaultsArePrintedWithPlaceAndExitOne) {
  auto f = PstFile::empty();
  f.bytes()[0x8e00 + 484] ^= 0x20;  // unused space after the entries
  const std::string path = writeTemp(f.bytes(), "pstcheck_cli_fault.pst");
  const testing::CommandResult r = runChecker(path);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("[page] NBT page at 0x8e00: dwCRC"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1 fault(s)"), std::string::npos) << r.output;
  std::remove(path.c_str());
}

TEST(PstCheckCli, UsageAndUnreadableFiles) {
  EXPECT_EQ(runChecker("").status, 2);
  const testing::CommandResult missing = runChecker("/nonexistent/file.pst");
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.output.find("/nonexistent/file.pst"), std::string::npos);
}

}  // namespace
}  // namespace tarnwick::pstcheck::test
