#include "content/PreviewAssembly.h"

#include "content/BodyFile.h"
#include "content/ItemSummary.h"
#include "content/RecipientExtraction.h"
#include "content/StoredValueReader.h"
#include "content/StreamedMessage.h"

namespace tarnwick::content {

namespace {

constexpr const char* kWorkingFileName = "tempB.img";
constexpr const char* kStreamedFileName = "TarnBody.eml";

std::vector<ChunkLocation> chunkLocations(const analysis::ChunkList& chunks) {
  std::vector<ChunkLocation> out;
  out.reserve(chunks.size());
  for (const analysis::ChunkRef& c : chunks) {
    if (c.fileOffset.value < 0) continue;
    out.push_back({static_cast<std::uint64_t>(c.fileOffset.value), c.chunkStart});
  }
  return out;
}

std::uint64_t position(store::FileOffset offset) {
  return offset.value < 0 ? 0 : static_cast<std::uint64_t>(offset.value);
}

}  // namespace

std::u16string cutText(std::u16string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::u16string(text);
  return std::u16string(text.substr(0, limit)) + u"...";
}

std::u16string attachmentText(const analysis::MessageItem& item) {
  std::u16string text;
  for (const analysis::AttachmentItem& a : item.attachments) {
    if (a.fileName.empty()) continue;
    if (!text.empty()) text += u", ";
    text += a.fileName;
  }
  return text;
}

PreviewData assemblePreview(const analysis::MessageItem& item, analysis::FolderKind folderKind,
                            std::u16string_view from, std::u16string_view subject, std::u16string_view date,
                            const PreviewSources& sources, MhtNaming& mhtNaming) {
  PreviewData p;
  p.kind = previewKindOf(folderKind);
  if (previewKindOf(item.kind) != PreviewKind::Other) p.kind = previewKindOf(item.kind);
  p.from = std::u16string(from);
  p.date = std::u16string(date);
  p.subject = cutText(subject, PreviewLimits::kSubject);
  std::vector<ChunkLocation> recipientChunks = chunkLocations(item.bodyChunksB);
  p.to = cutText(extractRecipients(sources.database, sources.geometry, recipientChunks,
                                   position(item.recipientPosition), item.recipientLength),
                 PreviewLimits::kTo);
  p.attachments = cutText(attachmentText(item), PreviewLimits::kAttachments);

  std::vector<ChunkLocation> bodyChunks = chunkLocations(item.bodyChunksA);
  StoredValueLocation where{position(item.bodyPosition), item.bodyLength};
  if (item.bodySource == store::BodySource::StreamingFile) {
    std::filesystem::path eml = sources.workingDirectory / kStreamedFileName;
    if (extractStreamedMessage(sources.database, sources.streamingFile, sources.geometry, bodyChunks, where,
                               eml.string())) {
      p.bodyPath = mhtNaming.showNext(eml);
    }
  } else if (std::optional<StoredBody> body =
                 readStoredValue(sources.database, sources.geometry, bodyChunks, item.bodySource, where,
                                 sources.workingDirectory / kWorkingFileName)) {
    p.bodyPath = writeBodyFile(*body, sources.workingDirectory);
    p.rtf = body->form == BodyForm::Rtf && !p.bodyPath.empty();
  }

  if (p.kind == PreviewKind::Contact) {
    p.summaryLines = contactSummaryLines(item.properties.empty() ? nullptr : &item.properties[0]);
  } else if (p.kind == PreviewKind::Appointment) {
    p.summaryLines = appointmentSummaryLines(item.appointment ? &*item.appointment : nullptr);
  }
  return p;
}

}  // namespace tarnwick::content
