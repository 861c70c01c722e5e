// Putting file names into HTML: as text (markup characters escaped) and as
// the address of an image (percent-encoded), so that no name can inject
// markup and every name shows as it is.
#pragma once

#include <string>

namespace ostrel {

// The text with "&", "<", ">" and '"' written as character references.
std::string EscapeHtmlText(const std::string& text);

// The path as a URL path: letters, digits, "/" and the characters
// "-._~!$'()*+,;=@" stay; every other byte becomes "%" and two upper-case
// hex digits (blanks, "%", '"', "#", "?", ":", "\", control and non-ASCII
// bytes among them).
std::string EncodeUrlPath(const std::string& path);

}  // namespace ostrel
