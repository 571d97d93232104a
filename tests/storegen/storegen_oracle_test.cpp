// An independent reader (libesedb's esedbinfo and esedbexport) on generated stores of
// every format: every table and column of the manifest is listed, every table exports
// with the manifest's record count, and the values of every column kind come back.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>

#include "StoreFixture.h"
#include "tests/support/Generator.h"
#include "tools/storegen/ColumnKinds.h"
#include "tools/storegen/MessageRows.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {
namespace {

// Joins texts by appending (g++ 12 warns wrongly about chains of operator+ at -O3).
std::string join(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (auto p : parts) out.append(p);
  return out;
}

// libesedb turns 7-bit packed 8-bit text (the engine's own included) into UTF-16 by
// pairing its bytes; this is what it prints for such a value.
std::string pairedAsUtf16(const std::string& ascii) {
  std::string out;
  for (std::size_t i = 0; i + 1 < ascii.size(); i += 2) {
    const unsigned c = static_cast<unsigned char>(ascii[i]) | (static_cast<unsigned char>(ascii[i + 1]) << 8);
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
  return out;
}

using testing::GeneratedStore;
using testing::ScratchDir;

// esedbexport writes line ends inside a value as "\r" and "\n".
std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out.push_back(c);
  }
  return out;
}

// The message id as esedbexport prints the 8-byte column holding it (a signed number).
std::string messageIdNumber(const std::string& hex) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < 8; ++i)
    v |= static_cast<std::uint64_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16)) << (8 * i);
  return std::to_string(static_cast<std::int64_t>(v));
}

// The records of the message tables: each message once, with its sender address, and the
// values that stay in the record as they are (recipients, plain-text bodies, contact texts).
void checkMessageRecords(const nlohmann::json& manifest, const std::filesystem::path& exportDir, bool packing) {
  std::map<std::string, const nlohmann::json*> byId;
  for (const auto& m : manifest["messages"]) byId[messageIdNumber(m["id"])] = &m;
  std::size_t rows = 0;
  std::size_t recipients = 0;
  std::size_t fields = 0;
  for (const auto& t : manifest["tables"]) {
    const std::string name = t["name"];
    if (name != "Msg" && name.rfind("Body-", 0) != 0) continue;
    const auto table = testing::readExport(exportDir, name);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      // 32 KB message tables also hold the attachment rows of their messages.
      if (table.value(r, "MessageId").empty()) continue;
      ++rows;
      auto found = byId.find(table.value(r, "MessageId"));
      ASSERT_NE(found, byId.end()) << name << " row " << r;
      const nlohmann::json& m = *found->second;
      byId.erase(found);
      EXPECT_EQ(table.value(r, "S0c1f"), m["senderAddress"]) << m["id"];
      if (m.value("recipientPlacement", "") == "inline") {
        std::vector<RecipientPlan> plan;
        for (const auto& p : m["recipients"]) plan.push_back({p["name"], p["address"]});
        const auto value = recipientValue(plan);
        EXPECT_EQ(table.value(r, "N67b4"), testing::hexOf(std::string(value.begin(), value.end()))) << m["id"];
        ++recipients;
      }
      if (m.contains("fields") && !(packing && m["kind"] == "c")) {
        for (const auto& [column, text] : m["fields"].items()) {
          EXPECT_EQ(table.value(r, column), escaped(text.get<std::string>())) << m["id"] << " " << column;
          ++fields;
        }
      }
    }
  }
  EXPECT_TRUE(byId.empty()) << byId.size() << " messages without a record";
  EXPECT_EQ(rows, manifest["messages"].size());
  EXPECT_GT(recipients, 0u);
  EXPECT_GT(fields, 0u);
}

class StoregenOracle : public ::testing::TestWithParam<StoreFormat> {
 protected:
  void SetUp() override {
    if (!testing::toolAvailable("esedbinfo") || !testing::toolAvailable("esedbexport")) {
      GTEST_SKIP() << "libesedb-utils (esedbinfo, esedbexport) not installed";
    }
  }
};

// A table with many rows (several B-tree levels) beside the default skeleton.
Scenario bigScenario(StoreFormat format) {
  Scenario s;
  s.format = format;
  ExtraTable t;
  t.def.name = "ManyRows";
  t.def.primaryIndexName = "RowIdIndex";
  ColumnDef id;
  id.id = 1;
  id.name = "RowId";
  id.type = ColumnType::Long;
  id.size = 4;
  ColumnDef text;
  text.id = 128;
  text.name = "Label";
  text.type = ColumnType::Text;
  text.size = 255;
  t.def.columns = {id, text};
  t.def.hasLongValues = false;
  const int rows = 6000;
  for (int i = 1; i <= rows; ++i) {
    Row r;
    Bytes v;
    append32(v, static_cast<std::uint32_t>(i));
    r.push_back(ColumnValue{1, {v}});
    const std::string label = join({"row label number ", std::to_string(i), " ", std::string(180, '.')});
    r.push_back(ColumnValue{128, {Bytes(label.begin(), label.end())}});
    t.rows.push_back(std::move(r));
  }
  s.tables.push_back(std::move(t));
  return s;
}

TEST_P(StoregenOracle, ListsExportsAndReturnsEveryValue) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("oracle-") + std::string(traits.name));
  const GeneratedStore g = testing::generate(bigScenario(GetParam()), dir.path() / "store");

  // esedbinfo: the page size, and every table with its columns.
  const auto info = testing::run("esedbinfo '" + g.edb.string() + "'");
  ASSERT_EQ(info.status, 0) << info.output;
  EXPECT_NE(info.output.find("Page size:\t\t" + std::to_string(traits.pageSize) + " bytes"), std::string::npos);
  for (const auto& t : g.manifest["tables"]) {
    const std::string name = t["name"];
    const std::string objectId = std::to_string(t["objectId"].get<int>());
    const std::regex tableLine(join({"Table: [0-9]+\\t+", name, " \\(", objectId, "\\)"}));
    EXPECT_TRUE(std::regex_search(info.output, tableLine)) << name;
    for (const auto& c : t["columns"]) {
      const std::string id = std::to_string(c["id"].get<int>());
      const std::string columnName = c["name"].get<std::string>();
      const std::string line = join({"\t", id, "\t", columnName, "\t"});
      EXPECT_NE(info.output.find(line), std::string::npos) << name << " column " << c["name"];
    }
  }

  // esedbexport: every table with the manifest's record count.
  const auto exportBase = dir.path() / "export";
  const auto exported = testing::run("esedbexport -t '" + exportBase.string() + "' '" + g.edb.string() + "'");
  ASSERT_EQ(exported.status, 0) << exported.output;
  const auto exportDir = dir.path() / "export.export";
  std::size_t levels = 0;
  for (const auto& t : g.manifest["tables"]) {
    const auto table = testing::readExport(exportDir, t["name"]);
    EXPECT_EQ(table.rows.size(), t["records"].get<std::size_t>()) << t["name"];
    levels = std::max<std::size_t>(levels, t["levels"].get<std::size_t>());
  }
  // Rows of about 200 bytes: three levels on 4 KB pages, two on larger ones.
  EXPECT_GE(levels, GetParam() == StoreFormat::Exchange2003 ? 3u : 2u);
  const auto many = testing::readExport(exportDir, "ManyRows");
  ASSERT_FALSE(many.rows.empty());
  EXPECT_EQ(many.value(0, "Label"), join({"row label number 1 ", std::string(180, '.')}));
  EXPECT_EQ(many.value(many.rows.size() - 1, "RowId"), std::to_string(many.rows.size()));

  // The table of every column kind.
  const auto kinds = testing::readExport(exportDir, kColumnKindsTableName);
  ASSERT_EQ(kinds.rows.size(), kColumnKindsRows);
  for (std::uint32_t i = 0; i < kColumnKindsRows; ++i) {
    const std::string n = std::to_string(i + 1);
    EXPECT_EQ(kinds.value(i, "Id"), n);
    EXPECT_EQ(kinds.value(i, "FixedBit"), i % 2 == 0 ? "true" : "false");
    EXPECT_EQ(kinds.value(i, "FixedByte"), std::to_string(201 + i));
    EXPECT_EQ(kinds.value(i, "FixedShort"), std::to_string(-1000 * static_cast<int>(i + 1)));
    EXPECT_EQ(kinds.value(i, "FixedCurrency"), std::to_string(123456789012ull * (i + 1)));
    EXPECT_EQ(kinds.value(i, "FixedUnsignedLong"), std::to_string(4000000001u + i));
    EXPECT_EQ(kinds.value(i, "FixedLongLong"), std::to_string(9000000000000000001ull + i));
    EXPECT_EQ(kinds.value(i, "FixedUnsignedShort"), std::to_string(60001 + i));
    EXPECT_EQ(kinds.value(i, "VarText"), join({"Variable text ", n}));
    EXPECT_EQ(kinds.value(i, "VarUnicode"), i == 1 ? "" : join({"Variable Unicode ", n}));
    EXPECT_EQ(kinds.value(i, "VarBinary"), testing::hexOf(join({"binary-", n})));
    EXPECT_EQ(kinds.value(i, "TaggedText"), columnKindsShortText(i));
    EXPECT_EQ(kinds.value(i, "TaggedBinary"), testing::hexOf(join({"tagged binary ", n})));
    EXPECT_EQ(kinds.value(i, "TinyLongText"), join({"Tiny ", n}));
    EXPECT_EQ(kinds.value(i, "MultiText"), join({"first ", n, "; second; third"}));
    EXPECT_EQ(kinds.value(i, "LongText"), columnKindsLongText(i)) << "row " << n;
    EXPECT_EQ(kinds.value(i, "LongUnicode"), columnKindsLongUnicode(i)) << "row " << n;
    // 32 KB stores pack these: 7-bit text below 1 KB, LZ77 above.
    const bool packed = GetParam() == StoreFormat::Exchange2010;
    EXPECT_EQ(kinds.value(i, "CompressedText"),
              packed ? pairedAsUtf16(columnKindsCompressible(i)) : columnKindsCompressible(i))
        << "row " << n;
    // Unpacked, these two exceed 1 KB and go to the long-value tree, beyond the first two
    // long values that libesedb 20181229 can reach (see README).
    if (packed) {
      EXPECT_EQ(kinds.value(i, "CompressedUnicode"), columnKindsCompressible(i)) << "row " << n;
      EXPECT_EQ(kinds.value(i, "CompressedLongText"), columnKindsCompressibleLong(i)) << "row " << n;
    }
    if (i > 0) {
      EXPECT_EQ(kinds.value(i, "LongBinary"), testing::hexOf(columnKindsLongBinary(i)));
    }
  }
}

// The message records of the default store of each format, as esedbexport decodes them.
TEST_P(StoregenOracle, DecodesEveryMessageRecord) {
  const FormatTraits& traits = traitsOf(GetParam());
  ScratchDir dir(std::string("oracle-messages-") + std::string(traits.name));
  Scenario s;
  s.format = GetParam();
  const GeneratedStore g = testing::generate(s, dir.path() / "store");
  const auto exportBase = dir.path() / "export";
  const auto exported = testing::run("esedbexport -t '" + exportBase.string() + "' '" + g.edb.string() + "'");
  ASSERT_EQ(exported.status, 0) << exported.output;
  checkMessageRecords(g.manifest, dir.path() / "export.export", GetParam() == StoreFormat::Exchange2010);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenOracle,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

// The 4 KB store comes with a streaming file whose header says it is one, followed by
// whole pages of streamed content (see storegen_streamed_test.cpp).
TEST(StoregenStreamingFile, StreamingFileBesideA4kStore) {
  ScratchDir dir("stm");
  Scenario s;
  s.format = StoreFormat::Exchange2003;
  const GeneratedStore g = testing::generate(s, dir.path());
  ASSERT_EQ(g.manifest["files"]["stm"], "store.stm");
  const auto stm = testing::readFile(dir.path() / "store.stm");
  ASSERT_GE(stm.size(), 2u * 4096u);
  EXPECT_EQ(stm.size() % 4096u, 0u);
  EXPECT_EQ(get32(stm, 4), 0x89ABCDEFu);
  EXPECT_EQ(get32(stm, 12), 1u);  // streaming file
  EXPECT_EQ(get32(stm, 236), 4096u);
}

// The command line: a small default store of the format asked for, and --help naming
// the formats, the scenario and the damage options.
TEST(StoregenCommand, WritesTheDefaultScenarioAndDocumentsItself) {
  const std::string tool = tarnwick::testing::generatorPath().string();
  ScratchDir dir("command");
  const auto r = testing::run("'" + tool + "' --format 32k --seed 5 --out '" + dir.path().string() + "'");
  ASSERT_EQ(r.status, 0) << r.output;
  std::ifstream in(dir.path() / "manifest.json");
  nlohmann::json m;
  in >> m;
  EXPECT_EQ(m["format"], "32k");
  EXPECT_EQ(m["pageSize"], 32768);
  EXPECT_EQ(m["rng"], 5);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "store.edb"));
  const auto help = testing::run("'" + tool + "' --help");
  for (const char* word : {"--format", "--scenario", "--out", "4k", "8k", "32k", "--zero-pages", "--random-pages",
                           "--scramble-tags", "--truncate", "damage"}) {
    EXPECT_NE(help.output.find(word), std::string::npos) << word;
  }
  const auto bad = testing::run("'" + tool + "' --format 16k --out '" + dir.path().string() + "'");
  EXPECT_NE(bad.status, 0);
}

}  // namespace
}  // namespace tarnwick::storegen
