#include "anim/FrameList.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace tessaform {
namespace {

// Far beyond any film, and small enough that a list stays in memory.
constexpr int kLargestFrameCount = 10'000'000;

Result<int> wholeNumber(std::string_view text, std::string_view item)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end || value < 0) {
        return Failure{"bad frame list item '" + std::string(item) + "'"};
    }
    return value;
}

Result<void> addItem(std::string_view item, std::vector<int>& frames)
{
    const std::size_t colon = item.find(':');
    const std::string_view range = item.substr(0, colon);
    const std::size_t dash = range.find('-');
    const Result<int> first = wholeNumber(range.substr(0, dash), item);
    const Result<int> last = dash == std::string_view::npos ? first : wholeNumber(range.substr(dash + 1), item);
    const Result<int> step =
        colon == std::string_view::npos ? Result<int>(1) : wholeNumber(item.substr(colon + 1), item);
    if (!first || !last || !step) {
        return Failure{!first ? first.error() : !last ? last.error() : step.error()};
    }
    if (*last < *first || *step < 1) {
        return Failure{"bad frame list item '" + std::string(item) + "'"};
    }
    if ((*last - *first) / *step + frames.size() >= kLargestFrameCount) {
        return Failure{"the frame list is too long"};
    }
    for (long frame = *first; frame <= *last; frame += *step) {
        frames.push_back(static_cast<int>(frame));
    }
    return {};
}

}  // namespace

Result<std::vector<int>> parseFrameList(std::string_view text)
{
    std::vector<int> frames;
    while (true) {
        const std::size_t comma = text.find(',');
        if (Result<void> added = addItem(text.substr(0, comma), frames); !added) {
            return Failure{added.error()};
        }
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

Result<std::vector<int>> framesFromFirstToLastKey(const Animation& animation)
{
    const long span = static_cast<long>(animation.lastFrame()) - animation.firstFrame() + 1;
    if (span > kLargestFrameCount) {
        return Failure{"the keys span " + std::to_string(span) + " frames"};
    }
    std::vector<int> frames;
    for (int frame = animation.firstFrame(); frame <= animation.lastFrame(); ++frame) {
        frames.push_back(frame);
    }
    return frames;
}

}  // namespace tessaform
