#include "params/PrintableText.h"

#include <algorithm>

namespace tessaform {
namespace {

bool isPrintable(char c)
{
    return c >= ' ' && c <= '~';
}

}  // namespace

std::string printableText(std::string_view text)
{
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        if (isPrintable(c) && c != '\\') {
            shown.push_back(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        shown.append("\\x").push_back(kHexDigits[byte >> 4]);
        shown.push_back(kHexDigits[byte & 0xFu]);
    }
    return shown;
}

bool isPrintableText(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), isPrintable);
}

}  // namespace tessaform
