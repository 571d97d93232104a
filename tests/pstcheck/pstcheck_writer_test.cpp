// Stores written by our own PST writer (through its sample tool) must pass the
// independent checker. Skipped where the writer's sample tool is not built.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/pstcheck/PstFile.h"
#include "tools/pstcheck/PstChecker.h"

namespace tarnwick::pstcheck::test {
namespace {

#ifdef PSTSAMPLE_EXE
void checkSample(const std::string& name, const std::string& options) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(TARNWICK_BINARY_DIR) / ("pstcheck_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir / "work");
  const fs::path pst = dir / (name + ".pst");
  const std::string cmd =
      std::string(PSTSAMPLE_EXE) + " " + pst.string() + " --work-dir " + (dir / "work").string() + " " + options;
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << cmd;
  std::ifstream in(pst, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
  const Report r = checkPst(Bytes(bytes));
  EXPECT_TRUE(r.clean()) << name << ":\n" << describe(r);
  EXPECT_GT(r.messages, 0u);
  fs::remove_all(dir);
}

TEST(PstCheckWriter, SampleStoreOfEveryKindIsClean) { checkSample("sample", ""); }

TEST(PstCheckWriter, BulkAndAttachmentHeavyStoresAreClean) {
  checkSample("bulk", "--bulk 3000 --many-attachments 40");
  checkSample("large", "--large-attachment 40000000");
}
#else
TEST(PstCheckWriter, SampleStoreOfEveryKindIsClean) { GTEST_SKIP() << "tarnwick-pstsample is not built"; }
#endif

}  // namespace
}  // namespace tarnwick::pstcheck::test
