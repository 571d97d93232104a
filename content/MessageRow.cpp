#include "content/MessageRow.h"

#include <utility>

namespace tarnwick::content {

namespace {
constexpr std::u16string_view kSentItems = u"Sent Items";
constexpr std::u16string_view kMailboxPrefix = u"Mailbox - ";
}  // namespace

int itemIcon(analysis::FolderKind kind) {
  switch (kind) {
    case analysis::FolderKind::Calendar: return MessageListImages::kAppointment;
    case analysis::FolderKind::Contacts: return MessageListImages::kContact;
    case analysis::FolderKind::Journal: return MessageListImages::kJournal;
    case analysis::FolderKind::Notes: return MessageListImages::kNote;
    case analysis::FolderKind::Tasks: return MessageListImages::kTask;
    case analysis::FolderKind::Other: break;
  }
  return MessageListImages::kMail;
}

const std::u16string& SortRecord::columnText(int column) const {
  switch (column) {
    case 0: return constant;
    case 1: return attachmentFlag;
    case 2: return from;
    default: return subject;
  }
}

std::u16string fromText(std::u16string_view sender, analysis::FolderKind itemKind, const ListedFolder& folder,
                        std::u16string_view mailboxText) {
  const bool sentItems = folder.name == kSentItems;
  if (!sentItems && !sender.empty()) return std::u16string(sender);
  const bool ownItem = itemKind == analysis::FolderKind::Notes || itemKind == analysis::FolderKind::Contacts ||
                       itemKind == analysis::FolderKind::Calendar;
  if (!(sender.empty() && ownItem) && !sentItems) return {};
  std::u16string text(mailboxText);
  std::size_t prefix = text.find(kMailboxPrefix);
  if (prefix != std::u16string::npos) text.erase(prefix, kMailboxPrefix.size());
  std::erase(text, u'\\');
  return text;
}

std::optional<MessageRow> makeMessageRow(const analysis::MessageItem& item, const HeaderTexts& texts,
                                         const ListedFolder& folder, std::u16string_view mailboxText) {
  std::optional<LocalTimeParts> time = listTimeParts(item.time);
  if (!time || !isListedDate(*time)) return std::nullopt;
  return makeMessageRow(item, texts, folder, mailboxText, *time);
}

MessageRow makeMessageRow(const analysis::MessageItem& item, HeaderTexts texts, const ListedFolder& folder,
                          std::u16string_view mailboxText, const LocalTimeParts& time) {
  MessageRow row;
  row.icon = itemIcon(item.kind);
  row.attachmentMark = !item.attachmentIds.empty();
  row.from = fromText(texts.sender, item.kind, folder, mailboxText);
  if (item.primaryOffset != 0 || item.secondaryOffset != 0) row.subject = std::move(texts.subject);
  row.date = formatDisplayTime(time);
  row.sort.attachmentFlag = row.attachmentMark ? u"1" : u"0";
  row.sort.from = row.from;
  row.sort.subject = row.subject;
  row.sort.date = sortTimeText(time);
  row.sort.messageId = item.messageId;
  return row;
}

}  // namespace tarnwick::content
