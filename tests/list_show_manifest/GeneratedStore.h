#pragma once

// Stores written by the store generator, and the list and show commands run on them, for
// the end-to-end checks against the generator's manifest.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/Commands.h"
#include "tests/support/Generator.h"
#include "tests/support/ScratchDir.h"

namespace tarnwick::testing {

// A generated store in a folder of its own, removed with the object.
class GeneratedStore {
 public:
  // Runs the generator with `format`, the scenario text (may be empty) and further options.
  GeneratedStore(const std::string& format, const std::string& scenario, const std::string& options = "");

  bool ok() const { return ok_; }
  const std::filesystem::path& dir() const { return dir_.path(); }
  const nlohmann::json& manifest() const { return manifest_; }
  // The store arguments of the commands: the database, and the streaming file when there is one.
  std::string storeArguments() const;
  std::int64_t pageSize() const { return manifest_.value("pageSize", std::int64_t{0}); }

 private:
  ScratchDir dir_;
  nlohmann::json manifest_;
  bool ok_ = false;
};

// Runs `tarnwick ARGUMENTS` in UTC, so that display times are the stored UTC instants.
SeparatedResult runTarnwick(const std::string& arguments);

// The display text a list row or summary line gives a FILETIME when the clock is UTC
// ("Sun 05/12/2010 02:07:09 PM", milliseconds of 991 and more carried into the next second).
std::string displayTimeUtc(std::uint64_t fileTime);
// The year of that display text.
int displayYearUtc(std::uint64_t fileTime);

// Lower-case hexadecimal SHA-256 of a file.
std::string fileSha256(const std::filesystem::path& path);

// The bytes of a database file, by page.
class DatabaseBytes {
 public:
  DatabaseBytes(const std::filesystem::path& database, std::int64_t pageSize);
  // Page numbers (page n lies at (n + 1) * page size) whose bytes hold `needle`.
  std::set<std::int64_t> pagesHolding(const std::vector<std::uint8_t>& needle) const;
  // Page numbers whose header names `objectId` as their owner.
  std::set<std::int64_t> pagesOwnedBy(std::uint32_t objectId) const;
  // Pages of every tree that are not leaves (the pages a walk passes on its way to them).
  std::set<std::int64_t> innerPages() const;

 private:
  std::string bytes_;
  std::int64_t pageSize_;
};
// The 8 bytes of an id written as 16 hex digits.
std::vector<std::uint8_t> idBytes(const std::string& hex);

}  // namespace tarnwick::testing
