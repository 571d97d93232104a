#pragma once

#include <string>
#include <string_view>

namespace tarnwick {

// Text conversions. Nothing here fails: bytes or units that cannot be converted become a
// replacement character (U+FFFD in Unicode, '?' in Windows-1252).

// Windows-1252 (the store's 8-bit texts) to UTF-16. The five bytes the code page leaves
// undefined map to the control character of the same value, as Windows does.
std::u16string windows1252ToUtf16(std::string_view text);
// UTF-16 to Windows-1252; characters the code page lacks become '?'.
std::string utf16ToWindows1252(std::u16string_view text);

// UTF-8 <-> UTF-16. Malformed UTF-8 and unpaired surrogates become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

}  // namespace tarnwick
