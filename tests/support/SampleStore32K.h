#pragma once

// A small 32 KB store: one mailbox whose folders come from the folder table named after
// its mailbox key, with 7-bit packed names and classes, and one message-header table for
// the whole mailbox.

#include "tests/support/CatalogueRecords.h"
#include "tests/support/PageBytes.h"
#include "tests/support/RowBytes.h"

namespace tarnwick::testing {

struct SampleStore32K {
  static constexpr std::uint32_t kPageSize = 32768;
  Id8 mailbox{0x04, 0, 0, 0, 0x48, 0xA0, 0x67, 0x56};
  Id8 inbox{0x21, 0, 0, 0, 0, 0, 0, 0x31};
  Id8 contacts{0x22, 0, 0, 0, 0, 0, 0, 0x32};
  Id8 archive{0x23, 0, 0, 0, 0, 0, 0, 0x33};  // below Inbox, a name that is not packed

  Bytes bytes() const {
    StoreImage file(kPageSize, 24);
    PageBytes catalogue(kPageSize, 2);
    catalogue.add(tableRecord("Mailbox", 20, 10))
        .add(tableRecord("Folders-4-48A06756", 30, 12, 1, 9))
        .add(columnRecord("S3613001f", 30, 0x3613))
        .add(columnRecord("Se1d001f", 70, 0x4003))
        .add(columnRecord("S3d001f", 70, 0x4002))
        .add(columnRecord("S42001f", 70, 0x4001))
        .add(largeHeaderTableRecord("MsgHeader-4-48A06756", 70, 20));
    file.page(4, catalogue.bytes());
    file.page(10, PageBytes(kPageSize, 20).add(mailboxRecordLarge(mailbox, "Alice")).bytes());
    file.page(12, PageBytes(kPageSize, 30)
                      .add(folderRowLarge(inbox, mailbox, packedValue("Inbox"), packedValue("IPF.Note")))
                      .add(folderRowLarge(contacts, mailbox, packedValue("Contacts"), packedValue("IPF.Contact")))
                      .add(folderRowLarge(archive, inbox, plainValue(u"Archiv \u00e4lter"), packedValue("IPF.Note")))
                      .bytes());
    file.page(20,
              PageBytes(kPageSize, 70)
                  .add(headerRowLarge(inbox, {0x51, 1, 0, 0, 0, 0, 0, 1}, kTime2020, {u"RE: ", u"Budget", u"Carol"}))
                  .add(headerRowLarge(inbox, {0x51, 2, 0, 0, 0, 0, 0, 2}, kTime2020, {u"", u"Lunch", u"Dave"}))
                  .add(headerRowLarge(archive, {0x51, 3, 0, 0, 0, 0, 0, 3}, kTime2020, {u"", u"Old", u"Erin"}))
                  .bytes());
    return file.bytes();
  }
};

}  // namespace tarnwick::testing
