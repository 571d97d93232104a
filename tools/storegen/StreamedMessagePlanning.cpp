#include "tools/storegen/StreamedMessagePlanning.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <utility>

#include "tools/storegen/InternetMessageText.h"
#include "tools/storegen/RunDescriptorEncoding.h"
#include "tools/storegen/StoreFormat.h"
#include "tools/storegen/StreamSpace.h"

namespace tarnwick::storegen {

namespace {

// The shapes streamed messages take, in turn: sizes from under a page to several pages, with
// and without an attachment, descriptors from a few runs (inline) to more than one long-value
// chunk holds.
struct Shape {
  std::uint32_t textMin, textMax;
  std::uint32_t attachmentMin, attachmentMax;  // 0: no attachment
  std::uint32_t runsMin, runsMax;
  ValuePlacement placement;
};
constexpr Shape kShapes[] = {
    {80, 300, 0, 0, 2, 3, ValuePlacement::Inline},
    {600, 1500, 1000, 3000, 3, 6, ValuePlacement::Inline},
    {1500, 3000, 0, 0, 45, 120, ValuePlacement::LongValue},
    {3000, 7000, 5000, 12000, 4, 8, ValuePlacement::Inline},
    {2000, 5000, 2000, 4000, 170, 260, ValuePlacement::LongValue},
    {400, 2000, 0, 0, 2, 5, ValuePlacement::Inline},
};
constexpr std::size_t kMinimumStreamed = std::size(kShapes);
constexpr std::size_t kOneIn = 4;
// Two in five runs get pages of their own, the others share pages; of messages cut into
// many small runs only one run in twelve, so that they do not spread over a page per run.
constexpr std::uint64_t kAloneOutOf = 5;
constexpr std::uint64_t kAloneOutOfWhenMany = 24;
constexpr std::size_t kManyRuns = 16;

constexpr const char* kWords[] = {"the",
                                  "figures",
                                  "for",
                                  "next",
                                  "quarter",
                                  "are",
                                  "attached",
                                  "please",
                                  "review",
                                  "before",
                                  "Monday",
                                  "R&D",
                                  "budget",
                                  "team",
                                  "meeting",
                                  "room",
                                  "agenda",
                                  "notes",
                                  "draft",
                                  "final",
                                  "Gr\xC3\xBC\xC3\x9F\x65",
                                  "K\xC3\xB6ln",
                                  "\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82",
                                  "caf\xC3\xA9",
                                  "<ok>",
                                  "thanks",
                                  "regards",
                                  "lunch",
                                  "build",
                                  "report",
                                  "server",
                                  "mailbox",
                                  "store",
                                  "stream",
                                  "run"};

std::uint32_t between(Rng& rng, std::uint32_t low, std::uint32_t high) {
  return low + static_cast<std::uint32_t>(rng.below(static_cast<std::uint64_t>(high) - low + 1));
}

bool isMailFolder(const FolderPlan& f) { return f.containerClass == "IPF.Note" && f.kind != 'n'; }

// Paragraphs of words, lines of at most 72 bytes, until `size` bytes.
std::string bodyText(Rng& rng, std::uint32_t size) {
  std::string text;
  std::size_t lineStart = 0;
  while (text.size() < size) {
    const std::string word = kWords[rng.below(std::size(kWords))];
    if (text.size() - lineStart + word.size() + 1 > 72) {
      text += rng.below(4) == 0 ? "\n\n" : "\n";
      lineStart = text.size();
    } else if (text.size() != lineStart) {
      text += ' ';
    }
    text += word;
  }
  return text + "\n";
}

std::string htmlOf(const std::string& text) {
  std::string html = "<html><head><meta charset=\"utf-8\"></head><body>\n<p>";
  for (char c : text) {
    switch (c) {
      case '&': html += "&amp;"; break;
      case '<': html += "&lt;"; break;
      case '>': html += "&gt;"; break;
      case '\n': html += "<br>\n"; break;
      default: html += c;
    }
  }
  return html + "</p>\n</body></html>\n";
}

// An SMTP address made from a display name: its ASCII letters, or `fallback`.
std::string addressOf(const std::string& name, const std::string& fallback, const std::string& domain) {
  std::string local;
  for (char c : name) {
    if (std::isalpha(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) {
      local += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (c == ' ' && !local.empty() && local.back() != '.') {
      local += '.';
    }
  }
  while (!local.empty() && local.back() == '.') local.pop_back();
  if (local.size() < 3) local = fallback;
  return local + "@" + domain;
}

// The 8 bytes of `v`, first byte lowest, as hexadecimal text in that order.
std::string hex16(std::uint64_t v) {
  std::string text;
  char buf[4];
  for (int i = 0; i < 8; ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>((v >> (8 * i)) & 0xFF));
    text += buf;
  }
  return text;
}

MimeAttachment attachmentOf(Rng& rng, std::size_t n, std::uint32_t size) {
  MimeAttachment a;
  if (n % 2 == 0) {
    a.fileName = "figures-" + std::to_string(n) + ".csv";
    a.contentType = "text/csv";
    std::string csv = "month,amount\r\n";
    for (std::uint32_t row = 1; csv.size() < size; ++row) {
      csv += std::to_string(row) + "," + std::to_string(rng.below(100000)) + "\r\n";
    }
    a.data.assign(csv.begin(), csv.end());
  } else {
    a.fileName = "report-" + std::to_string(n) + ".bin";
    a.contentType = "application/octet-stream";
    a.data.resize(size);
    for (auto& b : a.data) b = static_cast<std::uint8_t>(rng.next());
  }
  return a;
}

std::string internetMessageOf(const StorePlan& plan, MessagePlan& m, const Shape& shape, std::size_t n, Rng& rng) {
  MessageContentPlan& c = m.content;
  const FolderPlan& folder = plan.folders.at(m.folder);
  if (c.senderAddress.empty()) c.senderAddress = addressOf(m.sender, "sender" + std::to_string(n), "example.com");
  InternetMessageParts parts;
  parts.from = {m.sender, c.senderAddress};
  if (c.recipients.empty()) {
    // The record's recipient value comes just before the run descriptor, where a reader
    // looks for it; a message always has one.
    const std::string& owner = plan.mailboxes.at(folder.mailbox).name;
    c.recipients.push_back({owner, addressOf(owner, "mailbox" + std::to_string(folder.mailbox), "example.org")});
  }
  for (const RecipientPlan& r : c.recipients) parts.to.push_back({r.name, r.address});
  parts.subject = m.prefix + m.normalizedSubject;
  parts.fileTime = m.time;
  parts.messageId = hex16(m.id) + "@mail.example.com";
  parts.boundaryTag = hex16(rng.next());
  parts.text = bodyText(rng, between(rng, shape.textMin, shape.textMax));
  parts.html = htmlOf(parts.text);
  if (shape.attachmentMax != 0)
    parts.attachment = attachmentOf(rng, n, between(rng, shape.attachmentMin, shape.attachmentMax));
  return composeInternetMessage(parts);
}

// `count` runs covering `length` bytes, cut at distinct random places.
std::vector<StreamRun> cutIntoRuns(std::uint32_t length, std::uint32_t count, Rng& rng) {
  count = std::clamp<std::uint32_t>(count, 1, length);
  std::set<std::uint32_t> cuts;
  while (cuts.size() + 1 < count) cuts.insert(1 + static_cast<std::uint32_t>(rng.below(length - 1)));
  cuts.insert(length);
  std::vector<StreamRun> runs;
  std::uint32_t start = 0;
  for (std::uint32_t end : cuts) {
    runs.push_back({start, end - start, 0});
    start = end;
  }
  return runs;
}

}  // namespace

void planStreamedMessages(StorePlan& plan, Rng& rng) {
  std::vector<std::size_t> candidates;
  for (std::size_t i = 0; i < plan.messages.size(); ++i) {
    const MessagePlan& m = plan.messages[i];
    if (isMailFolder(plan.folders.at(m.folder)) && m.content.kind == ItemKind::Mail) candidates.push_back(i);
  }
  for (std::size_t i = candidates.size(); i > 1; --i) std::swap(candidates[i - 1], candidates[rng.below(i)]);
  const std::size_t wanted =
      std::min(candidates.size(), std::max(kMinimumStreamed, (candidates.size() + kOneIn - 1) / kOneIn));
  std::vector<std::size_t> chosen(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(wanted));
  std::sort(chosen.begin(), chosen.end());

  // Content and runs, in content order.
  std::vector<std::vector<StreamRun>> runs(chosen.size());
  for (std::size_t n = 0; n < chosen.size(); ++n) {
    MessagePlan& m = plan.messages[chosen[n]];
    const Shape& shape = kShapes[n % std::size(kShapes)];
    MessageContentPlan& c = m.content;
    c.internetMessage = internetMessageOf(plan, m, shape, n, rng);
    c.bodyForm = BodyForm::Streamed;
    c.storedBody.clear();
    c.expectedBody.assign(c.internetMessage.begin(), c.internetMessage.end());
    c.attachments.clear();  // the attachment travels inside the Internet message
    c.runDescriptorPlacement = shape.placement;
    runs[n] = cutIntoRuns(static_cast<std::uint32_t>(c.internetMessage.size()),
                          between(rng, shape.runsMin, shape.runsMax), rng);
  }

  // The order the runs of all messages take in the streaming file: shuffled, so that runs of
  // different messages share pages, and no message's runs lie in content order.
  std::vector<std::pair<std::size_t, std::size_t>> order;
  for (std::size_t n = 0; n < runs.size(); ++n) {
    for (std::size_t r = 0; r < runs[n].size(); ++r) order.emplace_back(n, r);
  }
  for (std::size_t i = order.size(); i > 1; --i) std::swap(order[i - 1], order[rng.below(i)]);
  std::vector<std::vector<std::size_t>> slotOf(runs.size());
  for (std::size_t n = 0; n < runs.size(); ++n) slotOf[n].resize(runs[n].size());
  for (std::size_t i = 0; i < order.size(); ++i) slotOf[order[i].first][order[i].second] = i;
  for (std::size_t n = 0; n < runs.size(); ++n) {
    const auto& slots = slotOf[n];
    if (slots.size() > 1 && std::is_sorted(slots.begin(), slots.end()))
      std::swap(order[slots.front()], order[slots.back()]);
  }

  StreamSpace space(traitsOf(StoreFormat::Exchange2003).pageSize, rng);
  for (const auto& [n, r] : order) {
    StreamRun& run = runs[n][r];
    const std::uint64_t outOf = runs[n].size() > kManyRuns ? kAloneOutOfWhenMany : kAloneOutOf;
    run.streamOffset = rng.below(outOf) < 2 ? space.placeAlone(run.length) : space.placeShared(run.length);
  }
  for (std::size_t n = 0; n < chosen.size(); ++n) {
    MessageContentPlan& c = plan.messages[chosen[n]].content;
    c.runDescriptor = encodeRunDescriptor(static_cast<std::uint32_t>(c.internetMessage.size()), runs[n]);
  }
}

}  // namespace tarnwick::storegen
