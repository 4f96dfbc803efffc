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
    SequentialPasses(const ScalarTracer<Power>& tracer, const PixelImage& image, RenderObserver& observer,
                     RenderStats& stats)
        : tracer_(tracer), image_(image), observer_(observer), stats_(stats)
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
                image_.at(column, row) =
                    quantizeColour(tracer_.colourAt(static_cast<float>(column), static_cast<float>(row)));
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

    std::uint32_t smoothedPixel(int column, int row)
    {
        SamplePoint points[kGridSamples];
        Colour samples[kGridSamples];
        gridPoints(column, row, points);
        tracer_.trace(points, kGridSamples, samples);
        stats_.samples += kGridSamples;
        ++stats_.antiAliasedPixels;
        return gridAverage(image_.at(column, row), samples);
    }

    const ScalarTracer<Power>& tracer_;
    const PixelImage& image_;
    RenderObserver& observer_;
    RenderStats& stats_;
};

}  // namespace tessaform
