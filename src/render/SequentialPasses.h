#pragma once

#include "render/AntiAliasGrid.h"
#include "render/EdgeTest.h"
#include "render/PixelImage.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/ScalarTracer.h"

namespace tessaform {

// The two passes in their plain order, one pixel and one sample at a time;
// the parallel passes must produce exactly the same image.
template <int Power>
class SequentialPasses {
public:
    // deep, when given, receives a DeepPixel for each of image's pixels.
    SequentialPasses(const ScalarTracer<Power>& tracer, const PixelImage& image, RenderObserver& observer,
                     RenderStats& stats, DeepPixel* deep = nullptr)
        : tracer_(tracer), image_(image), observer_(observer), stats_(stats), deep_(deep)
    {
    }

    bool run() { return firstPass() && antiAliasPass(); }

private:
    bool firstPass()
    {
        for (int row = 0; row < image_.height; ++row) {
            for (int column = 0; column < image_.width; ++column) {
                if (observer_.shouldAbandon(RenderPass::First)) {
                    return false;
                }
                image_.at(column, row) = quantizeColour(firstPassColour(column, row));
                ++stats_.samples;
            }
            observer_.rowFinished(RenderPass::First, row, image_.height);
        }
        return true;
    }

    // Works in place, so the left and upper neighbours are already smoothed
    // when a pixel is tested; borders keep their first-pass colours.
    bool antiAliasPass()
    {
        for (int row = 1; row <= image_.height - 2; ++row) {
            for (int column = 1; column <= image_.width - 2; ++column) {
                if (observer_.shouldAbandon(RenderPass::AntiAlias)) {
                    return false;
                }
                if (isEdgePixel(image_, column, row)) {
                    image_.at(column, row) = smoothedPixel(column, row);
                }
            }
            observer_.rowFinished(RenderPass::AntiAlias, row, image_.height);
        }
        return true;
    }

    Colour firstPassColour(int column, int row)
    {
        const auto x = static_cast<float>(column);
        const auto y = static_cast<float>(row);
        if (deep_ == nullptr) {
            return tracer_.colourAt(x, y);
        }
        SampleDepth depth;
        const Colour colour = tracer_.colourAt(x, y, &depth);
        deepAt(column, row) = deepSample(colour, depth);
        return colour;
    }

    std::uint32_t smoothedPixel(int column, int row)
    {
        SamplePoint points[kGridSamples];
        Colour samples[kGridSamples];
        SampleDepth depths[kGridSamples];
        gridPoints(column, row, points);
        tracer_.traceWithDepth(points, kGridSamples, samples, depths);
        stats_.samples += kGridSamples;
        ++stats_.antiAliasedPixels;
        if (deep_ != nullptr) {
            deepAt(column, row) = deepGridAverage(deepAt(column, row), samples, depths);
        }
        return gridAverage(image_.at(column, row), samples);
    }

    DeepPixel& deepAt(int column, int row)
    {
        return deep_[static_cast<std::size_t>(row) * static_cast<std::size_t>(image_.width) +
                     static_cast<std::size_t>(column)];
    }

    const ScalarTracer<Power>& tracer_;
    const PixelImage& image_;
    RenderObserver& observer_;
    RenderStats& stats_;
    DeepPixel* deep_;
};

}  // namespace tessaform
