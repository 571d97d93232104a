#include "tools/storegen/ExchangeSkeleton.h"

#include <cstdio>

#include "tools/storegen/AttachmentPlanning.h"
#include "tools/storegen/AttachmentRows.h"
#include "tools/storegen/FillMessages.h"
#include "tools/storegen/FolderRows.h"
#include "tools/storegen/HeaderRows.h"
#include "tools/storegen/MailboxRows.h"
#include "tools/storegen/MessageContentPlanning.h"
#include "tools/storegen/MessageRows.h"
#include "tools/storegen/RowValues.h"
#include "tools/storegen/StreamedMessagePlanning.h"

namespace tarnwick::storegen {

namespace cat = ese::catalogue;

namespace {
constexpr char kHeaderTemplateName[] = "MsgHeaderTemplate";
}  // namespace

SkeletonPages skeletonPagesOf(StoreFormat format) {
  switch (format) {
    case StoreFormat::Exchange2003:
      return {PageNumber{140}, PageNumber{112}, PageNumber{97}, PageNumber{236}, PageNumber{359}};
    case StoreFormat::Exchange2007:
      return {PageNumber{54}, PageNumber{50}, PageNumber{35}, PageNumber{142}, PageNumber{179}};
    case StoreFormat::Exchange2010: break;
  }
  return {PageNumber{36}, PageNumber{0}, PageNumber{0}, PageNumber{0}, PageNumber{44}};
}

std::array<std::uint8_t, 8> identifierBytes(std::uint64_t id) {
  std::array<std::uint8_t, 8> b{};
  for (int i = 0; i < 8; ++i) b[i] = static_cast<std::uint8_t>(id >> (8 * i));
  return b;
}

std::string mailboxKeyText(const std::array<std::uint8_t, 8>& id) {
  char buf[4];
  std::snprintf(buf, sizeof buf, "%x", id[0]);
  std::string text = buf;
  text += "-";
  std::size_t start = 0;
  for (std::size_t i = 2; i < 8; ++i) {
    if (id[i] != 0) {
      start = i;
      break;
    }
  }
  bool first = true;
  for (std::size_t i = start; i < 8; ++i) {
    if (id[i] == 0) {
      text += "00";
    } else {
      std::snprintf(buf, sizeof buf, first ? "%x" : "%02x", id[i]);
      text += buf;
    }
    first = false;
  }
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

namespace {

void addProperties(TableDef& t, std::initializer_list<const char*> names, std::uint16_t firstId = 256) {
  std::uint16_t id = firstId;
  for (const char* n : names) t.columns.push_back(property(id++, n));
}

RowSource noRows() {
  return [](Row&) { return false; };
}

TableDef attachmentTable(const std::string& name) {
  TableDef t;
  t.name = name;
  t.primaryIndexName = "AttachDocIdIndex";
  t.scannableLongValues = true;
  t.columns.push_back(column(1, "AttachDocId", ColumnType::Long));
  addProperties(t, {"N3701", "S3704", "S3707", "L0e20", "S3001"});
  return t;
}

}  // namespace

void addExchangeSkeleton(const Scenario& scenario, Rng& rng, StorePlan& plan) {
  const SkeletonPages pages = skeletonPagesOf(scenario.format);
  for (std::uint32_t i = 0; i < scenario.mailboxes; ++i) {
    MailboxPlan m;
    // A small first byte, then a zero, then six bytes of which the last four vary.
    m.id = (1 + rng.below(15)) | (rng.next() & 0xFFFFFFFF00000000ull);
    m.keyText = mailboxKeyText(identifierBytes(m.id));
    m.name = mailboxDisplayName(i);
    plan.mailboxes.push_back(m);
  }
  plan.folders = planFolders(plan.mailboxes, scenario.foldersPerMailbox, rng);
  std::vector<std::uint64_t> mailboxIds;
  for (const auto& m : plan.mailboxes) mailboxIds.push_back(m.id);
  plan.messages = planMessages(plan.folders, mailboxIds, scenario.messagesPerFolder, rng);
  // Content gets its own rng streams, so that what the headers hold does not move when the
  // content plan changes.
  Rng contentRng(scenario.randomSeed ^ 0xC0417E47ull);
  planMessageContent(plan, contentRng);
  Rng attachmentRng(scenario.randomSeed ^ 0xA77AC4ull);
  planAttachments(plan, attachmentRng);
  if (scenario.format == StoreFormat::Exchange2003) {
    Rng streamRng(scenario.randomSeed ^ 0x57EA4ull);
    planStreamedMessages(plan, streamRng);
  }
  if (scenario.fillBytes) addFillMessages(plan, scenario.fillBytes);
  TableDef mailbox = mailboxTable();
  mailbox.rootPage = pages.mailbox;
  plan.tables.push_back({mailbox, mailboxRows(plan.mailboxes)});

  if (scenario.format != StoreFormat::Exchange2010) {
    TableDef folders = smallFolderTable("Folders", kFoldersInitialPages);
    folders.objectId = ObjectId{kFoldersObjectId};
    folders.rootPage = pages.folders;
    plan.tables.push_back({folders, smallFolderRows(plan.folders, plan.mailboxes)});

    TableDef msg = messageTable("Msg", scenario.format);
    msg.objectId = ObjectId{kMessageObjectId};
    msg.rootPage = pages.message;
    msg.longValueRootPage = pages.longValues;
    plan.tables.push_back({msg, messageRows(plan.messages, scenario.format)});

    TableDef attachments = smallAttachmentTable("Attachments");
    attachments.objectId = ObjectId{kAttachmentObjectId};
    attachments.rootPage = pages.attachments;
    plan.tables.push_back({attachments, smallAttachmentRows(plan.messages)});

    // Per-folder header tables derive their columns from one template table; their
    // catalogue rows then name the template after a NULL "Stats".
    TableDef headerTemplate = smallHeaderTemplate(kHeaderTemplateName);
    headerTemplate.isTemplate = true;
    plan.tables.push_back({headerTemplate, noRows()});
    for (std::size_t f = 0; f < plan.folders.size(); ++f) {
      TableDef header;
      header.name = smallHeaderTableName(plan.folders[f].id);
      header.templateName = kHeaderTemplateName;
      header.inheritsColumns = true;
      header.hasLongValues = false;
      header.primaryIndexName = "MsgDocIdIndex";
      std::vector<MessagePlan> mine;
      for (const auto& m : plan.messages) {
        if (m.folder == f) mine.push_back(m);
      }
      plan.tables.push_back({header, smallHeaderRows(std::move(mine))});
    }
    return;
  }

  for (std::size_t i = 0; i < plan.mailboxes.size(); ++i) {
    const std::string& key = plan.mailboxes[i].keyText;
    std::vector<FolderPlan> mine;
    for (const auto& f : plan.folders) {
      if (f.mailbox == i) mine.push_back(f);
    }
    plan.tables.push_back({largeFolderTable("Folders-" + key), largeFolderRows(std::move(mine))});
    std::vector<MessagePlan> messages;
    for (const auto& m : plan.messages) {
      if (plan.folders[m.folder].mailbox == i) messages.push_back(m);
    }
    TableDef body = messageTable("Body-" + key, scenario.format);
    addLargeAttachmentColumns(body);  // 32 KB stores keep attachment rows in the message table
    if (i == 0) body.longValueRootPage = pages.longValues;
    plan.tables.push_back({body, withLargeAttachmentRows(body, messageRows(messages, scenario.format), messages)});
    plan.tables.push_back({largeHeaderTable("MsgHeader-" + key), largeHeaderRows(std::move(messages))});
    plan.tables.push_back({attachmentTable("Attachment-" + key), noRows()});
  }
}

}  // namespace tarnwick::storegen
