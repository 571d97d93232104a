#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick::test {

// Bytes of one of the gzip-compressed sample stores under testdata/ese, unpacked with
// gzip into memory. Empty when the file or gzip is missing.
inline std::vector<std::uint8_t> readEseSample(const std::string& name) {
  const std::string command = "gzip -dc '" + std::string(TARNWICK_TESTDATA_DIR) + "/ese/" + name + ".gz'";
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return bytes;
  std::uint8_t buffer[65536];
  std::size_t got = 0;
  while ((got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  return bytes;
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
