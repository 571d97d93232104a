#pragma once

// A store written by tarnwick-storegen into a temporary folder, with what its manifest
// says each mailbox and folder holds.

#include "tests/support/Generator.h"

#include <nlohmann/json.hpp>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct ManifestItem {
  std::string id;       // 16 hexadecimal digits, stored order
  std::string mailbox;  // mailbox name
  std::string folder;   // folder path below the mailbox, levels separated by '/'
  std::string folderKind;
  std::string subject;
  std::string sender;
  int year = 0;  // of the delivery time, UTC
  nlohmann::json raw;

  // Inside the years a save keeps.
  bool saved() const { return year >= 1980 && year <= 2099; }
};

class GeneratedStore {
 public:
  // Writes a store of `format` (4k, 8k, 32k); false when the generator is not built or
  // fails.
  bool generate(const char* format, int rng = 7) {
    if (!std::filesystem::exists(tarnwick::testing::generatorPath()) || !dir_.isValid()) return false;
    if (tarnwick::testing::generateStore(dir_.path().toStdString(), format, "--seed " + std::to_string(rng)) != 0)
      return false;
    std::ifstream in(dir_.filePath("manifest.json").toStdString());
    manifest_ = nlohmann::json::parse(in);
    std::map<std::string, std::string> mailboxes;
    for (const auto& m : manifest_["mailboxes"]) mailboxes[m["id"]] = m["name"];
    std::map<std::string, const nlohmann::json*> folders;
    for (const auto& f : manifest_["folders"]) folders[f["id"]] = &f;
    for (const auto& m : manifest_["messages"]) {
      ManifestItem item;
      item.id = m["id"];
      item.mailbox = mailboxes[m["mailbox"]];
      const auto found = folders.find(m["folder"]);
      if (found != folders.end()) {
        item.folder = (*found->second)["path"];
        item.folderKind = (*found->second)["kind"];
      }
      item.subject = m["subject"];
      item.sender = m.value("sender", "");
      item.year = std::stoi(m["time"].get<std::string>().substr(0, 4));
      item.raw = m;
      items_.push_back(std::move(item));
    }
    return true;
  }

  std::string edb() const { return dir_.filePath("store.edb").toStdString(); }
  std::string stm() const {
    const std::string path = dir_.filePath("store.stm").toStdString();
    return std::filesystem::exists(path) ? path : std::string();
  }
  const nlohmann::json& manifest() const { return manifest_; }
  const std::vector<ManifestItem>& items() const { return items_; }

  // The subjects a save of a folder writes, sorted.
  std::vector<std::string> savedSubjects(const std::string& mailbox, const std::string& folder) const {
    std::vector<std::string> subjects;
    for (const auto& item : items_)
      if (item.mailbox == mailbox && item.folder == folder && item.saved()) subjects.push_back(item.subject);
    std::sort(subjects.begin(), subjects.end());
    return subjects;
  }

 private:
  QTemporaryDir dir_;
  nlohmann::json manifest_;
  std::vector<ManifestItem> items_;
};
