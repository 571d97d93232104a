#pragma once

#include "shell/MimeBody.h"

#include <QString>

#include <filesystem>

namespace tarnwick::shell {

// A body file made ready for the page view.
struct BodyDocument {
  bool valid = false;  // the file could be read
  bool html = false;   // `text` is HTML; otherwise plain text
  QString text;
  std::map<std::string, InlinePart> inlineParts;  // images an HTML page of a message may show
};

// Reads the body file the preview was given: "TarnBody.txt" (UTF-16LE text),
// "TarnBody.html" (8-bit text, HTML or plain, UTF-8 when it is valid UTF-8 and
// Windows-1252 otherwise), an RTF body (`rtf` set; shown as HTML), or a streamed message
// (".mht" or ".eml", read with GMime: its HTML part with inline images, else its text).
BodyDocument loadBodyDocument(const std::filesystem::path& path, bool rtf);

// True when 8-bit body text looks like an HTML page rather than plain text.
bool looksLikeHtml(const QString& text);

}  // namespace tarnwick::shell
