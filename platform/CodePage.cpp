#include "platform/CodePage.h"

#include <iconv.h>
#include <cerrno>
#include <stdexcept>
#include <vector>

namespace tarnwick {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// One conversion descriptor per thread and direction, opened on first use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
    }
  }
  ~Converter() { ::iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
    return cd_;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::u16string windows1252ToUtf16(std::string_view text) {
  thread_local Converter conv("UTF-16LE", "WINDOWS-1252");
  iconv_t cd = conv.get();
  std::u16string out;
  out.reserve(text.size());
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  std::vector<char> buffer(text.size() * 2 + 8);
  while (inLeft > 0) {
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &dstLeft);
    const std::size_t produced = buffer.size() - dstLeft;
    for (std::size_t i = 0; i + 1 < produced; i += 2) {
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(buffer[i]) |
                                          (static_cast<unsigned char>(buffer[i + 1]) << 8)));
    }
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // An undefined byte (0x81, 0x8D, 0x8F, 0x90, 0x9D): keep its value.
      out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*in)));
      ++in;
      --inLeft;
    }
  }
  return out;
}

std::string utf16ToWindows1252(std::u16string_view text) {
  thread_local Converter conv("WINDOWS-1252", "UTF-16LE");
  iconv_t cd = conv.get();
  std::vector<char> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  std::string out;
  out.reserve(text.size());
  char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  std::vector<char> buffer(text.size() + 8);
  while (inLeft > 0) {
    char* dst = buffer.data();
    std::size_t dstLeft = buffer.size();
    const std::size_t rc = ::iconv(cd, &in, &inLeft, &dst, &dstLeft);
    out.append(buffer.data(), buffer.size() - dstLeft);
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // A character the code page lacks, or half a surrogate pair: one '?' for it.
      const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                                  (inLeft > 1 ? static_cast<unsigned char>(in[1]) << 8 : 0));
      std::size_t skip = 2;
      if (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4) {
        const char16_t next =
            static_cast<char16_t>(static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8));
        if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
      }
      if (skip > inLeft) skip = inLeft;
      out.push_back('?');
      in += skip;
      inLeft -= skip;
    }
  }
  return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < text.size()) {
    const unsigned char b = byte(i);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b < 0x80) {
      cp = b;
      length = 1;
    } else if ((b & 0xE0) == 0xC0) {
      cp = b & 0x1F;
      length = 2;
      minimum = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      cp = b & 0x0F;
      length = 3;
      minimum = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      cp = b & 0x07;
      length = 4;
      minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    std::size_t k = 1;
    for (; k < length && i + k < text.size() && (byte(i + k) & 0xC0) == 0x80; ++k)
      cp = (cp << 6) | (byte(i + k) & 0x3F);
    if (k < length || cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(kReplacement);
      i += k;
      continue;
    }
    i += length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace tarnwick
