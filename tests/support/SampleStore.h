#pragma once

// A small 4 KB store with everything the five steps look for: a catalogue at page 4, a
// mailbox table with two mailboxes, a folder table with their folders and one
// message-header table per folder that holds messages.

#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

#include <string>
#include <vector>

namespace tarnwick::testing {

struct SampleMessage {
  Id8 folder;
  Id8 id;
  HeaderRowText text;
};

struct SampleStore {
  static constexpr std::uint32_t kPageSize = 4096;
  static constexpr std::uint32_t kMailboxTable = 20;
  static constexpr std::uint32_t kMailboxRoot = 10;
  static constexpr std::uint32_t kFolderTable = 30;
  static constexpr std::uint32_t kFolderRoot = 12;
  static constexpr std::uint16_t kPrefixColumn = 0x0120;
  static constexpr std::uint16_t kSubjectColumn = 0x0121;

  // Mailboxes: Alice (04 .. 56) and Bob.
  Id8 alice{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};
  Id8 bob{0x05, 0, 0, 0, 0x11, 0x22, 0x33, 0x44};
  // Folders: ids whose first byte is a single hex digit and second byte zero, so that their
  // header-table names read "N-..".
  Id8 aliceInbox{0x01, 0, 0, 0, 0, 0, 0, 0x1C};
  Id8 aliceSent{0x02, 0, 0, 0, 0, 0, 0, 0x1D};
  Id8 aliceCalendar{0x03, 0, 0, 0, 0, 0, 0, 0x1E};
  Id8 aliceProjects{0x06, 0, 0, 0, 0, 0, 0, 0x20};  // below Inbox
  Id8 bobInbox{0x07, 0, 0, 0, 0, 0, 0, 0x21};
  Id8 orphan{0x08, 0, 0, 0, 0, 0, 0, 0x22};  // parent unknown: never reaches the tree
  Id8 nowhere{0x09, 9, 9, 9, 9, 9, 9, 9};

  std::vector<SampleMessage> messages() const {
    return {
        {aliceInbox, {0x10, 1, 0, 0, 0, 0, 0, 1}, {u"RE: ", u"Budget", u"Carol"}},
        {aliceInbox, {0x10, 2, 0, 0, 0, 0, 0, 2}, {u"", u"Lunch", u"Dave"}},
        {aliceProjects, {0x10, 3, 0, 0, 0, 0, 0, 3}, {u"", u"Plan", u"Erin"}},
        {bobInbox, {0x10, 4, 0, 0, 0, 0, 0, 4}, {u"FW: ", u"News", u"Frank"}},
    };
  }

  // The folders that have a header table, with the table's object id and page.
  struct Table {
    Id8 folder;
    std::uint32_t objectId;
    std::uint32_t page;
  };
  std::vector<Table> tables() const {
    return {{aliceInbox, 50, 20}, {aliceProjects, 51, 21}, {bobInbox, 52, 22}, {aliceCalendar, 53, 23}};
  }

  static std::string HeaderName(const Id8& id) {
    // The ids above give "N-XX".
    char text[16];
    std::snprintf(text, sizeof text, "%X-%X", id[0], id[7]);
    return text;
  }

  Bytes bytes() const {
    StoreImage file(kPageSize, 40);
    PageBytes catalogue(kPageSize, 2);
    catalogue.add(tableRecord("Mailbox", kMailboxTable, kMailboxRoot))
        .add(tableRecord("Folders", kFolderTable, kFolderRoot, 1, 9))
        .add(columnRecord("S3d001f", 40, kPrefixColumn))
        .add(columnRecord("Se1d001f", 40, kSubjectColumn));
    for (const Table& t : tables()) catalogue.add(smallHeaderTableRecord(HeaderName(t.folder), t.objectId, t.page));
    file.page(4, catalogue.bytes());

    PageBytes mailboxes(kPageSize, kMailboxTable);
    mailboxes.add(mailboxRecordSmall(alice, u"Alice")).add(mailboxRecordSmall(bob, u"Bob"));
    file.page(kMailboxRoot, mailboxes.bytes());

    PageBytes folders(kPageSize, kFolderTable);
    // A child row before its parent's row: the tree is built after all rows are read.
    folders.add(folderRowSmall(aliceProjects, aliceInbox, alice, u"Projects", u"IPF.Note"))
        .add(folderRowSmall(aliceInbox, alice, alice, u"Inbox", u"IPF.Note"))
        .add(folderRowSmall(aliceSent, alice, alice, u"Sent Items", u"IPF.Note"))
        .add(folderRowSmall(aliceCalendar, alice, alice, u"Calendar", u"IPF.Appointment"))
        .add(folderRowSmall(bobInbox, bob, bob, u"Inbox", u"IPF.Note"))
        .add(folderRowSmall(orphan, nowhere, bob, u"Lost", u"IPF.Note"));
    file.page(kFolderRoot, folders.bytes());

    for (const Table& t : tables()) {
      PageBytes page(kPageSize, t.objectId);
      for (const SampleMessage& m : messages()) {
        if (m.folder == t.folder) {
          page.add(headerRowSmall(m.folder, m.id, kTime2020, m.text, kPrefixColumn, kSubjectColumn));
        }
      }
      file.page(t.page, page.bytes());
    }
    return file.bytes();
  }
};

}  // namespace tarnwick::testing
