#include "tools/storegen/Scenario.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tarnwick::storegen {

using nlohmann::json;

std::optional<ColumnType> parseColumnType(const std::string& name) {
  for (int t = 1; t <= 17; ++t) {
    if (t == 13) continue;
    if (columnTypeName(static_cast<ColumnType>(t)) == name) return static_cast<ColumnType>(t);
  }
  return std::nullopt;
}

std::uint64_t parseByteSize(const std::string& text) {
  if (text.empty()) throw std::invalid_argument("empty size");
  std::size_t used = 0;
  const double number = std::stod(text, &used);
  std::uint64_t unit = 1;
  const std::string suffix = text.substr(used);
  if (suffix == "K" || suffix == "k" || suffix == "KB")
    unit = 1ull << 10;
  else if (suffix == "M" || suffix == "MB")
    unit = 1ull << 20;
  else if (suffix == "G" || suffix == "GB")
    unit = 1ull << 30;
  else if (!suffix.empty())
    throw std::invalid_argument("size \"" + text + "\" has an unknown unit");
  if (number < 0) throw std::invalid_argument("size \"" + text + "\" is negative");
  return static_cast<std::uint64_t>(number * static_cast<double>(unit));
}

namespace {

Bytes hexBytes(const std::string& hex) {
  if (hex.size() % 2) throw std::invalid_argument("hex text of odd length");
  Bytes out;
  for (std::size_t i = 0; i < hex.size(); i += 2)
    out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return out;
}

Bytes utf16(const std::string& utf8) {
  Bytes out;
  for (std::size_t i = 0; i < utf8.size();) {
    std::uint32_t c = static_cast<unsigned char>(utf8[i]);
    int extra = 0;
    if (c >= 0xF0) {
      c &= 0x07;
      extra = 3;
    } else if (c >= 0xE0) {
      c &= 0x0F;
      extra = 2;
    } else if (c >= 0xC0) {
      c &= 0x1F;
      extra = 1;
    }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) c = (c << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (c >= 0x10000) {
      c -= 0x10000;
      append16(out, static_cast<std::uint16_t>(0xD800 + (c >> 10)));
      append16(out, static_cast<std::uint16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      append16(out, static_cast<std::uint16_t>(c));
    }
  }
  return out;
}

bool isTextType(ColumnType t) { return t == ColumnType::Text || t == ColumnType::LongText; }

Bytes textBytes(const ColumnDef& column, const std::string& s) {
  if (isTextType(column.type) && column.codePage == ese::catalogue::kCodePageUnicode) return utf16(s);
  return Bytes(s.begin(), s.end());
}

Bytes oneValue(const ColumnDef& column, const json& v) {
  if (v.is_object()) {
    if (v.contains("hex")) return hexBytes(v.at("hex").get<std::string>());
    std::string s = v.value("text", std::string());
    const std::string repeat = v.value("repeat", std::string());
    const std::uint64_t times = v.value("times", 0ull);
    for (std::uint64_t i = 0; i < times; ++i) s += repeat;
    return textBytes(column, s);
  }
  if (v.is_string()) return textBytes(column, v.get<std::string>());
  Bytes out;
  switch (column.type) {
    case ColumnType::Bit:
      out.push_back(v.is_boolean() ? (v.get<bool>() ? 0xFF : 0x00)
                                   : static_cast<std::uint8_t>(v.get<int>() ? 0xFF : 0));
      return out;
    case ColumnType::IEEESingle: {
      const float f = v.get<float>();
      std::uint32_t bits;
      std::memcpy(&bits, &f, 4);
      append32(out, bits);
      return out;
    }
    case ColumnType::IEEEDouble: {
      const double d = v.get<double>();
      std::uint64_t bits;
      std::memcpy(&bits, &d, 8);
      append64(out, bits);
      return out;
    }
    default: break;
  }
  if (!v.is_number_integer()) throw std::invalid_argument("column " + column.name + " needs a number or text");
  const std::uint64_t n =
      v.is_number_unsigned() ? v.get<std::uint64_t>() : static_cast<std::uint64_t>(v.get<std::int64_t>());
  std::uint32_t size = fixedSizeOf(column.type);
  if (size == 0) size = 8;
  for (std::uint32_t i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  return out;
}

ColumnDef parseColumn(const json& c) {
  ColumnDef col;
  col.id = c.at("id").get<std::uint16_t>();
  col.name = c.at("name").get<std::string>();
  const auto type = parseColumnType(c.at("type").get<std::string>());
  if (!type) throw std::invalid_argument("column " + col.name + " has an unknown type");
  col.type = *type;
  col.size = c.value("size", fixedSizeOf(col.type) ? fixedSizeOf(col.type) : 255u);
  col.multiValued = c.value("multiValued", false);
  col.compressed = c.value("compressed", false);
  const bool unicode = c.value("unicode", false);
  col.codePage = c.value("codePage", unicode ? ese::catalogue::kCodePageUnicode : ese::catalogue::kCodePageWestern);
  return col;
}

}  // namespace

std::vector<Bytes> columnValuesFromJson(const ColumnDef& column, const json& value) {
  std::vector<Bytes> out;
  if (value.is_array()) {
    for (const auto& v : value) out.push_back(oneValue(column, v));
  } else if (!value.is_null()) {
    out.push_back(oneValue(column, value));
  }
  return out;
}

Scenario parseScenario(const json& d) {
  Scenario s;
  if (d.contains("format")) {
    const auto f = parseStoreFormat(d.at("format").get<std::string>());
    if (!f) throw std::invalid_argument("format must be 4k, 8k or 32k");
    s.format = *f;
  }
  s.randomSeed = d.value("rng", s.randomSeed);
  s.mailboxes = d.value("mailboxes", s.mailboxes);
  s.foldersPerMailbox = d.value("foldersPerMailbox", s.foldersPerMailbox);
  s.messagesPerFolder = d.value("messagesPerFolder", s.messagesPerFolder);
  s.columnKindsTable = d.value("columnKinds", s.columnKindsTable);
  if (d.contains("fill")) {
    const auto& f = d.at("fill");
    s.fillBytes = f.is_string() ? parseByteSize(f.get<std::string>()) : f.get<std::uint64_t>();
  }
  if (d.contains("tables")) {
    for (const auto& t : d.at("tables")) {
      ExtraTable table;
      table.def.name = t.at("name").get<std::string>();
      table.def.primaryIndexName = t.value("index", std::string("Primary"));
      for (const auto& c : t.at("columns")) table.def.columns.push_back(parseColumn(c));
      std::sort(table.def.columns.begin(), table.def.columns.end(),
                [](const ColumnDef& a, const ColumnDef& b) { return a.id < b.id; });
      if (table.def.columns.empty()) throw std::invalid_argument("table " + table.def.name + " has no columns");
      for (const auto& r : t.value("rows", json::array())) {
        Row row;
        for (const auto& c : table.def.columns) {
          if (!r.contains(c.name)) continue;
          auto values = columnValuesFromJson(c, r.at(c.name));
          if (!values.empty()) row.push_back(ColumnValue{c.id, std::move(values)});
        }
        table.rows.push_back(std::move(row));
      }
      s.tables.push_back(std::move(table));
    }
  }
  if (d.contains("damage")) {
    const auto& g = d.at("damage");
    s.damage.zeroPages = g.value("zeroPages", 0u);
    s.damage.randomPages = g.value("randomPages", 0u);
    s.damage.scrambleTagPages = g.value("scrambleTagPages", 0u);
    s.damage.zeroPageList = g.value("zeroPageList", std::vector<std::uint32_t>{});
    s.damage.randomPageList = g.value("randomPageList", std::vector<std::uint32_t>{});
    s.damage.scrambleTagPageList = g.value("scrambleTagPageList", std::vector<std::uint32_t>{});
    if (g.contains("truncate")) {
      const auto& t = g.at("truncate");
      s.damage.truncateTo = t.is_string() ? parseByteSize(t.get<std::string>()) : t.get<std::uint64_t>();
    }
  }
  return s;
}

}  // namespace tarnwick::storegen
