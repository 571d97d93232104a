// Writes the small hand-built 4 KB store of the scan tests to a file, for the desktop's
// screenshots when the store generator is not built:
//   shell_sample_store PATH
#include "tests/support/SampleStore.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: shell_sample_store PATH\n", stderr);
    return 2;
  }
  const tarnwick::testing::Bytes bytes = tarnwick::testing::SampleStore().bytes();
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
