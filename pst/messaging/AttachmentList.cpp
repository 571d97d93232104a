#include "pst/messaging/AttachmentList.h"

namespace tarnwick::pst {

std::vector<std::filesystem::path> parseAttachmentList(const std::string& text) {
  std::vector<std::filesystem::path> out;
  std::string current;
  for (char c : text) {
    if (c == ';') {
      if (!current.empty()) out.emplace_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) out.emplace_back(current);
  return out;
}

AttachmentList::AttachmentList(const std::string& text) {
  for (auto& path : parseAttachmentList(text)) files_.push_back({std::move(path), {}});
}

AttachmentList::AttachmentList(const char* text) : AttachmentList(std::string(text != nullptr ? text : "")) {}

std::string AttachmentList::text() const {
  std::string out;
  for (const auto& f : files_) out += f.path.string() + ";";
  return out;
}

}  // namespace tarnwick::pst
