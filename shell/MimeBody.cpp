#include "shell/MimeBody.h"

#include <gmime/gmime.h>

#include <fstream>
#include <iterator>
#include <mutex>

namespace tarnwick::shell {

namespace {

void initGmime() {
  static std::once_flag once;
  std::call_once(once, [] { g_mime_init(); });
}

// The decoded content of a leaf part.
std::vector<unsigned char> decodedBytes(GMimePart* part) {
  std::vector<unsigned char> out;
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return out;
  GMimeStream* memory = g_mime_stream_mem_new();
  g_mime_data_wrapper_write_to_stream(content, memory);
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory));
  if (array) out.assign(array->data, array->data + array->len);
  g_object_unref(memory);
  return out;
}

// The text of a text part in UTF-8, converted from its declared charset.
std::string decodedText(GMimePart* part) {
  std::string out;
  GMimeDataWrapper* content = g_mime_part_get_content(part);
  if (!content) return out;
  GMimeStream* memory = g_mime_stream_mem_new();
  GMimeStream* filtered = g_mime_stream_filter_new(memory);
  const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
  if (charset) {
    GMimeFilter* convert = g_mime_filter_charset_new(charset, "UTF-8");
    if (convert) {
      g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered), convert);
      g_object_unref(convert);
    }
  }
  g_mime_data_wrapper_write_to_stream(content, filtered);
  g_mime_stream_flush(filtered);
  GByteArray* array = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(memory));
  if (array) out.assign(reinterpret_cast<const char*>(array->data), array->len);
  g_object_unref(filtered);
  g_object_unref(memory);
  return out;
}

struct Walk {
  MimeBody* body;
};

void visit(GMimeObject* /*parent*/, GMimeObject* object, gpointer data) {
  auto* walk = static_cast<Walk*>(data);
  if (!GMIME_IS_PART(object)) return;
  GMimePart* part = GMIME_PART(object);
  GMimeContentType* type = g_mime_object_get_content_type(object);
  const bool attachment = g_mime_part_is_attachment(part);
  if (type && g_mime_content_type_is_type(type, "text", "html") && !attachment && walk->body->html.empty()) {
    walk->body->html = decodedText(part);
    return;
  }
  if (type && g_mime_content_type_is_type(type, "text", "plain") && !attachment && walk->body->text.empty()) {
    walk->body->text = decodedText(part);
    return;
  }
  const char* id = g_mime_object_get_content_id(object);
  const char* location = g_mime_part_get_content_location(part);
  if (!id && !location) return;
  InlinePart inlinePart;
  if (type) {
    char* mime = g_mime_content_type_get_mime_type(type);
    if (mime) {
      inlinePart.contentType = mime;
      g_free(mime);
    }
  }
  inlinePart.bytes = decodedBytes(part);
  if (id) walk->body->inlineParts[std::string("cid:") + id] = inlinePart;
  if (location) walk->body->inlineParts[location] = std::move(inlinePart);
}

}  // namespace

std::optional<MimeBody> parseMimeBody(std::string_view bytes) {
  initGmime();
  GMimeStream* stream = g_mime_stream_mem_new_with_buffer(bytes.data(), bytes.size());
  GMimeParser* parser = g_mime_parser_new_with_stream(stream);
  GMimeMessage* message = g_mime_parser_construct_message(parser, nullptr);
  g_object_unref(parser);
  g_object_unref(stream);
  if (!message) return std::nullopt;
  MimeBody body;
  Walk walk{&body};
  GMimeObject* top = g_mime_message_get_mime_part(message);
  if (top) {
    visit(nullptr, top, &walk);
    if (GMIME_IS_MULTIPART(top)) g_mime_multipart_foreach(GMIME_MULTIPART(top), visit, &walk);
  }
  g_object_unref(message);
  return body;
}

std::optional<MimeBody> parseMimeBodyFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return parseMimeBody(bytes);
}

}  // namespace tarnwick::shell
