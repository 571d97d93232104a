#include "pst/ltp/Property.h"

#include <cstring>

#include "pst/ndb/ByteWriter.h"

namespace tarnwick::pst {

std::size_t proptype::fixedSize(std::uint16_t type) {
  switch (type) {
    case kInt16: return 2;
    case kInt32:
    case kFloat:
    case kError: return 4;
    case kBoolean: return 1;
    case kDouble:
    case kCurrency:
    case kAppTime:
    case kInt64:
    case kSysTime: return 8;
    default: return 0;
  }
}

std::vector<std::uint8_t> toUtf16le(std::string_view s) {
  std::vector<std::uint8_t> out;
  out.reserve(s.size() * 2);
  auto put = [&](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (std::size_t i = 0; i < s.size();) {
    auto c = static_cast<std::uint8_t>(s[i]);
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
    }
    if (len > 1) {
      if (i + len > s.size()) {
        len = 1;
      } else {
        cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
          auto cc = static_cast<std::uint8_t>(s[i + k]);
          if ((cc & 0xC0) != 0x80) {
            cp = 0xFFFD;
            len = k;
            break;
          }
          cp = (cp << 6) | (cc & 0x3F);
        }
      }
    }
    i += len;
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      put(0xD800 + (cp >> 10));
      put(0xDC00 + (cp & 0x3FF));
    } else {
      put(cp > 0x10FFFF ? 0xFFFD : cp);
    }
  }
  return out;
}

Property Property::int32(std::uint16_t id, std::int32_t v) {
  Property p{id, proptype::kInt32, std::vector<std::uint8_t>(4), {}};
  store32(p.bytes.data(), static_cast<std::uint32_t>(v));
  return p;
}

Property Property::boolean(std::uint16_t id, bool v) {
  return Property{id, proptype::kBoolean, {static_cast<std::uint8_t>(v ? 1 : 0)}, {}};
}

Property Property::int64(std::uint16_t id, std::int64_t v) {
  Property p{id, proptype::kInt64, std::vector<std::uint8_t>(8), {}};
  store64(p.bytes.data(), static_cast<std::uint64_t>(v));
  return p;
}

Property Property::sysTime(std::uint16_t id, std::uint64_t fileTime) {
  Property p{id, proptype::kSysTime, std::vector<std::uint8_t>(8), {}};
  store64(p.bytes.data(), fileTime);
  return p;
}

Property Property::doubleValue(std::uint16_t id, double v) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &v, 8);
  Property p{id, proptype::kDouble, std::vector<std::uint8_t>(8), {}};
  store64(p.bytes.data(), bits);
  return p;
}

Property Property::unicode(std::uint16_t id, std::string_view utf8) {
  return Property{id, proptype::kUnicode, toUtf16le(utf8), {}};
}

Property Property::binary(std::uint16_t id, std::vector<std::uint8_t> bytes) {
  return Property{id, proptype::kBinary, std::move(bytes), {}};
}

Property Property::multiUnicode(std::uint16_t id, const std::vector<std::string>& values) {
  // Count, offsets, then the strings (without terminators).
  ByteWriter w;
  w.u32(static_cast<std::uint32_t>(values.size()));
  std::vector<std::vector<std::uint8_t>> encoded;
  std::uint32_t offset = 4 + 4 * static_cast<std::uint32_t>(values.size());
  for (const auto& v : values) encoded.push_back(toUtf16le(v));
  for (const auto& e : encoded) {
    w.u32(offset);
    offset += static_cast<std::uint32_t>(e.size());
  }
  for (const auto& e : encoded) w.bytes(e);
  return Property{id, proptype::kMultiUnicode, w.take(), {}};
}

Property Property::multiInt32(std::uint16_t id, const std::vector<std::int32_t>& values) {
  ByteWriter w;
  for (std::int32_t v : values) w.u32(static_cast<std::uint32_t>(v));
  return Property{id, proptype::kMultiInt32, w.take(), {}};
}

}  // namespace tarnwick::pst
