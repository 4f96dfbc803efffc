#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "support/RecordingObserver.h"

namespace tessaform {

// A whole image with its pixels' float values.
struct DeepImage {
    std::vector<std::uint32_t> pixels;
    std::vector<DeepPixel> deep;

    const DeepPixel& at(int column, int row, int width) const
    {
        return deep[static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)];
    }
};

inline DeepImage renderDeepImage(const FractalParams& params, const Gradient& gradient, int width, int height,
                                 const RenderSettings& settings, int stripRows = 0)
{
    DeepImage image;
    RecordingObserver observer;
    int nextRow = 0;
    const RenderOutcome outcome = renderDeepRows(
        params, gradient, width, height, observer, settings,
        [&](int row, const std::uint32_t* pixels, const DeepPixel* deep) {
            EXPECT_EQ(row, nextRow++);
            image.pixels.insert(image.pixels.end(), pixels, pixels + width);
            image.deep.insert(image.deep.end(), deep, deep + width);
            return true;
        },
        stripRows);
    EXPECT_EQ(outcome, RenderOutcome::Completed);
    return image;
}

// Float values compare by their bits, so that a NaN or a zero's sign counts.
inline bool sameBits(const std::vector<DeepPixel>& a, const std::vector<DeepPixel>& b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(DeepPixel)) == 0);
}

}  // namespace tessaform
