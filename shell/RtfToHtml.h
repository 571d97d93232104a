#pragma once

#include <string>
#include <string_view>

namespace tarnwick::shell {

// An RTF body made readable for the preview, as HTML. HTML that a mail program wrapped in
// RTF (\fromhtml) is recovered as that HTML; any other RTF keeps its paragraphs and line
// breaks, bold, italic and underline, font faces, sizes and colours. Pictures, objects and
// fields' instructions are left out. Reads only the bytes it is given; unbalanced or cut
// input gives what could be read.
std::u16string rtfToHtml(std::string_view rtf);

// True when the RTF carries HTML (\fromhtml1 in its header).
bool rtfCarriesHtml(std::string_view rtf);

}  // namespace tarnwick::shell
