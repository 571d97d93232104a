#include "tools/storegen/Manifest.h"

#include <filesystem>
#include <map>
#include <utility>

#include "tools/storegen/Digest.h"
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
const char* kindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::Mail: return "m";
    case ItemKind::Contact: return "c";
    case ItemKind::Appointment: return "a";
    case ItemKind::Task: return "t";
    case ItemKind::Note: return "n";
    case ItemKind::Journal: return "j";
  }
  return "";
}

const char* formName(BodyForm form) {
  switch (form) {
    case BodyForm::Text: return "text";
    case BodyForm::Html: return "html";
    case BodyForm::Rtf: return "rtf";
    case BodyForm::Streamed: return "eml";
    case BodyForm::None: break;
  }
  return "";
}

const char* placementName(ValuePlacement placement) {
  switch (placement) {
    case ValuePlacement::Inline: return "inline";
    case ValuePlacement::LongValue: return "longValue";
    case ValuePlacement::Compressed7Bit: return "7bit";
    case ValuePlacement::CompressedLz77: return "lz77";
  }
  return "";
}

// The lines a contact summary shows, label by label, for the columns that hold them.
constexpr std::pair<const char*, const char*> kContactLines[] = {
    {"First Name :   ", "S3a06"},
    {"Last Name :   ", "S3a11"},
    {"Job Title :   ", "S3a17"},
    {"Company :   ", "S3a16"},
    {"Department :   ", "S3a18"},
    {"Office :   ", "S3a19"},
    {"Profession :   ", "S3a46"},
    {"Phone Number Mobile :   ", "S3a1c"},
    {"Phone Number Business :   ", "S3a08"},
    {"Phone Number Assistant :   ", "S3a2e"},
    {"Business Address Country/Region :   ", "S808d"},
    {"Business Address City :   ", "S8097"},
    {"Business Address Street :   ", "S80a6"},
    {"Business Address Zip/Postal Code :   ", "S809e"},
    {"Email Address 1 :   ", "S81b0"},
    {"Webpage Address 1 :   ", "S3a51"},
    {"Nick Name :   ", "S3a4f"},
    {"Spouse Name :   ", "S3a48"},
};
constexpr std::pair<const char*, const char*> kAppointmentLines[] = {
    {"Contact :   ", "S8225"},
    {"Location :   ", "S8201"},
    {"GMT :   ", "S810c"},
};

const std::string* fieldOf(const MessageContentPlan& c, const std::string& column) {
  for (const auto& [name, text] : c.fields) {
    if (name == column) return &text;
  }
  return nullptr;
}

// Contact lines split at line ends as the summary does; appointment lines stay whole (the
// start and end lines follow from "start" and "end").
json summaryLines(const MessageContentPlan& c) {
  json lines = json::array();
  if (c.kind == ItemKind::Contact) {
    for (const auto& [label, column] : kContactLines) {
      const std::string* text = fieldOf(c, column);
      if (!text) continue;
      std::string rest = label + *text;
      for (;;) {
        std::size_t crlf = rest.find("\r\n");
        std::size_t lf = rest.find('\n');
        if (crlf != std::string::npos) {
          lines.push_back(rest.substr(0, crlf));
          rest = rest.substr(crlf + 2);
        } else if (lf != std::string::npos) {
          lines.push_back(rest.substr(0, lf));
          rest = rest.substr(lf + 1);
        } else {
          lines.push_back(rest);
          break;
        }
      }
    }
  } else if (c.kind == ItemKind::Appointment) {
    for (const auto& [label, column] : kAppointmentLines) {
      if (const std::string* text = fieldOf(c, column)) lines.push_back(label + *text);
    }
  }
  return lines;
}

json contentOf(const MessageContentPlan& c, std::map<const void*, std::string>& sharedDigests) {
  json j;
  j["kind"] = kindName(c.kind);
  j["senderAddress"] = c.senderAddress;
  json recipients = json::array();
  for (const auto& r : c.recipients) recipients.push_back({{"name", r.name}, {"address", r.address}});
  j["recipients"] = recipients;
  if (!c.recipients.empty()) j["recipientPlacement"] = placementName(c.addressPlacement);
  if (c.bodyForm != BodyForm::None) {
    j["bodyForm"] = formName(c.bodyForm);
    const bool streamed = c.bodyForm == BodyForm::Streamed;
    if (streamed) {
      const std::span<const std::uint8_t> message(reinterpret_cast<const std::uint8_t*>(c.internetMessage.data()),
                                                  c.internetMessage.size());
      j["bodySize"] = message.size();
      j["bodySha256"] = sha256Hex(message);
      j["runDescriptorPlacement"] = placementName(c.runDescriptorPlacement);
    } else if (c.sharedBody) {
      // One digest per shared body.
      auto [known, added] = sharedDigests.try_emplace(c.sharedBody.get());
      if (added) known->second = sha256Hex(*c.sharedBody);
      j["bodyPlacement"] = placementName(c.bodyPlacement);
      j["bodySize"] = c.sharedBody->size();
      j["bodySha256"] = known->second;
    } else {
      j["bodyPlacement"] = placementName(c.bodyPlacement);
      j["bodySize"] = c.expectedBody.size();
      j["bodySha256"] = sha256Hex(c.expectedBody);
    }
  }
  json attachments = json::array();
  for (const auto& a : c.attachments) {
    attachments.push_back({{"id", hex16(a.id)},
                           {"name", a.fileName},
                           {"size", a.data.size()},
                           {"sha256", sha256Hex(a.data)},
                           {"placement", placementName(a.placement)}});
  }
  j["attachments"] = attachments;
  if (!c.fields.empty()) {
    json fields = json::object();
    for (const auto& [name, text] : c.fields) fields[name] = text;
    j["fields"] = fields;
    j["lines"] = summaryLines(c);
  }
  return j;
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
      columns.push_back(std::move(cj));
    }
    j["columns"] = std::move(columns);
    if (!t.pageNumbers.empty()) {
      json pages = json::array();
      for (auto p : t.pageNumbers) pages.push_back(p.value);
      j["pageNumbers"] = std::move(pages);
    }
    tables.push_back(std::move(j));
  }
  m["tables"] = std::move(tables);
  json mailboxes = json::array();
  for (const auto& mb : r.mailboxes) {
    mailboxes.push_back({{"id", hex16(mb.id)}, {"name", mb.name}, {"key", mb.keyText}});
  }
  m["mailboxes"] = std::move(mailboxes);
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
  m["folders"] = std::move(folders);
  json messages = json::array();
  std::map<const void*, std::string> sharedDigests;
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
    j.update(contentOf(msg.content, sharedDigests));
    messages.push_back(std::move(j));
  }
  m["messages"] = std::move(messages);
  json damage = json::object();
  damage["zeroedPages"] = r.damage.zeroed;
  damage["randomPages"] = r.damage.randomized;
  damage["scrambledTagPages"] = r.damage.scrambledTags;
  if (r.damage.truncatedTo) damage["truncatedTo"] = *r.damage.truncatedTo;
  m["damage"] = std::move(damage);
  return m;
}

}  // namespace tarnwick::storegen
