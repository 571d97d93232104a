#include "content/BodyFile.h"

#include <fstream>

namespace tarnwick::content {

const char* bodyFileName(BodyForm form) {
  switch (form) {
    case BodyForm::UnicodeText: return "TarnBody.txt";
    case BodyForm::EightBitText: return "TarnBody.html";
    case BodyForm::Rtf: return "TarnBody.rtf";
  }
  return "TarnBody.txt";
}

std::filesystem::path writeBodyFile(const StoredBody& body, const std::filesystem::path& directory) {
  std::size_t length = 0;
  const std::vector<std::uint8_t>& b = body.bytes;
  if (body.form == BodyForm::UnicodeText) {
    while (length + 1 < b.size() && (b[length] != 0 || b[length + 1] != 0)) length += 2;
  } else {
    while (length < b.size() && b[length] != 0) ++length;
  }
  std::filesystem::path path = directory / bodyFileName(body.form);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return {};
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(length));
  out.close();
  if (out.fail()) return {};
  return path;
}

}  // namespace tarnwick::content
