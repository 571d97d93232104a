#include "cli/ShowCommand.h"

#include "analysis/ScanSummary.h"
#include "cli/ExitCodes.h"
#include "cli/StoreSession.h"
#include "content/AttachmentData.h"
#include "content/HeaderTexts.h"
#include "content/MessageListFill.h"
#include "content/PreviewAssembly.h"
#include "content/SafeFileName.h"
#include "export/FileTreeStore.h"
#include "platform/CodePage.h"
#include "platform/NewFile.h"
#include "platform/TempDirectory.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace tarnwick::cli {
namespace {

struct ShowOptions {
  std::string store;
  std::string stm;
  std::string folder;
  std::string message;
  std::string bodyOut;
  std::string attachmentsOut;
  bool json = false;
};

std::optional<analysis::MessageId> parseId(const std::string& hex) {
  if (hex.size() != 16) return std::nullopt;
  analysis::MessageId id;
  for (std::size_t i = 0; i < 8; ++i) {
    unsigned value = 0;
    if (std::sscanf(hex.substr(2 * i, 2).c_str(), "%2x", &value) != 1) return std::nullopt;
    id.bytes[i] = static_cast<std::uint8_t>(value);
  }
  return id;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* bodyFormName(const std::filesystem::path& path) {
  const std::string ext = path.extension().string();
  if (ext == ".txt") return "text";
  if (ext == ".html") return "html";
  if (ext == ".rtf") return "rtf";
  if (ext == ".mht") return "eml";
  return "none";
}

// The body as text: UTF-16 files converted to UTF-8, the others as they are.
std::string bodyText(const std::filesystem::path& path) {
  if (path.empty()) return {};
  std::string bytes = readFile(path);
  if (path.extension() != ".txt") return bytes;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(
        static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return utf16ToUtf8(text);
}

int runShow(const ShowOptions& options) {
  std::optional<analysis::MessageId> id = parseId(options.message);
  if (!id) {
    std::fprintf(stderr, "tarnwick: '%s' is not a message id (16 hex digits)\n", options.message.c_str());
    return kExitUsage;
  }
  session::StoreSession session;
  if (std::optional<int> failed = openStoreSession(session, options.store, options.stm)) return *failed;
  const analysis::FolderNode* folder = session.findFolder(options.folder);
  if (folder == nullptr) {
    std::fprintf(stderr, "tarnwick: no folder '%s' in '%s'\n", options.folder.c_str(), options.store.c_str());
    return kExitUsage;
  }
  session.loadFolder(*folder);
  analysis::MessageItemList& items = session.model().messages;
  std::optional<std::size_t> at = session.findListedItem(*folder, *id);
  std::optional<content::MessageRow> row;
  if (at) {
    row = content::makeMessageRow(items[*at],
                                  content::readHeaderTexts(*session.database(), session.geometry(), items[*at]),
                                  {folder->name, folder->kind}, session.tree().mailboxNameFor(folder->treeItem));
  }
  if (!row) {
    std::fprintf(stderr, "tarnwick: no message %s listed in folder '%s' of '%s'\n", options.message.c_str(),
                 options.folder.c_str(), options.store.c_str());
    return kExitUsage;
  }
  // Attachment data is loaded whether or not it is saved: the sizes shown are those saved.
  content::LoadControl control;
  control.attachmentData = true;
  session.loadItem(*folder, *at, control);
  const analysis::MessageItem& item = items[*at];
  content::MhtNaming naming;
  content::PreviewSources sources{*session.database(), session.streaming(), session.geometry(), privateTempDirectory()};
  content::PreviewData preview =
      content::assemblePreview(item, folder->kind, row->from, row->subject, row->date, sources, naming);

  if (!options.bodyOut.empty() && !preview.bodyPath.empty()) {
    // The body file as the preview has it; a file already there is never replaced.
    if (const int error = writeNewFileAt(options.bodyOut, readFile(preview.bodyPath)); error != 0) {
      const char* reason = error == EEXIST ? "a file of that name is already there" : std::strerror(error);
      std::fprintf(stderr, "tarnwick: cannot write the body to '%s': %s\n", options.bodyOut.c_str(), reason);
      return kExitFailure;
    }
  }
  nlohmann::json attachments = nlohmann::json::array();
  int failures = 0;
  const std::filesystem::path attachmentDir(options.attachmentsOut);
  if (!options.attachmentsOut.empty()) {
    std::error_code error;
    std::filesystem::create_directories(attachmentDir, error);
    if (error) {
      std::fprintf(stderr, "tarnwick: cannot create the folder '%s' for the attachments: %s\n",
                   options.attachmentsOut.c_str(), error.message().c_str());
      return kExitFailure;
    }
  }
  for (const analysis::AttachmentItem& a : item.attachments) {
    std::optional<std::vector<std::uint8_t>> data =
        content::readAttachmentData(*session.database(), session.geometry(), a, tempFilePath("tempB.img"));
    if (!data && a.dataLength == 0) data.emplace();  // an empty attachment, not a lost one
    attachments.push_back({{"name", utf16ToUtf8(a.fileName)}, {"size", data ? data->size() : 0}});
    if (options.attachmentsOut.empty()) continue;
    if (!data) {
      // Nothing is written for an attachment whose data cannot be read: an empty file
      // would pass for a saved one.
      std::fprintf(stderr, "tarnwick: cannot read the data of the attachment '%s' from '%s'\n",
                   utf16ToUtf8(a.fileName).c_str(), options.store.c_str());
      ++failures;
      continue;
    }
    // A new file under the safe name: a taken name, a link included, gets " (2)", " (3)", ...
    const std::filesystem::path name(utf16ToUtf8(content::safeFileName(a.fileName)));
    try {
      exporter::writeNewFile(attachmentDir, name.stem().string(), name.extension().string(),
                             std::string(data->begin(), data->end()));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "tarnwick: %s\n", e.what());
      ++failures;
    }
  }

  const std::string body = bodyText(preview.bodyPath);
  if (options.json) {
    nlohmann::json summary = nlohmann::json::array();
    for (const std::u16string& line : preview.summaryLines) summary.push_back(utf16ToUtf8(line));
    nlohmann::json out = {{"subject", utf16ToUtf8(preview.subject)},    {"from", utf16ToUtf8(preview.from)},
                          {"date", utf16ToUtf8(preview.date)},          {"to", utf16ToUtf8(preview.to)},
                          {"attachments", std::move(attachments)},      {"summary", std::move(summary)},
                          {"bodyForm", bodyFormName(preview.bodyPath)}, {"body", body}};
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  } else {
    std::printf("Subject : %s\nFrom : %s\nDate : %s\nTo : %s\n", utf16ToUtf8(preview.subject).c_str(),
                utf16ToUtf8(preview.from).c_str(), utf16ToUtf8(preview.date).c_str(), utf16ToUtf8(preview.to).c_str());
    if (!preview.attachments.empty()) std::printf("Attachments : %s\n", utf16ToUtf8(preview.attachments).c_str());
    for (const std::u16string& line : preview.summaryLines) std::printf("%s\n", utf16ToUtf8(line).c_str());
    std::printf("\n%s\n", body.c_str());
  }
  return failures == 0 ? kExitOk : kExitFailure;
}

}  // namespace

CliCommand addShowCommand(CLI::App& program) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App* show = program.add_subcommand("show", "Show one message as the preview does");
  show->add_option("STORE", options->store, "The Exchange database file (.edb)")->required();
  show->add_option("--stm", options->stm, "The streaming file (.stm) of a 4 KB-page store");
  show->add_option("--folder", options->folder, "The folder: its id (16 hex digits) or its path, levels separated by /")
      ->required();
  show->add_option("--message", options->message, "The message id (16 hex digits, as list prints it)")->required();
  show->add_option("--body-out", options->bodyOut, "Write the body to this new file in its form");
  show->add_option("--attachments-out", options->attachmentsOut, "Save the attachments into this folder");
  show->add_flag("--json", options->json, "Print the preview as one JSON document");
  return CliCommand{show, [options] { return runShow(*options); }};
}

}  // namespace tarnwick::cli
