#include "export/BodyText.h"

#include "analysis/MessageItems.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace tarnwick::exporter {
namespace {

// UTF-16 text with any character below U+0100 (a space, a digit, a line end) has a zero
// high byte; 8-bit text has no zero byte before its terminator. Text of letters beyond
// Latin-1 (Cyrillic, Greek, CJK) has a non-zero second byte and space bytes (0x20 is the
// low byte of U+0420, U+4E20, ...), so those two alone do not make it 8-bit.
bool hasWideZero(const std::vector<std::uint8_t>& b) {
  for (std::size_t i = 1; i + 2 < b.size(); i += 2)
    if (b[i] == 0) return true;
  return false;
}

}  // namespace

WriterBody toWriterBody(const StoredItemBody& body, store::BodySource bodySource, bool kindOther) {
  WriterBody out;
  switch (body.form) {
    case 1: out.kind = BodyKind::Text8Bit; break;
    case 3: out.kind = BodyKind::Rtf; break;
    default: out.kind = BodyKind::Utf16Text; break;
  }
  const auto& b = body.bytes;
  bool wide = bodySource == store::BodySource::PlainUnicode || out.kind == BodyKind::Utf16Text;
  if (kindOther && bodySource == store::BodySource::PlainUnicode && b.size() >= 2 && b[1] != 0 &&
      std::find(b.begin(), b.end(), std::uint8_t{0x20}) != b.end() && !hasWideZero(b))
    wide = false;
  if (wide) {
    std::u16string text;
    text.reserve(b.size() / 2);
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
      const char16_t c = static_cast<char16_t>(b[i] | (b[i + 1] << 8));
      if (c == 0) break;
      text.push_back(c);
    }
    out.text = utf16ToUtf8(text);
  } else {
    const auto end = std::find(b.begin(), b.end(), std::uint8_t{0});
    out.text = utf16ToUtf8(windows1252ToUtf16(std::string(b.begin(), end)));
  }
  return out;
}

}  // namespace tarnwick::exporter
