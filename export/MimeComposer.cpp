#include "export/MimeComposer.h"

#include "platform/CodePage.h"

#include <gmime/gmime.h>

#include <fcntl.h>
#include <cctype>
#include <fstream>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace tarnwick::exporter {
namespace {

void initGMime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// Owns one GObject reference.
template <class T>
struct Ref {
  T* p = nullptr;
  explicit Ref(T* ptr) : p(ptr) {}
  ~Ref() {
    if (p) g_object_unref(p);
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
};

bool looksLikeHtml(const std::string& body) {
  const std::size_t n = body.size() < 2048 ? body.size() : 2048;
  std::string head(body, 0, n);
  for (auto& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return head.find("<html") != std::string::npos || head.find("<!doctype html") != std::string::npos ||
         head.find("<body") != std::string::npos;
}

// Text that is valid UTF-8 stays; anything else is taken as Windows-1252.
std::string asUtf8(const std::string& text) {
  if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) return text;
  return utf16ToUtf8(windows1252ToUtf16(text));
}

GMimeObject* textPart(const char* subtype, const std::string& text) {
  GMimeTextPart* part = g_mime_text_part_new_with_subtype(subtype);
  g_mime_text_part_set_text(part, asUtf8(text).c_str());
  g_mime_text_part_set_charset(part, "utf-8");
  auto* asPart = GMIME_PART(part);
  g_mime_part_set_content_encoding(asPart,
                                   g_mime_part_get_best_content_encoding(asPart, GMIME_ENCODING_CONSTRAINT_7BIT));
  return GMIME_OBJECT(part);
}

// The attachment's bytes under the name the store holds (GMime encodes a name that is not
// plain ASCII as RFC 2231 parameters).
GMimeObject* filePart(const AttachmentFile& file) {
  const std::filesystem::path& path = file.path;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("attachment file " + path.string() + " cannot be read");
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  GMimePart* part = g_mime_part_new_with_type("application", "octet-stream");
  g_mime_part_set_filename(part, asUtf8(file.displayName()).c_str());
  Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(data.data(), data.size()));
  Ref<GMimeDataWrapper> content(g_mime_data_wrapper_new_with_stream(stream.p, GMIME_CONTENT_ENCODING_DEFAULT));
  g_mime_part_set_content(part, content.p);
  g_mime_part_set_content_encoding(part, GMIME_CONTENT_ENCODING_BASE64);
  return GMIME_OBJECT(part);
}

void addAddresses(InternetAddressList* target, const std::string& text) {
  if (text.empty()) return;
  std::string normalized = asUtf8(text);
  for (auto& c : normalized)
    if (c == ';') c = ',';
  InternetAddressList* parsed = internet_address_list_parse(nullptr, normalized.c_str());
  if (parsed != nullptr) {
    internet_address_list_append(target, parsed);
    g_object_unref(parsed);
  } else {
    InternetAddress* named = internet_address_mailbox_new(normalized.c_str(), "");
    internet_address_list_add(target, named);
    g_object_unref(named);
  }
}

// The sender as the header file gives it: "name<address>", or without a stored address the
// sender text twice, "X<X>". X may be a full address ("Name <a@b.c>") or only a name, which
// the store often has; a name is sent as a display name without a made-up address. Any
// other text is taken as an address list.
void addSender(InternetAddressList* target, const std::string& text) {
  const std::size_t n = text.size();
  if (n < 3 || text.back() != '>') {
    addAddresses(target, text);
    return;
  }
  const std::size_t half = (n - 2) / 2;
  const std::string sender = text.substr(0, half);
  if ((n - 2) % 2 != 0 || text[half] != '<' || text.compare(half + 1, half, sender) != 0) {
    // "name<address>": the name and the address the store holds for the sender.
    const std::size_t open = text.rfind('<');
    const std::string address = open == std::string::npos ? "" : text.substr(open + 1, n - open - 2);
    if (!address.empty() && address.find('@') != std::string::npos && address.find('<') == std::string::npos) {
      InternetAddress* mailbox = internet_address_mailbox_new(asUtf8(text.substr(0, open)).c_str(), address.c_str());
      internet_address_list_add(target, mailbox);
      g_object_unref(mailbox);
      return;
    }
    addAddresses(target, text);
    return;
  }
  if (sender.find('@') != std::string::npos) {
    addAddresses(target, sender);
    return;
  }
  InternetAddress* named = internet_address_mailbox_new(asUtf8(sender).c_str(), "");
  internet_address_list_add(target, named);
  g_object_unref(named);
}

}  // namespace

std::string composeMime(const MimeItem& item, LineEnding ending) {
  initGMime();
  Ref<GMimeMessage> message(g_mime_message_new(TRUE));
  auto* object = GMIME_OBJECT(message.p);
  addSender(g_mime_message_get_from(message.p), item.from);
  addAddresses(g_mime_message_get_addresses(message.p, GMIME_ADDRESS_TYPE_TO), item.recipients);
  g_mime_message_set_subject(message.p, asUtf8(item.subject).c_str(), "utf-8");
  if (item.unixTime) {
    GDateTime* date = g_date_time_new_from_unix_utc(*item.unixTime);
    if (date != nullptr) {
      g_mime_message_set_date(message.p, date);
      g_date_time_unref(date);
    }
  }
  for (const auto& [name, value] : item.extraHeaders)
    g_mime_object_set_header(object, name.c_str(), asUtf8(value).c_str(), "utf-8");

  const char* subtype = item.bodyKind == BodyKind::Rtf                                    ? "rtf"
                        : item.bodyKind == BodyKind::Text8Bit && looksLikeHtml(item.body) ? "html"
                                                                                          : "plain";
  GMimeObject* body = textPart(subtype, item.body);
  if (item.attachments.empty() && !item.extraPart) {
    g_mime_message_set_mime_part(message.p, body);
    g_object_unref(body);
  } else {
    Ref<GMimeMultipart> mixed(g_mime_multipart_new_with_subtype("mixed"));
    g_mime_multipart_add(mixed.p, body);
    g_object_unref(body);
    if (item.extraPart) {
      const auto slash = item.extraPart->first.find('/');
      GMimeObject* extra = textPart(item.extraPart->first.substr(slash + 1).c_str(), item.extraPart->second);
      g_mime_multipart_add(mixed.p, extra);
      g_object_unref(extra);
    }
    for (const auto& file : item.attachments) {
      GMimeObject* part = filePart(file);
      g_mime_multipart_add(mixed.p, part);
      g_object_unref(part);
    }
    g_mime_message_set_mime_part(message.p, GMIME_OBJECT(mixed.p));
  }

  GMimeFormatOptions* options = g_mime_format_options_new();
  g_mime_format_options_set_newline_format(
      options, ending == LineEnding::Crlf ? GMIME_NEWLINE_FORMAT_DOS : GMIME_NEWLINE_FORMAT_UNIX);
  char* text = g_mime_object_to_string(object, options);
  g_mime_format_options_free(options);
  std::string result = text != nullptr ? text : "";
  g_free(text);
  return result;
}

MessageFileSummary summarizeMessageFile(const std::filesystem::path& path) {
  initGMime();
  MessageFileSummary summary;
  GMimeStream* stream = g_mime_stream_fs_open(path.c_str(), O_RDONLY, 0, nullptr);
  if (stream == nullptr) return summary;
  Ref<GMimeStream> owned(stream);
  Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream));
  GMimeMessage* message = g_mime_parser_construct_message(parser.p, nullptr);
  if (message == nullptr) return summary;
  Ref<GMimeMessage> ownedMessage(message);
  if (const char* subject = g_mime_message_get_subject(message)) summary.subject = subject;
  if (GDateTime* date = g_mime_message_get_date(message)) summary.unixTime = g_date_time_to_unix(date);
  return summary;
}

std::string fromLineOfHeaderFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 5 && (line.compare(0, 5, "From:") == 0 || line.compare(0, 5, "from:") == 0)) {
      auto value = line.substr(5);
      while (!value.empty() && value.front() == ' ') value.erase(value.begin());
      return value;
    }
  }
  return {};
}

}  // namespace tarnwick::exporter
