#include "tests/list_show_manifest/GeneratedStore.h"

#include "export/SaveReport.h"
#include "store/PageLayout.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace tarnwick::testing {

namespace fs = std::filesystem;

namespace {

// FILETIME ticks between 1601 and 1970.
constexpr std::int64_t kUnixEpochSeconds = 11644473600;

std::tm utcParts(std::uint64_t fileTime) {
  std::int64_t seconds = static_cast<std::int64_t>(fileTime / 10'000'000) - kUnixEpochSeconds;
  const std::uint64_t milliseconds = (fileTime / 10'000) % 1000;
  if (milliseconds >= 991) ++seconds;
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm parts{};
  ::gmtime_r(&t, &parts);
  return parts;
}

}  // namespace

GeneratedStore::GeneratedStore(const std::string& format, const std::string& scenario, const std::string& options) {
  if (generateStore(dir_.path(), format, options, scenario) != 0) return;
  std::ifstream in(dir_.path() / "manifest.json");
  if (!in) return;
  manifest_ = nlohmann::json::parse(in, nullptr, false);
  ok_ = !manifest_.is_discarded();
}

std::string GeneratedStore::storeArguments() const {
  std::string args = shellQuoted(dir_.path() / "store.edb");
  if (fs::exists(dir_.path() / "store.stm")) args += " --stm " + shellQuoted(dir_.path() / "store.stm");
  return args;
}

SeparatedResult runTarnwick(const std::string& arguments) {
  return runApart("TZ=UTC " + shellQuoted(std::string(TARNWICK_BINARY_DIR) + "/tarnwick") + " " + arguments);
}

std::string displayTimeUtc(std::uint64_t fileTime) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  const std::tm t = utcParts(fileTime);
  const int hour12 = t.tm_hour > 12 ? t.tm_hour - 12 : t.tm_hour;
  char text[64];
  std::snprintf(text, sizeof text, "%s %02d/%02d/%d %02d:%02d:%02d %s", kDays[t.tm_wday], t.tm_mday, t.tm_mon + 1,
                t.tm_year + 1900, hour12, t.tm_min, t.tm_sec, t.tm_hour >= 12 ? "PM" : "AM");
  return text;
}

int displayYearUtc(std::uint64_t fileTime) { return utcParts(fileTime).tm_year + 1900; }

std::string fileSha256(const fs::path& path) { return exporter::describeSourceFile(path).sha256; }

DatabaseBytes::DatabaseBytes(const fs::path& database, std::int64_t pageSize)
    : bytes_(readText(database)), pageSize_(pageSize) {}

std::set<std::int64_t> DatabaseBytes::pagesHolding(const std::vector<std::uint8_t>& needle) const {
  const std::string wanted(needle.begin(), needle.end());
  std::set<std::int64_t> pages;
  if (wanted.empty()) return pages;
  for (std::size_t at = bytes_.find(wanted); at != std::string::npos; at = bytes_.find(wanted, at + 1)) {
    pages.insert(static_cast<std::int64_t>(at) / pageSize_ - 1);
  }
  return pages;
}

std::set<std::int64_t> DatabaseBytes::pagesOwnedBy(std::uint32_t objectId) const {
  std::set<std::int64_t> pages;
  const auto size = static_cast<std::size_t>(pageSize_);
  for (std::size_t at = size; at + size <= bytes_.size(); at += size) {
    std::uint32_t owner = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      owner |= static_cast<std::uint32_t>(
                   static_cast<unsigned char>(bytes_[at + store::layout::kPageOwnerObjectIdOffset + i]))
               << (8 * i);
    }
    if (owner == objectId) pages.insert(static_cast<std::int64_t>(at / size) - 1);
  }
  return pages;
}

std::set<std::int64_t> DatabaseBytes::innerPages() const {
  constexpr std::uint32_t kLeafFlag = 0x2, kParentFlag = 0x4;  // page flags of the engine
  constexpr std::size_t kFlagsOffset = 36;
  std::set<std::int64_t> pages;
  const auto size = static_cast<std::size_t>(pageSize_);
  for (std::size_t at = size; at + size <= bytes_.size(); at += size) {
    std::uint32_t flags = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      flags |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[at + kFlagsOffset + i])) << (8 * i);
    }
    if ((flags & kParentFlag) || (flags != 0 && !(flags & kLeafFlag)))
      pages.insert(static_cast<std::int64_t>(at / size) - 1);
  }
  return pages;
}

std::vector<std::uint8_t> idBytes(const std::string& hex) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

}  // namespace tarnwick::testing
