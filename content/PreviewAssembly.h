#pragma once

#include "analysis/MessageItems.h"
#include "content/MhtNaming.h"
#include "content/PreviewKind.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::content {

// Display limits of the preview's header texts.
struct PreviewLimits {
  static constexpr std::size_t kTo = 160;
  static constexpr std::size_t kSubject = 136;
  static constexpr std::size_t kAttachments = 150;
};

// A text longer than `limit` characters becomes its first `limit` characters and "...".
std::u16string cutText(std::u16string_view text, std::size_t limit);

// The file names of the item's attachments in list order, joined with ", ".
std::u16string attachmentText(const analysis::MessageItem& item);

// What the preview pane shows for one item.
struct PreviewData {
  std::u16string from;
  std::u16string date;
  std::u16string to;               // cut to its limit
  std::u16string subject;          // cut to its limit
  std::u16string attachments;      // cut to its limit; empty hides the attachment line
  std::filesystem::path bodyPath;  // empty: no body to show
  bool rtf = false;                // the body file is RTF (rich text view), else a browser page
  PreviewKind kind = PreviewKind::Other;
  std::vector<std::u16string> summaryLines;  // contacts and appointments
};

// The store files a preview reads.
struct PreviewSources {
  const store::ByteSource& database;
  const store::ByteSource* streamingFile;  // null when none is open
  store::StoreGeometry geometry;
  std::filesystem::path workingDirectory;  // where body files and the working file go
};

// Builds the preview of an item that the loader has completed in single mode: the row's
// From, Subject and Date texts, the recipients read from the item's recipient value, the
// body written to its body file (a streamed message extracted and renamed to a fresh
// ".mht"), the attachment names and the contact or appointment lines. `folderKind` is the
// listed folder's kind.
PreviewData assemblePreview(const analysis::MessageItem& item, analysis::FolderKind folderKind,
                            std::u16string_view from, std::u16string_view subject, std::u16string_view date,
                            const PreviewSources& sources, MhtNaming& mhtNaming);

}  // namespace tarnwick::content
