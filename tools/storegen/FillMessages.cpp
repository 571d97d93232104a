#include "tools/storegen/FillMessages.h"

#include <memory>
#include <stdexcept>

#include "tools/storegen/EseLayout.h"
#include "tools/storegen/LongValueWriter.h"

namespace tarnwick::storegen {

namespace {

constexpr std::size_t kBodyCharacters = 48 * 1024;               // 96 KB of UTF-16 text
constexpr std::uint64_t kFirstFillTime = 132223104000000000ull;  // 2020-01-01 00:00 UTC
constexpr std::uint64_t kMinute = 600000000ull;
// Rows of a message (header, record, index share) beside its body.
constexpr std::uint64_t kRowBytes = 640;
// Long-value pages: tag 0 and a root header's room, a node's key lengths, its key rest and tag.
constexpr std::uint32_t kPageReserve = 4 + 16;
constexpr std::uint32_t kChunkNodeExtra = 2 + 2 + 6 + 4;
constexpr std::uint32_t kRootNodeBytes = 14 + 4;

std::shared_ptr<const std::vector<std::uint8_t>> fillBody() {
  static const char* const kLines[] = {
      "This message fills the benchmark folder; its body is a long value of many chunks.\r\n",
      "Every line is plain text, so that a reader can show it and a save can write it.\r\n",
      "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor.\r\n",
  };
  auto body = std::make_shared<std::vector<std::uint8_t>>();
  body->reserve(2 * kBodyCharacters);
  for (std::size_t i = 0; body->size() < 2 * kBodyCharacters; ++i) {
    for (const char* p = kLines[i % 3]; *p && body->size() < 2 * kBodyCharacters; ++p) {
      body->push_back(static_cast<std::uint8_t>(*p));
      body->push_back(0);
    }
  }
  return body;
}

}  // namespace

std::uint64_t fillMessageBytes(StoreFormat format) {
  const FormatTraits& traits = traitsOf(format);
  const std::uint32_t chunk = LongValueWriter::chunkSize(traits);
  const std::uint32_t capacity = traits.pageSize - traits.pageHeaderSize - kPageReserve;
  const std::uint32_t node = chunk + kChunkNodeExtra;
  const std::uint64_t chunks = (2 * kBodyCharacters + chunk - 1) / chunk;
  const std::uint64_t perPage = capacity / node;
  const std::uint64_t onFirst = (capacity - kRootNodeBytes) / node;
  const std::uint64_t rest = chunks > onFirst ? chunks - onFirst : 0;
  const std::uint64_t pages = 1 + (rest + perPage - 1) / perPage;
  return pages * traits.pageSize + kRowBytes;
}

void addFillMessages(StorePlan& plan, std::uint64_t targetBytes) {
  std::size_t inbox = plan.folders.size();
  for (std::size_t f = 0; f < plan.folders.size(); ++f) {
    if (plan.folders[f].mailbox == 0 && plan.folders[f].name == "Inbox") {
      inbox = f;
      break;
    }
  }
  if (inbox == plan.folders.size() || plan.messages.empty())
    throw std::invalid_argument("--fill needs a first mailbox with an Inbox");
  const std::uint64_t each = fillMessageBytes(plan.format);
  // The bytes per message are an estimate (index pages and page fill vary): rounded up and
  // given 1% more, so that the store reaches at least the size asked for.
  const std::uint64_t estimate = (targetBytes + each - 1) / each;
  const std::uint64_t count = estimate + (estimate + 99) / 100;
  const std::uint64_t last = plan.messages.back().id;
  const std::uint64_t replica = last & 0xFF;
  std::uint64_t counter = last >> 16;
  const auto body = fillBody();
  plan.messages.reserve(plan.messages.size() + count);
  for (std::uint64_t i = 0; i < count; ++i) {
    MessagePlan m;
    m.id = replica | (++counter << 16);
    m.folder = inbox;
    m.folderId = plan.folders[inbox].id;
    m.mailboxId = plan.mailboxes.at(0).id;
    m.prefix = i % 4 == 1 ? "RE: " : "";
    m.normalizedSubject = "Benchmark message " + std::to_string(i + 1);
    m.sender = i % 2 ? "Bob Carter" : "Alice Brown";
    m.time = (kFirstFillTime + i * kMinute) & ~0xFFFFull;
    MessageContentPlan& c = m.content;
    c.kind = ItemKind::Mail;
    c.senderAddress = i % 2 ? "bob.carter@example.net" : "alice.brown@example.net";
    c.recipients.push_back({"Anna Schmidt", "anna.schmidt@example.de"});
    c.bodyForm = BodyForm::Text;
    c.bodyPlacement = ValuePlacement::LongValue;
    c.sharedBody = body;
    plan.messages.push_back(std::move(m));
  }
}

}  // namespace tarnwick::storegen
