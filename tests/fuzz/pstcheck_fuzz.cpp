// Feeds arbitrary bytes to the PST checker as a whole file: it must only report,
// never read outside the bytes or crash. Seeds: tests/fuzz/corpus/pstcheck_fuzz/.
#include <cstddef>
#include <cstdint>

#include "tools/pstcheck/PstChecker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)tarnwick::pstcheck::checkPst(tarnwick::pstcheck::Bytes(data, size));
  return 0;
}
