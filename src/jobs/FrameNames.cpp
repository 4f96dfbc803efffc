#include "jobs/FrameNames.h"

#include <cctype>

namespace tessaform {
namespace {

constexpr int kWidestNumber = 20;

Failure badPattern(const std::string& pattern)
{
    return Failure{pattern + ": a frame number is written %d or %05d, once; %% stands for %"};
}

}  // namespace

Result<FrameNames> FrameNames::parse(const std::string& pattern)
{
    FrameNames names;
    std::string* part = &names.before_;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') {
            part->push_back(pattern[at]);
            continue;
        }
        if (at + 1 < pattern.size() && pattern[at + 1] == '%') {
            part->push_back('%');
            ++at;
            continue;
        }
        if (names.numbered_) {
            return badPattern(pattern);
        }
        std::size_t digits = at + 1;
        names.zeroPadded_ = digits < pattern.size() && pattern[digits] == '0';
        while (digits < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[digits]))) {
            names.width_ = names.width_ * 10 + (pattern[digits] - '0');
            if (names.width_ > kWidestNumber) {
                return badPattern(pattern);
            }
            ++digits;
        }
        if (digits >= pattern.size() || pattern[digits] != 'd') {
            return badPattern(pattern);
        }
        names.numbered_ = true;
        part = &names.after_;
        at = digits;
    }
    return names;
}

std::string FrameNames::nameFor(int frame) const
{
    if (!numbered_) {
        return before_;
    }
    std::string number = std::to_string(frame);
    if (number.size() < static_cast<std::size_t>(width_)) {
        number.insert(0, static_cast<std::size_t>(width_) - number.size(), zeroPadded_ ? '0' : ' ');
    }
    return before_ + number + after_;
}

}  // namespace tessaform
