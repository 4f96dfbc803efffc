#pragma once

#include <cstdint>

#include "params/Colour.h"
#include "render/DeepAverage.h"
#include "render/Quantize.h"
#include "render/SampleBatch.h"

namespace tessaform {

// The 4 x 4 grid covers half a pixel up and left, a quarter down and right;
// its (0, 0) sample is the pixel's own first-pass value, so 15 are traced.
inline constexpr int kGridSamples = 15;

// The traced grid positions of pixel (column, row), rows outer, columns
// inner, skipping (0, 0).
inline void gridPoints(int column, int row, SamplePoint* points)
{
    constexpr float kOffsets[4] = {-0.5f, -0.25f, 0.0f, 0.25f};
    int index = 0;
    for (float dy : kOffsets) {
        for (float dx : kOffsets) {
            if (dx == 0.0f && dy == 0.0f) {
                continue;
            }
            points[index++] = {static_cast<float>(column) + dx, static_cast<float>(row) + dy};
        }
    }
}

inline Colour storedColour(std::uint32_t pixel)
{
    return {static_cast<float>((pixel >> 16) & 0xFF) * kByteToUnit,
            static_cast<float>((pixel >> 8) & 0xFF) * kByteToUnit, static_cast<float>(pixel & 0xFF) * kByteToUnit};
}

// The mean of the first-pass value and the 15 traced samples, summed in
// grid order.
inline std::uint32_t gridAverage(std::uint32_t firstPassPixel, const Colour* samples)
{
    Colour sum = storedColour(firstPassPixel);
    for (int i = 0; i < kGridSamples; ++i) {
        sum = {sum.r + samples[i].r, sum.g + samples[i].g, sum.b + samples[i].b};
    }
    return quantizeColour({sum.r * 0.0625f, sum.g * 0.0625f, sum.b * 0.0625f});
}

// The smoothed value of pixel (column, row), traced on its own.
inline std::uint32_t traceGridAverage(const BatchTracer& tracer, int column, int row, std::uint32_t firstPassPixel)
{
    SamplePoint points[kGridSamples];
    Colour colours[kGridSamples];
    gridPoints(column, row, points);
    tracer.trace(points, kGridSamples, colours, kPixelGrids);
    return gridAverage(firstPassPixel, colours);
}

// The float values of a pixel over its grid: its first-pass values as the
// (0, 0) sample, then the 15 traced ones.
inline DeepPixel deepGridAverage(const DeepPixel& firstPass, const Colour* samples, const SampleDepth* depths)
{
    DeepSum sum;
    sum.add(firstPass.colour, {firstPass.depth, firstPass.normal});
    for (int i = 0; i < kGridSamples; ++i) {
        sum.add(samples[i], depths[i]);
    }
    // With no hit every sample took the background, the first-pass one too.
    return sum.mean(firstPass.hitColour);
}

// traceGridAverage, which also replaces deep, the pixel's first-pass float
// values, by their average over the grid.
inline std::uint32_t traceDeepGridAverage(const BatchTracer& tracer, int column, int row, std::uint32_t firstPassPixel,
                                          DeepPixel& deep)
{
    SamplePoint points[kGridSamples];
    Colour colours[kGridSamples];
    SampleDepth depths[kGridSamples];
    gridPoints(column, row, points);
    tracer.traceWithDepth(points, kGridSamples, colours, depths, kPixelGrids);
    deep = deepGridAverage(deep, colours, depths);
    return gridAverage(firstPassPixel, colours);
}

// A pixel's smoothed value, traced ahead of its edge decision.
struct GridAverage {
    int column;
    std::uint32_t colour;

    bool operator==(const GridAverage&) const = default;
};

}  // namespace tessaform
