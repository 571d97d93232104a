// Attachments of generated stores read back by the product's own readers: the scan finds
// the attachment tables and their columns, the attachment scanner turns the rows into
// attachments of the messages that list their identifiers, the long-value scanner finds the
// chunks of separated data, and the attachment data reader gives back the planned bytes.
// libesedb's esedbexport decodes the same rows.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "StoreFixture.h"
#include "analysis/AttachmentScanner.h"
#include "analysis/LongValueScanner.h"
#include "analysis/ScanEngine.h"
#include "content/AttachmentData.h"
#include "content/SafeFileName.h"
#include "platform/CodePage.h"
#include "platform/StoreFile.h"
#include "store/ByteSource.h"
#include "tests/support/StoreScan.h"
#include "tools/storegen/AttachmentPlanning.h"
#include "tools/storegen/AttachmentRows.h"
#include "tools/storegen/Digest.h"
#include "tools/storegen/ExchangeSkeleton.h"

namespace tarnwick::storegen {
namespace {

namespace fs = std::filesystem;
using namespace tarnwick::analysis;

// The plan the generator wrote the store from (the same scenario gives the same plan).
StorePlan planOf(const Scenario& scenario) {
  Rng rng(scenario.randomSeed);
  StorePlan plan;
  plan.format = scenario.format;
  addExchangeSkeleton(scenario, rng, plan);
  return plan;
}

struct ReadAttachment {
  std::string name;  // UTF-8
  std::u16string storedName;
  std::optional<std::vector<std::uint8_t>> data;
  bool longValue = false;
};

// message id (hex) -> the attachments the readers found for it.
using Found = std::map<std::string, std::vector<ReadAttachment>>;

std::string hexId(std::uint64_t id) {
  const auto b = identifierBytes(id);
  return testing::hexOf(std::string(b.begin(), b.end()));
}

// Scans the store, then completes one item per planned message with attachments as the
// message-list loader does when saving: attachment pages, long-value pages, data.
Found readAttachments(const fs::path& edb, const StorePlan& plan) {
  const auto scanned = tarnwick::testing::scanStore(edb);
  const ScanResult& scan = scanned->result;
  ScanModel& model = scanned->model;
  StoreFile& database = scanned->database;
  EXPECT_EQ(scan.outcome, ScanOutcome::Completed);
  const bool large = store::isLargePage(scan.geometry.PageSizeClass);

  const store::FileByteSource source(database);
  std::vector<std::uint8_t> page(static_cast<std::size_t>(scan.geometry.PageSize));
  // Each page once, in the order of the scan's page list.
  auto visit = [&](std::uint32_t objectId, auto&& f) {
    std::set<std::int64_t> seen;
    for (std::size_t at : model.pages.positionsOf(objectId)) {
      const store::PageEntry& e = model.pages[at];
      if (!seen.insert(e.fileOffset.value).second) continue;
      page.resize(source.readAt(static_cast<std::uint64_t>(e.fileOffset.value), page));
      f(std::span<const std::uint8_t>(page), e);
      page.resize(static_cast<std::size_t>(scan.geometry.PageSize));
    }
  };

  // As the loader completes one folder: 4 KB / 8 KB stores read table 61 and every
  // long-value table; 32 KB stores the mailbox's message table and its long values.
  struct Pass {
    std::optional<std::string> mailboxKey;
    std::vector<std::uint32_t> attachmentTables;
    std::set<std::uint32_t> longValueTables;
  };
  std::vector<Pass> passes;
  if (large) {
    for (const TableEntry& t : model.messageTables) {
      Pass p{t.suffix, {t.objectId}, {}};
      for (const TableEntry& lv : model.longValueTables) {
        if (lv.ownerObjectId && *lv.ownerObjectId == static_cast<std::uint16_t>(t.objectId))
          p.longValueTables.insert(lv.objectId);
      }
      passes.push_back(std::move(p));
    }
  } else {
    Pass p{std::nullopt, {kAttachmentObjectId}, {}};
    for (const TableEntry& lv : model.longValueTables) p.longValueTables.insert(lv.objectId);
    passes.push_back(std::move(p));
  }

  // One per format: the formats run as parallel test processes.
  testing::ScratchDir work("attachment-work-" + testing::formatTestName(plan.format));
  Found found;
  for (const Pass& pass : passes) {
    MessageItemList items;
    for (const MessagePlan& m : plan.messages) {
      if (m.content.attachments.empty()) continue;
      const std::string& key = plan.mailboxes[plan.folders[m.folder].mailbox].keyText;
      if (pass.mailboxKey && *pass.mailboxKey != key) continue;
      MessageItem item;
      item.messageId = MessageId::fromBytes(identifierBytes(m.id));
      if (large) item.ownerKey = key;
      for (const AttachmentPlan& a : m.content.attachments) {
        item.attachmentIds.addAttachmentId(AttachmentId::fromBytes(identifierBytes(a.id)));
      }
      items.addMessageItem(std::move(item));
    }
    AttachmentScanner attachments(items, scan.geometry.PageSizeClass, model.AttachmentColumnList);
    for (std::uint32_t t : pass.attachmentTables) {
      visit(t, [&](std::span<const std::uint8_t> p, const store::PageEntry& e) {
        attachments.scanAttachmentPage(p, e.fileOffset, e.objectId, pass.mailboxKey);
      });
    }
    LongValueScanner chunks(items, scan.geometry.PageSizeClass, {large, true});
    for (std::uint32_t t : pass.longValueTables) {
      visit(t, [&](std::span<const std::uint8_t> p, const store::PageEntry& e) {
        chunks.scanLongValuePage(p, e.fileOffset);
      });
    }
    for (const MessageItem& item : items) {
      auto& list = found[testing::hexOf(std::string(item.messageId.bytes.begin(), item.messageId.bytes.end()))];
      for (const AttachmentItem& a : item.attachments) {
        ReadAttachment r;
        r.storedName = a.fileName;
        r.name = utf16ToUtf8(a.fileName);
        r.longValue = a.dataOffset.value == 0;
        r.data = content::readAttachmentData(source, scan.geometry, a, work.path() / "tempB.img");
        list.push_back(std::move(r));
      }
    }
  }
  return found;
}

class GeneratedAttachments : public ::testing::TestWithParam<StoreFormat> {
 protected:
  Scenario scenario() const {
    Scenario s;
    s.format = GetParam();
    s.randomSeed = 11;
    return s;
  }
};

TEST_P(GeneratedAttachments, PlanHoldsInlineLongValueAndAwkwardlyNamedAttachments) {
  const StorePlan plan = planOf(scenario());
  std::size_t inlineCount = 0, longValueCount = 0, appointments = 0, withoutLongName = 0;
  bool separator = false, parent = false, colon = false, beyondAscii = false;
  std::set<std::uint64_t> ids;
  for (const MessagePlan& m : plan.messages) {
    if (m.content.attachments.empty()) continue;
    EXPECT_LE(m.content.attachments.size(), 3u);
    if (plan.folders[m.folder].kind == 'a') ++appointments;
    for (const AttachmentPlan& a : m.content.attachments) {
      EXPECT_TRUE(ids.insert(a.id).second) << "identifier used twice";
      EXPECT_NE(a.data.size(), 4u) << "4 bytes of data make a 5-byte value, read as a long-value reference";
      (a.placement == ValuePlacement::Inline ? inlineCount : longValueCount)++;
      if (a.placement == ValuePlacement::Inline) {
        EXPECT_LE(a.data.size(), 1024u);
      }
      if (withoutLongFileName(a)) ++withoutLongName;
      separator |= a.fileName.find_first_of("/\\") != std::string::npos;
      parent |= a.fileName.find("..") != std::string::npos;
      colon |= a.fileName.find(':') != std::string::npos;
      beyondAscii |= std::any_of(a.fileName.begin(), a.fileName.end(), [](char c) { return (c & 0x80) != 0; });
    }
  }
  EXPECT_GT(inlineCount, 3u);
  EXPECT_GT(longValueCount, 3u);
  EXPECT_GT(appointments, 0u);
  EXPECT_GT(withoutLongName, 0u);
  EXPECT_TRUE(separator && parent && colon && beyondAscii);
}

TEST_P(GeneratedAttachments, ReadersGiveBackEveryPlannedAttachment) {
  testing::ScratchDir dir("attachments-" + testing::formatTestName(GetParam()));
  const Scenario s = scenario();
  const testing::GeneratedStore store = testing::generate(s, dir.path());
  const StorePlan plan = planOf(s);
  const Found found = readAttachments(store.edb, plan);

  std::size_t total = 0, separated = 0;
  for (const MessagePlan& m : plan.messages) {
    if (m.content.attachments.empty()) continue;
    const auto f = found.find(hexId(m.id));
    ASSERT_NE(f, found.end());
    ASSERT_EQ(f->second.size(), m.content.attachments.size()) << "message " << hexId(m.id);
    // Pages come in the scan's order, so a message's attachments may too.
    for (const AttachmentPlan& want : m.content.attachments) {
      const auto got = std::find_if(f->second.begin(), f->second.end(),
                                    [&](const ReadAttachment& r) { return r.name == want.fileName; });
      ASSERT_NE(got, f->second.end()) << want.fileName << " of message " << hexId(m.id);
      EXPECT_EQ(got->longValue, want.placement == ValuePlacement::LongValue) << want.fileName;
      ASSERT_TRUE(got->data.has_value()) << want.fileName << " of " << want.data.size() << " bytes";
      EXPECT_EQ(got->data->size(), want.data.size()) << want.fileName;
      EXPECT_TRUE(*got->data == want.data) << want.fileName;
      ++total;
      separated += got->longValue;
    }
  }
  EXPECT_GT(total, 10u);
  EXPECT_GT(separated, 3u);

  // The manifest says the same: every message's attachments by name, size and digest.
  std::size_t described = 0;
  for (const auto& m : store.manifest["messages"]) {
    const auto f = found.find(m["id"].get<std::string>());
    const std::size_t count = m.contains("attachments") ? m["attachments"].size() : 0;
    ASSERT_EQ(f == found.end() ? 0 : f->second.size(), count) << "message " << m["id"];
    for (const auto& a : m.contains("attachments") ? m["attachments"] : nlohmann::json::array()) {
      const auto got = std::find_if(f->second.begin(), f->second.end(),
                                    [&](const ReadAttachment& r) { return r.name == a["name"]; });
      ASSERT_NE(got, f->second.end()) << a["name"];
      ASSERT_TRUE(got->data.has_value());
      EXPECT_EQ(got->data->size(), a["size"].get<std::size_t>());
      EXPECT_EQ(sha256Hex(*got->data), a["sha256"]) << a["name"];
      ++described;
    }
  }
  EXPECT_EQ(described, total);
}

TEST_P(GeneratedAttachments, AwkwardNamesBecomeFilesInsideTheOutputFolder) {
  const StorePlan plan = planOf(scenario());
  const fs::path out = "/out";
  std::size_t changed = 0;
  for (const MessagePlan& m : plan.messages) {
    for (const AttachmentPlan& a : m.content.attachments) {
      const std::u16string safe = content::safeFileName(utf8ToUtf16(a.fileName));
      EXPECT_EQ(safe.find_first_of(u"/\\:"), std::u16string::npos) << a.fileName;
      const fs::path file = (out / fs::path(utf16ToUtf8(safe))).lexically_normal();
      EXPECT_EQ(file.parent_path(), out) << a.fileName;
      EXPECT_NE(file.filename(), "..");
      changed += safe != utf8ToUtf16(a.fileName);
    }
  }
  EXPECT_GT(changed, 0u);
}

TEST_P(GeneratedAttachments, EsedbexportDecodesTheAttachmentRows) {
  if (!testing::toolAvailable("esedbexport")) GTEST_SKIP() << "esedbexport not installed";
  testing::ScratchDir dir("attachments-oracle-" + testing::formatTestName(GetParam()));
  const Scenario s = scenario();
  const testing::GeneratedStore store = testing::generate(s, dir.path());
  const StorePlan plan = planOf(s);
  const auto result =
      testing::run("esedbexport -t '" + (dir.path() / "export").string() + "' '" + store.edb.string() + "'");
  ASSERT_EQ(result.status, 0) << result.output;
  // Every table that holds attachment rows, with the rows it should hold.
  std::vector<std::pair<std::string, std::vector<AttachmentPlan>>> tables;
  if (s.format == StoreFormat::Exchange2010) {
    for (std::size_t i = 0; i < plan.mailboxes.size(); ++i) {
      std::vector<MessagePlan> mine;
      for (const MessagePlan& m : plan.messages) {
        if (plan.folders[m.folder].mailbox == i) mine.push_back(m);
      }
      tables.emplace_back("Body-" + plan.mailboxes[i].keyText, attachmentsInRowOrder(mine));
    }
  } else {
    tables.emplace_back("Attachments", attachmentsInRowOrder(plan.messages));
  }
  // The column that holds the identifier: the key itself in 32 KB stores.
  const std::string idColumn = s.format == StoreFormat::Exchange2010 ? "MsgDocId" : "AttachId";
  std::size_t checked = 0;
  for (const auto& [name, rows] : tables) {
    const testing::ExportedTable t = testing::readExport(dir.path() / "export.export", name);
    std::map<std::string, std::size_t> byId;
    for (std::size_t r = 0; r < t.rows.size(); ++r) byId.emplace(t.value(r, idColumn), r);
    for (const AttachmentPlan& a : rows) {
      const auto found = byId.find(std::to_string(static_cast<std::int64_t>(a.id)));
      ASSERT_NE(found, byId.end()) << name << ": no row for " << a.fileName;
      std::string shown;  // esedbexport doubles backslashes
      for (char c : a.fileName) shown += c == '\\' ? std::string("\\\\") : std::string(1, c);
      EXPECT_EQ(t.value(found->second, "S3704"), shown) << name;
      if (a.placement == ValuePlacement::Inline) {
        EXPECT_EQ(t.value(found->second, "N3701"), testing::hexOf(std::string(a.data.begin(), a.data.end())))
            << a.fileName;
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 10u);
}

INSTANTIATE_TEST_SUITE_P(Formats, GeneratedAttachments,
                         ::testing::Values(StoreFormat::Exchange2003, StoreFormat::Exchange2007,
                                           StoreFormat::Exchange2010),
                         [](const auto& info) { return testing::formatTestName(info.param); });

}  // namespace
}  // namespace tarnwick::storegen
