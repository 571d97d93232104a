#pragma once

#include <string>
#include <string_view>

namespace tarnwick::content {

// A name read from the store made safe to create as one file inside a chosen folder:
// path separators, colons and the other characters Windows reserves, control characters
// every "..", and a leading dot run (".hidden") are replaced by "_", trailing dots and spaces
// are dropped, and an empty result becomes `fallback`. The original name stays data.
std::u16string safeFileName(std::u16string_view name, std::u16string_view fallback = u"attachment");

}  // namespace tarnwick::content
