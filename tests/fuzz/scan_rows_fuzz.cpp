// The row parsers on raw bytes: mailbox records, folder rows of both store formats, and
// the header rows and header-table names of a page made from the input.
#include "analysis/FolderRow.h"
#include "analysis/HeaderRow.h"
#include "analysis/HeaderTableNames.h"
#include "store/MailboxRecord.h"
#include "store/StoreGeometry.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnwick;
  using namespace tarnwick::analysis;
  const std::span<const std::uint8_t> input(data, size);

  for (store::PageSizeClass cls :
       {store::PageSizeClass::Page4K, store::PageSizeClass::Page8K, store::PageSizeClass::Page32K}) {
    store::MailboxRecordParser parser(cls);
    for (int i = 0; i < 2; ++i) {
      auto m = parser.parse(input);
      if (m && (m->name.empty() || m->name.size() > store::kMaxMailboxNameChars)) std::abort();
    }
  }

  MailboxIdIndex mailboxes;
  if (size >= 16) {
    mailboxes.add(FolderId::fromBytes(input.subspan(0, 8)));
    mailboxes.add(FolderId::fromBytes(input.subspan(8, 8)));
  }
  const std::uint16_t classColumn = size >= 18 ? static_cast<std::uint16_t>(data[16] | (data[17] << 8)) : 0x0147;
  for (auto row : {parseFolderRowSmall(input, mailboxes, classColumn), parseFolderRowLarge(input, classColumn)}) {
    if (row && row->name.size() > kMaxFolderNameChars) std::abort();
  }

  // The input as a page of each size: its start holds the header, its end the tags.
  for (std::size_t pageSize : {std::size_t{4096}, std::size_t{8192}, std::size_t{32768}}) {
    std::vector<std::uint8_t> page(pageSize, 0);
    const std::size_t half = std::min(size, pageSize / 2);
    std::copy(data, data + half, page.begin());
    std::copy(data + size - half, data + size, page.end() - static_cast<std::ptrdiff_t>(half));
    const store::PageSizeClass cls = store::pageSizeClassFor(static_cast<std::uint32_t>(pageSize));
    HeaderTableInfo table{mailboxes.empty() ? FolderId{} : mailboxes[0],
                          size > 20 ? static_cast<FolderKind>(data[20] % 6) : FolderKind::Calendar, std::nullopt};
    HeaderColumns columns;
    columns.subjectPrefix = classColumn;
    columns.normalizedSubject = static_cast<std::uint16_t>(classColumn + 1);
    columns.senderName = static_cast<std::uint16_t>(classColumn + 2);
    for (const auto& h : parseHeaderRows(page, cls, table, columns, store::FileOffset(0))) {
      if (std::size_t{h.primaryOffset} + h.primaryLength > pageSize ||
          std::size_t{h.secondaryOffset} + h.secondaryLength > pageSize ||
          std::size_t{h.thirdOffset} + h.thirdLength > pageSize)
        std::abort();
    }
    findHeaderTableCandidates(page, cls);
  }
  return 0;
}
