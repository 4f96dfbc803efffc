#include "ImageArchive.h"

#include <algorithm>
#include <cstdlib>

namespace tessaform::bench {

void ImageArchive::keep(const std::string& name, const std::vector<std::uint32_t>& pixels)
{
    auto [entry, inserted] = entries_.try_emplace(name);
    if (!inserted && entry->second.pixels != pixels) {
        ++entry->second.changes;
    }
    entry->second.pixels = pixels;
}

const std::vector<std::uint32_t>* ImageArchive::find(const std::string& name) const
{
    const auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second.pixels;
}

int ImageArchive::changes(const std::string& name) const
{
    const auto found = entries_.find(name);
    return found == entries_.end() ? 0 : found->second.changes;
}

ImageDifference compareImages(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    if (a.size() != b.size()) {
        return {std::max(a.size(), b.size()), 255};
    }
    ImageDifference difference{0, 0};
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) {
            continue;
        }
        ++difference.pixels;
        for (int shift = 0; shift <= 16; shift += 8) {
            const int change =
                std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF));
            difference.largestChannelChange = std::max(difference.largestChannelChange, change);
        }
    }
    return difference;
}

}  // namespace tessaform::bench
