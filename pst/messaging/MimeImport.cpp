#include "pst/messaging/MimeImport.h"

#include <fcntl.h>
#include <gmime/gmime.h>

#include <fstream>
#include <mutex>
#include <sstream>

#include "pst/PstError.h"
#include "pst/messaging/ItemBuilder.h"
#include "pst/messaging/PropTags.h"

namespace tarnwick::pst {

namespace {

constexpr std::int32_t kCodePageUtf8 = 65001;
constexpr std::uint64_t kUnixEpochInFileTime = 116'444'736'000'000'000ULL;

void initGmime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

template <typename T, void (*Free)(gpointer)>
struct GPtr {
  T* p = nullptr;
  explicit GPtr(T* v) : p(v) {}
  ~GPtr() {
    if (p) Free(p);
  }
  GPtr(const GPtr&) = delete;
  GPtr& operator=(const GPtr&) = delete;
};
using ObjectPtr = GPtr<GObject, g_object_unref>;

std::vector<std::uint8_t> decodedContent(GMimePart* part) {
  std::vector<std::uint8_t> out;
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return out;
  GMimeStream* mem = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(content, mem);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem));
  out.assign(bytes->data, bytes->data + bytes->len);
  g_object_unref(mem);
  return out;
}

std::vector<std::uint8_t> serialized(GMimeObject* object) {
  std::vector<std::uint8_t> out;
  GMimeStream* mem = g_mime_stream_mem_new();
  g_mime_object_write_to_stream(object, nullptr, mem);
  GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(mem));
  out.assign(bytes->data, bytes->data + bytes->len);
  g_object_unref(mem);
  return out;
}

void addAddresses(std::vector<MailAddress>& out, InternetAddressList* list, std::int32_t type) {
  if (!list) return;
  for (int i = 0; i < internet_address_list_length(list); ++i) {
    InternetAddress* a = internet_address_list_get_address(list, i);
    if (INTERNET_ADDRESS_IS_GROUP(a)) {
      addAddresses(out, internet_address_group_get_members(INTERNET_ADDRESS_GROUP(a)), type);
      continue;
    }
    MailAddress m;
    if (const char* name = internet_address_get_name(a)) m.name = name;
    if (const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a))) m.address = addr;
    if (m.name.empty()) m.name = m.address;
    m.recipientType = type;
    out.push_back(std::move(m));
  }
}

struct Walk {
  std::string text;
  std::string html;
  std::vector<AttachmentData> attachments;
};

void addAttachment(Walk& w, std::string name, std::string mimeType, std::vector<std::uint8_t> bytes) {
  using namespace propid;
  AttachmentData a;
  if (name.empty()) name = "attachment" + std::to_string(w.attachments.size() + 1);
  a.properties = {Property::int32(kAttachMethod, 1), Property::unicode(kAttachFilename, name),
                  Property::unicode(kAttachLongFilename, name), Property::int32(kRenderingPosition, -1)};
  if (!mimeType.empty()) a.properties.push_back(Property::unicode(kAttachMimeTag, mimeType));
  auto dot = name.rfind('.');
  if (dot != std::string::npos) a.properties.push_back(Property::unicode(kAttachExtension, name.substr(dot)));
  a.bytes = std::move(bytes);
  w.attachments.push_back(std::move(a));
}

void visit(GMimeObject*, GMimeObject* part, gpointer data) {
  auto& w = *static_cast<Walk*>(data);
  if (GMIME_IS_MESSAGE_PART(part)) {
    GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(part));
    std::string name;
    if (inner && g_mime_message_get_subject(inner)) name = g_mime_message_get_subject(inner);
    for (char& c : name)
      if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32) c = '_';
    addAttachment(w, (name.empty() ? std::string("message") : name) + ".eml", "message/rfc822",
                  inner ? serialized(GMIME_OBJECT(inner)) : std::vector<std::uint8_t>{});
    return;
  }
  if (!GMIME_IS_PART(part)) return;
  GMimePart* p = GMIME_PART(part);
  GMimeContentType* type = g_mime_object_get_content_type(part);
  const char* fileName = g_mime_part_get_filename(p);
  bool attachment = g_mime_part_is_attachment(p) || fileName != nullptr;
  if (!attachment && GMIME_IS_TEXT_PART(part)) {
    char* text = g_mime_text_part_get_text(GMIME_TEXT_PART(part));
    std::string s = text ? text : "";
    g_free(text);
    if (g_mime_content_type_is_type(type, "text", "html") && w.html.empty()) {
      w.html = std::move(s);
      return;
    }
    if (g_mime_content_type_is_type(type, "text", "plain") && w.text.empty()) {
      w.text = std::move(s);
      return;
    }
  }
  char* mime = g_mime_content_type_get_mime_type(type);
  addAttachment(w, fileName ? fileName : "", mime ? mime : "", decodedContent(p));
  g_free(mime);
}

std::string headerBlock(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string headers, line;
  while (std::getline(in, line)) {
    if (line.empty() || line == "\r") break;
    headers += line;
    headers += '\n';
  }
  return headers;
}

}  // namespace

MessageData importMimeMessage(const std::string& emlPath) {
  initGmime();
  GError* error = nullptr;
  GMimeStream* stream = g_mime_stream_fs_open(emlPath.c_str(), O_RDONLY, 0, &error);
  if (!stream) {
    std::string why = error ? error->message : "cannot open";
    if (error) g_error_free(error);
    throw PstError("cannot read the message file \"" + emlPath + "\": " + why);
  }
  ObjectPtr streamHolder(G_OBJECT(stream));
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  ObjectPtr parserHolder(G_OBJECT(parser));
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  if (!message) throw PstError("the message file \"" + emlPath + "\" is not an Internet message");
  ObjectPtr messageHolder(G_OBJECT(message));

  ItemBasics item;
  if (const char* subject = g_mime_message_get_subject(message)) item.subject = subject;
  std::vector<MailAddress> from;
  addAddresses(from, g_mime_message_get_from(message), 1);
  if (!from.empty()) item.sender = from.front();
  if (GDateTime* date = g_mime_message_get_date(message))
    item.time = static_cast<std::uint64_t>(g_date_time_to_unix(date)) * 10'000'000ULL + kUnixEpochInFileTime;
  std::vector<MailAddress> recipients;
  addAddresses(recipients, g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_TO), 1);
  addAddresses(recipients, g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_CC), 2);
  addAddresses(recipients, g_mime_message_get_addresses(message, GMIME_ADDRESS_TYPE_BCC), 3);

  Walk walk;
  g_mime_message_foreach(message, visit, &walk);
  if (GMimeObject* body = g_mime_message_get_mime_part(message); body && !GMIME_IS_MULTIPART(body))
    if (walk.text.empty() && walk.html.empty() && walk.attachments.empty()) visit(nullptr, body, &walk);

  item.body = walk.text;
  item.bodyKind = BodyKind::Utf16Text;
  NameIdMap unused;
  MessageData m = buildMail(unused, item, recipients, headerBlock(emlPath));
  using namespace propid;
  if (!walk.html.empty()) {
    m.properties.push_back(Property::binary(kHtml, {walk.html.begin(), walk.html.end()}));
    m.properties.push_back(Property::int32(kInternetCodepage, kCodePageUtf8));
  }
  if (const char* id = g_mime_message_get_message_id(message))
    m.properties.push_back(Property::unicode(kInternetMessageId, std::string("<") + id + ">"));
  m.attachments = std::move(walk.attachments);
  return m;
}

}  // namespace tarnwick::pst
