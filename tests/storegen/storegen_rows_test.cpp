// Exchange rows where a scan looks for them: the mailbox rows of every format read back
// with the rules of the mailbox step (anchor pattern, identifier distance, directory
// distance, display-name entry), which know nothing of the record layout.

#include <gtest/gtest.h>

#include <algorithm>

#include "StoreFixture.h"
#include "codec/SevenBitText.h"
#include "tools/storegen/Bytes.h"
#include "tools/storegen/StoreFormat.h"

namespace tarnwick::storegen {
namespace {

struct FoundMailbox {
  std::string id;  // hex, stored order
  std::string name;
};

// The mailbox step's reading of one record.
std::optional<FoundMailbox> readMailboxRecord(std::span<const std::uint8_t> r, bool large) {
  if (r.size() <= 54) return std::nullopt;
  const std::uint8_t pattern[4] = {0x08, 0x00, 0x18, 0x00};
  const std::size_t patternSize = large ? 3 : 4;
  std::size_t a = 0;
  for (std::size_t p = 54; p + patternSize <= r.size(); ++p) {
    if (std::equal(pattern, pattern + patternSize, r.begin() + static_cast<std::ptrdiff_t>(p))) {
      a = p;
      break;
    }
  }
  if (!a) return std::nullopt;
  const std::size_t k = r[a - 2] == 0x80 ? 14 : (large && r[a + 2] == 0x18 ? 12 : 16);
  const std::size_t idAt = large ? 23 : a + k;
  FoundMailbox m;
  m.id = testing::hexOf(
      std::string(r.begin() + static_cast<std::ptrdiff_t>(idAt), r.begin() + static_cast<std::ptrdiff_t>(idAt + 8)));
  const std::size_t t = a + k + r[a + k - 2];
  if (r[t + 1] != 1) return std::nullopt;
  std::size_t entry = 0;
  for (std::size_t e : {t, t + 4, t + 8}) {
    if (r[e] == 1 && r[e + 1] == 1) {
      entry = e;
      break;
    }
  }
  if (!entry) return std::nullopt;
  const std::uint16_t mask = large ? 0xFFFF : 0x0FFF;
  const std::size_t s = get16(r, entry + 2) & mask;
  const std::size_t e = get16(r, entry + 6) & mask;
  if (!(s > 0 && e > s)) return std::nullopt;
  if (!large) {
    for (std::size_t p = t + s + 1; p + 1 < t + e && m.name.size() < 260; p += 2) {
      if (r[p] == 0 || r[p] == 1) break;
      m.name.push_back(static_cast<char>(r[p]));
    }
  } else {
    std::vector<std::uint8_t> out(1024, 0);
    const auto value = r.subspan(t + s + 1, e - s - 1);
    if (!codec::decode7Bit(value, out).ok) return std::nullopt;
    for (std::uint8_t c : out) {
      if (c == 0) break;
      m.name.push_back(static_cast<char>(c));
    }
  }
  if (m.name.empty()) return std::nullopt;
  return m;
}

class StoregenRows : public ::testing::TestWithParam<StoreFormat> {};

TEST_P(StoregenRows, MailboxRowsReadBackWithTheMailboxStepRules) {
  const FormatTraits& traits = traitsOf(GetParam());
  testing::ScratchDir dir("rows-" + testing::formatTestName(GetParam()));
  Scenario s;
  s.format = GetParam();
  s.mailboxes = 5;
  const auto g = testing::generate(s, dir.path());
  const auto file = testing::readFile(g.edb);
  std::uint32_t root = 0;
  for (const auto& t : g.manifest["tables"]) {
    if (t["name"] == "Mailbox") {
      root = t["rootPage"];
      EXPECT_EQ(t["records"], 5);
    }
  }
  ASSERT_NE(root, 0u);
  const std::span<const std::uint8_t> page(file.data() + (static_cast<std::size_t>(root) + 1) * traits.pageSize,
                                           traits.pageSize);
  const std::uint32_t tags = get16(page, 34);
  std::vector<FoundMailbox> found;
  for (std::uint32_t i = 1; i < tags; ++i) {
    const std::size_t at = traits.pageSize - (i + 1) * 4;
    const std::size_t size = get16(page, at) & traits.tagFieldMask;
    const std::size_t offset = (get16(page, at + 2) & traits.tagFieldMask) + traits.pageHeaderSize;
    ASSERT_LE(offset + size, traits.pageSize);
    const auto m = readMailboxRecord(page.subspan(offset, size), GetParam() == StoreFormat::Exchange2010);
    ASSERT_TRUE(m.has_value()) << "record " << i;
    found.push_back(*m);
  }
  ASSERT_EQ(found.size(), g.manifest["mailboxes"].size());
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_EQ(found[i].id, g.manifest["mailboxes"][i]["id"]);
    EXPECT_EQ(found[i].name, g.manifest["mailboxes"][i]["name"]);
  }
}

struct FoundFolder {
  std::string id, parentId, name, containerClass;
};

std::string decodePacked(std::span<const std::uint8_t> value) {
  std::vector<std::uint8_t> out(1024, 0);
  if (value.empty() || !codec::decode7Bit(value, out).ok) return {};
  std::string text;
  for (std::uint8_t c : out) {
    if (c == 0) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

// A 32 KB text value after its flags byte: 7-bit packed 8-bit text when the flags byte is 3,
// otherwise UTF-16 as it stands (given back as UTF-8).
std::string decodeStoredText(std::uint8_t flags, std::span<const std::uint8_t> value) {
  if (flags == 3) return decodePacked(value);
  std::string text;
  for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
    const unsigned c = value[i] | (value[i + 1] << 8);
    if (c < 0x80) {
      text.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      text.push_back(static_cast<char>(0xC0 | (c >> 6)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      text.push_back(static_cast<char>(0xE0 | (c >> 12)));
      text.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      text.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return text;
}

// The 32 KB folder step's reading of one row.
std::optional<FoundFolder> readLargeFolderRow(std::span<const std::uint8_t> r, std::uint16_t classColumn) {
  std::size_t b = 167;
  for (std::size_t p = 0; p < 16 && p + 1 < r.size(); ++p) {
    if (r[p] == 0xCA && r[p + 1] == 0x00) {
      b = p + 10;
      break;
    }
  }
  if (b + 8 > r.size()) return std::nullopt;
  const auto v = get16(r, b - 10);
  if (static_cast<std::int16_t>(get16(r, b - 8)) <= 0 || v < 1 || v > 1024) return std::nullopt;
  std::size_t d = 0;
  for (std::size_t i = 0; i < 4 && !d; ++i) {
    const std::size_t q = b + v - 12 + 2 * i;
    if (q >= r.size()) break;
    const std::size_t x = q + r[q];
    if (x + 12 <= r.size() && r[x + 3] == 1 && r[x + 6] == 4 && r[x + 7] == 1 && r[x + 10] == 5 && r[x + 11] == 1)
      d = x + 2;
  }
  if (!d) return std::nullopt;
  FoundFolder f;
  f.id = testing::hexOf(
      std::string(r.begin() + static_cast<std::ptrdiff_t>(b - 8), r.begin() + static_cast<std::ptrdiff_t>(b)));
  f.parentId = testing::hexOf(
      std::string(r.begin() + static_cast<std::ptrdiff_t>(b), r.begin() + static_cast<std::ptrdiff_t>(b + 8)));
  const std::size_t w = get16(r, d + 2);
  for (std::size_t e = d; e + 4 <= d + w + 1 && e + 4 <= r.size(); e += 4) {
    if (get16(r, e) != classColumn) continue;
    const std::size_t o = get16(r, e + 2);
    const std::size_t end = e + 8 <= d + w ? get16(r, e + 6) : r.size() - d;
    f.containerClass = decodePacked(r.subspan(d + o + 1, end - o - 1));
  }
  const std::size_t s = get16(r, d + 10), e = get16(r, d + 14);
  f.name = decodeStoredText(r[d + s], r.subspan(d + s + 1, e - s - 1));
  if (f.name.empty()) return std::nullopt;
  return f;
}

TEST(StoregenFolderRows, LargeStoreFolderRowsReadBackWithTheFolderStepRules) {
  testing::ScratchDir dir("folders-32k");
  Scenario s;
  s.format = StoreFormat::Exchange2010;
  s.mailboxes = 2;
  s.foldersPerMailbox = 20;
  const auto g = testing::generate(s, dir.path());
  const auto file = testing::readFile(g.edb);
  const auto& folders = g.manifest["folders"];
  ASSERT_EQ(folders.size(), 40u);
  std::size_t checked = 0;
  for (const auto& t : g.manifest["tables"]) {
    const std::string name = t["name"];
    if (name.rfind("Folders-", 0) != 0) continue;
    ASSERT_EQ(t["levels"], 1) << "one page of rows expected";
    const std::span<const std::uint8_t> page(file.data() + (t["rootPage"].get<std::size_t>() + 1) * 32768, 32768);
    const std::uint32_t tags = get16(page, 34);
    for (std::uint32_t i = 1; i < tags; ++i) {
      const std::size_t at = 32768 - (i + 1) * 4;
      const std::size_t size = get16(page, at) & 0x7FFF;
      const std::size_t offset = (get16(page, at + 2) & 0x7FFF) + 80;
      ASSERT_LE(offset + size, 32768u);
      const auto f = readLargeFolderRow(page.subspan(offset, size), 0x0147);
      ASSERT_TRUE(f.has_value()) << name << " row " << i;
      const auto it = std::find_if(folders.begin(), folders.end(), [&](const auto& m) { return m["id"] == f->id; });
      ASSERT_NE(it, folders.end()) << f->id;
      EXPECT_EQ((*it)["parentId"], f->parentId);
      EXPECT_EQ((*it)["name"], f->name);
      EXPECT_EQ((*it)["containerClass"], f->containerClass);
      for (const auto& m : g.manifest["mailboxes"]) {
        if (m["id"] == (*it)["mailbox"]) {
          EXPECT_EQ(name.substr(8), m["key"].get<std::string>());
        }
      }
      ++checked;
    }
  }
  EXPECT_EQ(checked, folders.size());
  // Top-level folders hang below their mailbox; the well-known ones carry their kinds.
  for (const auto& f : folders) {
    if (f["path"].get<std::string>().find('/') == std::string::npos) {
      EXPECT_EQ(f["parentId"], f["mailbox"]);
    }
    const std::string name = f["name"];
    const std::string kind = f["kind"];
    if (name == "Calendar") {
      EXPECT_EQ(kind, "a");
    } else if (name == "Contacts") {
      EXPECT_EQ(kind, "c");
    } else if (name == "Inbox") {
      EXPECT_EQ(kind, "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StoregenRows,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
