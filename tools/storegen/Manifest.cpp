#include "tools/storegen/Manifest.h"

#include <filesystem>

#include "tools/storegen/ExchangeSkeleton.h"
#include "tools/storegen/HeaderRows.h"

namespace tarnwick::storegen {

using nlohmann::json;

namespace {
std::string hex16(std::uint64_t v) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  // The identifier bytes in stored order (first byte first), two digits each.
  for (int i = 0; i < 8; ++i) {
    const auto b = static_cast<std::uint8_t>(v >> (8 * i));
    s.push_back(digits[b >> 4]);
    s.push_back(digits[b & 15]);
  }
  return s;
}
}  // namespace

json manifestOf(const StoreReport& r) {
  const FormatTraits& traits = traitsOf(r.format);
  json m;
  m["manifestVersion"] = kManifestVersion;
  m["format"] = std::string(traits.name);
  m["pageSize"] = traits.pageSize;
  m["formatVersion"] = 0x620;
  m["formatRevision"] = traits.formatRevision;
  m["rng"] = r.randomSeed;
  m["pageCount"] = r.pageCount;
  m["fileSize"] = r.fileSize;
  m["files"] = {{"edb", std::filesystem::path(r.edbPath).filename().string()}};
  if (!r.stmPath.empty()) m["files"]["stm"] = std::filesystem::path(r.stmPath).filename().string();
  json tables = json::array();
  for (const auto& t : r.tables) {
    json j;
    j["name"] = t.name;
    j["objectId"] = t.objectId.value;
    j["rootPage"] = t.rootPage.value;
    j["records"] = t.records;
    j["pages"] = t.pages;
    j["levels"] = t.levels;
    if (!t.templateName.empty()) j["template"] = t.templateName;
    if (t.hasLongValues) {
      j["longValues"] = {{"objectId", t.longValueObjectId.value},
                         {"rootPage", t.longValueRootPage.value},
                         {"values", t.longValues},
                         {"pages", t.longValuePages}};
    }
    json columns = json::array();
    for (const auto& c : t.columns) {
      json cj = {{"id", c.id}, {"name", c.name}, {"type", columnTypeName(c.type)}};
      if (c.multiValued) cj["multiValued"] = true;
      if (c.compressed) cj["compressed"] = true;
      columns.push_back(cj);
    }
    j["columns"] = columns;
    if (!t.pageNumbers.empty()) {
      json pages = json::array();
      for (auto p : t.pageNumbers) pages.push_back(p.value);
      j["pageNumbers"] = pages;
    }
    tables.push_back(j);
  }
  m["tables"] = tables;
  json mailboxes = json::array();
  for (const auto& mb : r.mailboxes) {
    mailboxes.push_back({{"id", hex16(mb.id)}, {"name", mb.name}, {"key", mb.keyText}});
  }
  m["mailboxes"] = mailboxes;
  json folders = json::array();
  for (const auto& f : r.folders) {
    folders.push_back({{"id", hex16(f.id)},
                       {"parentId", hex16(f.parentId)},
                       {"mailbox", hex16(r.mailboxes.at(f.mailbox).id)},
                       {"name", f.name},
                       {"containerClass", f.containerClass},
                       {"kind", f.kind ? std::string(1, f.kind) : std::string()},
                       {"path", f.path}});
  }
  m["folders"] = folders;
  json messages = json::array();
  for (const auto& msg : r.messages) {
    json j = {{"id", hex16(msg.id)},
              {"folder", hex16(msg.folderId)},
              {"mailbox", hex16(msg.mailboxId)},
              {"subject", msg.prefix + msg.normalizedSubject},
              {"prefix", msg.prefix},
              {"normalizedSubject", msg.normalizedSubject},
              {"sender", msg.sender},
              {"time", isoTimeOf(msg.time)},
              {"fileTime", msg.time}};
    if (msg.start) {
      j["start"] = isoTimeOf(msg.start);
      j["end"] = isoTimeOf(msg.end);
      j["startFileTime"] = msg.start;
      j["endFileTime"] = msg.end;
    }
    messages.push_back(std::move(j));
  }
  m["messages"] = messages;
  json damage = json::object();
  damage["zeroedPages"] = r.damage.zeroed;
  damage["randomPages"] = r.damage.randomized;
  damage["scrambledTagPages"] = r.damage.scrambledTags;
  if (r.damage.truncatedTo) damage["truncatedTo"] = *r.damage.truncatedTo;
  m["damage"] = damage;
  return m;
}

}  // namespace tarnwick::storegen
