#include "TestSupport.h"

namespace tarnwick::pst::testing {

std::string pstcheckProblems(const std::filesystem::path& pst) {
#ifdef PSTCHECK_EXE
  std::string out;
  if (runCommand(std::string(PSTCHECK_EXE) + " " + shellQuoted(pst), &out) != 0)
    return out.empty() ? "pstcheck failed" : out;
#else
  (void)pst;
#endif
  return {};
}

}  // namespace tarnwick::pst::testing
