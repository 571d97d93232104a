#pragma once

// What the libpff and libpst readers find in a PST file: the subjects of the items of each
// folder (pffexport) and the number of mails of each mail folder (readpst).

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

inline std::string readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string quotedPath(const std::filesystem::path& path) {
  std::string quoted = "'";
  quoted.append(path.string()).append("'");
  return quoted;
}

// The value of a "Name:\t\t..." line of a pffexport text; empty when there is none.
inline std::string fieldOf(const std::string& text, const std::string& name) {
  const auto at = text.find("\n" + name);
  if (at == std::string::npos) return {};
  const auto start = text.find_first_not_of('\t', at + 1 + name.size());
  if (start == std::string::npos) return {};
  return text.substr(start, text.find('\n', start) - start);
}

// Folder path below the PST's top ("Alice Brown/Inbox") to the sorted subjects of its
// items, as pffexport exports them; empty when pffexport fails.
inline std::map<std::string, std::vector<std::string>> pffexportSubjects(const std::filesystem::path& pst,
                                                                         const std::filesystem::path& work) {
  std::map<std::string, std::vector<std::string>> folders;
  const std::filesystem::path target = work / "pff";
  if (std::system(("pffexport -q -t " + quotedPath(target) + " " + quotedPath(pst) + " > /dev/null 2>&1").c_str()) != 0)
    return folders;
  const std::filesystem::path top = work / "pff.export" / "Top of Outlook data file";
  if (!std::filesystem::exists(top)) return folders;
  static const std::regex itemDir("(Message|Appointment|Activity|Task|Contact|Note|Meeting|Item)[0-9]{5}");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    if (!entry.is_directory() || !std::regex_match(entry.path().filename().string(), itemDir)) continue;
    std::string subject;
    for (const auto& file : std::filesystem::directory_iterator(entry.path())) {
      // The transport headers of a message imported whole keep their encoded words; the
      // item's own subject is in the other texts.
      if (file.path().extension() != ".txt" || file.path().filename() == "InternetHeaders.txt") continue;
      const std::string text = readWholeFile(file.path());
      if (text.find("\nSubject:") == std::string::npos) continue;
      subject = fieldOf(text, "Subject:");
      // libpff takes a first character whose low byte is below 0x20 (Cyrillic "О" is
      // U+041E) for the marker of a subject prefix and drops it; the conversation topic
      // keeps the whole text.
      const std::string topic = fieldOf(text, "Conversation topic:");
      if (topic.size() > subject.size() && topic.size() - subject.size() <= 4 &&
          topic.compare(topic.size() - subject.size(), subject.size(), subject) == 0 &&
          (static_cast<unsigned char>(topic[topic.size() - subject.size()]) & 0xC0) != 0x80)
        subject = topic;
      break;
    }
    folders[std::filesystem::relative(entry.path().parent_path(), top).string()].push_back(subject);
  }
  for (auto& [path, subjects] : folders) std::sort(subjects.begin(), subjects.end());
  return folders;
}

// The number of mails readpst writes into the mbox of a mail folder ("Alice Brown/Inbox"),
// deleted items included; -1 when readpst fails, 0 when it writes no mbox for the folder.
inline int readpstMailCount(const std::filesystem::path& pst, const std::filesystem::path& work,
                            const std::string& storeName, const std::string& folder) {
  const std::filesystem::path target = work / "readpst";
  std::filesystem::create_directories(target);
  if (std::system(
          ("readpst -q -D -r -o " + quotedPath(target) + " " + quotedPath(pst) + " > /dev/null 2>&1").c_str()) != 0)
    return -1;
  const std::string mbox = readWholeFile(target / storeName / folder / "mbox");
  int count = 0;
  for (std::size_t at = 0; at < mbox.size();
       at = mbox.find('\n', at) == std::string::npos ? mbox.size() : mbox.find('\n', at) + 1)
    if (mbox.compare(at, 5, "From ") == 0) ++count;
  return count;
}
