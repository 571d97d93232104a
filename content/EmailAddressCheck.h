#pragma once

#include <string_view>

namespace tarnwick::content {

// Whether `text` is a well-formed e-mail address: either the text itself or, when it holds
// "<" and a later ">", the part between them (so "Name <a@b.c>" is checked as "a@b.c").
// The local part may be a quoted string; the domain needs at least one dot.
bool isValidEmailAddress(std::u16string_view text);

// The address between the first "<" and the first ">" after it, or `text` when there is none.
std::u16string_view bracketedAddress(std::u16string_view text);

}  // namespace tarnwick::content
