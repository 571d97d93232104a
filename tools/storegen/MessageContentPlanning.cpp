#include "tools/storegen/MessageContentPlanning.h"
#include "tools/storegen/RowValues.h"

#include <iterator>
#include <stdexcept>

#include "codec/Lz77Encoder.h"
#include "codec/RtfCompressor.h"
#include "codec/SevenBitText.h"
#include "tools/storegen/FolderRows.h"
#include "tools/storegen/LongValueWriter.h"

namespace tarnwick::storegen {

namespace {

// A chunk whose first byte is this is taken for an LZ77-packed chunk in 32 KB stores.
constexpr std::uint8_t kLz77Marker = 0x18;
constexpr std::size_t kLargeChunk = 8150;
// Values longer than this leave the record anyway.
constexpr std::size_t kInlineMost = 1000;

struct Person {
  const char* name;
  const char* address;
};

// Recipients: the first one's name starts with a plain letter (a 32 KB reader takes a
// second byte 0x18 for a packed value); no address is part of another.
constexpr Person kPeople[] = {
    {"Anna Schmidt", "anna.schmidt@example.de"},
    {"Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m", "zoe.angstrom@example.se"},
    {"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2", "ivan.petrov@example.ru"},
    {"Chen Wei \xE9\x99\x88\xE4\xBC\x9F", "chen.wei@example.cn"},
    {"Bob Carter", "bob.carter@example.com"},
    {"Fran\xC3\xA7oise Dubois", "francoise.dubois@example.fr"},
    {"Sales Team", "sales-team@example.co.uk"},
};

std::string senderAddressOf(const std::string& name) {
  std::string local;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z')
      local.push_back(static_cast<char>(c - 'A' + 'a'));
    else if (c >= 'a' && c <= 'z')
      local.push_back(ch);
    else if (c == ' ' && !local.empty() && local.back() != '.')
      local.push_back('.');
  }
  while (!local.empty() && local.back() == '.') local.pop_back();
  if (local.size() < 3) local = "sender" + std::to_string(name.size());
  return local + "@example.net";
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

const char* const kLines[] = {
    "Please find the figures for the last quarter below.",
    "Die Zahlen f\xC3\xBCr K\xC3\xB6ln sind gepr\xC3\xBC"
    "ft.",
    "The build finished without errors; 214 tests passed.",
    "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xD0\xB3\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2.",
    "Lunch is at noon in the usual place.",
    "Caf\xC3\xA9 cr\xC3\xA8me, na\xC3\xAFve fa\xC3\xA7"
    "ade.",
};
const char* const kAsciiLines[] = {
    "Please find the figures for the last quarter below.",
    "The build finished without errors; 214 tests passed.",
    "Lunch is at noon in the usual place.",
    "Remember to water the plants on Friday.",
};

// About `size` bytes of text made of whole lines (ASCII only when asked).
std::string textOf(std::size_t size, std::size_t first, bool ascii) {
  std::string text;
  for (std::size_t i = first; text.size() < size; ++i) {
    text += ascii ? kAsciiLines[i % std::size(kAsciiLines)] : kLines[i % std::size(kLines)];
    text += "\r\n";
  }
  return text;
}

std::string htmlOf(std::size_t size, std::size_t first) {
  std::string html = "<html><head><title>Message</title></head><body>\r\n";
  for (std::size_t i = first; html.size() < size; ++i) {
    html += "<p>";
    html += kAsciiLines[i % std::size(kAsciiLines)];
    html += "</p>\r\n";
  }
  html += "</body></html>\r\n";
  return html;
}

std::string rtfOf(std::size_t size, std::size_t first) {
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
      "{\\colortbl;\\red0\\green0\\blue255;}\\f0\\fs20 ";
  for (std::size_t i = first; rtf.size() < size; ++i) {
    rtf += i % 3 == 0 ? "{\\b " : "{\\cf1 ";
    rtf += kAsciiLines[i % std::size(kAsciiLines)];
    rtf += "}\\par\r\n";
  }
  rtf += "K\\'f6ln}";
  return rtf;
}

// How a body form is stored and what a reader gives back.
struct BodyChoice {
  BodyForm form;
  ValuePlacement placement;
};

// Whether a 32 KB long value of these bytes has no chunk starting with the LZ77 marker.
bool chunksClean(const Bytes& value) {
  for (std::size_t at = 0; at < value.size(); at += kLargeChunk) {
    if (value[at] == kLz77Marker) return false;
  }
  return true;
}

void planBody(MessageContentPlan& c, BodyChoice choice, std::size_t n, bool large) {
  const bool longValue = choice.placement == ValuePlacement::LongValue;
  // Long values take two or three chunks; inline values stay well inside the record.
  const std::size_t size = longValue ? (large ? 18000 : 9000) + 700 * (n % 3) : 300 + 97 * (n % 6);
  c.bodyForm = choice.form;
  c.bodyPlacement = choice.placement;
  for (std::size_t pad = 0;; ++pad) {
    switch (choice.form) {
      case BodyForm::Text: {
        const bool ascii = choice.placement == ValuePlacement::Compressed7Bit;
        c.expectedBody = utf16(textOf(size + pad, n, ascii));
        c.storedBody = c.expectedBody;
        break;
      }
      case BodyForm::Html:
        c.expectedBody = bytesOf(htmlOf(size + pad, n));
        c.storedBody = c.expectedBody;
        break;
      case BodyForm::Rtf: {
        c.expectedBody = bytesOf(rtfOf(size + pad, n));
        c.storedBody = codec::compressRtf(std::span<const std::uint8_t>(c.expectedBody));
        break;
      }
      default: return;
    }
    if (choice.placement == ValuePlacement::Compressed7Bit) {
      const auto packed = codec::encode7Bit(
          c.storedBody, choice.form == BodyForm::Text ? codec::SevenBitKind::Unicode : codec::SevenBitKind::Ascii);
      if (!packed) throw std::logic_error("a 7-bit body holds a character beyond 7 bits");
      c.storedBody.assign(packed->begin(), packed->end());
    } else if (choice.placement == ValuePlacement::CompressedLz77) {
      const auto packed = codec::encodeLz77(c.storedBody);
      if (!packed) throw std::logic_error("an LZ77 body is too long");
      c.storedBody.assign(packed->begin(), packed->end());
      // A packed value above the record's share leaves it whole, in one chunk.
      if (c.storedBody.size() > kInlineMost) c.bodyPlacement = ValuePlacement::LongValue;
    }
    const bool separate = c.bodyPlacement == ValuePlacement::LongValue || c.storedBody.size() > kInlineMost;
    if (!large || !separate || (choice.placement == ValuePlacement::CompressedLz77) || chunksClean(c.storedBody))
      return;
  }
}

ItemKind kindOf(char folderKind) {
  switch (folderKind) {
    case 'c': return ItemKind::Contact;
    case 'a': return ItemKind::Appointment;
    case 't': return ItemKind::Task;
    case 'n': return ItemKind::Note;
    case 'j': return ItemKind::Journal;
    default: return ItemKind::Mail;
  }
}

// Contact texts by column: given name, surname, company and the others; one has two lines.
void planContact(MessageContentPlan& c, std::size_t n) {
  static const char* const kGiven[] = {"Anna", "Zo\xC3\xAB", "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "Wei",
                                       "Fran\xC3\xA7oise"};
  static const char* const kSurname[] = {"Schmidt", "\xC3\x85ngstr\xC3\xB6m", "Petrov", "Chen", "Dubois"};
  const std::size_t i = n % std::size(kGiven);
  const std::string given = kGiven[i];
  const std::string surname = kSurname[i];
  c.fields = {
      {"S3a06", given},
      {"S3a11", surname},
      {"S3a17", "Project Manager"},
      {"S3a16", i % 2 ? "Gr\xC3\xBC"
                        "n & Partner GmbH"
                      : "Example Trading Ltd"},
      {"S3a18", "Engineering"},
      {"S3a19", "Building " + std::to_string(n % 7 + 2)},
      {"S3a46", "Engineer"},
      {"S3a1c", "+49 170 555 01" + std::to_string(10 + n % 90)},
      {"S3a08", "+49 221 555 02" + std::to_string(10 + n % 90)},
      {"S3a2e", "+49 221 555 0300"},
      {"S808d", "Germany"},
      {"S8097", "K\xC3\xB6ln"},
      {"S80a6",
       "Hohe Stra\xC3\x9F"
       "e " +
           std::to_string(n % 40 + 1) + "\r\nHinterhaus"},
      {"S809e", "50667"},
      {"S81b0", "contact" + std::to_string(n) + "@example.org"},
      {"S3a51", "https://example.org/~contact" + std::to_string(n)},
      {"S3a4f", given + "y"},
      {"S3a48", "Alex Example"},
  };
}

void planAppointment(MessageContentPlan& c, std::size_t n) {
  static const char* const kLocations[] = {"Room 4.12", "Caf\xC3\xA9 M\xC3\xBCller, K\xC3\xB6ln", "Online"};
  c.fields = {
      {"S8225", "Dr. Ana Ruiz"},
      {"S810c", "(GMT+01:00) Amsterdam, Berlin, Bern, Rome"},
      {"S8201", kLocations[n % std::size(kLocations)]},
  };
}

}  // namespace

void planMessageContent(StorePlan& plan, Rng& rng) {
  const bool large = plan.format == StoreFormat::Exchange2010;
  std::vector<BodyChoice> mailBodies = {
      {BodyForm::Text, ValuePlacement::Inline},    {BodyForm::Html, ValuePlacement::Inline},
      {BodyForm::Rtf, ValuePlacement::Inline},     {BodyForm::Text, ValuePlacement::LongValue},
      {BodyForm::Html, ValuePlacement::LongValue}, {BodyForm::Rtf, ValuePlacement::LongValue},
  };
  if (large) {
    mailBodies.push_back({BodyForm::Html, ValuePlacement::Compressed7Bit});
    mailBodies.push_back({BodyForm::Text, ValuePlacement::Compressed7Bit});
    mailBodies.push_back({BodyForm::Text, ValuePlacement::CompressedLz77});
    mailBodies.push_back({BodyForm::Rtf, ValuePlacement::CompressedLz77});
    mailBodies.push_back({BodyForm::Html, ValuePlacement::CompressedLz77});
  }
  std::size_t mail = 0;
  for (std::size_t n = 0; n < plan.messages.size(); ++n) {
    MessagePlan& m = plan.messages[n];
    MessageContentPlan& c = m.content;
    c.kind = kindOf(plan.folders.at(m.folder).kind);
    c.senderAddress = senderAddressOf(m.sender);
    switch (c.kind) {
      case ItemKind::Mail: {
        const std::size_t count = 1 + rng.below(3);
        const std::size_t first = rng.below(std::size(kPeople));
        for (std::size_t r = 0; r < count; ++r) {
          // The Cyrillic name never comes first.
          std::size_t p = (first + r) % std::size(kPeople);
          if (r == 0 && p == 2) p = 0;
          if (r > 0 && p == 0 && first == 2) continue;
          c.recipients.push_back({kPeople[p].name, kPeople[p].address});
        }
        if (mail % 5 == 4) c.addressPlacement = ValuePlacement::LongValue;
        if (large && mail % 4 == 3) c.addressPlacement = ValuePlacement::CompressedLz77;
        planBody(c, mailBodies[mail % mailBodies.size()], n, large);
        ++mail;
        break;
      }
      case ItemKind::Contact:
        planContact(c, n);
        c.packedFields = large && n % 2 == 1;
        planBody(c, {BodyForm::Text, ValuePlacement::Inline}, n, large);
        break;
      case ItemKind::Appointment:
        planAppointment(c, n);
        c.recipients.push_back({kPeople[4].name, kPeople[4].address});
        planBody(c, {n % 2 ? BodyForm::Rtf : BodyForm::Text, ValuePlacement::Inline}, n, large);
        break;
      case ItemKind::Task:
      case ItemKind::Note:
      case ItemKind::Journal:
        planBody(c, {n % 3 == 2 ? BodyForm::Html : BodyForm::Text, ValuePlacement::Inline}, n, large);
        break;
    }
  }
}

}  // namespace tarnwick::storegen
