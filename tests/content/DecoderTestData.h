#pragma once

#include "tests/support/Commands.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnwick::test {

// Bytes of one of the gzip-compressed sample stores under testdata/ese, unpacked with
// gzip into memory. Empty when the file or gzip is missing.
inline std::vector<std::uint8_t> readEseSample(const std::string& name) {
  const std::string bytes =
      testing::runApart("gzip -dc " + testing::shellQuoted(std::string(TARNWICK_TESTDATA_DIR) + "/ese/" + name + ".gz"))
          .output;
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// `count` copies of `c` after `prefix`, as bytes.
inline std::vector<std::uint8_t> textWithRun(const std::string& prefix, char c, std::size_t count) {
  std::vector<std::uint8_t> out(prefix.begin(), prefix.end());
  out.insert(out.end(), count, static_cast<std::uint8_t>(c));
  return out;
}

// UTF-16LE bytes of an ASCII text.
inline std::vector<std::uint8_t> utf16le(const std::vector<std::uint8_t>& ascii) {
  std::vector<std::uint8_t> out;
  for (std::uint8_t b : ascii) {
    out.push_back(b);
    out.push_back(0);
  }
  return out;
}

}  // namespace tarnwick::test
