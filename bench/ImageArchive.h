#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tessaform::bench {

// The last image each benchmark drew, so that the engines and instruction
// sets can be checked against each other once the timing is over, and
// whether a benchmark ever drew two different images of the same scene.
class ImageArchive {
public:
    void keep(const std::string& name, const std::vector<std::uint32_t>& pixels);

    // nullptr when nothing was kept under the name.
    const std::vector<std::uint32_t>* find(const std::string& name) const;
    // Renders of the same benchmark that differed from the one before.
    int changes(const std::string& name) const;

private:
    struct Entry {
        std::vector<std::uint32_t> pixels;
        int changes = 0;
    };
    std::map<std::string, Entry> entries_;
};

struct ImageDifference {
    std::size_t pixels;        // every pixel when the sizes do not match
    int largestChannelChange;  // in 8-bit steps
};

ImageDifference compareImages(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b);

}  // namespace tessaform::bench
