#pragma once

#include <string>
#include <string_view>

namespace tessaform {

// Text from a file, made safe to show on a terminal: every byte outside
// printable ASCII, and the backslash, as \xNN, so that damaged or hostile
// bytes can neither steer the terminal nor pass for other text.
std::string printableText(std::string_view text);

// True when every byte is printable ASCII.
bool isPrintableText(std::string_view text);

}  // namespace tessaform
