#pragma once

#include "analysis/FolderKind.h"
#include "analysis/MessageItems.h"
#include "content/DisplayTime.h"
#include "content/HeaderTexts.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnwick::content {

// Images of the message list's image list that rows use.
struct MessageListImages {
  static constexpr int kAppointment = 0;
  static constexpr int kContact = 1;
  static constexpr int kJournal = 5;
  static constexpr int kNote = 7;
  static constexpr int kTask = 10;
  static constexpr int kMail = 12;
  static constexpr int kAttachment = 16;
};

// The icon of a row by the item's kind.
int itemIcon(analysis::FolderKind kind);

// What a row is sorted by: five texts (a constant "1", the attachment flag "1"/"0",
// From, Subject, the sortable date) and the message id that finds the item again.
struct SortRecord {
  std::u16string constant = u"1";
  std::u16string attachmentFlag;
  std::u16string from;
  std::u16string subject;
  std::u16string date;
  analysis::MessageId messageId;

  // The text sorted by for list column 0..3.
  const std::u16string& columnText(int column) const;
};

// One row of the message list.
struct MessageRow {
  int icon = MessageListImages::kMail;
  bool attachmentMark = false;
  std::u16string from;
  std::u16string subject;
  std::u16string date;  // the display text of the message time
  SortRecord sort;
};

// The folder a list is shown for, as the rows need it.
struct ListedFolder {
  std::u16string name;
  analysis::FolderKind kind = analysis::FolderKind::Other;
};

// The From text: the sender; or, for items without a sender that are notes, contacts or
// appointments, and for every item of a folder named "Sent Items", the mailbox text with
// its "Mailbox - " prefix and backslashes removed.
std::u16string fromText(std::u16string_view sender, analysis::FolderKind itemKind, const ListedFolder& folder,
                        std::u16string_view mailboxText);

// The row of one item, or nothing when its date is not one the list shows (a time that
// cannot be converted, or a year outside 1980..2099).
std::optional<MessageRow> makeMessageRow(const analysis::MessageItem& item, const HeaderTexts& texts,
                                         const ListedFolder& folder, std::u16string_view mailboxText);
// The same row for an item whose listed time is already known (`listTimeParts` of its time,
// a date the list shows).
MessageRow makeMessageRow(const analysis::MessageItem& item, HeaderTexts texts, const ListedFolder& folder,
                          std::u16string_view mailboxText, const LocalTimeParts& time);

}  // namespace tarnwick::content
