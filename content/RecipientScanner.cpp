#include "content/RecipientScanner.h"

#include "platform/CodePage.h"

#include <optional>
#include <string>

namespace tarnwick::content {

namespace {

using Bytes = std::span<const std::uint8_t>;

bool isAddressChar(unsigned c) { return c >= 44 && c <= 127; }

struct Located {
  std::optional<std::size_t> at;  // position of the "@" found, if any
  std::size_t start = 0;          // where the candidate is read from
  bool wide = false;              // UTF-16 text
};

bool wideAt(Bytes d, std::size_t at) { return at + 1 < d.size() && d[at + 1] == 0; }

unsigned charAt(Bytes d, std::size_t i, bool wide) {
  return wide ? static_cast<unsigned>(d[i] | (d[i + 1] << 8)) : d[i];
}

// Walks back from the "@" at `at` over address characters, not below `floor`. Returns the
// position just after the first other character (or `floor` when the walk reaches it) and
// that character's position when there was one.
std::size_t walkBack(Bytes d, std::size_t at, std::size_t floor, bool wide, std::optional<std::size_t>* other) {
  std::size_t step = wide ? 2 : 1;
  std::size_t s = at;
  while (s >= floor + step) {
    if (!isAddressChar(charAt(d, s - step, wide))) {
      if (other != nullptr) *other = s - step;
      return s;
    }
    s -= step;
  }
  if (other != nullptr) other->reset();
  return s;
}

Located locate(Bytes d, std::size_t pos) {
  Located r;
  r.start = pos;
  for (std::size_t i = pos; i < d.size() && d[i] != 0; ++i) {
    if (d[i] == '@') {
      r.at = i;
      r.wide = wideAt(d, i);
      return r;
    }
  }
  for (std::size_t i = pos; i < d.size() && d[i] != 0; i += 2) {
    if (d[i] == '@') {
      r.at = i;
      r.wide = wideAt(d, i);
      return r;
    }
  }
  for (std::size_t i = pos; i < d.size(); ++i) {
    if (d[i] == '@') {
      r.at = i;
      r.wide = wideAt(d, i);
      r.start = walkBack(d, i, pos, r.wide, nullptr);
      return r;
    }
  }
  return r;
}

// Reads a candidate from `start`; returns it and sets `end` to the position after it.
std::u16string readCandidate(Bytes d, std::size_t start, bool wide, std::size_t* end) {
  std::u16string text;
  std::size_t i = start;
  if (wide) {
    while (i + 1 < d.size() && text.size() < RecipientScanner::kMaxCandidate) {
      unsigned c = charAt(d, i, true);
      if (!isAddressChar(c)) break;
      text.push_back(static_cast<char16_t>(c));
      i += 2;
    }
  } else {
    while (i < d.size() && d[i] != 0 && i - start < RecipientScanner::kMaxCandidate) ++i;
    text = windows1252ToUtf16(std::string_view(reinterpret_cast<const char*>(d.data() + start), i - start));
  }
  *end = i;
  return text;
}

std::u16string_view withoutLeadingSpace(std::u16string_view part) {
  if (!part.empty() && part.front() == u' ') part.remove_prefix(1);
  return part;
}

// Drops a trailing apostrophe, splits at "," and ";" and offers every part.
// Returns whether any part was accepted.
bool offer(std::u16string candidate, RecipientList& out) {
  if (!candidate.empty() && candidate.back() == u'\'') candidate.pop_back();
  std::u16string_view rest = candidate;
  bool accepted = false;
  for (;;) {
    // Cut at whichever separator comes first, so a ";" before a "," loses no address.
    std::size_t cut = rest.find_first_of(u",;");
    if (cut == std::u16string_view::npos) break;
    accepted = out.addRecipient(withoutLeadingSpace(rest.substr(0, cut))) || accepted;
    rest.remove_prefix(cut + 1);
  }
  return out.addRecipient(withoutLeadingSpace(rest)) || accepted;
}

std::optional<std::size_t> findByte(Bytes d, std::size_t from, std::uint8_t b) {
  for (std::size_t i = from; i < d.size(); ++i) {
    if (d[i] == b) return i;
  }
  return std::nullopt;
}

bool isMarkerAt(Bytes d, std::size_t p) {
  return p + RecipientScanner::kAddressMarkerDistance < d.size() && d[p] == RecipientScanner::kAddressMarker0 &&
         d[p + 1] == RecipientScanner::kAddressMarker1 && d[p + RecipientScanner::kAddressMarkerDistance] != 0;
}

bool x500Before(Bytes d, std::size_t pos) {
  // "/cn" as 8-bit or as UTF-16 text, wholly inside the window before `pos`.
  std::size_t from = pos > RecipientScanner::kX500Window ? pos - RecipientScanner::kX500Window : 0;
  for (std::size_t i = from; i < pos; ++i) {
    if (d[i] != '/') continue;
    if (i + 2 < pos && d[i + 1] == 'c' && d[i + 2] == 'n') return true;
    if (i + 4 < pos && d[i + 1] == 0 && d[i + 2] == 'c' && d[i + 3] == 0 && d[i + 4] == 'n') return true;
  }
  return false;
}

// Where the next round of the inline scan starts, or nothing when no address is left.
std::optional<std::size_t> resumeInline(Bytes d, std::size_t pos, bool smallPageStore) {
  std::optional<std::size_t> nextAt = findByte(d, pos, '@');
  if (smallPageStore) {
    std::size_t limit = nextAt.value_or(d.size());
    for (std::size_t p = pos; p < limit; ++p) {
      if (isMarkerAt(d, p)) return p + RecipientScanner::kAddressMarkerDistance;
    }
  }
  if (!nextAt) return std::nullopt;
  bool wide = wideAt(d, *nextAt);
  std::optional<std::size_t> other;
  std::size_t s = walkBack(d, *nextAt, pos, wide, &other);
  if (!other) return s;
  if (!wide) return *other + 1;
  return *other + (x500Before(d, *other) ? 4 : 2);
}

}  // namespace

std::size_t RecipientScanner::compressedScanStart(std::span<const std::uint8_t> data) {
  std::size_t window = std::min(data.size(), kCompressedMarkerWindow);
  for (std::size_t p = 0; p + 1 < window; ++p) {
    if (isMarkerAt(data, p)) return p + kAddressMarkerDistance;
  }
  return 0;
}

void RecipientScanner::scanInline(std::span<const std::uint8_t> data, std::size_t start, bool smallPageStore,
                                  RecipientList& out) {
  std::size_t pos = start;
  if (pos < data.size() && data[pos] == '@') ++pos;
  while (pos < data.size()) {
    std::size_t roundStart = pos;
    Located found = locate(data, pos);
    std::u16string candidate = readCandidate(data, found.start, found.wide, &pos);
    offer(std::move(candidate), out);
    std::optional<std::size_t> next = resumeInline(data, pos, smallPageStore);
    if (!next) return;
    pos = *next;
    // Every round moves forward; a layout that would lead back to where the round began
    // goes on just past the "@" that round found.
    if (pos <= roundStart) {
      if (!found.at || *found.at < roundStart) return;
      pos = *found.at + 1;
    }
  }
}

void RecipientScanner::scanAssembled(std::span<const std::uint8_t> data, RecipientList& out) {
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::optional<std::size_t> at = findByte(data, pos, '@');
    if (!at) return;
    bool wide = wideAt(data, *at);
    std::size_t start = walkBack(data, *at, pos, wide, nullptr);
    std::size_t end = start;
    std::u16string candidate = readCandidate(data, start, wide, &end);
    bool accepted = offer(std::move(candidate), out);
    std::size_t next = accepted && end > *at ? end : *at + 2;
    pos = next > pos ? next : pos + 1;
  }
}

}  // namespace tarnwick::content
