// tarnwick-storegen: writes a synthetic Exchange store (ESE database) and its manifest.

#include <CLI/CLI.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>

#include "tools/storegen/Manifest.h"
#include "tools/storegen/Scenario.h"
#include "tools/storegen/StoreWriter.h"

namespace sg = tarnwick::storegen;

int main(int argc, char** argv) {
  CLI::App app{
      "tarnwick-storegen: writes a synthetic Exchange mailbox store as a genuine ESE database,\n"
      "with manifest.json listing what it holds.\n\n"
      "Formats:\n"
      "  4k   Exchange 2003: 4,096-byte pages, 40-byte page headers, 13-bit tags, XOR checksums,\n"
      "       format 0x620 revision 9; an empty streaming file store.stm is written beside it.\n"
      "  8k   Exchange 2007: 8,192-byte pages, XOR+ECC checksums, revision 0x0C.\n"
      "  32k  Exchange 2010: 32,768-byte pages, 80-byte page headers with per-8 KB block\n"
      "       checksums, 15-bit tags, node flags in the key-length word, revision 0x11.\n\n"
      "Scenario file (JSON; every field optional; command-line flags override it):\n"
      "  {\"format\": \"8k\", \"rng\": 7, \"mailboxes\": 2, \"foldersPerMailbox\": 12,\n"
      "   \"messagesPerFolder\": 3, \"columnKinds\": true, \"fill\": \"64M\",\n"
      "   \"tables\": [{\"name\": \"T\", \"index\": \"Primary\",\n"
      "               \"columns\": [{\"id\": 1, \"name\": \"Id\", \"type\": \"Long\"},\n"
      "                           {\"id\": 256, \"name\": \"Note\", \"type\": \"LongText\", \"unicode\": true,\n"
      "                            \"multiValued\": false, \"compressed\": false}],\n"
      "               \"rows\": [{\"Id\": 1, \"Note\": {\"text\": \"x\", \"repeat\": \"a\", \"times\": 2000}}]}],\n"
      "   \"damage\": {\"zeroPages\": 2, \"randomPages\": 1, \"scrambleTagPages\": 1,\n"
      "              \"zeroPageList\": [9], \"truncate\": \"1M\"}}\n"
      "  Column ids 1-127 are fixed, 128-255 variable, 256 and up tagged; the first column is the\n"
      "  key. Types: Bit UnsignedByte Short Long Currency IEEESingle IEEEDouble DateTime Binary\n"
      "  Text LongBinary LongText UnsignedLong LongLong GUID UnsignedShort. Values: numbers, text,\n"
      "  {\"hex\": \"..\"}, {\"text\", \"repeat\", \"times\"}, or an array for several values.\n\n"
      "Damage: zeroed pages, pages of random bytes, tag arrays overwritten with random words,\n"
      "truncation; pages are picked with the rng (never page 1) and listed in the manifest.\n"
      "The same scenario and rng value give the same bytes."};
  std::string format;
  std::uint64_t rngValue = 0;
  bool rngGiven = false;
  std::string scenarioPath;
  std::string outDir;
  std::string fill;
  std::uint32_t zeroPages = 0, randomPages = 0, scrambleTagPages = 0;
  std::string truncate;
  app.add_option("--format", format, "store format: 4k, 8k or 32k (default 8k)")
      ->check(CLI::IsMember({"4k", "8k", "32k"}));
  app.add_option("--seed", rngValue, "rng start value; the same value gives the same store")
      ->each([&](const std::string&) { rngGiven = true; });
  app.add_option("--scenario", scenarioPath, "scenario JSON file")->check(CLI::ExistingFile);
  app.add_option("--out", outDir, "output folder for store.edb, store.stm (4k) and manifest.json")->required();
  app.add_option("--fill", fill, "grow the message table with bodies until the store is this big (e.g. 2G)");
  app.add_option("--zero-pages", zeroPages, "damage: zero this many pages");
  app.add_option("--random-pages", randomPages, "damage: fill this many pages with random bytes");
  app.add_option("--scramble-tags", scrambleTagPages, "damage: overwrite the tag arrays of this many pages");
  app.add_option("--truncate", truncate, "damage: cut the database file to this size (e.g. 300K)");
  CLI11_PARSE(app, argc, argv);

  try {
    sg::Scenario scenario;
    if (!scenarioPath.empty()) {
      std::ifstream in(scenarioPath);
      nlohmann::json doc;
      try {
        in >> doc;
      } catch (const std::exception& e) {
        std::cerr << "tarnwick-storegen: " << scenarioPath << " is not valid JSON: " << e.what() << "\n";
        return 2;
      }
      try {
        scenario = sg::parseScenario(doc);
      } catch (const std::exception& e) {
        std::cerr << "tarnwick-storegen: " << scenarioPath << ": " << e.what() << "\n";
        return 2;
      }
    }
    if (!format.empty()) scenario.format = *sg::parseStoreFormat(format);
    if (rngGiven) scenario.randomSeed = rngValue;
    if (!fill.empty()) scenario.fillBytes = sg::parseByteSize(fill);
    if (zeroPages) scenario.damage.zeroPages = zeroPages;
    if (randomPages) scenario.damage.randomPages = randomPages;
    if (scrambleTagPages) scenario.damage.scrambleTagPages = scrambleTagPages;
    if (!truncate.empty()) scenario.damage.truncateTo = sg::parseByteSize(truncate);

    const auto started = std::chrono::steady_clock::now();
    const sg::StoreReport report = sg::writeStore(scenario, outDir);
    const auto manifestPath = std::filesystem::path(outDir) / "manifest.json";
    std::ofstream out(manifestPath);
    // Streamed rather than made into one string first: the manifest of a filled store is large.
    out << std::setw(2) << sg::manifestOf(report) << "\n";
    if (!out) {
      std::cerr << "tarnwick-storegen: cannot write " << manifestPath.string() << "\n";
      return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::cerr << "tarnwick-storegen: wrote " << report.edbPath << " (" << report.fileSize << " bytes, "
              << report.pageCount << " pages) in " << seconds << " s\n";
  } catch (const std::exception& e) {
    std::cerr << "tarnwick-storegen: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
