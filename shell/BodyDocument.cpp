#include "shell/BodyDocument.h"

#include "platform/CodePage.h"
#include "shell/RtfToHtml.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <fstream>
#include <iterator>

namespace tarnwick::shell {

namespace {

// Bodies larger than this are shown cut; a preview is for reading, not for the whole file.
constexpr std::uintmax_t kMaxBodyBytes = 64u * 1024u * 1024u;

std::optional<std::string> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  bytes.resize(kMaxBodyBytes);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

QString eightBitText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromStdU16String(windows1252ToUtf16(bytes));
}

std::string lowerExtension(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

}  // namespace

bool looksLikeHtml(const QString& text) {
  static const QRegularExpression tag(R"(<\s*(html|body|head|div|p|br|table|span|font|meta|!doctype)\b)",
                                      QRegularExpression::CaseInsensitiveOption);
  return tag.match(text.left(4096)).hasMatch();
}

BodyDocument loadBodyDocument(const std::filesystem::path& path, bool rtf) {
  BodyDocument doc;
  const std::string ext = lowerExtension(path);
  if (!rtf && (ext == ".mht" || ext == ".eml")) {
    auto body = parseMimeBodyFile(path);
    if (!body) return doc;
    doc.valid = true;
    if (!body->html.empty()) {
      doc.html = true;
      doc.text = QString::fromStdString(body->html);
      doc.inlineParts = std::move(body->inlineParts);
    } else {
      doc.text = QString::fromStdString(body->text);
    }
    return doc;
  }
  const auto bytes = readFile(path);
  if (!bytes) return doc;
  doc.valid = true;
  if (rtf) {
    doc.html = true;
    doc.text = QString::fromStdU16String(rtfToHtml(*bytes));
  } else if (ext == ".txt") {
    std::u16string units(bytes->size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
      units[i] = static_cast<char16_t>(static_cast<unsigned char>((*bytes)[2 * i]) |
                                       (static_cast<unsigned char>((*bytes)[2 * i + 1]) << 8));
    if (!units.empty() && units.front() == u'\uFEFF') units.erase(0, 1);
    doc.text = QString::fromStdU16String(units);
  } else {
    doc.text = eightBitText(*bytes);
    doc.html = looksLikeHtml(doc.text);
  }
  return doc;
}

}  // namespace tarnwick::shell
