#include "export/SaveReport.h"

#include <glib.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <vector>

namespace tarnwick::exporter {
namespace {

nlohmann::json notesJson(const std::vector<ItemNote>& notes) {
  auto list = nlohmann::json::array();
  for (const auto& n : notes) list.push_back({{"id", n.messageId}, {"subject", n.subject}, {"reason", n.reason}});
  return list;
}

void notesText(std::ostringstream& out, const char* title, const std::vector<ItemNote>& notes) {
  if (notes.empty()) return;
  out << "      " << title << ":\n";
  for (const auto& n : notes)
    out << "        id " << n.messageId << "  \"" << n.subject << "\"  (" << n.reason << ")\n";
}

}  // namespace

SaveReport::Totals SaveReport::totals() const {
  Totals t;
  for (const auto& m : mailboxes) {
    t.errors += m.errors.size();
    for (const auto& f : m.folders) {
      t.found += f.found;
      t.counted += f.counted;
      t.written += f.written;
      t.leftOut += f.leftOut.size();
      t.failed += f.failed.size();
      t.skipped += f.skipped.size();
      t.notReached += f.notReached.size();
      t.withoutRecord += f.withoutRecord.size();
      t.errors += f.errors.size();
    }
  }
  return t;
}

SourceFileInfo describeSourceFile(const std::filesystem::path& path) {
  SourceFileInfo info;
  info.path = path.string();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    info.error = std::strerror(errno);
    return info;
  }
  GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
  std::vector<unsigned char> buffer(1 << 20);
  std::uint64_t size = 0;
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    g_checksum_update(sum, buffer.data(), static_cast<gssize>(n));
    size += n;
  }
  if (std::ferror(file)) {
    info.error = "read error";
  } else {
    info.size = size;
    info.sha256 = g_checksum_get_string(sum);
  }
  g_checksum_free(sum);
  std::fclose(file);
  return info;
}

std::string isoUtcTime(std::int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm utc{};
  ::gmtime_r(&t, &utc);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buffer;
}

std::string reportAsJson(const SaveReport& report) {
  nlohmann::json j;
  j["tool"] = "tarnwick";
  j["version"] = report.toolVersion;
  j["format"] = report.format;
  j["destination"] = report.destination;
  j["started"] = report.started;
  j["ended"] = report.ended;
  j["outcome"] = report.outcome;
  auto sources = nlohmann::json::array();
  for (const auto& s : report.sources) {
    nlohmann::json e{{"path", s.path}, {"sha256", s.sha256}};
    e["size"] = s.size ? nlohmann::json(*s.size) : nlohmann::json(nullptr);
    if (!s.error.empty()) e["error"] = s.error;
    sources.push_back(e);
  }
  j["sources"] = sources;
  const auto t = report.totals();
  j["totals"] = {
      {"found", t.found},   {"counted", t.counted}, {"written", t.written},       {"leftOut", t.leftOut},
      {"failed", t.failed}, {"skipped", t.skipped}, {"notReached", t.notReached}, {"withoutRecord", t.withoutRecord},
      {"errors", t.errors}};
  auto mailboxes = nlohmann::json::array();
  for (const auto& m : report.mailboxes) {
    auto folders = nlohmann::json::array();
    for (const auto& f : m.folders) {
      folders.push_back({{"path", f.path},
                         {"found", f.found},
                         {"counted", f.counted},
                         {"written", f.written},
                         {"leftOut", notesJson(f.leftOut)},
                         {"failed", notesJson(f.failed)},
                         {"skipped", notesJson(f.skipped)},
                         {"notReached", notesJson(f.notReached)},
                         {"withoutRecord", notesJson(f.withoutRecord)},
                         {"errors", f.errors}});
    }
    mailboxes.push_back({{"name", m.name},
                         {"displayName", m.displayName},
                         {"output", m.output},
                         {"errors", m.errors},
                         {"folders", folders}});
  }
  j["mailboxes"] = mailboxes;
  // Names from a damaged store may hold bytes that are not UTF-8: replace them.
  return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string reportAsText(const SaveReport& report) {
  std::ostringstream out;
  const auto t = report.totals();
  out << "Tarnwick save report\n";
  out << "Tool version: " << report.toolVersion << "\n";
  for (const auto& s : report.sources) {
    out << "Source: " << s.path;
    if (s.size) out << "  (" << *s.size << " bytes, SHA-256 " << s.sha256 << ")";
    if (!s.error.empty()) out << "  (cannot be read: " << s.error << ")";
    out << "\n";
  }
  out << "Destination: " << report.destination << "  (format " << report.format << ")\n";
  out << "Started: " << report.started << "  Ended: " << report.ended << "\n";
  out << "Outcome: " << report.outcome << "\n";
  out << "Totals: found " << t.found << ", written " << t.written << ", left out " << t.leftOut << ", failed "
      << t.failed << ", skipped " << t.skipped << ", not reached " << t.notReached << ", errors " << t.errors << "\n";
  if (t.withoutRecord > 0)
    out << "Written without their message record (header fields only): " << t.withoutRecord << "\n";
  for (const auto& m : report.mailboxes) {
    out << "\nMailbox " << m.name << "\n  Output: " << m.output << "\n";
    for (const auto& e : m.errors) out << "  Error: " << e << "\n";
    for (const auto& f : m.folders) {
      out << "    Folder " << f.path << ": found " << f.found << ", written " << f.written << ", left out "
          << f.leftOut.size() << ", failed " << f.failed.size() << ", skipped " << f.skipped.size() << ", not reached "
          << f.notReached.size() << "\n";
      for (const auto& e : f.errors) out << "      Error: " << e << "\n";
      notesText(out, "Left out", f.leftOut);
      notesText(out, "Failed", f.failed);
      notesText(out, "Skipped", f.skipped);
      notesText(out, "Not reached", f.notReached);
      notesText(out, "Written without message record", f.withoutRecord);
    }
  }
  return out.str();
}

}  // namespace tarnwick::exporter
