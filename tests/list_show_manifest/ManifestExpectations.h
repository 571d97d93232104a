#pragma once

// What list rows and show output must say for an item of a generator manifest. Fields that
// a manifest does not carry are not checked.

#include "tests/list_show_manifest/GeneratedStore.h"

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tarnwick::testing {

// The manifest's messages by folder id, and its folders and mailboxes by id.
class ManifestIndex {
 public:
  explicit ManifestIndex(const nlohmann::json& manifest);
  const std::vector<const nlohmann::json*>& messagesOf(const std::string& folderId) const;
  std::string mailboxName(const std::string& mailboxId) const;
  const nlohmann::json* folder(const std::string& folderId) const;
  // Whether the store names the appointment text columns for this mailbox's messages: the
  // catalogue gives them only for columns of table object 19.
  bool appointmentTextsNamed(const std::string& mailboxId) const;

 private:
  std::map<std::string, std::vector<const nlohmann::json*>> messages_;
  std::map<std::string, const nlohmann::json*> folders_;
  std::map<std::string, std::string> mailboxNames_;
  std::map<std::string, std::string> mailboxKeys_;
  std::map<std::string, std::uint32_t> tableIds_;  // by table name
};

// Rows of `list --json` by message id.
using ListedRows = std::map<std::string, nlohmann::json>;
ListedRows parseRows(const std::string& listOutput);

// Whether the list shows an item of this date (years 1980 to 2099).
bool isListedYear(const nlohmann::json& message);

void expectRowMatches(const nlohmann::json& row, const nlohmann::json& message, const nlohmann::json& folder,
                      const ManifestIndex& index);

// What the show checks covered.
struct ShowTally {
  std::size_t shown = 0;
  std::map<std::string, std::size_t> bodies;  // by form
  std::size_t recipients = 0, attachments = 0, summaries = 0;
  std::map<std::string, std::size_t> kinds;
  std::string describe() const;
};

// Runs show with the body and attachments written out and checks them against the manifest.
void expectShowMatches(const GeneratedStore& store, const nlohmann::json& folder, const nlohmann::json& message,
                       const ManifestIndex& index, ShowTally& tally);

}  // namespace tarnwick::testing
