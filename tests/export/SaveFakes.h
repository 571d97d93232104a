#pragma once

#include "analysis/ScanModel.h"
#include "export/ItemWriter.h"
#include "export/SaveControl.h"
#include "export/SaveObserver.h"
#include "export/WriterInterfaces.h"
#include "platform/FileTime.h"
#include "platform/MessageSink.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnwick::exporter::fakes {

// FILETIME of a UTC calendar time.
inline std::uint64_t fileTimeAt(int y, int m, int d, int hh = 12, int mm = 0, int ss = 0) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = era * 146097 + doe - 719468;
  return static_cast<std::uint64_t>((days * 86400 + hh * 3600 + mm * 60 + ss) * 10000000LL) + kFileTimeUnixEpoch;
}

// "YYYY-MM-DD hh:mm:ss" of a FILETIME, in UTC.
inline std::string utcText(std::uint64_t fileTime) {
  const auto t = fileTimeToSystemTime(fileTime);
  if (!t) return "unreadable";
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t->year, t->month, t->day, t->hour, t->minute,
                t->second);
  return text;
}

inline analysis::FolderId fid(std::uint8_t b) {
  analysis::FolderId id;
  id.bytes[7] = b;
  return id;
}
inline analysis::MessageId mid(std::uint16_t n) {
  analysis::MessageId id;
  id.bytes[0] = static_cast<std::uint8_t>(n);
  id.bytes[1] = static_cast<std::uint8_t>(n >> 8);
  return id;
}

// Every call the writers saw, in order, as text.
struct CallLog {
  std::vector<std::string> calls;
  std::map<std::string, std::vector<std::string>> subjectsByFolder;  // folder path -> subjects added
  std::set<std::string> failing;  // names of the folder and close calls that throw (after being logged)
};

class FakeMailWriter : public MailWriter {
 public:
  explicit FakeMailWriter(CallLog& log) : log_(log) {}
  void CreateStore(const std::string& path, const std::string& name) override {
    log_.calls.push_back("CreateStore " + path + " | " + name);
    std::ofstream(path) << "store";
  }
  void CreateFolder(const std::string& p) override { log_.calls.push_back("CreateFolder " + p); }
  void OpenFolder(const std::string& p) override { folderCall("OpenFolder", "OpenFolder " + p); }
  void CloseFolder() override { folderCall("CloseFolder", "CloseFolder"); }
  void AddMessage(const std::string& folderPath, const std::string& subject, const std::string&, const std::string&,
                  std::uint64_t time, const AttachmentList&, const std::string&, BodyKind, const std::string&,
                  const std::string&) override {
    log_.calls.push_back("AddMessage " + subject + " " + utcText(time));
    log_.subjectsByFolder[folderPath].push_back(subject);
  }
  void ImportMessageFile(const std::string&, const std::string&) override {}
  void AddAppointment(const std::string&, const std::string&, const std::string&, std::uint64_t, std::uint64_t,
                      const std::string&, const std::string&, const std::string&, const std::string&, BodyKind,
                      const AttachmentList&) override {}
  void AddJournalEntry(const std::string&, const AttachmentList&, const std::string&, const std::string&,
                       const std::string&, BodyKind) override {}
  void AddTask(const std::string&, std::uint64_t, const AttachmentList&, const std::string&, const std::string&,
               const std::string&, BodyKind) override {}
  void AddNote(const std::string&, const std::string&, const std::string&, BodyKind, const AttachmentList&) override {}
  void CloseStore() override { folderCall("CloseStore", "CloseStore"); }

 private:
  void folderCall(const std::string& name, const std::string& entry) {
    log_.calls.push_back(entry);
    if (log_.failing.count(name) != 0) throw std::runtime_error(name + " refused");
  }
  CallLog& log_;
};

class FakeStore : public OutputStore {
 public:
  explicit FakeStore(CallLog& log) : mail_(log) {}
  MailWriter& mail() override { return mail_; }
  std::unique_ptr<ContactWriter> newContactWriter() override { return nullptr; }

 private:
  FakeMailWriter mail_;
};

class FakeFactory : public OutputFormatFactory {
 public:
  explicit FakeFactory(CallLog& log) : log_(log) {}
  std::string extension() const override { return ".pst"; }
  std::unique_ptr<OutputStore> newStore() override {
    if (failSetup) throw std::runtime_error("writer library missing");
    return std::make_unique<FakeStore>(log_);
  }
  bool failSetup = false;

 private:
  CallLog& log_;
};

// Items made straight from the headers; subjects from a table.
class FakeItemSource : public FolderItemSource {
 public:
  explicit FakeItemSource(const analysis::ScanModel& model) : model_(model) {}
  void loadFolderItems(const analysis::FolderNode& folder, analysis::MessageItemList& items) override {
    ++loads;
    for (auto position : model_.messageHeaders.headersOfFolder(folder.id)) {
      auto item = analysis::MessageItem::fromHeader(model_.messageHeaders[position]);
      item.recordFound = missingRecords.count(item.messageId) == 0;
      items.addMessageItem(std::move(item));
    }
  }
  std::string subjectOf(const analysis::MessageHeader& h) override { return subjects[h.messageId]; }
  std::string subjectOf(const analysis::MessageItem& i) override { return subjects[i.messageId]; }

  std::map<analysis::MessageId, std::string> subjects;
  std::set<analysis::MessageId> missingRecords;  // items whose message record is "not found"
  int loads = 0;

 private:
  const analysis::ScanModel& model_;
};

// Writes every item as a message through the mail writer; a hook runs first (to press
// Skip or Stop, or to throw) and skip is polled after it, as the attachment writer does.
class FakeItemWriter : public ItemWriter {
 public:
  explicit FakeItemWriter(FakeItemSource& source) : source_(source) {}
  ItemOutcome write(const analysis::MessageItem& item, std::uint64_t time, const ItemContext& ctx) override {
    if (before) before(item, ctx);
    if (ctx.control.skipRequested()) return ItemOutcome::skipped();
    try {
      ctx.store.mail().AddMessage(ctx.folderPath, source_.subjectOf(item), "", "", time, "", "", BodyKind::Utf16Text,
                                  "", "");
    } catch (const std::exception& e) {
      return ItemOutcome::failed(e.what());
    }
    return ItemOutcome::written();
  }
  std::function<void(const analysis::MessageItem&, const ItemContext&)> before;

 private:
  FakeItemSource& source_;
};

class RecordingObserver : public SaveObserver {
 public:
  void countingShown(bool v) override { events.push_back(v ? "counting on" : "counting off"); }
  void currentFolder(const std::u16string&) override { events.push_back("folder"); }
  void counters(std::uint32_t w, std::uint32_t c) override {
    events.push_back("counters " + std::to_string(w) + "/" + std::to_string(c));
  }
  void currentProgress(int p) override { current.push_back(p); }
  void overallProgress(int p) override { overall.push_back(p); }
  std::vector<std::string> events;
  std::vector<int> current, overall;
};

// Answers questions from a queue and records them.
class ScriptedSink : public MessageSink {
 public:
  MessageAnswer show(const Message& m) override {
    asked.push_back(m.text);
    if (onShow) onShow();
    if (answers.empty()) return MessageAnswer::No;
    auto a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  std::vector<MessageAnswer> answers;
  std::vector<std::string> asked;
  std::function<void()> onShow;
};

}  // namespace tarnwick::exporter::fakes
